#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The few pieces of JSON the command line writes: strings quoted and escaped, lists of them.
class JsonText
{
public:
    // A JSON string: quotes, backslashes and control characters escaped; other bytes as they
    // are (the text is UTF-8).
    static std::string quote(std::string_view text);
    static std::string strings(const std::vector<std::string>& items);
    static std::string numbers(const std::vector<int>& items);
};

} // namespace tessary
