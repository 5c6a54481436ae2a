#pragma once

#include "SerialPort.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessary {

// The host's side of our bridge firmware (firmware/bridge/), which drives a real SP0256-AL2.
// The protocol's bytes and numbers are firmware/bridge/protocol.h, shared with the firmware.
//
// Nothing but the hello is written before the bridge has answered it, so another device on the
// port (a printer, another board) is never sent codes. A hello empties the bridge's queue and
// silences the chip, so an utterance left behind by a host that died never mixes with ours. The
// host keeps at most ROOM codes unanswered by a 'K', and a code the bridge had to drop fails
// the utterance: what returns Spoken was said whole.
class ChipBridge
{
public:
    // How long a bridge may take to answer, a board's reset and boot on opening included.
    static constexpr std::chrono::milliseconds kAnswerWithin{3000};
    // Between two codes going to the chip while some wait: far longer than any allophone.
    static constexpr std::chrono::milliseconds kStalled{2000};
    // From the last code going to the chip until the bridge says it is silent: the two
    // allophones that may still be under way last well under a second.
    static constexpr std::chrono::milliseconds kSilentWithin{2000};

    enum class Result { Spoken, Stopped, Failed };
    // Appends the next codes to `codes`; false once there are no more (what it appended last
    // still counts). Called as the bridge makes room, so an utterance of any length is fed in
    // pieces.
    using Feed = std::function<bool(std::vector<int>& codes)>;

    // Opens `path` and waits for the bridge's answer. Empty when it answered; otherwise why not,
    // in one line. `stop` becoming true gives up at once.
    std::string connect(const std::string& path, const std::atomic<bool>* stop = nullptr);
    int room() const { return m_room; }

    // Sends the codes and returns once the chip has said them all and fallen silent; at once
    // when there are none. `stop` becoming true silences the chip at once: Stopped, with
    // `problem` saying so when the bridge did not confirm it. Failed: `problem` says why.
    Result say(const std::vector<int>& codes, const std::atomic<bool>& stop, std::string& problem);
    Result say(const Feed& feed, const std::atomic<bool>& stop, std::string& problem);
    // Silences the chip at once and empties the bridge's queue; false when it did not confirm.
    bool stop(std::string& problem);

private:
    static constexpr int kGone = -1;
    static constexpr int kNothing = -2;
    // The next byte after the handshake; kGone when the port has gone, kNothing when none came
    // within `timeout`.
    int next(std::chrono::milliseconds timeout);
    std::optional<std::string> answerIn(const std::uint8_t* bytes, int n,
                                        const std::set<int>& asked, std::string& line);
    // Writes `count` codes from `from` on; false when the port has gone or is stuck.
    bool send(const std::vector<int>& codes, std::size_t from, std::size_t count);
    // Where an utterance stands: codes sent, codes the chip has taken, the last sign of either.
    struct Progress
    {
        std::size_t sent = 0;
        std::size_t loaded = 0;
        bool allSent = false;
        std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
        std::size_t outstanding() const { return sent - loaded; }
    };
    std::optional<Result> heard(int byte, Progress& progress, std::string& problem);
    // A failed utterance leaves nothing queued: the stop is sent without waiting for its answer.
    Result fail(std::string& problem, std::string why);

    SerialPort m_port;
    std::string m_path;
    int m_room = 0;
    std::vector<std::uint8_t> m_in;
    std::size_t m_at = 0;
};

} // namespace tessary
