#include "FirmwareImage.h"

#include <algorithm>

namespace tessary {

namespace {

// avr-ld lays the AVR's memories out in one address space: flash from 0, then these.
constexpr std::uint64_t kRamRegion = 0x800000;
constexpr std::uint64_t kEepromRegion = 0x810000;
constexpr std::uint64_t kFuseRegion = 0x820000; // fuses, lock bits, signature: never loaded

constexpr unsigned kMachineAvr = 83;
constexpr unsigned kExecutable = 2; // e_type
constexpr std::uint64_t kHeaderBytes = 52;
constexpr std::uint64_t kSegmentBytes = 32;
constexpr std::uint64_t kSectionBytes = 40;
constexpr std::uint32_t kLoad = 1;     // PT_LOAD
constexpr std::uint32_t kRunnable = 1; // PF_X
constexpr std::uint32_t kNoBits = 8;   // SHT_NOBITS: takes no room in the file
constexpr std::uint32_t kNote = 7;     // SHT_NOTE
constexpr std::string_view kDeviceNote = ".note.gnu.avr.deviceinfo";

// Little-endian fields of the file, each read only where the file holds it.
class Bytes
{
public:
    explicit Bytes(std::string_view bytes) : m_bytes(bytes) {}

    bool holds(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= m_bytes.size() && size <= m_bytes.size() - offset;
    }
    std::uint32_t u8(std::uint64_t at) const { return static_cast<unsigned char>(m_bytes[at]); }
    std::uint32_t u16(std::uint64_t at) const { return u8(at) | u8(at + 1) << 8; }
    std::uint32_t u32(std::uint64_t at) const { return u16(at) | u16(at + 2) << 16; }
    // Empty where the file does not hold `at`.
    std::string_view part(std::uint64_t at, std::uint64_t size) const
    {
        return at <= m_bytes.size() ? m_bytes.substr(at, size) : std::string_view();
    }
    std::uint64_t size() const { return m_bytes.size(); }

private:
    std::string_view m_bytes;
};

struct Segment
{
    std::uint32_t type, offset, vaddr, paddr, fileSize, memorySize, flags;
};

struct Section
{
    std::uint32_t name, type, offset, size;
};

// The device name in avr-gcc's note (avr-libc's crt puts it in every program it links): the
// flash, SRAM and EEPROM figures, then an offset table into a string table. Empty when the
// note is not of that form.
std::string deviceOf(const Bytes& file, const Section& note)
{
    const Bytes n(file.part(note.offset, note.size));
    if (!n.holds(0, 12))
        return {};
    const std::uint64_t nameSize = n.u32(0), descSize = n.u32(4);
    const std::uint64_t desc = 12 + ((nameSize + 3) & ~std::uint64_t{3});
    if (nameSize != 4 || n.part(12, 4) != std::string_view("AVR\0", 4) ||
        !n.holds(desc, descSize) || descSize < 32)
        return {};
    const std::uint64_t tableBytes = n.u32(desc + 24);
    const std::uint64_t strings = desc + 24 + tableBytes;
    const std::uint64_t name = strings + n.u32(desc + 28);
    if (tableBytes < 8 || strings > desc + descSize || name >= desc + descSize)
        return {};
    const std::string_view rest = n.part(name, desc + descSize - name);
    const std::size_t end = rest.find('\0');
    return end == std::string_view::npos ? std::string() : std::string(rest.substr(0, end));
}

std::string family(int f)
{
    return "avr" + std::to_string(f);
}

} // namespace

std::optional<FirmwareImage> FirmwareImage::read(std::string_view elf, const Board& board,
                                                 std::string& problem)
{
    const Bytes file(elf);
    const auto refuse = [&problem](std::string why) {
        problem = std::move(why);
        return std::nullopt;
    };
    if (!file.holds(0, 4) || file.part(0, 4) != "\x7f"
                                                "ELF")
        return refuse("not an ELF file (give the .elf the compiler wrote, not the .hex)");
    if (!file.holds(0, kHeaderBytes))
        return refuse("cut short: not even a whole ELF header");
    if (file.u8(4) != 1 || file.u8(5) != 1 || file.u16(18) != kMachineAvr)
        return refuse("an ELF file for another processor, not an AVR");
    if (file.u8(6) != 1 || file.u32(20) != 1 || file.u16(40) != kHeaderBytes)
        return refuse("a damaged ELF file: its header is not of ELF version 1");
    if (file.u16(16) != kExecutable)
        return refuse("not a linked program (an object file or a library?): build the .elf");

    const std::uint64_t segmentsAt = file.u32(28), segmentCount = file.u16(44);
    if (segmentCount == 0)
        return refuse("holds nothing to load: no program headers");
    if (file.u16(42) != kSegmentBytes || !file.holds(segmentsAt, segmentCount * kSegmentBytes))
        return refuse("cut short or damaged: its program headers lie past its end");
    std::vector<Segment> segments;
    for (std::uint64_t i = 0; i < segmentCount; ++i) {
        const std::uint64_t at = segmentsAt + i * kSegmentBytes;
        const Segment s{file.u32(at),      file.u32(at + 4),  file.u32(at + 8), file.u32(at + 12),
                        file.u32(at + 16), file.u32(at + 20), file.u32(at + 24)};
        if (s.type == kLoad && (!file.holds(s.offset, s.fileSize) || s.fileSize > s.memorySize))
            return refuse("cut short or damaged: segment " + std::to_string(i) +
                          " lies past its end");
        segments.push_back(s);
    }

    std::vector<Section> sections;
    const std::uint64_t sectionsAt = file.u32(32), sectionCount = file.u16(48);
    if (sectionsAt != 0) {
        if (sectionCount == 0 || file.u16(46) != kSectionBytes ||
            !file.holds(sectionsAt, sectionCount * kSectionBytes))
            return refuse("cut short or damaged: its section headers lie past its end");
        for (std::uint64_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = sectionsAt + i * kSectionBytes;
            const Section s{file.u32(at), file.u32(at + 4), file.u32(at + 16), file.u32(at + 20)};
            if (s.type != kNoBits && s.type != 0 && !file.holds(s.offset, s.size))
                return refuse("cut short or damaged: section " + std::to_string(i) +
                              " lies past its end");
            sections.push_back(s);
        }
    }
    FirmwareImage image;
    const std::uint64_t names = file.u16(50);
    if (names < sections.size() && file.holds(sections[names].offset, sections[names].size)) {
        const Section& table = sections[names];
        for (const Section& s : sections) {
            if (s.type == kNote && s.name < table.size &&
                file.part(table.offset + s.name, table.size - s.name)
                        .substr(0, kDeviceNote.size() + 1) ==
                    std::string_view(kDeviceNote.data(), kDeviceNote.size() + 1))
                image.m_device = deviceOf(file, s);
        }
    }

    const int builtFor = static_cast<int>(file.u32(36) & 0x7f);
    if (!image.m_device.empty() && image.m_device != board.mcu)
        return refuse("built for the " + image.m_device + "; the simulated board is an " +
                      std::string(board.mcuShown));
    if (builtFor != 0 && builtFor != board.family)
        return refuse("built for the " + family(builtFor) + " family; the simulated board is an " +
                      std::string(board.mcuShown) + " (" + family(board.family) + ")");

    std::uint64_t flashEnd = 0, programEnd = 0, ramEnd = 0, eepromEnd = 0;
    bool startsAtZero = false;
    for (const Segment& s : segments) {
        if (s.type != kLoad)
            continue;
        if (s.paddr < kRamRegion) {
            const std::uint64_t end = std::uint64_t{s.paddr} + s.fileSize;
            flashEnd = std::max(flashEnd, end);
            if ((s.flags & kRunnable) && s.fileSize > 0) {
                programEnd = std::max(programEnd, end);
                startsAtZero = startsAtZero || s.paddr == 0;
            }
        } else if (s.paddr >= kEepromRegion && s.paddr < kFuseRegion) {
            eepromEnd = std::max(eepromEnd, s.paddr - kEepromRegion + s.fileSize);
        }
        if (s.vaddr >= kRamRegion && s.vaddr < kEepromRegion && s.memorySize > 0) {
            if (s.vaddr - kRamRegion < board.ramStart)
                return refuse("puts data below the " + std::string(board.mcuShown) + "'s RAM");
            ramEnd = std::max(ramEnd, s.vaddr - kRamRegion + s.memorySize);
        }
    }
    const auto tooBig = [&](std::uint64_t needs, std::uint64_t has, const char* what) {
        return refuse("needs " + std::to_string(needs) + " bytes of " + what + "; the " +
                      std::string(board.mcuShown) + " has " + std::to_string(has));
    };
    if (flashEnd > board.flashBytes)
        return tooBig(flashEnd, board.flashBytes, "flash");
    if (ramEnd > std::uint64_t{board.ramStart} + board.ramBytes)
        return tooBig(ramEnd - board.ramStart, board.ramBytes, "RAM");
    if (eepromEnd > board.eepromBytes)
        return tooBig(eepromEnd, board.eepromBytes, "EEPROM");
    if (!startsAtZero)
        return refuse("holds no code at address 0, where the " + std::string(board.mcuShown) +
                      " starts");

    image.m_flash.assign(flashEnd, 0xFF); // what erased flash reads
    image.m_eeprom.assign(eepromEnd, 0xFF);
    for (const Segment& s : segments) {
        if (s.type != kLoad || s.fileSize == 0)
            continue;
        const std::string_view bytes = file.part(s.offset, s.fileSize);
        if (s.paddr < kRamRegion)
            std::copy(bytes.begin(), bytes.end(), image.m_flash.begin() + s.paddr);
        else if (s.paddr >= kEepromRegion && s.paddr < kFuseRegion)
            std::copy(bytes.begin(), bytes.end(),
                      image.m_eeprom.begin() + static_cast<long>(s.paddr - kEepromRegion));
    }
    image.m_programEnd = static_cast<std::uint32_t>(programEnd);
    image.m_ramEnd = static_cast<std::uint32_t>(ramEnd);
    return image;
}

} // namespace tessary
