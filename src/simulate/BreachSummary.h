#pragma once

#include <functional>
#include <map>
#include <string>

namespace tessary {

// The breaches of a run as lines a person can read, however many there are: the first few of
// each rule in full, then, for each simulated second, how many more broke it. A firmware that
// breaks a rule millions of times a second writes a few lines a second, not millions.
class BreachSummary
{
public:
    using Write = std::function<void(const std::string& line)>;
    static constexpr int kShownOfEach = 3;

    explicit BreachSummary(Write write) : m_write(std::move(write)) {}

    void add(double microseconds, const std::string& rule, const std::string& what);
    // The counts not yet written; call once the run is over.
    void finish();
    long long count() const { return m_count; }

private:
    struct Rule
    {
        int shown = 0;
        long long more = 0; // since the last count written
        double first = 0, last = 0;
    };
    void writeCounts();

    Write m_write;
    std::map<std::string, Rule> m_rules;
    long long m_second = 0;
    long long m_count = 0;
};

} // namespace tessary
