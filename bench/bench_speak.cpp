// A whole SPEAK run of 30 steps in the real window, at 50 ms and at 1 ms: wall time against the
// ideal, the lateness of each step's start, and the CPU time the run took. For reference, the
// same 30 steps paced by a loop that keeps polling the event queue.
//
// Printed, not asserted. Runs on Qt's offscreen platform unless another one is chosen.
#include "sound/SamplePlayer.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Notes when each step's play happens; makes no sound.
class StampingPlayer final : public tessary::SamplePlayer
{
public:
    explicit StampingPlayer(std::vector<Clock::time_point>* stamps) : m_stamps(stamps) {}
    void play(const std::string&) override { m_stamps->push_back(Clock::now()); }

private:
    std::vector<Clock::time_point>* m_stamps;
};

struct Result
{
    double wallMs, meanLateMs, worstLateMs, cpuMs;
};

Result measure(const std::vector<Clock::time_point>& starts, Clock::time_point end, int pace,
               double cpu)
{
    Result r{};
    const Clock::time_point first = starts.front();
    r.wallMs = std::chrono::duration<double, std::milli>(end - first).count();
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const auto ideal = first + std::chrono::milliseconds(pace * static_cast<int>(i));
        const double late = std::chrono::duration<double, std::milli>(starts[i] - ideal).count();
        r.meanLateMs += late / static_cast<double>(starts.size());
        r.worstLateMs = std::max(r.worstLateMs, late);
    }
    r.cpuMs = cpu;
    return r;
}

Result sequencerRun(int pace)
{
    std::vector<Clock::time_point> starts;
    tessary::MainWindow window(tessary::SampleSet("/nonexistent/"),
                               std::make_unique<StampingPlayer>(&starts));
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    window.findChild<QLineEdit*>("Rate")->setText(QString::number(pace));
    auto* speak = window.findChild<QPushButton*>("Speak");

    const double cpu0 = cpuMs();
    speak->click();
    while (!speak->isEnabled())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const Clock::time_point end = Clock::now();
    return measure(starts, end, pace, cpuMs() - cpu0);
}

Result pollingRun(int pace)
{
    std::vector<Clock::time_point> starts;
    const double cpu0 = cpuMs();
    Clock::time_point due = Clock::now();
    for (int step = 0; step < 30; ++step) {
        starts.push_back(Clock::now());
        due += std::chrono::milliseconds(pace);
        while (Clock::now() < due)
            QApplication::processEvents();
    }
    return measure(starts, Clock::now(), pace, cpuMs() - cpu0);
}

void print(const char* what, int pace, const Result& r)
{
    std::printf("%-22s %4d ms  wall %8.2f ms (ideal %4d)  late mean %6.3f worst %6.3f ms"
                "  cpu %7.2f ms\n",
                what, pace, r.wallMs, 30 * pace, r.meanLateMs, r.worstLateMs, r.cpuMs);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = 3;
    for (int pace : {50, 1}) {
        for (int i = 0; i < rounds; ++i)
            print("sequencer (timer)", pace, sequencerRun(pace));
        print("busy polling loop", pace, pollingRun(pace));
    }
    return 0;
}
