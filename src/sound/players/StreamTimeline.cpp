#include "StreamTimeline.h"

#include "sound/PlayTiming.h"

#include <algorithm>
#include <cmath>

namespace tessary {

using namespace std::chrono_literals;

StreamTimeline::StreamTimeline(int rate, std::chrono::milliseconds idleClose)
    : m_rate(rate), m_idleClose(idleClose)
{}

std::int64_t StreamTimeline::frames(Clock::duration d) const
{
    return std::llround(std::chrono::duration<double>(d).count() * m_rate);
}

StreamTimeline::Clock::duration StreamTimeline::length(std::int64_t frames) const
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(frames * 1'000'000'000LL / m_rate));
}

void StreamTimeline::open(Clock::time_point now)
{
    m_anchored = false;
    m_writeIndex = 0;
    m_writeTime = now;
    m_soundUntil = {};
}

void StreamTimeline::noteActivity(Clock::time_point asked)
{
    m_lastActivity = asked;
}

StreamTimeline::Write StreamTimeline::place(std::int64_t length, std::int64_t seek, From from,
                                            Clock::time_point sounds)
{
    const std::int64_t over = std::max<std::int64_t>(0, frames(m_soundUntil - sounds));
    const std::int64_t cover = std::max(length, over);
    m_soundUntil = sounds + this->length(length);
    m_writeTime = sounds + this->length(cover);
    return {seek, from, cover, over};
}

StreamTimeline::Write StreamTimeline::playNow(std::int64_t length, Clock::time_point now)
{
    m_anchored = false; // where the read position was is not known: the next run starts anew
    const Write w = place(length, 0, From::ReadPosition, now);
    m_writeIndex = w.frames;
    return w;
}

StreamTimeline::Write StreamTimeline::playAt(std::int64_t length, Clock::time_point due,
                                             Clock::time_point now)
{
    if (m_anchored && now - due - m_anchorShift > PlayTiming::kLateLimit)
        m_anchored = false; // its place may have been played already: begin a new run here
    if (!m_anchored) {
        m_anchored = true;
        m_anchorDue = due;
        m_anchorShift = std::max(now - due, Clock::duration::zero());
        // The run's first sample, kLead past the read position, is place 0 of the run.
        const Write w =
            place(length, frames(PlayTiming::kLead), From::ReadPosition, now + PlayTiming::kLead);
        m_writeIndex = w.frames;
        return w;
    }
    const std::int64_t at = frames(due - m_anchorDue);
    const Write w =
        place(length, at - m_writeIndex, From::WriteIndex, due + m_anchorShift + PlayTiming::kLead);
    m_writeIndex = at + w.frames;
    return w;
}

std::optional<StreamTimeline::Write> StreamTimeline::tail()
{
    const Clock::time_point closes = closesAt();
    if (m_writeTime >= closes + kTailBeyondClose / 2)
        return std::nullopt;
    const std::int64_t gap = frames(closes + kTailBeyondClose + 1s - m_writeTime);
    m_writeIndex += gap;
    m_writeTime += length(gap);
    return Write{gap - 1, From::WriteIndex, 1};
}

StreamTimeline::Clock::time_point StreamTimeline::closesAt() const
{
    return std::max(m_soundUntil, m_lastActivity) + m_idleClose;
}

} // namespace tessary
