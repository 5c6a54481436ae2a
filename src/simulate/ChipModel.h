#pragma once

#include "ChipPins.h"

#include <simavr/sim_avr.h>

#include <functional>
#include <string>

namespace tessary {

// The SP0256-AL2 on a simulated AVR's pins (simavr), as strict as the real chip: the
// address is latched when ALD falls; a load to an idle chip holds LRQ high for 24 us (16-42 us
// measured on a chip) before the allophone starts; the chip keeps one address waiting, holds
// LRQ high while it does and SBY low while it speaks, each allophone for its time on the chip;
// RESET low silences it at once. Time is the AVR's cycles, never the wall clock.
//
// What a real chip would not forgive is reported as a breach: a load while LRQ is high, an
// address line that changes while ALD is low, a load while RESET is low, a line the chip reads
// that the AVR does not drive (its pin an input) when ALD falls.
class ChipModel
{
public:
    struct Event
    {
        enum class Kind { Start, End, Load, Reset, Breach } kind;
        int code = -1;       // Start, End, Load
        double microseconds; // simulated time from power-on
        std::string what;    // Breach: what happened, in full
        std::string rule;    // Breach: the rule broken, the same for every breach of it
    };
    using Listener = std::function<void(const Event&)>;

    ChipModel(avr_t* avr, const ChipPins& pins, Listener listener);
    ChipModel(const ChipModel&) = delete;
    ChipModel& operator=(const ChipModel&) = delete;

    bool silent() const { return m_speaking < 0 && m_buffered < 0; }
    double now() const;

private:
    // One address line's notify: which bit of the address it carries.
    struct AddressLine
    {
        ChipModel* model;
        int bit;
    };

    static void onAddress(avr_irq_t* irq, uint32_t value, void* param);
    static void onAld(avr_irq_t* irq, uint32_t value, void* param);
    static void onReset(avr_irq_t* irq, uint32_t value, void* param);
    static avr_cycle_count_t finished(avr_t* avr, avr_cycle_count_t when, void* param);
    static avr_cycle_count_t takeFromBuffer(avr_t* avr, avr_cycle_count_t when, void* param);

    void load();
    void speak(int code);
    void drive();
    void emit(Event::Kind kind, int code = -1);
    void breach(std::string what, std::string rule, int code = -1);
    // Whether the AVR drives the line (its pin an output).
    bool driven(const ChipPins::Line& line) const;

    avr_t* m_avr;
    ChipPins m_pins;
    Listener m_listener;
    AddressLine m_lines[6];
    avr_irq_t* m_lrq = nullptr;
    avr_irq_t* m_sby = nullptr;
    int m_address = 0;
    bool m_ald = true;
    bool m_reset = true;
    int m_buffered = -1;
    int m_speaking = -1;
};

} // namespace tessary
