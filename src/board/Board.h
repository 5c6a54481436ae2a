#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessary {

// An Arduino board the driver and the simulator know, as its maker lays it out: its MCU, the
// memory a sketch must fit, the port bit behind each Arduino pin, and where the chip's lines
// go by default. The one table of these facts: the simulator reads it, and the firmware's pin
// maps are generated from it.
struct Board
{
    struct Pin
    {
        std::string_view name; // the Arduino name: "D8", "A0"
        char port;             // 'B'
        int bit;               // 0..7
    };
    // The chip's lines, in this order: A1..A6, ALD, LRQ, SBY, RESET.
    static constexpr int kChipLines = 10;
    static constexpr std::array<std::string_view, kChipLines> kChipLineNames = {
        "A1", "A2", "A3", "A4", "A5", "A6", "ALD", "LRQ", "SBY", "RESET"};

    std::string_view name;     // "uno"
    std::string_view shown;    // "Arduino Uno or Nano"
    std::string_view mcu;      // avr-gcc's -mmcu, simavr's name: "atmega328p"
    std::string_view mcuShown; // "ATmega328P"
    std::string_view macros;   // avr-libc's, for the firmware's #if: "__AVR_ATmega328P__ ..."
    int family = 0;            // avr-gcc's architecture, in an ELF's flags: 5 for avr5
    std::uint32_t flashBytes = 0;
    std::uint32_t ramStart = 0; // the data address of the first byte of SRAM
    std::uint32_t ramBytes = 0;
    std::uint32_t eepromBytes = 0;
    std::vector<Pin> pins;                             // every pin of the board's headers
    std::array<std::string_view, kChipLines> chipPins; // the default wiring, by Arduino name
    // The flash a sketch may take (the boot loader has the rest), as the core's boards.txt has
    // it; and what the core, the driver and the sketch `vocab --format sketch` writes take of
    // it beside the words (measured with Debian's core): the words have what is left.
    std::uint32_t sketchBytes = 0;
    std::uint32_t coreBytes = 0;
    std::string_view cpuMenu; // arduino-mk's BOARD_SUB where the board has a choice of MCU

    static const std::vector<Board>& all();
    static const Board& uno();
    // The board of that name ("uno", "mega"); nullptr for none.
    static const Board* named(std::string_view name);
    // The pin of that Arduino name ("D8", "A0", or "8"); nullptr for none.
    const Pin* pin(std::string_view name) const;
    // The pin on that port bit; nullptr for a bit no header pin carries.
    const Pin* pinAt(char port, int bit) const;
};

} // namespace tessary
