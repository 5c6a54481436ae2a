#include "SoundOutput.h"

#include "PulseSamplePlayer.h"
#include "SdlSamplePlayer.h"
#include "speech/SilentPlayer.h"

namespace tessary {

std::unique_ptr<SamplePlayer> SoundOutput::create(bool* silent)
{
    if (silent)
        *silent = false;
    if (auto pulse = PulseSamplePlayer::connect())
        return pulse;
    auto sdl = std::make_unique<SdlSamplePlayer>();
    if (sdl->available())
        return sdl;
    if (silent)
        *silent = true;
    return std::make_unique<SilentPlayer>();
}

} // namespace tessary
