// What joining a spelling as the chip joins it costs: the window's Listen does it on a click,
// `say` a piece at a time. Reported as the time for a word and as seconds of speech joined per
// second of work.
#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "speech/JoinedSpeech.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

// A spelling of `words` copies of "hello there", each sample a tone of its chip length.
std::vector<tessary::JoinedSpeech::Part> parts(int words)
{
    const std::vector<std::string> word = {"hh1", "eh", "ll", "ow", "pa1",
                                           "dh1", "eh", "eh", "xr", "pa1"};
    std::vector<tessary::JoinedSpeech::Part> out;
    long long at = 0;
    for (int w = 0; w < words; ++w) {
        for (const std::string& m : word) {
            const auto* e = tessary::AllophoneTable::FindByMnemonic(m);
            const long long chip =
                std::llround(tessary::ChipDurations::chipMs(e->code) * kRate / 1000);
            auto pcm = std::make_shared<tessary::JoinedSpeech::Pcm>(static_cast<std::size_t>(chip));
            for (long long i = 0; i < chip; ++i)
                (*pcm)[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
                    8000 *
                    std::sin(2 * std::numbers::pi * (120 + 10 * e->code) * double(i) / kRate));
            out.push_back({m, std::move(pcm), at, chip});
            at += chip;
        }
    }
    return out;
}

void BM_JoinSpelling(benchmark::State& state)
{
    const auto spelling = parts(static_cast<int>(state.range(0)));
    const double seconds = double(spelling.back().start + spelling.back().chip) / kRate;
    for (auto _ : state)
        benchmark::DoNotOptimize(tessary::JoinedSpeech::shares(spelling, kRate));
    state.counters["speech_s_per_s"] =
        benchmark::Counter(seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_JoinSpelling)->Arg(1)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
