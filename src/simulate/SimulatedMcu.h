#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessary {

// The microcontrollers `tessary simulate` runs, with what a firmware must fit: one row each.
struct SimulatedMcu
{
    std::string_view name;  // avr-gcc's -mmcu and simavr's name: "atmega328p"
    std::string_view shown; // "ATmega328P"
    int family = 0;         // avr-gcc's architecture, in an ELF's flags: 5 for avr5
    std::uint32_t flashBytes = 0;
    std::uint32_t ramStart = 0; // the data address of the first byte of SRAM
    std::uint32_t ramBytes = 0;
    std::uint32_t eepromBytes = 0;

    static const std::vector<SimulatedMcu>& All();
    // nullptr for a name that is none of them.
    static const SimulatedMcu* find(std::string_view name);
    static const SimulatedMcu& uno();
};

} // namespace tessary
