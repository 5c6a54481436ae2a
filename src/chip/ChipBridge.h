#pragma once

#include "SerialPort.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tessary {

// The host's side of our bridge firmware (firmware/bridge/), which drives a real SP0256-AL2:
//
//   host -> bridge   0x00-0x3F a code; 0xF0 N hello; 0xF1 stop at once
//   bridge -> host   "tessary-bridge VERSION ROOM N\n" to hello N; 'K' a code went to the chip
//                    (room for one more); 'Q' the chip is silent and nothing is queued;
//                    'S' stopped
//
// Nothing but the hello is written before the bridge has answered it, so another device on the
// port (a printer, another board) is never sent codes. The host keeps at most ROOM codes
// unanswered by a 'K', so no byte is lost however long the utterance.
class ChipBridge
{
public:
    static constexpr int kProtocol = 1;
    // How long a bridge may take to answer, a board's reset and boot on opening included.
    static constexpr std::chrono::milliseconds kAnswerWithin{3000};
    // Between two signs of life while the chip speaks: far longer than any allophone.
    static constexpr std::chrono::milliseconds kStalled{2000};

    enum class Result { Spoken, Stopped, Failed };

    // Opens `path` and waits for the bridge's answer. Empty when it answered; otherwise why not,
    // in one line.
    std::string connect(const std::string& path);
    int room() const { return m_room; }

    // Sends the codes and returns once the chip has said them all and fallen silent. `stop`
    // becoming true silences the chip at once (Stopped). Failed: `problem` says why.
    Result say(const std::vector<int>& codes, const std::atomic<bool>& stop, std::string& problem);
    // Silences the chip at once and empties the bridge's queue.
    bool stop(std::string& problem);

private:
    // Bytes of the stream after the handshake, one at a time; -1 gone, 0 nothing in `timeout`.
    int next(std::chrono::milliseconds timeout);

    SerialPort m_port;
    std::string m_path;
    int m_room = 0;
    std::vector<std::uint8_t> m_in;
    std::size_t m_at = 0;
};

} // namespace tessary
