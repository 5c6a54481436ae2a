#include "Pace.h"

#include <algorithm>

namespace tessary {

void Pace::rateChanged(std::string_view text)
{
    if (text.empty()) {
        m_rateText = "1";
        m_stepInterval = kEmptyBox;
        return;
    }
    m_rateText = text;
    const bool digits = text.size() <= 3 && std::all_of(text.begin(), text.end(), [](char c) {
                            return c >= '0' && c <= '9';
                        });
    if (!digits)
        return;
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    if (value >= 1)
        m_stepInterval = value;
}

} // namespace tessary
