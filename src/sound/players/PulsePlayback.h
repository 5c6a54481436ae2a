#pragma once

#include "PulseSamplePlayer.h"
#include "SampleCache.h"
#include "StreamTimeline.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace tessary {

// What PulseSamplePlayer keeps on libpulse's threaded main loop: the server connection and its
// retries, the one stream and its close, and the newest play while it waits for its sample or
// the stream. Every field is the loop's: touched under its lock, or from its own callbacks.
struct PulsePlayback
{
    using Clock = SamplePlayer::Clock;
    // Time events of the main loop take wall-clock time.
    static timeval wallClockIn(std::chrono::milliseconds after);

    struct Request
    {
        std::string path;
        bool timed = false;
        Clock::time_point due{};
        Clock::time_point asked{};
    };

    PulseSamplePlayer::Options options;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* retry = nullptr;
    // A server that does not answer is tried again after kRetryFirst, then after twice as long
    // each time, up to PlayTiming::kRetryMost.
    static constexpr std::chrono::milliseconds kRetryFirst{250};
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

    // The sample written last: the next one fades it out where it cuts it off.
    std::shared_ptr<const Pcm> sounding;

    // The newest play, while it waits for its sample to be decoded or for the stream.
    std::optional<Request> waiting;

    std::unique_ptr<SampleCache> cache;

    explicit PulsePlayback(PulseSamplePlayer::Options o);

    // --- the server connection --------------------------------------------------------------

    void connectContext();

    static void onContextState(pa_context* c, void* userdata);

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata);

    // The connection failed or went away: forget it and try again later (or at the next play).
    void lost();

    void scheduleRetry(std::chrono::milliseconds after);

    static void onRetry(pa_mainloop_api* a, pa_time_event* e, const struct timeval*,
                        void* userdata);

    // A play found no server: try now rather than when the back-off says.
    void reconnectNow();

    // --- the stream -------------------------------------------------------------------------

    void ensureStream();

    // `deferred`: the release waits for the main loop's next turn, as it must from inside one
    // of the stream's own callbacks.
    void dropStream(bool deferred = true);

    static void onStreamState(pa_stream* s, void* userdata);

    // Closes the stream `idleClose` after the last sound or play, whichever is later.
    void armClose();

    // Carries out one of the timeline's writes: the sample, then zeros up to its length.
    // `cut`: the sample written before, which this one may cut off (and fades).
    void write(const StreamTimeline::Write& w, const Pcm* pcm = nullptr, const Pcm* cut = nullptr);

    // Keeps the write index beyond the stream's close, and the close timer in step.
    void extendTail();

    // --- plays ------------------------------------------------------------------------------

    void request(const Request& r);

    // The waiting play again, now that its sample or the stream is there.
    void resume();

    void start(const Request& r, std::shared_ptr<const Pcm> pcm);
};

} // namespace tessary
