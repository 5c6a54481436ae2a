// Sound through a private PulseAudio server (a null sink at 44100 Hz that this program starts),
// the project's player beside a direct low-latency libpulse stream (tlength 5 ms, prebuffering
// 0, written at the read position) in the same run:
//   - time from the play call to the sample's first frame at the sink, both players;
//   - SPEAK at 50 ms through the real sequencer: intervals between onsets at the sink;
//   - CPU of this program and of the server from 2 s after a sound, over 8 s;
//   - the cost of one play call, with the sample decoded and for a file never seen.
// The sink's monitor is recorded in-process; wall time and the sink's clock are tied together
// by the earliest-arriving recorded block, so absolute latencies carry the monitor's own small
// delay, and differences between the two players do not.
//
// Printed, not asserted. Needs `pulseaudio` (Debian's pulseaudio package). Another running
// server, such as PipeWire's pulse service, is measured with
//     bench_sound --server unix:/run/user/1000/pulse/native --server-pid PID [--server-pid PID]
// which loads a null sink into it (pactl) and sums the CPU of the processes given.
#include "composer/SlotRow.h"
#include "sound/players/PulseSamplePlayer.h"
#include "speech/Pace.h"
#include "speech/SampleSet.h"
#include "speech/SpeakSequencer.h"
#include "speech/Speaker.h"
#include "support/WavFile.h"

#include <QCoreApplication>
#include <QTimer>

#include <pulse/pulseaudio.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kRate = 44100;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Stats
{
    double mean = 0, min = 0, max = 0, sd = 0, median = 0, p99 = 0;
};

Stats stats(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.min = v.front();
    s.max = v.back();
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    for (double x : v)
        s.sd += (x - s.mean) * (x - s.mean);
    s.sd = std::sqrt(s.sd / static_cast<double>(v.size()));
    return s;
}

// CPU time of all threads of a process, in seconds, from the scheduler's nanosecond counts.
double cpuSeconds(pid_t pid)
{
    double total = 0;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream stat(task.path() / "schedstat");
        double ns = 0;
        if (stat >> ns)
            total += ns / 1e9;
    }
    return total;
}

// The private server, in a folder of its own; PULSE_SERVER points this process at it.
class Server
{
public:
    explicit Server(const fs::path& dir) : m_dir(dir)
    {
        fs::create_directories(dir);
        const std::string socket = (dir / "native").string();
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        setenv("PULSE_RUNTIME_PATH", dir.c_str(), 1);
        const std::string proto =
            "module-native-protocol-unix socket=" + socket + " auth-anonymous=1";
        const std::string sink =
            "module-null-sink sink_name=bench rate=" + std::to_string(kRate) + " channels=2";
        std::vector<std::string> args = {"pulseaudio",
                                         "-n",
                                         "--daemonize=no",
                                         "--exit-idle-time=-1",
                                         "--use-pid-file=no",
                                         "--log-level=error",
                                         "-L",
                                         proto,
                                         "-L",
                                         sink};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&m_pid, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = 0;
        for (int i = 0; i < 100 && !fs::exists(socket); ++i)
            std::this_thread::sleep_for(50ms);
        std::this_thread::sleep_for(200ms);
    }
    // A server that runs already: a null sink of ours in it, made its default for the run. The
    // server's own default sink and our module go back as they were when the bench ends.
    Server(const std::string& address, std::vector<pid_t> processes)
        : m_external(std::move(processes))
    {
        setenv("PULSE_SERVER", address.c_str(), 1);
        m_previousSink = output("pactl get-default-sink");
        m_module = output("pactl load-module module-null-sink sink_name=bench rate=" +
                          std::to_string(kRate) + " channels=2");
        if (m_module.empty() || std::system("pactl set-default-sink bench") != 0)
            m_external.clear();
        std::this_thread::sleep_for(200ms);
    }
    ~Server()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            fs::remove_all(m_dir);
        }
        // What cannot be put back is said, so that the user knows to do it by hand.
        if (!m_previousSink.empty() &&
            std::system(("pactl set-default-sink '" + m_previousSink + "'").c_str()) != 0)
            std::printf("could not make %s the default sink again\n", m_previousSink.c_str());
        if (!m_module.empty() && std::system(("pactl unload-module " + m_module).c_str()) != 0)
            std::printf("could not unload module %s (the bench's null sink)\n", m_module.c_str());
    }
    bool running() const { return m_pid > 0 || !m_external.empty(); }
    double cpu() const
    {
        double total = m_pid > 0 ? cpuSeconds(m_pid) : 0;
        for (pid_t p : m_external)
            total += cpuSeconds(p);
        return total;
    }

private:
    // A command's standard output, its last newline gone; empty when it failed.
    static std::string output(const std::string& command)
    {
        std::string text;
        if (FILE* p = popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, p))
                text += buffer;
            if (pclose(p) != 0)
                text.clear();
        }
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    fs::path m_dir;
    pid_t m_pid = 0;
    std::vector<pid_t> m_external;
    std::string m_previousSink;
    std::string m_module;
};

// The bench's own connection: the monitor recording and the direct stream.
class Probe
{
public:
    Probe()
    {
        m_loop = pa_threaded_mainloop_new();
        m_ctx = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "bench");
        pa_context_set_state_callback(
            m_ctx,
            [](pa_context*, void* l) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(l), 0);
            },
            m_loop);
        pa_threaded_mainloop_lock(m_loop);
        pa_threaded_mainloop_start(m_loop);
        pa_context_connect(m_ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        while (pa_context_get_state(m_ctx) != PA_CONTEXT_READY &&
               PA_CONTEXT_IS_GOOD(pa_context_get_state(m_ctx)))
            pa_threaded_mainloop_wait(m_loop);

        const pa_sample_spec mono{PA_SAMPLE_S16NE, kRate, 1};
        const std::uint32_t bytes5ms = kRate / 200 * 2;
        pa_buffer_attr rec{};
        rec.maxlength = static_cast<std::uint32_t>(-1);
        rec.fragsize = kRate / 1000 * 2; // 1 ms blocks
        m_rec = pa_stream_new(m_ctx, "monitor", &mono, nullptr);
        pa_stream_set_read_callback(m_rec, &Probe::onRead, this);
        pa_stream_connect_record(m_rec, "bench.monitor", &rec, PA_STREAM_ADJUST_LATENCY);

        pa_buffer_attr play{};
        play.maxlength = static_cast<std::uint32_t>(-1);
        play.tlength = bytes5ms;
        play.prebuf = 0;
        play.minreq = static_cast<std::uint32_t>(-1);
        m_direct = pa_stream_new(m_ctx, "direct", &mono, nullptr);
        pa_stream_connect_playback(m_direct, nullptr, &play, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr);
        while (pa_stream_get_state(m_rec) != PA_STREAM_READY ||
               pa_stream_get_state(m_direct) != PA_STREAM_READY) {
            pa_threaded_mainloop_unlock(m_loop);
            std::this_thread::sleep_for(5ms);
            pa_threaded_mainloop_lock(m_loop);
        }
        pa_threaded_mainloop_unlock(m_loop);
    }
    ~Probe()
    {
        pa_threaded_mainloop_stop(m_loop);
        pa_stream_disconnect(m_rec);
        pa_stream_unref(m_rec);
        pa_stream_disconnect(m_direct);
        pa_stream_unref(m_direct);
        pa_context_disconnect(m_ctx);
        pa_context_unref(m_ctx);
        pa_threaded_mainloop_free(m_loop);
    }

    void playDirect(const std::vector<std::int16_t>& pcm)
    {
        pa_threaded_mainloop_lock(m_loop);
        pa_stream_write(m_direct, pcm.data(), pcm.size() * 2, nullptr, 0, PA_SEEK_RELATIVE_ON_READ);
        pa_threaded_mainloop_unlock(m_loop);
    }

    // Recorded frames, and the wall time of frame 0.
    std::vector<std::int16_t> recorded(Clock::time_point& frameZero)
    {
        std::lock_guard lock(m_mutex);
        frameZero = m_frameZero;
        return m_frames;
    }
    std::size_t recordedFrames()
    {
        std::lock_guard lock(m_mutex);
        return m_frames.size();
    }

private:
    static void onRead(pa_stream* s, std::size_t, void* userdata)
    {
        auto* self = static_cast<Probe*>(userdata);
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &bytes) == 0) {
            const auto now = Clock::now();
            std::lock_guard lock(self->m_mutex);
            const std::size_t n = bytes / 2;
            if (data) {
                const auto* p = static_cast<const std::int16_t*>(data);
                self->m_frames.insert(self->m_frames.end(), p, p + n);
            } else {
                self->m_frames.resize(self->m_frames.size() + n, 0); // a hole
            }
            // The block that arrived soonest after its last frame was made ties the clocks.
            const auto zero = now - std::chrono::nanoseconds(static_cast<long long>(
                                        self->m_frames.size() * 1'000'000'000ULL / kRate));
            if (self->m_frameZero == Clock::time_point{} || zero < self->m_frameZero)
                self->m_frameZero = zero;
            pa_stream_drop(s);
        }
    }

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_ctx = nullptr;
    pa_stream* m_rec = nullptr;
    pa_stream* m_direct = nullptr;
    std::mutex m_mutex;
    std::vector<std::int16_t> m_frames;
    Clock::time_point m_frameZero{};
};

// Frames where sound starts after at least `quiet` frames of silence, from `from` on.
std::vector<std::size_t> onsets(const std::vector<std::int16_t>& v, std::size_t from = 0,
                                std::size_t quiet = 200)
{
    std::vector<std::size_t> found;
    std::size_t zeros = quiet;
    for (std::size_t i = from; i < v.size(); ++i) {
        if (v[i] == 0) {
            ++zeros;
            continue;
        }
        if (zeros >= quiet)
            found.push_back(i);
        zeros = 0;
    }
    return found;
}

std::vector<std::int16_t> burst(int msLong)
{
    return tessary::testing::toneBurst(msLong, kRate);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const fs::path dir =
        fs::temp_directory_path() / ("tessary-bench-sound-" + std::to_string(getpid()));
    std::string address;
    std::vector<pid_t> processes;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--server")
            address = argv[i + 1];
        else if (std::string(argv[i]) == "--server-pid")
            processes.push_back(static_cast<pid_t>(std::atoi(argv[i + 1])));
    }
    auto server = address.empty() ? std::make_unique<Server>(dir / "server")
                                  : std::make_unique<Server>(address, processes);
    if (!server->running()) {
        std::puts("no server to measure: pulseaudio could not be started, or pactl failed");
        return 1;
    }
    auto ownedProbe = std::make_unique<Probe>();
    Probe& probe = *ownedProbe;
    tessary::PulseSamplePlayer::Options options;
    auto owned = tessary::PulseSamplePlayer::connect(options);
    if (!owned) {
        std::puts("the player found no server");
        return 1;
    }
    tessary::PulseSamplePlayer& player = *owned;
    std::printf("sink rate %d Hz\n", player.rate());
    // A new recording delivers nothing for about a second: start once data flows.
    for (int i = 0; i < 500 && probe.recordedFrames() < kRate / 10; ++i)
        std::this_thread::sleep_for(10ms);

    const fs::path set = dir / "Set";
    fs::create_directories(set);
    const auto sample = burst(20);
    tessary::testing::writeWav((set / "eh.wav").string(), sample, kRate);
    const std::string path = (set / "eh.wav").string();
    player.play(path); // decoded once, and the stream opened
    player.waitDecoded();
    std::this_thread::sleep_for(300ms);

    // 1. Click to sound: the player, then 60 ms later the direct stream, 40 times.
    std::vector<Clock::time_point> calls;
    std::vector<Clock::time_point> directCalls;
    for (int i = 0; i < 40; ++i) {
        calls.push_back(Clock::now());
        player.play(path);
        std::this_thread::sleep_for(60ms);
        directCalls.push_back(Clock::now());
        probe.playDirect(sample);
        std::this_thread::sleep_for(90ms);
    }
    // The monitor's data arrives late at first: wait until it covers everything played.
    const auto waitRecorded = [&](Clock::time_point until) {
        for (int i = 0; i < 500; ++i) {
            Clock::time_point z;
            const auto frames = probe.recorded(z).size();
            if (z + std::chrono::nanoseconds(
                        static_cast<long long>(frames * 1'000'000'000ULL / kRate)) >=
                until)
                return;
            std::this_thread::sleep_for(10ms);
        }
    };
    // The first recorded frame at or after `t`.
    const auto frameAt = [](Clock::time_point zero, Clock::time_point t) {
        return static_cast<std::size_t>(std::max(0.0, ms(t - zero) * kRate / 1000));
    };
    waitRecorded(Clock::now());
    Clock::time_point zero;
    auto rec = probe.recorded(zero);
    auto heard = onsets(rec, frameAt(zero, calls.front()));
    if (heard.size() == 80) {
        std::vector<double> own, direct, diff;
        for (std::size_t i = 0; i < 40; ++i) {
            const auto at = [&](std::size_t f) {
                return zero + std::chrono::nanoseconds(
                                  static_cast<long long>(f * 1'000'000'000ULL / kRate));
            };
            own.push_back(ms(at(heard[2 * i]) - calls[i]));
            direct.push_back(ms(at(heard[2 * i + 1]) - directCalls[i]));
            // On the sink's clock alone: the gap between the two onsets against the calls' gap.
            diff.push_back((static_cast<double>(heard[2 * i + 1] - heard[2 * i]) * 1000.0 / kRate) -
                           ms(directCalls[i] - calls[i]));
        }
        const Stats o = stats(own), d = stats(direct), g = stats(diff);
        // The monitor hears what the sink renders, a little ahead of when it plays: these
        // absolute figures share that offset; the difference between the players does not.
        std::printf("click to first frame at the sink, on the monitor's clock (ms): player "
                    "median %.2f worst %.2f; direct median %.2f worst %.2f\n",
                    o.median, o.max, d.median, d.max);
        std::printf("player behind the direct stream on the sink's clock (ms): median %.2f "
                    "worst %.2f\n",
                    -g.median, -g.min);
    } else {
        std::printf("click to sound: expected 80 onsets, heard %zu\n", heard.size());
    }

    // The first click after the stream was closed for idleness: it opens the stream first.
    {
        std::vector<double> diff;
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(options.idleClose + 500ms);
            const auto call = Clock::now();
            player.play(path);
            std::this_thread::sleep_for(60ms);
            const auto directCall = Clock::now();
            probe.playDirect(sample);
            std::this_thread::sleep_for(90ms);
            waitRecorded(Clock::now());
            rec = probe.recorded(zero);
            const auto two = onsets(rec, frameAt(zero, call));
            if (two.size() >= 2)
                diff.push_back(ms(directCall - call) -
                               static_cast<double>(two[1] - two[0]) * 1000.0 / kRate);
        }
        const Stats c = stats(diff);
        std::printf("first click after an idle close, behind the direct stream (ms): %zu of 5 "
                    "heard, median %.2f worst %.2f\n",
                    diff.size(), c.median, c.max);
    }

    // 2. SPEAK at 50 ms through the real sequencer, 30 filled slots.
    tessary::SlotRow row{tessary::SlotRow::Hooks{}};
    for (int n = 1; n <= tessary::SlotRow::kSlotCount; ++n)
        row.setSlotText(n, "eh");
    tessary::Pace pace;
    auto speakerPlayer = std::move(owned);
    tessary::Speaker speaker(tessary::SampleSet(set.string() + "/"), std::move(speakerPlayer));
    tessary::SpeakSequencer sequencer(pace);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    tessary::SpeakSequencer::Hooks hooks;
    hooks.captureSpeakBuffer = [&] { row.captureSpeakBuffer(); };
    hooks.speakEntry = [&](int n) { return row.speakEntry(n); };
    hooks.playStem = [&](const std::string& stem, Clock::time_point due) {
        speaker.playStemAt(stem, due);
    };
    hooks.armTimer = [&](std::chrono::milliseconds d) { timer.start(d); };
    sequencer.setHooks(hooks);
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        sequencer.timerTick();
        if (!sequencer.speaking())
            app.quit();
    });
    std::this_thread::sleep_for(300ms);
    const auto speakBegan = Clock::now();
    sequencer.speak();
    app.exec();
    std::this_thread::sleep_for(200ms);
    waitRecorded(Clock::now());
    rec = probe.recorded(zero);
    heard = onsets(rec, frameAt(zero, speakBegan));
    std::vector<double> gaps;
    for (std::size_t i = 1; i < heard.size(); ++i)
        gaps.push_back(static_cast<double>(heard[i] - heard[i - 1]) * 1000.0 / kRate);
    const Stats sp = stats(gaps);
    std::printf("SPEAK at 50 ms: %zu onsets; intervals (ms) mean %.3f min %.3f max %.3f sd %.3f\n",
                heard.size(), sp.mean, sp.min, sp.max, sp.sd);

    // 3. Idle: from 2 s after the last sound, over 8 s, with the bench's own streams gone.
    ownedProbe.reset();
    std::this_thread::sleep_for(2s);
    const double own0 = cpuSeconds(getpid()), srv0 = server->cpu();
    std::this_thread::sleep_for(8s);
    const double ownCpu = cpuSeconds(getpid()) - own0, srvCpu = server->cpu() - srv0;
    std::printf("idle from 2 s after a sound, over 8 s: program %.3f %% of a core, server %.3f %% "
                "\n",
                ownCpu / 8 * 100, srvCpu / 8 * 100);

    // 4. One play call: the sample cached, and a file never seen (a stat and a queued decode).
    {
        auto p = tessary::PulseSamplePlayer::connect(options);
        p->play(path);
        p->waitDecoded();
        std::this_thread::sleep_for(200ms); // the stream is open
        std::vector<double> cached, fresh, cachedCpu;
        const auto threadCpuUs = [] {
            timespec ts{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
            return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
        };
        for (int i = 0; i < 200; ++i) {
            const double c0 = threadCpuUs();
            const auto t0 = Clock::now();
            p->play(path);
            cached.push_back(ms(Clock::now() - t0) * 1000);
            cachedCpu.push_back(threadCpuUs() - c0);
            std::this_thread::sleep_for(2ms);
        }
        for (int i = 0; i < 50; ++i) {
            const std::string other = (set / ("f" + std::to_string(i) + ".wav")).string();
            tessary::testing::writeWav(other, tessary::testing::toneBurst(300, 8000), 8000);
            const auto t0 = Clock::now();
            p->play(other);
            fresh.push_back(ms(Clock::now() - t0) * 1000);
            p->waitDecoded();
        }
        const Stats c = stats(cached), f = stats(fresh), cc = stats(cachedCpu);
        std::printf("one play call (us): cached median %.1f p99 %.1f worst %.1f (its own CPU: "
                    "median %.1f worst %.1f); a file never seen median %.1f p99 %.1f worst "
                    "%.1f\n",
                    c.median, c.p99, c.max, cc.median, cc.max, f.median, f.p99, f.max);
    }
    std::error_code ec;
    fs::remove_all(dir / "Set", ec);
    return 0;
}
