#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// The few pieces of JSON the command line writes: strings quoted and escaped, lists of them.
class JsonText
{
public:
    // A JSON string: quotes, backslashes and control characters escaped, valid UTF-8 as it is,
    // and every byte that is not part of valid UTF-8 as U+FFFD.
    static std::string quote(std::string_view text);
    static std::string strings(const std::vector<std::string>& items);
    static std::string numbers(const std::vector<int>& items);
};

} // namespace tessary
