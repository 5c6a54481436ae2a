#include "InterruptGuard.h"

namespace tessary {

namespace {

std::atomic<bool> interrupted{false};
volatile std::sig_atomic_t interruptedBy = 0;

void onInterrupt(int signal)
{
    interruptedBy = signal;
    interrupted = true;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    struct sigaction action = {};
    action.sa_handler = &onInterrupt;
    sigemptyset(&action.sa_mask);
    interrupted = false;
    interruptedBy = 0;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &m_before[i]);
}

InterruptGuard::~InterruptGuard()
{
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &m_before[i], nullptr);
}

const std::atomic<bool>& InterruptGuard::flag()
{
    return interrupted;
}

int InterruptGuard::status()
{
    return 128 + (interruptedBy ? static_cast<int>(interruptedBy) : SIGINT);
}

} // namespace tessary
