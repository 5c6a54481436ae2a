#pragma once

#include "Pace.h"
#include "sound/PlayTiming.h"

#include <chrono>
#include <functional>
#include <string>

namespace tessary {

// SPEAK: plays the 30 entries of the SpeakBuffer in slot order, one pace apart, and never blocks.
// Each step plays its entry as it reads when the step begins, then arms the step timer; the
// timer's tick begins the next step, and the tick after the 30th ends the run. Between ticks the
// program sits in its event loop, so every other control stays usable.
//
// Steps are timed from the moment each one was due, not from when its tick happened to be
// delivered, so timer latency does not add up over a run. A step that starts more than
// PlayTiming::kStepLateness after it was due (the program was busy) is timed from its real start
// instead: the run is then longer, never hurried.
class SpeakSequencer
{
public:
    using Clock = std::chrono::steady_clock;
    // One step a slot.
    static constexpr int kSteps = 30;

    struct Hooks
    {
        std::function<void()> moveFocusToSink;
        // SPEAK records the slots' texts as the run begins, then reads entry n (1..30) as
        // step n begins: an edit of a slot still to come is heard.
        std::function<void()> captureSpeakBuffer;
        std::function<std::string(int n)> speakEntry;
        // `due` is when the step was due to begin: the player places the sample there.
        std::function<void(const std::string& stem, Clock::time_point due)> playStem;
        std::function<void(bool speaking)> showSpeaking;         // disable "SPEAK" and relabel it
        std::function<void(std::chrono::milliseconds)> armTimer; // Timer1 on, ticks once
        std::function<Clock::time_point()> now;                  // steady_clock::now when empty
    };

    explicit SpeakSequencer(Pace& pace, Hooks hooks = {});
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // The click of "SPEAK": focus rule, capture, then the first step. Ignored during a run.
    void speak();
    // The tick of Timer1.
    void timerTick();
    // Escape: the run ends now, the step under way the last (its sample plays out).
    void stop();

    bool speaking() const { return m_speaking; }
    // 1..30 during a run: the step whose wait is under way.
    int step() const { return m_step; }

private:
    void beginStep();
    void WaitOneStep(Clock::time_point started);
    Clock::time_point now() const;

    Pace& m_pace;
    Hooks m_hooks;
    bool m_speaking = false;
    int m_step = 0;
    Clock::time_point m_due{}; // when the current step was due to begin
};

} // namespace tessary
