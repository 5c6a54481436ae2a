#pragma once

#include "ChipModel.h"
#include "FirmwareImage.h"
#include "board/Board.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tessary {

// A firmware image running on a simulated microcontroller at 16 MHz with the chip on its pins.
// The CPU is stepped here, not by simavr's own loop, so that whatever the firmware does is
// seen before it can harm the simulator: a CPU that leaves its program, sleeps with interrupts
// off (nothing can wake it) or makes simavr's core give up is stopped with a fault.
class Simulation
{
public:
    struct Fault
    {
        double microseconds;   // simulated time from power-on
        std::uint32_t address; // the program counter, in bytes as avr-objdump gives it
        std::string what;      // "jumped outside its program to 0x7F00 (...)"
    };

    Simulation(const FirmwareImage& firmware, const Board& board, const ChipPins& pins,
               ChipModel::Listener listener);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Empty once running; why not otherwise (simavr lacks the MCU).
    const std::string& problem() const { return m_problem; }
    // Runs for `seconds` of simulated time; or, with `untilQuiet`, until the chip has been
    // silent for a second after it last spoke, `seconds` at the most. `stop` ends it early.
    void run(double seconds, bool untilQuiet, const std::atomic<bool>* stop = nullptr);
    // One instruction, or one step of a sleep; false once the firmware has ended or faulted.
    bool step();
    const std::optional<Fault>& fault() const { return m_fault; }
    double microseconds() const;
    // For the parts a test board adds (a UART on a pseudo-terminal).
    avr_t* avr() const { return m_avr; }

    // What simavr's core said of a fault, noted while this simulation steps.
    void noteCoreError(const std::string& message);

private:
    void setFault(std::string what);

    avr_t* m_avr = nullptr;
    std::uint32_t m_programEnd = 0;
    std::unique_ptr<ChipModel> m_chip;
    ChipModel::Listener m_listener;
    double m_lastSound = -1; // microseconds; -1 before the chip first spoke
    std::optional<Fault> m_fault;
    std::string m_coreError;
    std::string m_problem;
};

} // namespace tessary
