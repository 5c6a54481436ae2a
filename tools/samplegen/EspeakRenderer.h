#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::samplegen {

struct PhonemeEvent
{
    std::string name; // espeak-ng's own name for the phoneme
    int startMs = 0;  // where it starts in the audio
};

struct Rendering
{
    std::vector<std::int16_t> pcm;
    std::vector<PhonemeEvent> phonemes;
};

// espeak-ng, en-us on its Klatt synthesiser unless told otherwise, speaking phoneme strings
// synchronously into memory.
class EspeakRenderer
{
public:
    EspeakRenderer();
    ~EspeakRenderer();
    EspeakRenderer(const EspeakRenderer&) = delete;
    EspeakRenderer& operator=(const EspeakRenderer&) = delete;

    int sampleRate() const { return m_sampleRate; }
    // `voice` empty: the set's own voice.
    Rendering render(const std::string& phonemes, int wordsPerMinute, const std::string& voice);

private:
    void useVoice(const std::string& name);

    int m_sampleRate = 0;
    std::string m_voice;
};

} // namespace tessary::samplegen
