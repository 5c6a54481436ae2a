#include "PulseSamplePlayer.h"

#include "SampleCache.h"
#include "StreamTimeline.h"
#include "sound/PlayTiming.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

namespace {

using Clock = SamplePlayer::Clock;
using namespace std::chrono_literals;

// The server's buffer target for the stream: short, so that the sink's latency stays short.
constexpr auto kTargetLength = PlayTiming::kSinkAhead;
constexpr auto kStale = PlayTiming::kStale;
// A server that does not answer is tried again after this, then after twice as long each time.
constexpr auto kRetryFirst = 250ms;
constexpr auto kRetryMost = PlayTiming::kRetryMost;
// Used when the server does not say what its default sink's rate is.
constexpr int kFallbackRate = 48000;

// Time events of the main loop take wall-clock time.
timeval wallClockIn(std::chrono::milliseconds after)
{
    timeval tv{};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, static_cast<pa_usec_t>(after.count()) * 1000);
    return tv;
}

} // namespace

struct PulseSamplePlayer::Impl
{
    struct Request
    {
        std::string path;
        bool timed = false;
        Clock::time_point due{};
        Clock::time_point asked{};
    };

    Options options;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* retry = nullptr;
    std::chrono::milliseconds retryAfter = kRetryFirst;
    bool probing = true;    // connect(): the first attempt decides whether there is a server
    bool probeDone = false; // ready, failed or timed out
    bool contextReady = false;
    bool streamReady = false;
    bool stopping = false;
    int rate = 0;

    // Where each write goes in the open stream; made when the sink's rate is known.
    std::optional<StreamTimeline> timeline;
    pa_time_event* closeTimer = nullptr;

    // The newest play, while it waits for its sample to be decoded or for the stream.
    std::optional<Request> waiting;

    std::unique_ptr<SampleCache> cache;

    explicit Impl(Options o) : options(o)
    {
        cache = std::make_unique<SampleCache>(
            [this](const std::string& path, std::shared_ptr<const Pcm>) {
                pa_threaded_mainloop_lock(loop);
                if (!stopping && waiting && waiting->path == path)
                    resume();
                pa_threaded_mainloop_unlock(loop);
            });
    }

    // --- the server connection --------------------------------------------------------------

    void connectContext()
    {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Quorlin Tessary");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "org.quorlin.Tessary");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "quorlin-tessary");
        context = pa_context_new_with_proplist(api, "Quorlin Tessary", props);
        pa_proplist_free(props);
        if (!context) {
            lost();
            return;
        }
        pa_context_set_state_callback(context, &Impl::onContextState, this);
        // Never start a server of our own: where none runs, the SDL player takes over.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            lost();
    }

    static void onContextState(pa_context* c, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            pa_operation_unref(
                pa_context_get_sink_info_by_name(c, "@DEFAULT_SINK@", &Impl::onSinkInfo, self));
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->lost();
            break;
        default:
            break;
        }
    }

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (self->stopping)
            return;
        if (eol == 0 && info) {
            self->rate = static_cast<int>(info->sample_spec.rate);
            return; // the end of the list follows
        }
        if (self->contextReady || !self->context)
            return;
        if (self->rate == 0)
            self->rate = kFallbackRate;
        self->contextReady = true;
        self->timeline.emplace(self->rate, self->options.idleClose);
        self->retryAfter = kRetryFirst;
        self->cache->setRate(self->rate);
        self->probeDone = true;
        pa_threaded_mainloop_signal(self->loop, 0);
        if (self->waiting)
            self->ensureStream();
    }

    // The connection failed or went away: forget it and try again later (or at the next play).
    void lost()
    {
        dropStream();
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            // Released once its own callback has returned.
            pa_mainloop_api_once(
                api,
                [](pa_mainloop_api*, void* c) { pa_context_unref(static_cast<pa_context*>(c)); },
                context);
            context = nullptr;
        }
        contextReady = false;
        rate = 0;
        if (probing) {
            probeDone = true;
            pa_threaded_mainloop_signal(loop, 0);
            return;
        }
        if (!stopping)
            scheduleRetry(retryAfter);
    }

    void scheduleRetry(std::chrono::milliseconds after)
    {
        if (retry)
            api->time_free(retry);
        const timeval when = wallClockIn(after);
        retry = api->time_new(api, &when, &Impl::onRetry, this);
        retryAfter = std::min(retryAfter * 2, kRetryMost);
    }

    static void onRetry(pa_mainloop_api* a, pa_time_event* e, const struct timeval*, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        a->time_free(e);
        self->retry = nullptr;
        if (!self->context && !self->stopping)
            self->connectContext();
    }

    // A play found no server: try now rather than when the back-off says.
    void reconnectNow()
    {
        if (context || stopping)
            return;
        if (retry) {
            api->time_free(retry);
            retry = nullptr;
        }
        connectContext();
    }

    // --- the stream -------------------------------------------------------------------------

    void ensureStream()
    {
        if (stream)
            return;
        if (!contextReady) {
            reconnectNow();
            return;
        }
        const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<std::uint32_t>(rate), 1};
        stream = pa_stream_new(context, "Allophones", &spec, nullptr);
        if (!stream)
            return;
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(timeline->frames(kTargetLength) * 2);
        attr.prebuf = 0; // play whatever is there at once, never wait to fill up
        attr.minreq = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        pa_stream_set_state_callback(stream, &Impl::onStreamState, this);
        timeline->open(Clock::now());
        if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0)
            dropStream();
    }

    // `deferred`: the release waits for the main loop's next turn, as it must from inside one
    // of the stream's own callbacks.
    void dropStream(bool deferred = true)
    {
        if (!stream)
            return;
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        if (deferred)
            pa_mainloop_api_once(
                api, [](pa_mainloop_api*, void* s) { pa_stream_unref(static_cast<pa_stream*>(s)); },
                stream);
        else
            pa_stream_unref(stream);
        stream = nullptr;
        streamReady = false;
        if (closeTimer) {
            api->time_free(closeTimer);
            closeTimer = nullptr;
        }
    }

    static void onStreamState(pa_stream* s, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (self->stopping)
            return;
        switch (pa_stream_get_state(s)) {
        case PA_STREAM_READY:
            self->streamReady = true;
            if (self->waiting)
                self->resume();
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            self->dropStream();
            break;
        default:
            break;
        }
    }

    // Closes the stream `idleClose` after the last sound or play, whichever is later.
    void armClose()
    {
        const timeval when = wallClockIn(std::chrono::ceil<std::chrono::milliseconds>(
            std::max(timeline->closesAt() - Clock::now(), Clock::duration::zero())));
        if (closeTimer) {
            api->time_restart(closeTimer, &when);
            return;
        }
        closeTimer = api->time_new(
            api, &when,
            [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
                auto* self = static_cast<Impl*>(userdata);
                if (self->waiting)
                    self->armClose(); // it will write soon, or go stale
                else
                    self->dropStream();
            },
            this);
    }

    // Carries out one of the timeline's writes: the sample, then zeros up to its length.
    void write(const StreamTimeline::Write& w, const Pcm* pcm = nullptr)
    {
        const std::size_t length = pcm ? pcm->size() : 0;
        const std::int64_t offset = w.seek * static_cast<std::int64_t>(sizeof(std::int16_t));
        const pa_seek_mode_t mode = w.from == StreamTimeline::From::ReadPosition
                                        ? PA_SEEK_RELATIVE_ON_READ
                                        : PA_SEEK_RELATIVE;
        if (static_cast<std::int64_t>(length) == w.frames) {
            pa_stream_write(stream, pcm->data(), length * sizeof(std::int16_t), nullptr, offset,
                            mode);
            return;
        }
        std::vector<std::int16_t> data(static_cast<std::size_t>(w.frames), 0);
        if (pcm)
            std::copy(pcm->begin(), pcm->end(), data.begin());
        pa_stream_write(stream, data.data(), data.size() * sizeof(std::int16_t), nullptr, offset,
                        mode);
    }

    // Keeps the write index beyond the stream's close, and the close timer in step.
    void extendTail()
    {
        if (const auto hole = timeline->tail())
            write(*hole);
        armClose();
    }

    // --- plays ------------------------------------------------------------------------------

    void request(const Request& r)
    {
        pa_threaded_mainloop_lock(loop);
        // Under the lock, so that a decoding that ends at once still finds this play waiting.
        std::shared_ptr<const Pcm> pcm;
        const SampleCache::State state = cache->find(r.path, pcm);
        if (timeline)
            timeline->noteActivity(r.asked);
        if (streamReady)
            extendTail(); // a play, even of nothing, keeps the stream open a while longer
        waiting.reset();
        if (state == SampleCache::State::Pending) {
            waiting = r;
            ensureStream();
        } else if (state == SampleCache::State::Ready) {
            start(r, std::move(pcm));
        }
        pa_threaded_mainloop_unlock(loop);
    }

    // The waiting play again, now that its sample or the stream is there.
    void resume()
    {
        const Request r = *waiting;
        waiting.reset();
        if (Clock::now() - r.asked > kStale)
            return;
        std::shared_ptr<const Pcm> pcm;
        const SampleCache::State state = cache->find(r.path, pcm);
        if (state == SampleCache::State::Pending)
            waiting = r;
        else if (state == SampleCache::State::Ready)
            start(r, std::move(pcm));
    }

    void start(const Request& r, std::shared_ptr<const Pcm> pcm)
    {
        if (!streamReady) {
            waiting = r;
            ensureStream();
            return;
        }
        const auto length = static_cast<std::int64_t>(pcm->size());
        const Clock::time_point now = Clock::now();
        write(r.timed ? timeline->playAt(length, r.due, now) : timeline->playNow(length, now),
              pcm.get());
        extendTail();
    }
};

std::unique_ptr<PulseSamplePlayer> PulseSamplePlayer::connect(Options options)
{
    auto impl = std::make_unique<Impl>(options);
    impl->loop = pa_threaded_mainloop_new();
    if (!impl->loop)
        return nullptr;
    impl->api = pa_threaded_mainloop_get_api(impl->loop);
    pa_threaded_mainloop_set_name(impl->loop, "tessary-sound");
    std::unique_ptr<PulseSamplePlayer> player(new PulseSamplePlayer(std::move(impl)));
    Impl& d = *player->m_impl;

    pa_threaded_mainloop_lock(d.loop);
    if (pa_threaded_mainloop_start(d.loop) < 0) {
        pa_threaded_mainloop_unlock(d.loop);
        return nullptr;
    }
    d.connectContext();
    const timeval deadline = wallClockIn(options.connectTimeout);
    pa_time_event* timeout = d.api->time_new(
        d.api, &deadline,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
            auto* self = static_cast<Impl*>(userdata);
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

PulseSamplePlayer::PulseSamplePlayer(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

PulseSamplePlayer::~PulseSamplePlayer()
{
    Impl& d = *m_impl;
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
    m_impl->request({path, false, now, now});
}

void PulseSamplePlayer::playAt(const std::string& path, Clock::time_point due)
{
    m_impl->request({path, true, due, Clock::now()});
}

void PulseSamplePlayer::preload(const std::vector<std::string>& paths)
{
    m_impl->cache->preload(paths);
}

int PulseSamplePlayer::rate() const
{
    pa_threaded_mainloop_lock(m_impl->loop);
    const int r = m_impl->rate;
    pa_threaded_mainloop_unlock(m_impl->loop);
    return r;
}

bool PulseSamplePlayer::connected() const
{
    pa_threaded_mainloop_lock(m_impl->loop);
    const bool up = m_impl->contextReady;
    pa_threaded_mainloop_unlock(m_impl->loop);
    return up;
}

bool PulseSamplePlayer::streamOpen() const
{
    pa_threaded_mainloop_lock(m_impl->loop);
    const bool open = m_impl->stream != nullptr;
    pa_threaded_mainloop_unlock(m_impl->loop);
    return open;
}

void PulseSamplePlayer::waitDecoded()
{
    m_impl->cache->waitIdle();
}

} // namespace tessary
