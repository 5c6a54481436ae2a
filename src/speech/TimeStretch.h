#pragma once

#include <cstddef>
#include <vector>

namespace tessary {

// Changes the length of a sound and keeps its pitch: WSOLA, an overlap-add of Hann-windowed
// frames, each taken from near where the time scale puts it, at the offset whose waveform best
// continues what was written before, so that the periods of a voiced sound line up and none is
// heard twice as an echo. Used to hold a vowel the chip holds twice as long and to bring a
// synthesiser's phones to the chip's durations.
class TimeStretch
{
public:
    // `in` brought to exactly `length` frames. Frames are about 20 ms at `rate`, fewer for a
    // sound too short for two of them; a sound shorter than a few periods is repeated whole
    // instead, which a frame search could not improve on.
    static std::vector<float> stretch(const std::vector<float>& in, std::size_t length, int rate);

    // A frame of the input and where it is to be in the output.
    struct Anchor
    {
        double in = 0;
        double out = 0;
    };
    // Each stretch between two anchors brought to its own length (`anchors` rising in both, the
    // first at 0 and 0, the last at the input's end and the output's length), in one pass, so
    // that the joins between the stretches are as smooth as the rest.
    static std::vector<float> stretch(const std::vector<float>& in,
                                      const std::vector<Anchor>& anchors, int rate);
};

} // namespace tessary
