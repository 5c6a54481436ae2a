#pragma once

#include "SamplePlayer.h"

namespace tessary {

// Used where there is no sound at all; every play is silence.
class SilentPlayer final : public SamplePlayer
{
public:
    void play(const std::string&) override {}
};

} // namespace tessary
