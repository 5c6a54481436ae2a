#pragma once

#include "speech/SamplePlayer.h"

#include <memory>
#include <string>

namespace tessary {

// The player for this machine, as found: the sound server when one answers, SDL's audio (plain
// ALSA) when none does, nothing when nothing can play; with one line for the user when it is
// not the server.
struct OutputChoice
{
    enum class Kind {
        SoundServer,
        Sdl,
        None,
    };

    std::unique_ptr<SamplePlayer> player;
    Kind kind = Kind::None;
    std::string line;

    // Looks for it; takes as long as the server or the device take to answer.
    static OutputChoice find();
};

} // namespace tessary
