#include "SimulatedMcu.h"

namespace tessary {

// Each figure from the part's datasheet (memory organisation), as avr-libc's device headers
// give them.
const std::vector<SimulatedMcu>& SimulatedMcu::All()
{
    static const std::vector<SimulatedMcu> all = {
        {"atmega328p", "ATmega328P", 5, 32 * 1024, 0x100, 2 * 1024, 1024},
    };
    return all;
}

const SimulatedMcu* SimulatedMcu::find(std::string_view name)
{
    for (const SimulatedMcu& m : All()) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

const SimulatedMcu& SimulatedMcu::uno()
{
    return All().front();
}

} // namespace tessary
