#pragma once

#include <string>
#include <string_view>

namespace tessary {

// The pace of SPEAK: milliseconds from the start of one sample to the start of the next.
class Pace
{
public:
    static constexpr int kInitial = 50;
    static constexpr int kEmptyBox = 1;

    // The speed box's text changed. The empty text gives 1 ms; one to three ASCII digits with a
    // value of at least 1 give that value; anything else keeps the last valid pace, so that every
    // wait has an interval that ends.
    void rateChanged(std::string_view text);
    // Back to 50 ms, as at start-up.
    void reset() { m_stepInterval = kInitial; }

    int StepInterval() const { return m_stepInterval; }
    // The text last taken from the box ("1" for the empty box), valid or not.
    const std::string& RateText() const { return m_rateText; }

private:
    int m_stepInterval = kInitial;
    std::string m_rateText;
};

} // namespace tessary
