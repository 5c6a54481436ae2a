#include "EspeakRenderer.h"

#include <espeak-ng/speak_lib.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tessary::samplegen {

namespace {

int collect(short* wav, int count, espeak_EVENT* events)
{
    auto* out = static_cast<Rendering*>(events ? events->user_data : nullptr);
    if (!out)
        return 0;
    if (wav && count > 0)
        out->pcm.insert(out->pcm.end(), wav, wav + count);
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type != espeakEVENT_PHONEME)
            continue;
        char name[sizeof e->id.string + 1] = {};
        std::memcpy(name, e->id.string, sizeof e->id.string);
        out->phonemes.push_back({name, e->audio_position});
    }
    return 0;
}

constexpr const char* kVoice = "en-us+klatt";

} // namespace

EspeakRenderer::EspeakRenderer()
{
    m_sampleRate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, espeakINITIALIZE_PHONEME_EVENTS);
    if (m_sampleRate <= 0)
        throw std::runtime_error("espeak-ng did not start (is espeak-ng-data installed?)");
    // American English on espeak-ng's Klatt formant synthesiser unless a recipe names another:
    // of espeak-ng's voices, the one whose cuts the listening judge understood best.
    useVoice(kVoice);
    espeak_SetSynthCallback(&collect);
}

EspeakRenderer::~EspeakRenderer()
{
    espeak_Terminate();
}

void EspeakRenderer::useVoice(const std::string& name)
{
    if (name == m_voice)
        return;
    if (espeak_SetVoiceByName(name.c_str()) != EE_OK)
        throw std::runtime_error("espeak-ng has no voice " + name);
    m_voice = name;
}

Rendering EspeakRenderer::render(const std::string& phonemes, int wordsPerMinute,
                                 const std::string& voice)
{
    useVoice(voice.empty() ? kVoice : voice);
    Rendering out;
    espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
    // espeak-ng 1.51's Klatt voice draws its noise from rand(): seeded here, each sound is the
    // same whatever else in the process drew from it first (libpulse does, when it first makes
    // its folder in ~/.config), so the set is made alike on every machine.
    std::srand(1);
    const std::string text = "[[" + phonemes + "]]";
    if (espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8 | espeakPHONEMES, nullptr, &out) != EE_OK ||
        espeak_Synchronize() != EE_OK)
        throw std::runtime_error("espeak-ng could not speak [[" + phonemes + "]]");
    return out;
}

} // namespace tessary::samplegen
