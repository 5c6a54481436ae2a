#include "PulseSamplePlayer.h"

#include "SampleCache.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessary {

namespace {

using Clock = SamplePlayer::Clock;
using namespace std::chrono_literals;

// The server's buffer target for the stream: short, so that the sink's latency stays short.
constexpr auto kTargetLength = 5ms;
// While the stream is open it never runs dry: the server's write index stays this much beyond
// the stream's close, ahead of the read index, so that places computed from it stay exact. The
// silence is a seek forward (a hole, which the server plays as silence), not written zeros.
constexpr auto kTailBeyondClose = 500ms;
// A timed play later than this behind its due time could land behind the read position (it is
// placed kLead ahead of it, and the sink renders a few milliseconds ahead): it starts a new run
// of timed plays instead. The sequencer times a step that is more than 4 ms late afresh, so
// this takes a stall of the program between a step and its play.
constexpr auto kLateLimit = PulseSamplePlayer::kLead - 5ms;
// A play that waited for the server or the stream longer than this is dropped: late sound is
// worse than none.
constexpr auto kStale = 300ms;
constexpr auto kRetryFirst = 250ms;
constexpr auto kRetryMost = 2000ms;
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

std::int64_t framesIn(std::chrono::nanoseconds d, int rate)
{
    return std::llround(std::chrono::duration<double>(d).count() * rate);
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

    // The stream's timeline: the server's write index in frames from the first sample of the
    // current run of timed plays, and when it will be played; when the last sample ends.
    std::int64_t writeIndex = 0;
    Clock::time_point writeTime{};
    Clock::time_point soundUntil{};
    Clock::time_point lastActivity{};
    pa_time_event* closeTimer = nullptr;

    // A run of timed plays: the first one's due time and place, and how late it was placed.
    bool anchored = false;
    Clock::time_point anchorDue{};
    Clock::duration anchorShift{};

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

    std::int64_t frames(std::chrono::nanoseconds d) const { return framesIn(d, rate); }

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
        if (eol == 0 && info) {
            self->rate = static_cast<int>(info->sample_spec.rate);
            return; // the end of the list follows
        }
        if (self->contextReady || !self->context)
            return;
        if (self->rate == 0)
            self->rate = kFallbackRate;
        self->contextReady = true;
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
        attr.tlength = static_cast<std::uint32_t>(frames(kTargetLength) * 2);
        attr.prebuf = 0; // play whatever is there at once, never wait to fill up
        attr.minreq = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        pa_stream_set_state_callback(stream, &Impl::onStreamState, this);
        anchored = false;
        writeIndex = 0;
        writeTime = Clock::now();
        soundUntil = {};
        if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0)
            dropStream();
    }

    void dropStream()
    {
        if (!stream)
            return;
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_mainloop_api_once(
            api, [](pa_mainloop_api*, void* s) { pa_stream_unref(static_cast<pa_stream*>(s)); },
            stream);
        stream = nullptr;
        streamReady = false;
        anchored = false;
        if (closeTimer) {
            api->time_free(closeTimer);
            closeTimer = nullptr;
        }
    }

    static void onStreamState(pa_stream* s, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
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
        const auto idle = std::max(soundUntil, lastActivity) + options.idleClose;
        const timeval when = wallClockIn(std::chrono::ceil<std::chrono::milliseconds>(
            std::max(idle - Clock::now(), Clock::duration::zero())));
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

    // Writes the sample `at` frames from where `mode` counts, to sound at `sounds`, with zeros
    // after it over whatever is left of an earlier sample. Returns the frames written.
    std::int64_t write(const Pcm& pcm, std::int64_t at, pa_seek_mode_t mode,
                       Clock::time_point sounds)
    {
        const auto length = static_cast<std::int64_t>(pcm.size());
        const std::int64_t cover = std::max(length, frames(soundUntil - sounds));
        const std::int64_t offset = at * static_cast<std::int64_t>(sizeof(std::int16_t));
        if (cover == length) {
            pa_stream_write(stream, pcm.data(), pcm.size() * sizeof(std::int16_t), nullptr, offset,
                            mode);
        } else {
            std::vector<std::int16_t> data(static_cast<std::size_t>(cover), 0);
            std::copy(pcm.begin(), pcm.end(), data.begin());
            pa_stream_write(stream, data.data(), data.size() * sizeof(std::int16_t), nullptr,
                            offset, mode);
        }
        soundUntil = sounds + std::chrono::nanoseconds(length * 1'000'000'000LL / rate);
        writeTime = sounds + std::chrono::nanoseconds(cover * 1'000'000'000LL / rate);
        return cover;
    }

    // Keeps the write index beyond the stream's close: a seek forward over silence, ended by one
    // zero frame so that the server moves its write index there. Extended a second at a time,
    // so that most plays need no write for it.
    void extendTail()
    {
        const auto closes = std::max(soundUntil, lastActivity) + options.idleClose;
        if (writeTime < closes + kTailBeyondClose / 2) {
            const std::int64_t gap = frames(closes + kTailBeyondClose + 1s - writeTime);
            static const std::int16_t zero = 0;
            pa_stream_write(stream, &zero, sizeof zero, nullptr,
                            (gap - 1) * static_cast<std::int64_t>(sizeof zero), PA_SEEK_RELATIVE);
            writeIndex += gap;
            writeTime += std::chrono::nanoseconds(gap * 1'000'000'000LL / rate);
        }
        armClose();
    }

    // --- plays ------------------------------------------------------------------------------

    void request(const Request& r)
    {
        pa_threaded_mainloop_lock(loop);
        // Under the lock, so that a decoding that ends at once still finds this play waiting.
        std::shared_ptr<const Pcm> pcm;
        const SampleCache::State state = cache->find(r.path, pcm);
        lastActivity = r.asked;
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
        if (r.timed)
            startAt(*pcm, r.due);
        else
            startNow(*pcm);
    }

    // Written at the server's read position: the next thing the sink plays.
    void startNow(const Pcm& pcm)
    {
        anchored = false; // where the read position was is not known: the next run starts anew
        writeIndex = write(pcm, 0, PA_SEEK_RELATIVE_ON_READ, Clock::now());
        extendTail();
    }

    // Placed `due - anchorDue` after the first timed play of the run, exactly to the frame, by
    // seeking from the write index, which only our writes move.
    void startAt(const Pcm& pcm, Clock::time_point due)
    {
        const Clock::time_point now = Clock::now();
        if (anchored && now - due - anchorShift > kLateLimit)
            anchored = false; // its place may have been played already: begin a new run here
        if (!anchored) {
            anchored = true;
            anchorDue = due;
            anchorShift = std::max(now - due, Clock::duration::zero());
            // The run's first sample, kLead past the read position, is place 0 of the run.
            writeIndex = write(pcm, frames(kLead), PA_SEEK_RELATIVE_ON_READ, now + kLead);
        } else {
            const std::int64_t place = frames(due - anchorDue);
            const Clock::time_point sounds = due + anchorShift + kLead;
            writeIndex = place + write(pcm, place - writeIndex, PA_SEEK_RELATIVE, sounds);
        }
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
    pa_threaded_mainloop_lock(d.loop);
    d.stopping = true;
    pa_threaded_mainloop_unlock(d.loop);
    d.cache.reset(); // its thread may be about to take the lock: let it finish first

    pa_threaded_mainloop_lock(d.loop);
    if (d.retry) {
        d.api->time_free(d.retry);
        d.retry = nullptr;
    }
    d.waiting.reset();
    d.dropStream();
    if (d.context) {
        pa_context_set_state_callback(d.context, nullptr, nullptr);
        pa_context_disconnect(d.context);
        pa_context_unref(d.context);
        d.context = nullptr;
    }
    pa_threaded_mainloop_unlock(d.loop);
    pa_threaded_mainloop_stop(d.loop);
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
