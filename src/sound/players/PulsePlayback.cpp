#include "PulsePlayback.h"

#include "CutFade.h"

#include "sound/PlayTiming.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessary {

namespace {

using namespace std::chrono_literals;

// The server's buffer target for the stream: short, so that the sink's latency stays short.
constexpr auto kTargetLength = PlayTiming::kSinkAhead;
constexpr auto kStale = PlayTiming::kStale;
constexpr auto kRetryMost = PlayTiming::kRetryMost;
// Used when the server does not say what its default sink's rate is.
constexpr int kFallbackRate = 48000;

} // namespace

timeval PulsePlayback::wallClockIn(std::chrono::milliseconds after)
{
    timeval tv{};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, static_cast<pa_usec_t>(after.count()) * 1000);
    return tv;
}

PulsePlayback::PulsePlayback(PulseSamplePlayer::Options o) : options(o)
{
    cache =
        std::make_unique<SampleCache>([this](const std::string& path, std::shared_ptr<const Pcm>) {
            pa_threaded_mainloop_lock(loop);
            if (!stopping && waiting && waiting->path == path)
                resume();
            pa_threaded_mainloop_unlock(loop);
        });
}

void PulsePlayback::connectContext()
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
    pa_context_set_state_callback(context, &PulsePlayback::onContextState, this);
    // Never start a server of our own: where none runs, the SDL player takes over.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lost();
}

void PulsePlayback::onContextState(pa_context* c, void* userdata)
{
    auto* self = static_cast<PulsePlayback*>(userdata);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        pa_operation_unref(pa_context_get_sink_info_by_name(c, "@DEFAULT_SINK@",
                                                            &PulsePlayback::onSinkInfo, self));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->lost();
        break;
    default:
        break;
    }
}

void PulsePlayback::onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata)
{
    auto* self = static_cast<PulsePlayback*>(userdata);
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

void PulsePlayback::lost()
{
    dropStream();
    if (context) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        // Released once its own callback has returned.
        pa_mainloop_api_once(
            api, [](pa_mainloop_api*, void* c) { pa_context_unref(static_cast<pa_context*>(c)); },
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

void PulsePlayback::scheduleRetry(std::chrono::milliseconds after)
{
    if (retry)
        api->time_free(retry);
    const timeval when = wallClockIn(after);
    retry = api->time_new(api, &when, &PulsePlayback::onRetry, this);
    retryAfter = std::min(retryAfter * 2, kRetryMost);
}

void PulsePlayback::onRetry(pa_mainloop_api* a, pa_time_event* e, const struct timeval*,
                            void* userdata)
{
    auto* self = static_cast<PulsePlayback*>(userdata);
    a->time_free(e);
    self->retry = nullptr;
    if (!self->context && !self->stopping)
        self->connectContext();
}

void PulsePlayback::reconnectNow()
{
    if (context || stopping)
        return;
    if (retry) {
        api->time_free(retry);
        retry = nullptr;
    }
    connectContext();
}

void PulsePlayback::ensureStream()
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
    pa_stream_set_state_callback(stream, &PulsePlayback::onStreamState, this);
    timeline->open(Clock::now());
    if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0)
        dropStream();
}

void PulsePlayback::dropStream(bool deferred)
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

void PulsePlayback::onStreamState(pa_stream* s, void* userdata)
{
    auto* self = static_cast<PulsePlayback*>(userdata);
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

void PulsePlayback::armClose()
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
            auto* self = static_cast<PulsePlayback*>(userdata);
            if (self->waiting)
                self->armClose(); // it will write soon, or go stale
            else
                self->dropStream();
        },
        this);
}

void PulsePlayback::write(const StreamTimeline::Write& w, const Pcm* pcm, const Pcm* cut)
{
    const std::size_t length = pcm ? pcm->size() : 0;
    const std::int64_t offset = w.seek * static_cast<std::int64_t>(sizeof(std::int16_t));
    const pa_seek_mode_t mode =
        w.from == StreamTimeline::From::ReadPosition ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE;
    const bool fades = cut && w.over > 0 && static_cast<std::size_t>(w.over) <= cut->size();
    if (static_cast<std::int64_t>(length) == w.frames && !fades) {
        pa_stream_write(stream, pcm->data(), length * sizeof(std::int16_t), nullptr, offset, mode);
        return;
    }
    std::vector<std::int16_t> data(static_cast<std::size_t>(w.frames), 0);
    if (pcm)
        std::copy(pcm->begin(), pcm->end(), data.begin());
    if (fades)
        CutFade::mix(data.data(), data.size(), *cut, cut->size() - static_cast<std::size_t>(w.over),
                     CutFade::frames(rate));
    pa_stream_write(stream, data.data(), data.size() * sizeof(std::int16_t), nullptr, offset, mode);
}

void PulsePlayback::extendTail()
{
    if (const auto hole = timeline->tail())
        write(*hole);
    armClose();
}

void PulsePlayback::request(const Request& r)
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

void PulsePlayback::resume()
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

void PulsePlayback::start(const Request& r, std::shared_ptr<const Pcm> pcm)
{
    if (!streamReady) {
        waiting = r;
        ensureStream();
        return;
    }
    const auto length = static_cast<std::int64_t>(pcm->size());
    const Clock::time_point now = Clock::now();
    write(r.timed ? timeline->playAt(length, r.due, now) : timeline->playNow(length, now),
          pcm.get(), sounding.get());
    sounding = std::move(pcm);
    extendTail();
}

} // namespace tessary
