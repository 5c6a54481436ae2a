#pragma once

#include <string>

namespace tessary {

// The one sound operation: start the wave file at `path`, cutting off whatever sounds, and return
// at once. A file that cannot be played is silence; nothing is reported.
class SamplePlayer
{
public:
    virtual ~SamplePlayer() = default;
    virtual void play(const std::string& path) = 0;
    // Gets ready to sound (opens the device) so that the first play is not the slow one.
    virtual void prepare() {}
};

} // namespace tessary
