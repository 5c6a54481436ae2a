// Drives a PulseSamplePlayer for test_pulse_player.py, one step per argument:
//   click:PATH          play now, once its sample is decoded; prints "click NS" (steady clock)
//   run:PATH:N:PACE     N timed plays PACE ms apart, each handed over at its due time
//   sleep:MS            wait
//   open?               prints "open 1" or "open 0": whether the stream is open
//   churn:PATH:N        N times: a new player, a play, and at once its end
// The player's idle close comes from --idle-close MS (first argument), else one second.
#include "sound/players/PulseSamplePlayer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace tessary;
using Clock = SamplePlayer::Clock;

namespace {

std::vector<std::string> fields(const std::string& step)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t colon; (colon = step.find(':', from)) != std::string::npos; from = colon + 1)
        out.push_back(step.substr(from, colon - from));
    out.push_back(step.substr(from));
    return out;
}

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> steps(argv + 1, argv + argc);
    PulseSamplePlayer::Options options;
    if (steps.size() >= 2 && steps[0] == "--idle-close") {
        options.idleClose = std::chrono::milliseconds(std::atoi(steps[1].c_str()));
        steps.erase(steps.begin(), steps.begin() + 2);
    }
    auto player = PulseSamplePlayer::connect(options);
    if (!player) {
        std::fprintf(stderr, "no sound server answers\n");
        return 1;
    }
    for (const std::string& step : steps) {
        const std::vector<std::string> f = fields(step);
        if (f[0] == "click") {
            player->preload({f[1]});
            player->waitDecoded();
            std::printf("click %lld\n", nowNs());
            player->play(f[1]);
        } else if (f[0] == "run") {
            const int n = std::atoi(f[2].c_str());
            const auto pace = std::chrono::milliseconds(std::atoi(f[3].c_str()));
            player->preload({f[1]});
            player->waitDecoded();
            const Clock::time_point start = Clock::now();
            for (int k = 0; k < n; ++k) {
                std::this_thread::sleep_until(start + k * pace);
                player->playAt(f[1], start + k * pace);
            }
        } else if (f[0] == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(f[1].c_str())));
        } else if (f[0] == "open?") {
            std::printf("open %d\n", player->streamOpen() ? 1 : 0);
        } else if (f[0] == "churn") {
            const int n = std::atoi(f[2].c_str());
            for (int k = 0; k < n; ++k) {
                auto p = PulseSamplePlayer::connect(options);
                if (!p)
                    return 1;
                p->play(f[1]); // the stream is still opening when the player goes
            }
            std::printf("churned %d\n", n);
        } else {
            std::fprintf(stderr, "unknown step %s\n", step.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
