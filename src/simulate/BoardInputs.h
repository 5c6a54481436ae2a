#pragma once

#include "board/Board.h"

#include <simavr/sim_avr.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// What the gadget's world does to the simulated board, each at its time: a button pressed and
// released (a press pulls its pin low, as a button to ground on an INPUT_PULLUP pin), a level
// put on a pin, a reading on an analog input. The pins are the board's Arduino names.
class BoardInputs
{
public:
    struct Change
    {
        double seconds = 0;
        char port = 'B';
        int bit = 0;
        int adc = -1;  // the ADC channel, for a reading; -1 for a level
        int value = 0; // a level (0, 1) or a reading (0-1023)
    };
    // A press without a release time lasts this long: a finger's tap.
    static constexpr double kTapSeconds = 0.1;

    // "D2@1.5" (a tap), "D2@1.5-3" (held from 1.5 s to 3 s); "D4=1@2" (from 2 s; "D4=1" from
    // the start); "A0=512@2" (0-1023, of a 5 V reference). Each a comma-separated list, any of
    // them empty. Nothing, with the problem, for an item not of its form or a pin the board
    // lacks.
    static std::optional<BoardInputs> parse(std::string_view presses, std::string_view levels,
                                            std::string_view readings, const Board& board,
                                            std::string& problem);

    // The changes in time order.
    const std::vector<Change>& changes() const { return m_changes; }
    // Puts them on the board: those at 0 at once, the rest as simulated time reaches them. The
    // board must outlive the simulation's run.
    void attach(avr_t* avr);
    // The millivolts that make the ADC read `reading` against a 5 V reference.
    static std::uint32_t millivolts(int reading);

private:
    static avr_cycle_count_t due(avr_t* avr, avr_cycle_count_t when, void* param);
    void apply(const Change& change);

    std::vector<Change> m_changes;
    avr_t* m_avr = nullptr;
    std::size_t m_next = 0;
};

} // namespace tessary
