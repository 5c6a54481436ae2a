#pragma once

#include <atomic>
#include <csignal>

namespace tessary {

// While a port is spoken to, Ctrl+C, a kill or a closed terminal (SIGINT, SIGTERM, SIGHUP) set
// a flag instead of ending the program, so that it stops the chip and puts the port's settings
// back first. No SA_RESTART: a wait returns at once to see the flag. One guard at a time.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static const std::atomic<bool>& flag();
    // The status a shell gives a program that signal ended: 130 for Ctrl+C.
    static int status();

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_before[std::size(kSignals)] = {};
};

} // namespace tessary
