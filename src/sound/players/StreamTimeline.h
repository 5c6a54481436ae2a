#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace tessary {

// Where the sound server's player writes each sample in its stream, kept apart from libpulse so
// that the frame arithmetic can be checked on its own.
//
// A play now is written at the stream's read position, so that it cuts in at once. A run of
// timed plays (SPEAK) starts PlayTiming::kLead past the read position, and every later play is
// placed at its due frame by seeking from the server's write index, which only our own writes
// move: its place in the run is exact whatever the timer's lateness. After each write the sample
// is followed by zeros over whatever is left of the one before, and a hole of silence keeps the
// write index beyond the stream's close, ahead of the read position, so that those places stay
// exact for as long as the stream is open.
class StreamTimeline
{
public:
    using Clock = std::chrono::steady_clock;

    enum class From {
        ReadPosition, // the next frame the sink will play
        WriteIndex,   // the end of our last write
    };
    // What to write: `frames` frames (the sample, then zeros) `seek` frames from `from`.
    struct Write
    {
        std::int64_t seek = 0;
        From from = From::ReadPosition;
        std::int64_t frames = 0;
        // Frames the sample before still had to sound where this write begins: cut off, it is
        // faded under the new one (CutFade).
        std::int64_t over = 0;
    };

    StreamTimeline(int rate, std::chrono::milliseconds idleClose);

    // A new stream, empty, at `now`.
    void open(Clock::time_point now);
    // A play was asked for at `asked`: the stream stays open `idleClose` after it.
    void noteActivity(Clock::time_point asked);
    // A sample of `length` frames, now.
    Write playNow(std::int64_t length, Clock::time_point now);
    // A sample of `length` frames due at `due`, asked for at `now`.
    Write playAt(std::int64_t length, Clock::time_point due, Clock::time_point now);
    // The hole that keeps the write index beyond the close, when it needs extending: one zero
    // frame written `seek - 1` frames past the write index. Extended a second beyond what is
    // needed at a time, so that most plays need none.
    std::optional<Write> tail();
    // When the stream may close: `idleClose` after the last sound or play.
    Clock::time_point closesAt() const;

    bool inRun() const { return m_anchored; }
    std::int64_t frames(Clock::duration d) const;

    // How far past the close the write index is kept.
    static constexpr std::chrono::milliseconds kTailBeyondClose{500};

private:
    Clock::duration length(std::int64_t frames) const;
    Write place(std::int64_t length, std::int64_t seek, From from, Clock::time_point sounds);

    int m_rate;
    std::chrono::milliseconds m_idleClose;
    // The server's write index in frames from the first sample of the current run, and when
    // it will be played; when the last sample ends; when the last play was asked for.
    std::int64_t m_writeIndex = 0;
    Clock::time_point m_writeTime{};
    Clock::time_point m_soundUntil{};
    Clock::time_point m_lastActivity{};
    // The current run of timed plays: the first one's due time, and how late it was placed.
    bool m_anchored = false;
    Clock::time_point m_anchorDue{};
    Clock::duration m_anchorShift{};
};

} // namespace tessary
