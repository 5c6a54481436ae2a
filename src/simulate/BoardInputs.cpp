#include "BoardInputs.h"

#include <simavr/avr_adc.h>
#include <simavr/avr_ioport.h>
#include <simavr/sim_cycle_timers.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace tessary {

namespace {

constexpr double kLongest = 3600; // seconds: as long as a run may be

// The items of a comma-separated list; false for an empty one among them.
bool split(std::string_view list, std::vector<std::string_view>& items)
{
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        items.push_back(list.substr(0, comma));
        if (items.back().empty() || (comma != std::string_view::npos && comma + 1 == list.size()))
            return false;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return true;
}

// A time in seconds from 0 to kLongest.
std::optional<double> secondsOf(std::string_view text)
{
    const std::string s(text);
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (s.empty() || *end != '\0' || !(value >= 0) || value > kLongest)
        return std::nullopt;
    return value;
}

std::optional<int> integerOf(std::string_view text, int most)
{
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = std::atoi(std::string(text).c_str());
    return value <= most ? std::optional<int>(value) : std::nullopt;
}

// The ADC channel behind a port bit: PORTC on the ATmega328P, PORTF on the ATmega2560 and
// ATmega32U4 carry channels 0-7, the ATmega2560's PORTK 8-15.
int channelOf(const Board::Pin& pin)
{
    if (pin.port == 'C' || pin.port == 'F')
        return pin.bit;
    return pin.port == 'K' ? 8 + pin.bit : -1;
}

} // namespace

std::optional<BoardInputs> BoardInputs::parse(std::string_view presses, std::string_view levels,
                                              std::string_view readings, const Board& board,
                                              std::string& problem)
{
    BoardInputs inputs;
    const std::string pins = "a pin of the " + std::string(board.shown) + " such as D2";
    struct Form
    {
        std::string_view list;
        std::string shape;
        std::function<bool(std::string_view, std::string_view, std::string_view)> add;
    };
    auto pinOf = [&](std::string_view name) { return board.pin(name); };
    const Form forms[] = {
        {presses, "PIN@SECONDS or PIN@FROM-TO (" + pins + ")",
         [&](std::string_view pin, std::string_view value, std::string_view at) {
             const Board::Pin* p = pinOf(pin);
             const std::size_t dash = at.find('-');
             const auto from = secondsOf(at.substr(0, dash));
             const auto to = dash == std::string_view::npos
                                 ? (from ? std::optional<double>(*from + kTapSeconds) : from)
                                 : secondsOf(at.substr(dash + 1));
             if (!p || !value.empty() || !from || !to || *to <= *from)
                 return false;
             inputs.m_changes.push_back({*from, p->port, p->bit, -1, 0});
             inputs.m_changes.push_back({*to, p->port, p->bit, -1, 1});
             return true;
         }},
        {levels, "PIN=0 or PIN=1, then @SECONDS where not from the start (" + pins + ")",
         [&](std::string_view pin, std::string_view value, std::string_view at) {
             const Board::Pin* p = pinOf(pin);
             const auto level = integerOf(value, 1);
             const auto from = at.empty() ? std::optional<double>(0) : secondsOf(at);
             if (!p || !level || !from)
                 return false;
             inputs.m_changes.push_back({*from, p->port, p->bit, -1, *level});
             return true;
         }},
        {readings,
         "PIN=0..1023, then @SECONDS where not from the start (an analog input such as A0)",
         [&](std::string_view pin, std::string_view value, std::string_view at) {
             const Board::Pin* p = pinOf(pin);
             const auto reading = integerOf(value, 1023);
             const auto from = at.empty() ? std::optional<double>(0) : secondsOf(at);
             if (!p || channelOf(*p) < 0 || !reading || !from)
                 return false;
             inputs.m_changes.push_back({*from, p->port, p->bit, channelOf(*p), *reading});
             return true;
         }},
    };
    for (const Form& form : forms) {
        std::vector<std::string_view> items;
        if (!split(form.list, items)) {
            problem = "an empty item (two commas, or one at an end)";
            return std::nullopt;
        }
        for (std::string_view item : items) {
            const std::size_t atSign = item.find('@');
            const std::string_view head = item.substr(0, atSign);
            const std::size_t eq = head.find('=');
            const std::string_view at =
                atSign == std::string_view::npos ? std::string_view() : item.substr(atSign + 1);
            const bool needsTime = &form == &forms[0];
            if ((needsTime && atSign == std::string_view::npos) ||
                (atSign != std::string_view::npos && at.empty()) ||
                !form.add(head.substr(0, eq),
                          eq == std::string_view::npos ? std::string_view() : head.substr(eq + 1),
                          at)) {
                problem = "'" + std::string(item) + "' is not " + form.shape;
                return std::nullopt;
            }
        }
    }
    std::stable_sort(inputs.m_changes.begin(), inputs.m_changes.end(),
                     [](const Change& a, const Change& b) { return a.seconds < b.seconds; });
    return inputs;
}

std::uint32_t BoardInputs::millivolts(int reading)
{
    // simavr's ADC reads 1023 * mV / 5000 and drops the fraction: the least that reads
    // `reading`.
    return static_cast<std::uint32_t>((reading * 5000 + 1022) / 1023);
}

void BoardInputs::apply(const Change& c)
{
    if (c.adc >= 0)
        avr_raise_irq(avr_io_getirq(m_avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC0 + c.adc),
                      millivolts(c.value));
    else
        avr_raise_irq(avr_io_getirq(m_avr, AVR_IOCTL_IOPORT_GETIRQ(c.port), c.bit),
                      static_cast<std::uint32_t>(c.value));
}

void BoardInputs::attach(avr_t* avr)
{
    m_avr = avr;
    m_next = 0;
    // A button's pin reads released (high) until it is pressed.
    for (const Change& c : m_changes) {
        if (c.adc < 0 && c.value == 1 && c.seconds > 0)
            apply({0, c.port, c.bit, -1, 1});
    }
    due(avr, avr->cycle, this);
}

// Puts every change now due on the board, and asks to be called again at the next.
avr_cycle_count_t BoardInputs::due(avr_t* avr, avr_cycle_count_t, void* param)
{
    auto& inputs = *static_cast<BoardInputs*>(param);
    const auto cyclesAt = [avr](double seconds) {
        return static_cast<avr_cycle_count_t>(seconds * static_cast<double>(avr->frequency));
    };
    while (inputs.m_next < inputs.m_changes.size() &&
           cyclesAt(inputs.m_changes[inputs.m_next].seconds) <= avr->cycle)
        inputs.apply(inputs.m_changes[inputs.m_next++]);
    if (inputs.m_next < inputs.m_changes.size())
        avr_cycle_timer_register(
            avr, cyclesAt(inputs.m_changes[inputs.m_next].seconds) - avr->cycle, &due, param);
    return 0;
}

} // namespace tessary
