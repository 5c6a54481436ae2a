// A board in simulation for the tests: the bridge firmware's ELF on a simulated ATmega328P with
// the chip model of `tessary simulate` (ChipModel) on its pins, and its UART on a
// pseudo-terminal that the real `tessary say --device` talks to.
//
//   chip_sim FIRMWARE.elf LOG
//
// Prints "pty PATH" once the terminal is there. LOG gets a line for each event, flushed as it
// happens, times in microseconds of simulated time from power-on:
//
//   start CODE US | end CODE US | load CODE US | reset US | violation US WHAT
//   bytes IN OUT       at the end: bytes the firmware received and sent
#include "simulate/Simulation.h"

#include <simavr/avr_uart.h>
// The parts library's header has no C++ guard of its own.
extern "C" {
#include <simavr/parts/uart_pty.h>
}

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>

using namespace tessary;

namespace {

volatile std::sig_atomic_t stopping = 0;
unsigned long bytesIn = 0, bytesOut = 0;

void count(avr_irq_t*, uint32_t, void* param)
{
    ++*static_cast<unsigned long*>(param);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: chip_sim FIRMWARE.elf LOG\n");
        return 2;
    }
    FILE* log = std::fopen(argv[2], "w");
    if (!log) {
        std::fprintf(stderr, "chip_sim: cannot write %s\n", argv[2]);
        return 1;
    }
    static const char* const kinds[] = {"start", "end", "load", "reset", "violation"};
    std::ifstream in(argv[1], std::ios::binary);
    const std::string elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string problem;
    const std::optional<FirmwareImage> image = FirmwareImage::read(elf, Board::uno(), problem);
    if (!image) {
        std::fprintf(stderr, "chip_sim: %s: %s\n", argv[1], problem.c_str());
        return 1;
    }
    Simulation simulation(
        *image, Board::uno(), ChipPins::forBoard(Board::uno()), [log](const ChipModel::Event& e) {
            const char* kind = kinds[static_cast<int>(e.kind)];
            if (e.kind == ChipModel::Event::Kind::Breach)
                std::fprintf(log, "%s %.3f %s\n", kind, e.microseconds, e.what.c_str());
            else if (e.code < 0)
                std::fprintf(log, "%s %.3f\n", kind, e.microseconds);
            else
                std::fprintf(log, "%s %d %.3f\n", kind, e.code, e.microseconds);
            std::fflush(log);
        });
    if (!simulation.problem().empty()) {
        std::fprintf(stderr, "chip_sim: %s\n", simulation.problem().c_str());
        return 1;
    }
    avr_t* avr = simulation.avr();
    uart_pty_t pty;
    uart_pty_init(avr, &pty);
    uart_pty_connect(&pty, '0');
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT), &count,
                            &bytesIn);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT), &count,
                            &bytesOut);
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::signal(SIGINT, [](int) { stopping = 1; });
    std::printf("pty %s\n", pty.port[0].slavename);
    std::fflush(stdout);
    while (!stopping && simulation.step()) {
    }
    if (const auto& fault = simulation.fault())
        std::fprintf(log, "fault %.3f %s\n", fault->microseconds, fault->what.c_str());
    std::fprintf(log, "bytes %lu %lu\n", bytesIn, bytesOut);
    std::fclose(log);
    // Not uart_pty_stop(): its thread may sit in a read that nothing ends.
    _exit(0);
}
