#include "ChipModel.h"

#include "catalogue/ChipDurations.h"

#include <simavr/avr_ioport.h>
#include <simavr/sim_avr.h>
#include <simavr/sim_cycle_timers.h>

namespace tessary {

namespace {

avr_irq_t* pinIrq(avr_t* avr, const ChipPins::Line& line)
{
    return avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ(line.port), line.bit);
}

} // namespace

ChipModel::ChipModel(avr_t* avr, const ChipPins& pins, Listener listener)
    : m_avr(avr), m_pins(pins), m_listener(std::move(listener))
{
    for (int i = 0; i < 6; ++i) {
        m_lines[i] = {this, i};
        avr_irq_register_notify(pinIrq(avr, pins.address(i)), &onAddress, &m_lines[i]);
    }
    avr_irq_register_notify(pinIrq(avr, pins.ald()), &onAld, this);
    avr_irq_register_notify(pinIrq(avr, pins.reset()), &onReset, this);
    m_lrq = pinIrq(avr, pins.lrq());
    m_sby = pinIrq(avr, pins.sby());
    drive();
}

double ChipModel::now() const
{
    return static_cast<double>(m_avr->cycle) * 1e6 / static_cast<double>(m_avr->frequency);
}

void ChipModel::emit(Event::Kind kind, int code)
{
    m_listener(Event{kind, code, now(), {}, {}});
}

void ChipModel::breach(std::string what, std::string rule, int code)
{
    m_listener(Event{Event::Kind::Breach, code, now(), std::move(what), std::move(rule)});
}

void ChipModel::drive()
{
    avr_raise_irq(m_lrq, m_buffered >= 0);
    avr_raise_irq(m_sby, silent());
}

bool ChipModel::driven(const ChipPins::Line& line) const
{
    avr_ioport_state_t state{};
    if (avr_ioctl(m_avr, AVR_IOCTL_IOPORT_GETSTATE(line.port), &state) != 0)
        return false;
    return (state.ddr >> line.bit) & 1;
}

void ChipModel::onAddress(avr_irq_t*, uint32_t value, void* param)
{
    auto* line = static_cast<const AddressLine*>(param);
    ChipModel& m = *line->model;
    const int before = m.m_address;
    m.m_address = value ? (before | (1 << line->bit)) : (before & ~(1 << line->bit));
    if (!m.m_ald && m.m_address != before)
        m.breach(std::string(Board::kChipLineNames[static_cast<std::size_t>(line->bit)]) +
                     " changed while ALD was low",
                 "an address line changed while ALD was low");
}

void ChipModel::onAld(avr_irq_t*, uint32_t value, void* param)
{
    ChipModel& m = *static_cast<ChipModel*>(param);
    const bool falling = m.m_ald && !value;
    m.m_ald = value != 0;
    if (falling)
        m.load();
}

void ChipModel::load()
{
    for (int i = 0; i < 6; ++i) {
        if (!driven(m_pins.address(i)))
            breach(std::string(Board::kChipLineNames[static_cast<std::size_t>(i)]) +
                       " undriven (its pin is an input) when ALD fell",
                   "a line the chip reads undriven when ALD fell");
    }
    if (!driven(m_pins.reset()))
        breach("RESET undriven (its pin is an input) when ALD fell",
               "a line the chip reads undriven when ALD fell");
    if (!m_reset) {
        breach("a load while RESET was low", "a load while RESET was low");
        return;
    }
    if (m_buffered >= 0) {
        breach("a load while LRQ was high (" + std::to_string(m_buffered) + " waiting)",
               "a load while LRQ was high", m_buffered);
        return;
    }
    m_buffered = m_address & 0x3F;
    emit(Event::Kind::Load, m_buffered);
    drive();
    if (m_speaking < 0)
        avr_cycle_timer_register_usec(m_avr, 24, &takeFromBuffer, this);
}

void ChipModel::onReset(avr_irq_t*, uint32_t value, void* param)
{
    ChipModel& m = *static_cast<ChipModel*>(param);
    if (m.m_reset && !value) {
        m.emit(Event::Kind::Reset);
        avr_cycle_timer_cancel(m.m_avr, &finished, &m);
        avr_cycle_timer_cancel(m.m_avr, &takeFromBuffer, &m);
        m.m_speaking = m.m_buffered = -1;
        m.drive();
    }
    m.m_reset = value != 0;
}

void ChipModel::speak(int code)
{
    m_speaking = code;
    emit(Event::Kind::Start, code);
    const auto cycles = static_cast<avr_cycle_count_t>(
        ChipDurations::chipMs(code) * 1e-3 * static_cast<double>(m_avr->frequency) + 0.5);
    avr_cycle_timer_register(m_avr, cycles, &finished, this);
}

avr_cycle_count_t ChipModel::finished(avr_t*, avr_cycle_count_t, void* param)
{
    ChipModel& m = *static_cast<ChipModel*>(param);
    m.emit(Event::Kind::End, m.m_speaking);
    m.m_speaking = -1;
    if (m.m_buffered >= 0) {
        const int next = m.m_buffered;
        m.m_buffered = -1;
        m.speak(next);
    }
    m.drive();
    return 0;
}

// An idle chip takes the address from its buffer a few tens of microseconds after ALD.
avr_cycle_count_t ChipModel::takeFromBuffer(avr_t*, avr_cycle_count_t, void* param)
{
    ChipModel& m = *static_cast<ChipModel*>(param);
    if (m.m_speaking < 0 && m.m_buffered >= 0) {
        const int next = m.m_buffered;
        m.m_buffered = -1;
        m.speak(next);
        m.drive();
    }
    return 0;
}

} // namespace tessary
