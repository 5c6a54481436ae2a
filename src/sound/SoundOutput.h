#pragma once

#include "speech/SamplePlayer.h"

#include <memory>

namespace tessary {

// Picks the player for this machine: the sound server when one answers, SDL's audio (plain ALSA)
// when none does, silence when there is no sound at all.
class SoundOutput
{
public:
    // `silent`, when given, tells whether no sound output at all was found.
    static std::unique_ptr<SamplePlayer> create(bool* silent = nullptr);
};

} // namespace tessary
