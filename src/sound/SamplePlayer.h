#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tessary {

// The one sound operation: start the wave file at `path`, cutting off whatever sounds, and return
// at once. A file that cannot be played is silence; nothing is reported.
class SamplePlayer
{
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SamplePlayer() = default;
    virtual void play(const std::string& path) = 0;
    // A play meant to start at `due`. A player that keeps a timeline of its own places the sample
    // there, so that SPEAK's onsets are exactly one pace apart whatever the timer's lateness; one
    // that cannot simply plays it now.
    virtual void playAt(const std::string& path, Clock::time_point due)
    {
        static_cast<void>(due);
        play(path);
    }
    // Gets ready to sound (opens the device) so that the first play is not the slow one.
    virtual void prepare() {}
    // Files that are likely to be played soon: a player may decode them in the background.
    virtual void preload(const std::vector<std::string>& paths) { static_cast<void>(paths); }
};

} // namespace tessary
