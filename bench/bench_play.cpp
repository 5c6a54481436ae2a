// The cost of one play call, with the decoded sample cached and with a fresh decode.
#include "sound/players/SdlSamplePlayer.h"
#include "support/WavFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string samplePath()
{
    static const std::string path = [] {
        const auto dir = std::filesystem::temp_directory_path() / "tessary-bench-play";
        std::filesystem::create_directories(dir);
        const std::string p = (dir / "s300.wav").string();
        tessary::testing::writeWav(p, tessary::testing::toneBurst(300)); // 300 ms, 22050 Hz mono
        return p;
    }();
    return path;
}

void BM_PlayCached(benchmark::State& state)
{
    tessary::SdlSamplePlayer player;
    player.openDevice();
    const std::string path = samplePath();
    player.play(path);
    player.waitDecoded();
    for (auto _ : state)
        player.play(path);
}

void BM_PlayUncached(benchmark::State& state)
{
    const std::string path = samplePath();
    for (auto _ : state) {
        state.PauseTiming();
        auto player = std::make_unique<tessary::SdlSamplePlayer>();
        player->openDevice();
        state.ResumeTiming();
        player->play(path);
        state.PauseTiming();
        player.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_PlayCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayUncached)->Unit(benchmark::kMicrosecond)->Iterations(200);

int main(int argc, char** argv)
{
    // No sound card needed; the device is real SDL, its output discarded.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
