#include "OutputFinder.h"
#include "SampleDecoder.h"

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

// A sample decoded for a caller that has no decoder of its own (the window, joining a spelling's
// samples): handed to `take` while it lasts, at `rate` (0: the file's own); nothing is handed
// over for a file that cannot be played.
extern "C" __attribute__((visibility("default"))) void tessary_decode_sample(
    const char* path, int rate,
    void (*take)(const std::int16_t* samples, std::size_t frames, int rate, void* context),
    void* context)
{
    if (rate <= 0)
        rate = tessary::SampleDecoder::nativeRate(path);
    if (rate <= 0)
        return;
    if (const auto pcm = tessary::SampleDecoder::decode(path, rate))
        take(pcm->data(), pcm->size(), rate, context);
}
