#include "PulseSamplePlayer.h"

#include "PulsePlayback.h"

namespace tessary {

std::unique_ptr<PulseSamplePlayer> PulseSamplePlayer::connect(Options options)
{
    auto playback = std::make_unique<PulsePlayback>(options);
    playback->loop = pa_threaded_mainloop_new();
    if (!playback->loop)
        return nullptr;
    playback->api = pa_threaded_mainloop_get_api(playback->loop);
    pa_threaded_mainloop_set_name(playback->loop, "tessary-sound");
    std::unique_ptr<PulseSamplePlayer> player(new PulseSamplePlayer(std::move(playback)));
    PulsePlayback& d = *player->m_playback;

    pa_threaded_mainloop_lock(d.loop);
    if (pa_threaded_mainloop_start(d.loop) < 0) {
        pa_threaded_mainloop_unlock(d.loop);
        return nullptr;
    }
    d.connectContext();
    const timeval deadline = PulsePlayback::wallClockIn(options.connectTimeout);
    pa_time_event* timeout = d.api->time_new(
        d.api, &deadline,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
            auto* self = static_cast<PulsePlayback*>(userdata);
            self->probeDone = true;
            pa_threaded_mainloop_signal(self->loop, 0);
        },
        &d);
    while (!d.probeDone)
        pa_threaded_mainloop_wait(d.loop);
    d.api->time_free(timeout);
    d.probing = false;
    const bool ready = d.contextReady;
    pa_threaded_mainloop_unlock(d.loop);
    if (!ready)
        return nullptr;
    return player;
}

PulseSamplePlayer::PulseSamplePlayer(std::unique_ptr<PulsePlayback> playback) : m_playback(std::move(playback))
{}

PulseSamplePlayer::~PulseSamplePlayer()
{
    PulsePlayback& d = *m_playback;
    if (!d.loop)
        return;
    // Everything of the server's goes under the lock, then the loop's thread is stopped: from
    // then on no callback of libpulse runs, so none can reach the cache, the stream or this.
    pa_threaded_mainloop_lock(d.loop);
    d.stopping = true;
    if (d.retry) {
        d.api->time_free(d.retry);
        d.retry = nullptr;
    }
    d.waiting.reset();
    d.dropStream(false);
    if (d.context) {
        pa_context_set_state_callback(d.context, nullptr, nullptr);
        pa_context_disconnect(d.context);
        pa_context_unref(d.context);
        d.context = nullptr;
    }
    pa_threaded_mainloop_unlock(d.loop);
    pa_threaded_mainloop_stop(d.loop);
    // The decoding thread's last callback takes the loop's lock and finds `stopping`.
    d.cache.reset();
    pa_threaded_mainloop_free(d.loop);
}

void PulseSamplePlayer::play(const std::string& path)
{
    const auto now = Clock::now();
    m_playback->request({path, false, now, now});
}

void PulseSamplePlayer::playAt(const std::string& path, Clock::time_point due)
{
    m_playback->request({path, true, due, Clock::now()});
}

void PulseSamplePlayer::preload(const std::vector<std::string>& paths)
{
    m_playback->cache->preload(paths);
}

int PulseSamplePlayer::rate() const
{
    pa_threaded_mainloop_lock(m_playback->loop);
    const int r = m_playback->rate;
    pa_threaded_mainloop_unlock(m_playback->loop);
    return r;
}

bool PulseSamplePlayer::connected() const
{
    pa_threaded_mainloop_lock(m_playback->loop);
    const bool up = m_playback->contextReady;
    pa_threaded_mainloop_unlock(m_playback->loop);
    return up;
}

bool PulseSamplePlayer::streamOpen() const
{
    pa_threaded_mainloop_lock(m_playback->loop);
    const bool open = m_playback->stream != nullptr;
    pa_threaded_mainloop_unlock(m_playback->loop);
    return open;
}

void PulseSamplePlayer::waitDecoded()
{
    m_playback->cache->waitIdle();
}

} // namespace tessary
