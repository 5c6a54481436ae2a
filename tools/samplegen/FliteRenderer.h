#pragma once

#include "EspeakRenderer.h"

#include <map>
#include <string>

struct cst_voice_struct;

namespace tessary::samplegen {

// flite, speaking English words with one of its voices ("rms", "slt", "awb", "kal16"), with the
// segments it spoke and where they start, resampled to the set's rate. Its segments are named
// in the CMU phone set ("hh", "ng", "ax").
class FliteRenderer
{
public:
    explicit FliteRenderer(int sampleRate);
    FliteRenderer(const FliteRenderer&) = delete;
    FliteRenderer& operator=(const FliteRenderer&) = delete;

    // `wordsPerMinute` as espeak-ng takes it: slower speech stretches the segments.
    Rendering render(const std::string& text, int wordsPerMinute, const std::string& voice);

private:
    cst_voice_struct* voice(const std::string& name);

    int m_sampleRate;
    std::map<std::string, cst_voice_struct*> m_voices;
};

} // namespace tessary::samplegen
