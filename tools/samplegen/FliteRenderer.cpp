#include "FliteRenderer.h"

extern "C" {
#include <flite/flite.h>
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace tessary::samplegen {

namespace {

constexpr int kNaturalRate = 175; // espeak-ng's words per minute that flite's own pace stands for
constexpr int kTaps = 24;         // each side of the resampling filter

// Band-limited resampling (a Hann-windowed sinc, cut off below the lower Nyquist frequency),
// so that the set stays at one rate whatever a voice speaks at. The output's positions between
// input samples repeat every to/gcd(from, to) samples: the filter is worked out once for each.
std::vector<std::int16_t> resample(const short* in, std::size_t count, int from, int to)
{
    if (from == to)
        return {in, in + count};
    const long phases = to / std::gcd(from, to);
    const double cutoff = std::min(1.0, double(to) / from) * 0.95;
    std::vector<double> filter(std::size_t(phases) * 2 * kTaps);
    for (long p = 0; p < phases; ++p) {
        const double frac = double(p * from % to) / to;
        for (int j = 0; j < 2 * kTaps; ++j) {
            const double x =
                frac + kTaps - 1 - j; // distance from input sample floor(t) - (kTaps - 1) + j
            const double sinc =
                x == 0 ? 1.0
                       : std::sin(std::numbers::pi * cutoff * x) / (std::numbers::pi * cutoff * x);
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * x / (kTaps + 1));
            filter[std::size_t(p * 2 * kTaps + j)] = cutoff * sinc * window;
        }
    }
    const std::size_t outCount = count * std::size_t(to) / std::size_t(from);
    std::vector<std::int16_t> out(outCount);
    for (std::size_t n = 0; n < outCount; ++n) {
        const long first = long(n * std::size_t(from) / std::size_t(to)) - (kTaps - 1);
        const double* f = &filter[std::size_t(long(n) % phases) * 2 * kTaps];
        double sum = 0;
        for (int j = 0; j < 2 * kTaps; ++j) {
            const long k = first + j;
            if (k >= 0 && k < long(count))
                sum += in[k] * f[j];
        }
        out[n] = static_cast<std::int16_t>(std::clamp(std::lround(sum), -32768L, 32767L));
    }
    return out;
}

} // namespace

FliteRenderer::FliteRenderer(int sampleRate) : m_sampleRate(sampleRate)
{
    flite_init();
}

cst_voice* FliteRenderer::voice(const std::string& name)
{
    if (const auto v = m_voices.find(name); v != m_voices.end())
        return v->second;
    cst_voice* v = name == "rms"     ? register_cmu_us_rms(nullptr)
                   : name == "slt"   ? register_cmu_us_slt(nullptr)
                   : name == "awb"   ? register_cmu_us_awb(nullptr)
                   : name == "kal16" ? register_cmu_us_kal16(nullptr)
                                     : nullptr;
    if (!v)
        throw std::runtime_error("flite has no voice " + name);
    return m_voices[name] = v;
}

Rendering FliteRenderer::render(const std::string& text, int wordsPerMinute,
                                const std::string& voiceName)
{
    cst_voice* v = voice(voiceName);
    feat_set_float(v->features, "duration_stretch", float(kNaturalRate) / float(wordsPerMinute));
    // flite's voices draw their noise excitation from rand(): seeded, as espeak-ng is, so that
    // the set does not depend on what else drew from it first.
    std::srand(1);
    const std::unique_ptr<cst_utterance, void (*)(cst_utterance*)> utt(
        flite_synth_text(text.c_str(), v), &delete_utterance);
    const cst_wave* wave = utt ? utt_wave(utt.get()) : nullptr;
    if (!wave || wave->num_channels != 1)
        throw std::runtime_error("flite could not speak '" + text + "'");
    Rendering out;
    out.pcm =
        resample(wave->samples, std::size_t(wave->num_samples), wave->sample_rate, m_sampleRate);
    double start = 0;
    for (const cst_item* s = relation_head(utt_relation(utt.get(), "Segment")); s;
         s = item_next(s)) {
        out.phonemes.push_back({item_feat_string(s, "name"), int(std::lround(start * 1000))});
        start = item_feat_float(s, "end");
    }
    return out;
}

} // namespace tessary::samplegen
