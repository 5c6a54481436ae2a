#include "OutputFinder.h"

#include <cstddef>
#include <cstring>

// The entry of the sound module, which the window loads once it is up (see SoundModule): the
// player, its kind and the line, across a plain C boundary.
extern "C" __attribute__((visibility("default"))) tessary::SamplePlayer*
tessary_find_output(int* kind, char* line, std::size_t lineSize)
{
    tessary::OutputChoice c = tessary::OutputFinder::find();
    *kind = static_cast<int>(c.kind);
    if (lineSize > 0) {
        std::strncpy(line, c.line.c_str(), lineSize - 1);
        line[lineSize - 1] = '\0';
    }
    return c.player.release();
}
