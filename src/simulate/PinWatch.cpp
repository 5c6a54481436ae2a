#include "PinWatch.h"

#include <simavr/avr_ioport.h>

namespace tessary {

std::optional<PinWatch> PinWatch::parse(std::string_view list, const Board& board,
                                        std::string& problem)
{
    PinWatch watch;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const Board::Pin* pin = board.pin(name);
        if (!pin) {
            problem = "'" + std::string(name) + "' is no pin of the " + std::string(board.shown) +
                      " (D13, A0)";
            return std::nullopt;
        }
        watch.m_pins.push_back({nullptr, pin, -1});
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return watch;
}

void PinWatch::attach(avr_t* avr, Listener listener)
{
    m_avr = avr;
    m_listener = std::move(listener);
    for (Watched& w : m_pins) {
        w.watch = this;
        avr_irq_register_notify(
            avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ(w.pin->port), w.pin->bit), &changed, &w);
    }
}

void PinWatch::changed(avr_irq_t*, std::uint32_t value, void* param)
{
    auto& w = *static_cast<Watched*>(param);
    const int level = value ? 1 : 0;
    if (level == w.level)
        return;
    w.level = level;
    const avr_t* avr = w.watch->m_avr;
    w.watch->m_listener(
        {static_cast<double>(avr->cycle) * 1e6 / avr->frequency, w.pin->name, level});
}

} // namespace tessary
