#include "BreachSummary.h"

#include <cstdio>

namespace tessary {

namespace {

std::string ms(double microseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", microseconds / 1000);
    return text;
}

} // namespace

void BreachSummary::add(double microseconds, const std::string& rule, const std::string& what)
{
    ++m_count;
    const auto second = static_cast<long long>(microseconds / 1e6);
    if (second != m_second) {
        writeCounts();
        m_second = second;
    }
    Rule& r = m_rules[rule];
    if (r.shown < kShownOfEach) {
        ++r.shown;
        m_write("tessary: " + ms(microseconds) + " ms: " + what);
        return;
    }
    if (r.more++ == 0)
        r.first = microseconds;
    r.last = microseconds;
}

void BreachSummary::writeCounts()
{
    for (auto& [rule, r] : m_rules) {
        if (r.more == 0)
            continue;
        m_write("tessary: " + ms(r.first) + "-" + ms(r.last) + " ms: " + std::to_string(r.more) +
                " more: " + rule);
        r.more = 0;
    }
}

void BreachSummary::finish()
{
    writeCounts();
}

} // namespace tessary
