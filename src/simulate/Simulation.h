#pragma once

#include "ChipModel.h"

#include <memory>
#include <string>

namespace tessary {

// A firmware's ELF running on a simulated ATmega328P at 16 MHz with the chip on its pins.
class Simulation
{
public:
    // Empty when `path` is an AVR ELF built for the ATmega328P (or for no MCU in particular);
    // otherwise why not, in one line.
    static std::string check(const std::string& path);

    // Loads the firmware (check() first); problem() says when it could not.
    Simulation(const std::string& path, const ChipPins& pins, ChipModel::Listener listener);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    const std::string& problem() const { return m_problem; }
    // Runs for `seconds` of simulated time; or, with `untilQuiet`, until the chip has been
    // silent for a second after it last spoke, `seconds` at the most.
    void run(double seconds, bool untilQuiet);
    // One run of simavr's loop; false once the firmware has ended or crashed.
    bool step();
    // For the parts a test board adds (a UART on a pseudo-terminal).
    avr_t* avr() const { return m_avr; }

private:
    avr_t* m_avr = nullptr;
    std::unique_ptr<ChipModel> m_chip;
    ChipModel::Listener m_listener;
    double m_lastSound = -1; // microseconds; -1 before the chip first spoke
    std::string m_problem;
};

} // namespace tessary
