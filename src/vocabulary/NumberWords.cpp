#include "NumberWords.h"

namespace tessary {

namespace {

// The words of 0 < n < 1000. `andFirst`: British "and" before a remainder under a hundred
// (one thousand and five).
void below(int n, bool british, bool andFirst, std::vector<int>& out)
{
    if (n >= 100) {
        out.push_back(n / 100);
        out.push_back(NumberWords::kHundred);
        n %= 100;
        if (n && british)
            out.push_back(NumberWords::kAnd);
    } else if (andFirst && n && british) {
        out.push_back(NumberWords::kAnd);
    }
    if (n >= 20) {
        out.push_back(NumberWords::kTens + n / 10 - 2);
        n %= 10;
    }
    if (n)
        out.push_back(n);
}

} // namespace

const std::vector<std::string>& NumberWords::texts()
{
    static const std::vector<std::string> words = {
        "zero",     "one",      "two",     "three",     "four",     "five",     "six",
        "seven",    "eight",    "nine",    "ten",       "eleven",   "twelve",   "thirteen",
        "fourteen", "fifteen",  "sixteen", "seventeen", "eighteen", "nineteen", "twenty",
        "thirty",   "forty",    "fifty",   "sixty",     "seventy",  "eighty",   "ninety",
        "hundred",  "thousand", "minus",   "and"};
    return words;
}

std::vector<int> NumberWords::of(long n, bool british)
{
    std::vector<int> out;
    if (n < 0) {
        out.push_back(kMinus);
        n = -n;
    }
    if (n == 0)
        return {0};
    if (n >= 1000) {
        below(static_cast<int>(n / 1000), british, false, out);
        out.push_back(kThousand);
    }
    below(static_cast<int>(n % 1000), british, n >= 1000, out);
    // A unit that ends a longer number takes its lighter form.
    if (out.size() > 1 && out.back() >= 1 && out.back() <= 19)
        out.back() = kFinal + out.back() - 1;
    return out;
}

std::string NumberWords::text(long n, bool british)
{
    std::string out;
    for (int w : of(n, british))
        out += (out.empty() ? "" : " ") +
               texts()[static_cast<std::size_t>(w >= kFinal ? w - kFinal + 1 : w)];
    return out;
}

} // namespace tessary
