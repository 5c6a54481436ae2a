// Start-up and memory of the window beside the smallest Qt Widgets window, and beside the
// smallest one that shows a line of text, on one X server of the bench's own (Xvfb), taking
// turns:
//   - from the start of the process to its window being mapped (MapNotify on the root window);
//   - resident memory (VmRSS) a second after that, when the program has settled.
// Both run as on a desktop, with a sound server: a private PulseAudio with a null sink that the
// bench starts (without one the program would look for ALSA instead).
// Prints the medians and their ratios. bench_startup [--runs N] PROGRAM MINIMAL
// (MINIMAL is bench_minimal_window, run once as it is and once with --text.)
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using Command = std::vector<std::string>;

pid_t spawn(const Command& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

// An Xvfb of the bench's own; its display number comes back through a pipe.
std::string startXvfb(pid_t& pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"});
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? std::string() : ":" + number;
}

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

struct Run
{
    double shownMs = 0;
    long rssKb = 0;
};

// One start of `program`: until its first top-level window is mapped, then its memory.
bool measure(Display* display, const Command& program, Run& run)
{
    const Clock::time_point start = Clock::now();
    const pid_t pid = spawn(program);
    if (pid == 0)
        return false;
    bool mapped = false;
    while (!mapped && Clock::now() - start < 10s) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && !e.xmap.override_redirect)
                mapped = true;
        }
        if (!mapped) {
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            poll(&p, 1, 100);
        }
    }
    run.shownMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(1s);
    run.rssKb = residentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return mapped;
}

template <typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = 11;
    std::vector<Command> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            programs.push_back({argv[i]});
    }
    if (programs.size() == 2)
        programs.push_back({programs[1][0], "--text"});
    if (programs.size() != 3) {
        std::fprintf(stderr, "usage: bench_startup [--runs N] PROGRAM MINIMAL\n");
        return 2;
    }
    pid_t xvfb = 0;
    const std::string name = startXvfb(xvfb);
    Display* display = name.empty() ? nullptr : XOpenDisplay(name.c_str());
    if (!display) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    setenv("DISPLAY", name.c_str(), 1);
    char folder[] = "/tmp/bench-startup-XXXXXX";
    if (!mkdtemp(folder)) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const std::string socket = std::string(folder) + "/native";
    setenv("XDG_RUNTIME_DIR", folder, 1);
    setenv("PULSE_RUNTIME_PATH", folder, 1);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    const pid_t pulse = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                               "--use-pid-file=no", "--log-level=error", "-L",
                               "module-native-protocol-unix socket=" + socket + " auth-anonymous=1",
                               "-L", "module-null-sink sink_name=bench"});
    for (int i = 0; i < 100 && access(socket.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(50ms);
    if (pulse == 0 || access(socket.c_str(), F_OK) != 0)
        std::fprintf(stderr, "no sound server could be started: measuring without one\n");
    unsetenv("WAYLAND_DISPLAY");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);

    std::vector<Run> results[3];
    for (int r = 0; r <= runs; ++r) {
        for (std::size_t p = 0; p < 3; ++p) {
            Run run;
            if (!measure(display, programs[p], run)) {
                std::fprintf(stderr, "%s showed no window\n", programs[p][0].c_str());
                return 1;
            }
            if (r > 0) // the first round warms the file cache
                results[p].push_back(run);
        }
    }
    XCloseDisplay(display);
    for (const pid_t pid : {xvfb, pulse}) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::filesystem::remove_all(folder);

    double shown[3];
    long rss[3];
    for (std::size_t p = 0; p < 3; ++p) {
        std::vector<double> ms;
        std::vector<long> kb;
        for (const Run& run : results[p]) {
            ms.push_back(run.shownMs);
            kb.push_back(run.rssKb);
        }
        shown[p] = median(ms);
        rss[p] = median(kb);
        const std::string name = programs[p][0] + (p == 2 ? " --text" : "");
        std::printf("%-44s window shown in %6.1f ms (median of %d), resident %6.1f MB\n",
                    name.c_str(), shown[p], runs, rss[p] / 1024.0);
    }
    for (std::size_t p = 1; p < 3; ++p)
        std::printf("ratio to the minimal window%s: start-up %.2f, memory %.2f\n",
                    p == 2 ? " with text" : "", shown[0] / shown[p],
                    static_cast<double>(rss[0]) / static_cast<double>(rss[p]));
    return 0;
}
