#include "Board.h"

namespace tessary {

namespace {

// Each board's pins as its Arduino core's variant (pins_arduino.h) lays them out; the memory
// figures from the MCU's datasheet.
std::vector<Board::Pin> unoPins()
{
    return {{"D0", 'D', 0},  {"D1", 'D', 1},  {"D2", 'D', 2},  {"D3", 'D', 3},  {"D4", 'D', 4},
            {"D5", 'D', 5},  {"D6", 'D', 6},  {"D7", 'D', 7},  {"D8", 'B', 0},  {"D9", 'B', 1},
            {"D10", 'B', 2}, {"D11", 'B', 3}, {"D12", 'B', 4}, {"D13", 'B', 5}, {"A0", 'C', 0},
            {"A1", 'C', 1},  {"A2", 'C', 2},  {"A3", 'C', 3},  {"A4", 'C', 4},  {"A5", 'C', 5}};
}

std::vector<Board::Pin> megaPins()
{
    return {{"D0", 'E', 0},  {"D1", 'E', 1},  {"D2", 'E', 4},  {"D3", 'E', 5},  {"D4", 'G', 5},
            {"D5", 'E', 3},  {"D6", 'H', 3},  {"D7", 'H', 4},  {"D8", 'H', 5},  {"D9", 'H', 6},
            {"D10", 'B', 4}, {"D11", 'B', 5}, {"D12", 'B', 6}, {"D13", 'B', 7}, {"D14", 'J', 1},
            {"D15", 'J', 0}, {"D16", 'H', 1}, {"D17", 'H', 0}, {"D18", 'D', 3}, {"D19", 'D', 2},
            {"D20", 'D', 1}, {"D21", 'D', 0}, {"D22", 'A', 0}, {"D23", 'A', 1}, {"D24", 'A', 2},
            {"D25", 'A', 3}, {"D26", 'A', 4}, {"D27", 'A', 5}, {"D28", 'A', 6}, {"D29", 'A', 7},
            {"D30", 'C', 7}, {"D31", 'C', 6}, {"D32", 'C', 5}, {"D33", 'C', 4}, {"D34", 'C', 3},
            {"D35", 'C', 2}, {"D36", 'C', 1}, {"D37", 'C', 0}, {"D38", 'D', 7}, {"D39", 'G', 2},
            {"D40", 'G', 1}, {"D41", 'G', 0}, {"D42", 'L', 7}, {"D43", 'L', 6}, {"D44", 'L', 5},
            {"D45", 'L', 4}, {"D46", 'L', 3}, {"D47", 'L', 2}, {"D48", 'L', 1}, {"D49", 'L', 0},
            {"D50", 'B', 3}, {"D51", 'B', 2}, {"D52", 'B', 1}, {"D53", 'B', 0}, {"A0", 'F', 0},
            {"A1", 'F', 1},  {"A2", 'F', 2},  {"A3", 'F', 3},  {"A4", 'F', 4},  {"A5", 'F', 5},
            {"A6", 'F', 6},  {"A7", 'F', 7},  {"A8", 'K', 0},  {"A9", 'K', 1},  {"A10", 'K', 2},
            {"A11", 'K', 3}, {"A12", 'K', 4}, {"A13", 'K', 5}, {"A14", 'K', 6}, {"A15", 'K', 7}};
}

std::vector<Board::Pin> leonardoPins()
{
    return {{"D0", 'D', 2},  {"D1", 'D', 3},  {"D2", 'D', 1},  {"D3", 'D', 0},  {"D4", 'D', 4},
            {"D5", 'C', 6},  {"D6", 'D', 7},  {"D7", 'E', 6},  {"D8", 'B', 4},  {"D9", 'B', 5},
            {"D10", 'B', 6}, {"D11", 'B', 7}, {"D12", 'D', 6}, {"D13", 'C', 7}, {"D14", 'B', 3},
            {"D15", 'B', 1}, {"D16", 'B', 2}, {"D17", 'B', 0}, {"A0", 'F', 7},  {"A1", 'F', 6},
            {"A2", 'F', 5},  {"A3", 'F', 4},  {"A4", 'F', 1},  {"A5", 'F', 0}};
}

constexpr std::array<std::string_view, Board::kChipLines> kShieldWiring = {
    "A0", "A1", "A2", "A3", "A4", "A5", "D8", "D9", "D10", "D11"};

} // namespace

const std::vector<Board>& Board::all()
{
    static const std::vector<Board> boards = {
        // The address on A0-A5 (PORTC), the control lines on D8-D11 (PORTB); A4 and A5 are
        // also the I2C pins.
        {"uno", "Arduino Uno", "atmega328p", "ATmega328P",
         "__AVR_ATmega328P__ __AVR_ATmega328__ __AVR_ATmega168__", 5, 32 * 1024, 0x100, 2 * 1024,
         1024, unoPins(), kShieldWiring, 32256, 1800, ""},
        // The Uno's wiring, pin for pin.
        {"nano", "Arduino Nano", "atmega328p", "ATmega328P",
         "__AVR_ATmega328P__ __AVR_ATmega328__ __AVR_ATmega168__", 5, 32 * 1024, 0x100, 2 * 1024,
         1024, unoPins(), kShieldWiring, 30720, 1800, "atmega328"},
        // The address and ALD, LRQ on D22-D29 (PORTA), SBY and RESET on D30, D31: the double
        // header's end, clear of the serial ports, I2C and SPI.
        {"mega",
         "Arduino Mega 2560",
         "atmega2560",
         "ATmega2560",
         "__AVR_ATmega2560__",
         6,
         256 * 1024,
         0x200,
         8 * 1024,
         4096,
         megaPins(),
         {"D22", "D23", "D24", "D25", "D26", "D27", "D28", "D29", "D30", "D31"},
         253952,
         2050,
         "atmega2560"},
        // The Uno's pin numbers, so that the same shield fits (on PORTF and PORTB); I2C is on
        // D2, D3 here.
        {"leonardo", "Arduino Leonardo or Micro", "atmega32u4", "ATmega32U4", "__AVR_ATmega32U4__",
         5, 32 * 1024, 0x100, 2560, 1024, leonardoPins(), kShieldWiring, 28672, 4900, ""},
    };
    return boards;
}

const Board& Board::uno()
{
    return all().front();
}

const Board* Board::named(std::string_view name)
{
    for (const Board& b : all()) {
        if (b.name == name)
            return &b;
    }
    return nullptr;
}

const Board::Pin* Board::pin(std::string_view name) const
{
    for (const Pin& p : pins) {
        if (p.name == name || (p.name[0] == 'D' && p.name.substr(1) == name))
            return &p;
    }
    return nullptr;
}

const Board::Pin* Board::pinAt(char port, int bit) const
{
    for (const Pin& p : pins) {
        if (p.port == port && p.bit == bit)
            return &p;
    }
    return nullptr;
}

} // namespace tessary
