#include "SpeakSequencer.h"

namespace tessary {

SpeakSequencer::SpeakSequencer(Pace& pace, Hooks hooks) : m_pace(pace), m_hooks(std::move(hooks)) {}

SpeakSequencer::Clock::time_point SpeakSequencer::now() const
{
    return m_hooks.now ? m_hooks.now() : Clock::now();
}

void SpeakSequencer::speak()
{
    if (m_speaking)
        return;
    if (m_hooks.moveFocusToSink)
        m_hooks.moveFocusToSink();
    if (m_hooks.captureSpeakBuffer)
        m_hooks.captureSpeakBuffer();
    m_speaking = true;
    if (m_hooks.showSpeaking)
        m_hooks.showSpeaking(true);
    m_step = 0;
    m_due = now();
    beginStep();
}

void SpeakSequencer::timerTick()
{
    if (!m_speaking)
        return;
    if (m_step < kSteps) {
        beginStep();
        return;
    }
    m_speaking = false;
    m_step = 0;
    if (m_hooks.showSpeaking)
        m_hooks.showSpeaking(false);
}

void SpeakSequencer::stop()
{
    if (!m_speaking)
        return;
    m_speaking = false;
    m_step = 0;
    if (m_hooks.showSpeaking)
        m_hooks.showSpeaking(false);
}

void SpeakSequencer::beginStep()
{
    ++m_step;
    const Clock::time_point started = now();
    if (started - m_due > PlayTiming::kStepLateness)
        m_due = started; // busy: this step and the rest are timed from now, never hurried
    if (m_hooks.playStem)
        m_hooks.playStem(m_hooks.speakEntry ? m_hooks.speakEntry(m_step) : std::string(), m_due);
    WaitOneStep(started);
}

void SpeakSequencer::WaitOneStep(Clock::time_point started)
{
    // The pace is read as the wait begins: a change during this wait applies to the next one.
    m_due += std::chrono::milliseconds(m_pace.StepInterval());
    // Rounded up: a step may start a little late, never early.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_due - started);
    if (m_hooks.armTimer)
        m_hooks.armTimer(std::max(left, std::chrono::milliseconds(0)));
}

} // namespace tessary
