#pragma once

#include "SamplePlayer.h"

#include <memory>
#include <string>

namespace tessary {

// The player for this machine, as found (OutputFinder, in the players): the sound server when
// one answers, SDL's audio (plain ALSA) when none does, nothing when nothing can play; with one
// line for the user when it is not the server.
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
};

} // namespace tessary
