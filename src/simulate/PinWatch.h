#pragma once

#include "board/Board.h"

#include <simavr/sim_avr.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Pins of the simulated board whose every change of level is told, with its time: an LED, a
// buzzer, a pin another library drives.
class PinWatch
{
public:
    struct Change
    {
        double microseconds;
        std::string_view pin; // the board's name: "D13"
        int level;
    };
    using Listener = std::function<void(const Change&)>;

    // "D13,D12": pins of the board; nothing, with the problem, for one it lacks.
    static std::optional<PinWatch> parse(std::string_view list, const Board& board,
                                         std::string& problem);
    // Listens from now on. The watch must stay where it is while the simulation runs.
    void attach(avr_t* avr, Listener listener);

private:
    struct Watched
    {
        PinWatch* watch;
        const Board::Pin* pin;
        int level;
    };
    static void changed(avr_irq_t* irq, std::uint32_t value, void* param);

    std::vector<Watched> m_pins;
    avr_t* m_avr = nullptr;
    Listener m_listener;
};

} // namespace tessary
