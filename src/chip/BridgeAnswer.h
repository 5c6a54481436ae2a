#pragma once

#include <optional>
#include <string_view>

namespace tessary {

// A bridge's answer to a hello: "tessary-bridge VERSION ROOM NONCE", a whole line that begins
// with the name (an old utterance's one-byte answers before it are no part of the line), with
// perhaps a "\r" after it. Every number is range-checked: no overflow, no sign, no trailing
// text.
struct BridgeAnswer
{
    int version = 0;
    int room = 0;
    int nonce = 0;

    // The line without its "\n". Nothing when it holds no answer.
    static std::optional<BridgeAnswer> parse(std::string_view line);
};

} // namespace tessary
