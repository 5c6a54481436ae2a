#include "ChipBridge.h"

#include "BridgeAnswer.h"
#include "protocol.h"

#include <algorithm>

namespace tessary {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The answer's length and more: a line longer than that keeps only its end.
constexpr std::size_t kLongestAnswer = 64;
// A board that resets on opening spends its first moments in its boot loader: ask again.
constexpr auto kAskAgain = 700ms;
constexpr int kNonces = TB_NONCE_LAST - TB_NONCE_FIRST + 1;

std::chrono::milliseconds left(Clock::time_point deadline)
{
    return std::max(0ms,
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// 'K', 'F', 'Q', 'S': they count wherever they stand, and are never part of a line.
bool isOneByteAnswer(int byte)
{
    return byte == TB_LOADED || byte == TB_FULL || byte == TB_SILENT || byte == TB_STOPPED;
}

std::string seconds(std::chrono::milliseconds ms)
{
    return std::to_string(ms.count() / 1000) + " s";
}

} // namespace

// The answer to one of our hellos, looked for in what came: empty while none has come; else
// the problem with it, or "" for a bridge we can use. Bytes after the answer stay in m_in.
std::optional<std::string> ChipBridge::answerIn(const std::uint8_t* bytes, int n,
                                                const std::set<int>& asked, std::string& line)
{
    for (int i = 0; i < n; ++i) {
        if (isOneByteAnswer(bytes[i]))
            continue; // an old utterance's last answers, in the line the answer starts
        if (bytes[i] != '\n') {
            // Another device's chatter, our own bytes echoed: nothing here begins an answer.
            if (line.size() <= kLongestAnswer)
                line += static_cast<char>(bytes[i]);
            continue;
        }
        const std::optional<BridgeAnswer> answer = BridgeAnswer::parse(line);
        line.clear();
        if (!answer || asked.count(answer->nonce) == 0)
            continue;
        if (answer->version != TB_PROTOCOL)
            return m_path + ": a bridge of protocol " + std::to_string(answer->version) +
                   "; this tessary speaks " + std::to_string(TB_PROTOCOL) +
                   " (flash the firmware that came with it)";
        if (answer->room < 1)
            return m_path + ": the bridge gave no room for codes";
        m_room = answer->room;
        // Answers to an earlier hello may still come; say() ignores their text.
        m_in.assign(bytes + i + 1, bytes + n);
        return std::string();
    }
    return std::nullopt;
}

std::string ChipBridge::connect(const std::string& path, const std::atomic<bool>* stop)
{
    m_path = path;
    m_room = 0;
    m_in.clear();
    m_at = 0;
    if (std::string problem = m_port.open(path); !problem.empty())
        return problem;

    const auto deadline = Clock::now() + kAnswerWithin;
    std::set<int> asked;
    std::string line;
    auto nextAsk = Clock::now();
    while (Clock::now() < deadline && !(stop && *stop)) {
        if (Clock::now() >= nextAsk) {
            const int nonce = TB_NONCE_FIRST + static_cast<int>(asked.size()) % kNonces;
            const char hello[] = {static_cast<char>(TB_HELLO), static_cast<char>(nonce)};
            if (!m_port.write(std::string_view(hello, 2), left(deadline)))
                break;
            asked.insert(nonce);
            nextAsk = Clock::now() + kAskAgain;
        }
        std::uint8_t bytes[64];
        // A short wait, so that a stop is seen within a tenth of a second.
        const int n = m_port.read(bytes, sizeof bytes,
                                  std::min({left(deadline), left(nextAsk) + 1ms, 100ms}));
        if (n < 0) {
            m_port.close();
            return path + ": the device went away while it was asked who it is";
        }
        if (const std::optional<std::string> answered = answerIn(bytes, n, asked, line)) {
            if (!answered->empty())
                m_port.close();
            return *answered;
        }
    }
    m_port.close();
    if (stop && *stop)
        return path + ": stopped while waiting for the bridge";
    return path + ": no bridge answered within " + seconds(kAnswerWithin) +
           " (is it another device, or the firmware not flashed?)";
}

int ChipBridge::next(std::chrono::milliseconds timeout)
{
    if (m_at >= m_in.size()) {
        m_in.resize(256);
        m_at = 0;
        const int n = m_port.read(m_in.data(), static_cast<int>(m_in.size()), timeout);
        m_in.resize(static_cast<std::size_t>(std::max(n, 0)));
        if (n < 0)
            return kGone;
        if (n == 0)
            return kNothing;
    }
    return m_in[m_at++];
}

ChipBridge::Result ChipBridge::fail(std::string& problem, std::string why)
{
    problem = m_path + ": " + std::move(why);
    if (m_port.isOpen()) {
        const char bytes[] = {static_cast<char>(TB_STOP)};
        m_port.write(std::string_view(bytes, 1), 100ms);
    }
    return Result::Failed;
}

bool ChipBridge::send(const std::vector<int>& codes, std::size_t from, std::size_t count)
{
    std::string bytes;
    for (std::size_t i = from; i < from + count; ++i)
        bytes += static_cast<char>(codes[i] & TB_CODE_LAST);
    return m_port.write(bytes, 1000ms);
}

ChipBridge::Result ChipBridge::say(const std::vector<int>& codes, const std::atomic<bool>& stopNow,
                                   std::string& problem)
{
    return say(
        [&codes](std::vector<int>& more) {
            more.insert(more.end(), codes.begin(), codes.end());
            return false;
        },
        stopNow, problem);
}

ChipBridge::Result ChipBridge::say(const Feed& feed, const std::atomic<bool>& stopNow,
                                   std::string& problem)
{
    if (!m_port.isOpen()) {
        problem = "no bridge is connected";
        return Result::Failed;
    }
    std::vector<int> waiting; // fed, not yet sent
    std::size_t at = 0;
    bool more = true;
    const auto refill = [&] {
        while (at >= waiting.size() && more) {
            waiting.clear();
            at = 0;
            more = feed(waiting);
        }
    };
    refill();
    if (waiting.empty())
        return Result::Spoken; // nothing to say: the chip is not even asked
    // Whatever came before our first code is about none of them: no credit from it.
    while (next(0ms) >= 0) {
    }
    Progress progress;
    for (;;) {
        if (stopNow) {
            stop(problem);
            return Result::Stopped;
        }
        refill();
        const std::size_t credit = static_cast<std::size_t>(m_room) - progress.outstanding();
        const std::size_t batch = std::min(credit, waiting.size() - at);
        if (batch > 0) {
            if (!send(waiting, at, batch)) {
                m_port.close();
                return fail(problem, "the bridge went away (unplugged?)");
            }
            if (progress.outstanding() == 0)
                progress.last = Clock::now();
            progress.sent += batch;
            at += batch;
        }
        progress.allSent = !more && at >= waiting.size();
        if (const std::optional<Result> result = heard(next(100ms), progress, problem))
            return *result;
    }
}

// What one byte from the bridge (or none within the wait) means for the utterance: nothing
// while it goes on, else how it ended.
std::optional<ChipBridge::Result> ChipBridge::heard(int byte, Progress& progress,
                                                    std::string& problem)
{
    if (byte == kGone) {
        m_port.close();
        return fail(problem, "the bridge went away (unplugged?)");
    }
    if (byte == TB_FULL)
        return fail(problem, "the bridge's queue was full and a code was lost");
    if (byte == TB_LOADED && progress.loaded < progress.sent) {
        ++progress.loaded; // a 'K' for nothing we sent gives no credit
        progress.last = Clock::now();
        return std::nullopt;
    }
    if (byte == TB_SILENT && progress.outstanding() == 0 && progress.allSent)
        return Result::Spoken;
    // Every other byte (a late answer to an earlier hello, a chattering line) is ignored: it
    // is no progress, and it hides none of the answers after it.
    const auto quiet = Clock::now() - progress.last;
    if (progress.outstanding() > 0 && quiet > kStalled)
        return fail(problem,
                    "the bridge stopped taking codes (nothing for " + seconds(kStalled) + ")");
    if (progress.outstanding() == 0 && progress.allSent && quiet > kSilentWithin)
        return fail(problem, "the chip did not fall silent within " + seconds(kSilentWithin) +
                                 " of its last code");
    return std::nullopt;
}

bool ChipBridge::stop(std::string& problem)
{
    const char bytes[] = {static_cast<char>(TB_STOP)};
    if (!m_port.write(std::string_view(bytes, 1), 1000ms)) {
        problem = m_path + ": the bridge went away (unplugged?)";
        return false;
    }
    const auto deadline = Clock::now() + 1000ms;
    while (Clock::now() < deadline) {
        const int byte = next(left(deadline));
        if (byte == kGone)
            break;
        if (byte == TB_STOPPED)
            return true;
    }
    problem = m_path + ": the bridge did not confirm the stop";
    return false;
}

} // namespace tessary
