#include "Simulation.h"

#include <simavr/sim_elf.h>

#include <cstdarg>
#include <cstring>
#include <fstream>

namespace tessary {

namespace {

constexpr std::uint32_t kFrequency = 16000000;
constexpr unsigned kElfMachineAvr = 83;

// simavr reports what it loads on standard output, where the chip's words go: not a word of it.
void quiet(avr_t*, const int, const char*, va_list) {}

struct QuietSimavr
{
    QuietSimavr() { avr_global_logger_set(&quiet); }
} const quietSimavr;

} // namespace

std::string Simulation::check(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[52] = {};
    if (!in)
        return path + ": " + std::strerror(errno);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (in.gcount() < 52 || std::memcmp(head,
                                        "\x7f"
                                        "ELF",
                                        4) != 0)
        return path + ": not an ELF file (give the .elf the compiler wrote, not the .hex)";
    const unsigned machine = head[18] | (head[19] << 8);
    if (head[4] != 1 || head[5] != 1 || machine != kElfMachineAvr)
        return path + ": an ELF file for another processor, not an AVR";
    // The AVR family the code was built for, in the header's flags: the ATmega328P is avr5.
    const unsigned family = head[36] & 0x7f;
    if (family != 0 && family != 5)
        return path + ": built for the avr" + std::to_string(family) +
               " family; the simulated board is an ATmega328P (avr5)";
    elf_firmware_t firmware{};
    if (elf_read_firmware(path.c_str(), &firmware) != 0)
        return path + ": an AVR ELF file that cannot be read";
    const std::string mcu = firmware.mmcu;
    std::free(firmware.flash);
    std::free(firmware.eeprom);
    if (!mcu.empty() && mcu != "atmega328p")
        return path + ": built for the " + mcu + "; the simulated board is an ATmega328P";
    return {};
}

Simulation::Simulation(const std::string& path, const ChipPins& pins, ChipModel::Listener listener)
    : m_listener(std::move(listener))
{
    elf_firmware_t firmware{};
    if (elf_read_firmware(path.c_str(), &firmware) != 0) {
        m_problem = path + ": an AVR ELF file that cannot be read";
        return;
    }
    std::strcpy(firmware.mmcu, "atmega328p");
    firmware.frequency = kFrequency;
    m_avr = avr_make_mcu_by_name(firmware.mmcu);
    if (!m_avr) {
        m_problem = "simavr has no ATmega328P";
        return;
    }
    avr_init(m_avr);
    m_avr->log = 0; // the firmware's own faults are breaches, not simavr's chatter
    // A sleeping AVR waits in simulated time only: simavr's own callback sleeps on the wall
    // clock, which would tie the simulation to real time.
    m_avr->sleep = [](avr_t*, avr_cycle_count_t) {};
    avr_load_firmware(m_avr, &firmware);
    m_chip = std::make_unique<ChipModel>(m_avr, pins, [this](const ChipModel::Event& e) {
        if (e.kind == ChipModel::Event::Kind::Start || e.kind == ChipModel::Event::Kind::End)
            m_lastSound = e.microseconds;
        m_listener(e);
    });
}

Simulation::~Simulation()
{
    m_chip.reset();
    if (m_avr)
        avr_terminate(m_avr);
}

bool Simulation::step()
{
    if (!m_avr)
        return false;
    const int state = avr_run(m_avr);
    return state != cpu_Done && state != cpu_Crashed;
}

void Simulation::run(double seconds, bool untilQuiet)
{
    if (!m_avr)
        return;
    const avr_cycle_count_t end =
        static_cast<avr_cycle_count_t>(seconds * kFrequency) + m_avr->cycle;
    while (m_avr->cycle < end && step()) {
        if (untilQuiet && m_lastSound >= 0 && m_chip->silent() && m_chip->now() - m_lastSound > 1e6)
            break;
    }
}

} // namespace tessary
