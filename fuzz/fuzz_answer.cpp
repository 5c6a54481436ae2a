// A line of any bytes from a device on the port: an answer is taken only with every number in
// range, and an answer taken reads back the same once written out again.
#include "chip/BridgeAnswer.h"

#include <cstdlib>
#include <string>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::optional<BridgeAnswer> a = BridgeAnswer::parse(line);
    if (!a)
        return 0;
    for (int n : {a->version, a->room, a->nonce}) {
        if (n < 0 || n > 255)
            std::abort();
    }
    const std::string again = "tessary-bridge " + std::to_string(a->version) + " " +
                              std::to_string(a->room) + " " + std::to_string(a->nonce);
    const std::optional<BridgeAnswer> b = BridgeAnswer::parse(again);
    if (!b || b->version != a->version || b->room != a->room || b->nonce != a->nonce)
        std::abort();
    return 0;
}
