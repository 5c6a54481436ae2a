#include "SoundOutput.h"

#include "PulseSamplePlayer.h"
#include "SdlSamplePlayer.h"

namespace tessary {

std::unique_ptr<SamplePlayer> SoundOutput::create()
{
    if (auto pulse = PulseSamplePlayer::connect())
        return pulse;
    return SdlSamplePlayer::create();
}

} // namespace tessary
