#include "OutputFinder.h"

#include "PulseSamplePlayer.h"
#include "SdlSamplePlayer.h"

namespace tessary {

OutputChoice OutputFinder::find()
{
    OutputChoice c;
    if (auto pulse = PulseSamplePlayer::connect()) {
        c.player = std::move(pulse);
        c.kind = OutputChoice::Kind::SoundServer;
    } else if (auto sdl = std::make_unique<SdlSamplePlayer>(); sdl->openDevice()) {
        c.line = "no sound server answers; playing through SDL's " + sdl->driver() + " output";
        c.player = std::move(sdl);
        c.kind = OutputChoice::Kind::Sdl;
    } else {
        c.line = "no sound server answers and no audio device opens: every play is silent";
    }
    return c;
}

} // namespace tessary
