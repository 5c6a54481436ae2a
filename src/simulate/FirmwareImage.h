#pragma once

#include "board/Board.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// What a firmware's ELF puts into a microcontroller: its flash from address 0, its EEPROM, and
// how much RAM its data takes. Read by a reader of our own that trusts nothing in the file: the
// header, every section and segment must lie within it, the machine must be an AVR built for
// the chosen MCU, and what it loads must fit that MCU's flash, RAM and EEPROM. Nothing else of
// the file is kept (a simulator's trace, console or file-name entries are never read).
class FirmwareImage
{
public:
    // The image, or nothing with why not in `problem` (one line, without the file's name).
    static std::optional<FirmwareImage> read(std::string_view elf, const Board& board,
                                             std::string& problem);

    const std::vector<std::uint8_t>& flash() const { return m_flash; }
    // The code ends here: a CPU at or past it runs what was never programmed.
    std::uint32_t programEnd() const { return m_programEnd; }
    const std::vector<std::uint8_t>& eeprom() const { return m_eeprom; }
    // The highest RAM address the data and bss take, plus one; 0 for none.
    std::uint32_t ramEnd() const { return m_ramEnd; }
    // The device avr-gcc's note names ("atmega328p"), or empty where the file has none.
    const std::string& device() const { return m_device; }

private:
    FirmwareImage() = default;

    std::vector<std::uint8_t> m_flash;
    std::uint32_t m_programEnd = 0;
    std::vector<std::uint8_t> m_eeprom;
    std::uint32_t m_ramEnd = 0;
    std::string m_device;
};

} // namespace tessary
