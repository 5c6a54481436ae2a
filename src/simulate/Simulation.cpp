#include "Simulation.h"

#include <simavr/avr_eeprom.h>
#include <simavr/sim_core.h>
#include <simavr/sim_cycle_timers.h>
#include <simavr/sim_interrupts.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessary {

namespace {

constexpr std::uint32_t kFrequency = 16000000;

// simavr's core reads and writes its flash and data arrays at whatever address an instruction
// names (it logs an address outside RAM, then uses it), so both are allocated as large as any
// address an instruction can form: 64 KiB of data, and flash to the reach of ELPM, which
// simavr 1.6 runs on every core (with r0 as RAMPZ where there is none): 16 MiB. The padding
// is zero pages that cost nothing until touched. The program counter is checked before every
// instruction.
constexpr std::size_t kDataReach = 0x10000 + 16;
constexpr std::size_t kFlashReach = 0x1000000 + 0x10000;

thread_local Simulation* stepping = nullptr;

// simavr reports on standard output, where the chip's words go: its errors are kept for the
// fault they describe, the rest is dropped.
void logged(avr_t*, const int level, const char* format, va_list args)
{
    if (level != LOG_ERROR || !stepping)
        return;
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    stepping->noteCoreError(text);
}

struct OwnLogger
{
    OwnLogger() { avr_global_logger_set(&logged); }
} const ownLogger;

std::string hex(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", address);
    return text;
}

// A message of simavr's core in the firmware author's words; empty for one that is no fault.
std::string faultOf(const std::string& core)
{
    unsigned address = 0;
    const std::size_t at = core.find("Address ");
    const bool hasAddress =
        at != std::string::npos && std::sscanf(core.c_str() + at, "Address %x", &address) == 1;
    if (core.find("Invalid Opcode") != std::string::npos)
        return "an instruction the AVR does not have";
    if (core.find("Invalid read address") != std::string::npos && hasAddress)
        return "a read from " + hex(address) + ", outside its RAM";
    if (core.find("low registers") != std::string::npos && hasAddress)
        return "a write to register r" + std::to_string(address) +
               " through its data address, which the simulator cannot follow";
    if (core.find("Invalid write address") != std::string::npos && hasAddress)
        return "a write to " + hex(address) + ", outside its RAM";
    return {};
}

// A buffer of `reach` bytes: `used` of them `fill` with `image` at the start, the rest zero.
// simavr frees it.
std::uint8_t* reachable(std::size_t reach, std::size_t used, const std::uint8_t* image,
                        std::size_t imageBytes, int fill)
{
    auto* memory = static_cast<std::uint8_t*>(std::calloc(reach, 1));
    if (!memory)
        return nullptr;
    std::memset(memory, fill, used);
    if (image)
        std::memcpy(memory, image, std::min(used, imageBytes));
    return memory;
}

} // namespace

Simulation::Simulation(const FirmwareImage& firmware, const Board& board, const ChipPins& pins,
                       ChipModel::Listener listener)
    : m_programEnd(firmware.programEnd()), m_listener(std::move(listener))
{
    m_avr = avr_make_mcu_by_name(std::string(board.mcu).c_str());
    if (!m_avr) {
        m_problem = "simavr has no " + std::string(board.mcuShown);
        return;
    }
    avr_init(m_avr);
    m_avr->log = LOG_ERROR; // errors reach logged(), which makes them faults
    m_avr->frequency = kFrequency;
    m_avr->vcc = m_avr->avcc = m_avr->aref = 5000; // millivolts: the ADC's reference
    std::uint8_t* flash = reachable(kFlashReach, m_avr->flashend + 1u, firmware.flash().data(),
                                    firmware.flash().size(), 0xFF);
    std::uint8_t* data = reachable(kDataReach, 0, nullptr, 0, 0);
    if (!flash || !data) {
        std::free(flash);
        std::free(data);
        m_problem = "no memory for the simulated " + std::string(board.mcuShown);
        return;
    }
    std::free(m_avr->flash);
    std::free(m_avr->data);
    m_avr->flash = flash;
    m_avr->data = data;
    m_avr->codeend = firmware.programEnd();
    avr_reset(m_avr);
    if (!firmware.eeprom().empty()) {
        std::vector<std::uint8_t> ee = firmware.eeprom();
        avr_eeprom_desc_t d{};
        d.ee = ee.data();
        d.offset = 0;
        d.size = static_cast<std::uint32_t>(ee.size());
        avr_ioctl(m_avr, AVR_IOCTL_EEPROM_SET, &d);
    }
    m_chip = std::make_unique<ChipModel>(m_avr, pins, [this](const ChipModel::Event& e) {
        if (e.kind == ChipModel::Event::Kind::Start || e.kind == ChipModel::Event::Kind::End)
            m_lastSound = e.microseconds;
        m_listener(e);
    });
}

Simulation::~Simulation()
{
    m_chip.reset();
    if (m_avr) {
        avr_terminate(m_avr);
        std::free(m_avr);
    }
}

double Simulation::microseconds() const
{
    return m_avr ? static_cast<double>(m_avr->cycle) * 1e6 / m_avr->frequency : 0;
}

void Simulation::noteCoreError(const std::string& message)
{
    if (m_coreError.empty())
        m_coreError = message;
}

void Simulation::setFault(std::string what)
{
    if (!m_fault)
        m_fault = Fault{microseconds(), m_avr->pc, std::move(what)};
}

// simavr's own step (avr_callback_run_raw), with the checks that keep a hostile firmware from
// reaching past simavr's arrays, and a sleep that passes in simulated time only: simavr's
// sleeps on the wall clock, which would tie the simulation to real time.
bool Simulation::step()
{
    if (!m_avr || m_fault)
        return false;
    avr_t* avr = m_avr;
    if (avr->state == cpu_Running && avr->pc >= m_programEnd) {
        setFault("the CPU jumped outside its program to " + hex(avr->pc) + " (the code ends at " +
                 hex(m_programEnd) + ")");
        return false;
    }
    const std::uint32_t pc = avr->pc;
    stepping = this;
    avr_flashaddr_t next = avr->pc;
    if (avr->state == cpu_Running)
        next = avr_run_one(avr);
    const avr_cycle_count_t sleep = avr_cycle_timer_process(avr);
    avr->pc = next;
    bool asleepForEver = false;
    if (avr->state == cpu_Sleeping) {
        if (!avr->sreg[S_I])
            asleepForEver = true;
        else
            avr->cycle += 1 + sleep;
    }
    if (!asleepForEver && (avr->state == cpu_Running || avr->state == cpu_Sleeping) &&
        avr->interrupt_state)
        avr_service_interrupts(avr);
    stepping = nullptr;

    if (std::string what = faultOf(m_coreError); !what.empty()) {
        avr->pc = pc;
        setFault("the firmware crashed at " + hex(pc) + ": " + what);
    } else if (asleepForEver) {
        setFault("the CPU went to sleep with interrupts off at " + hex(pc) +
                 ": nothing can wake it");
    } else if (avr->state == cpu_Crashed) {
        setFault("the firmware crashed at " + hex(pc));
    }
    m_coreError.clear();
    return !m_fault && avr->state != cpu_Done && avr->state != cpu_Crashed;
}

void Simulation::run(double seconds, bool untilQuiet, const std::atomic<bool>* stop)
{
    if (!m_avr)
        return;
    const avr_cycle_count_t end =
        static_cast<avr_cycle_count_t>(seconds * kFrequency) + m_avr->cycle;
    std::uint32_t checked = 0;
    while (m_avr->cycle < end && step()) {
        if (untilQuiet && m_lastSound >= 0 && m_chip->silent() && m_chip->now() - m_lastSound > 1e6)
            break;
        // A look at the flag every few thousand steps costs nothing against them.
        if (stop && ++checked % 4096 == 0 && *stop)
            break;
    }
}

} // namespace tessary
