// Any bytes quoted as a JSON string: the result is one string of valid UTF-8 with no raw
// control character, whatever came in.
#include "text/JsonText.h"
#include "text/Utf8.h"

#include <cstdlib>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string quoted =
        JsonText::quote(std::string_view(reinterpret_cast<const char*>(data), size));
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        std::abort();
    bool escaped = false;
    for (std::size_t i = 1; i + 1 < quoted.size();) {
        std::size_t n = 0;
        const std::optional<char32_t> c = Utf8::decode(quoted, i, n);
        if (!c || *c < 0x20 || (*c == '"' && !escaped))
            std::abort();
        escaped = !escaped && *c == '\\';
        i += n;
    }
    if (escaped) // the closing quote would be escaped
        std::abort();
    return 0;
}
