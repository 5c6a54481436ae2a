#pragma once

#include "sound/OutputChoice.h"

namespace tessary {

// Finds this machine's output among the players: the sound server's, else SDL's audio.
struct OutputFinder
{
    // Takes as long as the server or the device take to answer.
    static OutputChoice find();
};

} // namespace tessary
