#include "ChipBridge.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace tessary {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kHello = 0xF0;
constexpr std::uint8_t kStop = 0xF1;
constexpr std::size_t kLongestAnswer = 64;
// A board that resets on opening spends its first moments in its boot loader: ask again.
constexpr auto kAskAgain = 700ms;

std::chrono::milliseconds left(Clock::time_point deadline)
{
    return std::max(0ms,
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

} // namespace

std::string ChipBridge::connect(const std::string& path)
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
    while (Clock::now() < deadline) {
        if (Clock::now() >= nextAsk) {
            const auto nonce = static_cast<std::uint8_t>(asked.size() + 1);
            const char hello[] = {static_cast<char>(kHello), static_cast<char>(nonce)};
            if (!m_port.write(std::string_view(hello, 2), left(deadline)))
                break;
            asked.insert(nonce);
            nextAsk = Clock::now() + kAskAgain;
        }
        std::uint8_t bytes[64];
        const int n =
            m_port.read(bytes, sizeof bytes, std::min(left(deadline), left(nextAsk) + 1ms));
        if (n < 0) {
            m_port.close();
            return path + ": the device went away while it was asked who it is";
        }
        for (int i = 0; i < n; ++i) {
            const char c = static_cast<char>(bytes[i]);
            if (c != '\n') {
                // Another device's chatter, or our own bytes echoed: never a line of ours.
                if (line.size() < kLongestAnswer)
                    line += c;
                continue;
            }
            int version = 0, room = 0, nonce = 0;
            char tail = 0;
            if (std::sscanf(line.c_str(), "tessary-bridge %d %d %d%c", &version, &room, &nonce,
                            &tail) == 3 &&
                asked.count(nonce) > 0) {
                if (version != kProtocol) {
                    m_port.close();
                    return path + ": a bridge of protocol " + std::to_string(version) +
                           "; this tessary speaks " + std::to_string(kProtocol) +
                           " (flash the firmware that came with it)";
                }
                if (room < 1 || room > 255) {
                    m_port.close();
                    return path + ": the bridge gave no room for codes";
                }
                m_room = room;
                // Answers to an earlier hello may still come; the stream skips their text.
                m_in.assign(bytes + i + 1, bytes + n);
                return {};
            }
            line.clear();
        }
    }
    m_port.close();
    return path + ": no bridge answered within " + std::to_string(kAnswerWithin.count() / 1000) +
           " s (is it another device, or the firmware not flashed?)";
}

int ChipBridge::next(std::chrono::milliseconds timeout)
{
    if (m_at >= m_in.size()) {
        m_in.resize(256);
        m_at = 0;
        const int n = m_port.read(m_in.data(), static_cast<int>(m_in.size()), timeout);
        m_in.resize(static_cast<std::size_t>(std::max(n, 0)));
        if (n < 0)
            return -1;
        if (n == 0)
            return 0;
    }
    return m_in[m_at++];
}

ChipBridge::Result ChipBridge::say(const std::vector<int>& codes, const std::atomic<bool>& stopNow,
                                   std::string& problem)
{
    if (!m_port.isOpen()) {
        problem = "no bridge is connected";
        return Result::Failed;
    }
    std::size_t sent = 0, loaded = 0;
    int credit = m_room;
    auto lastSign = Clock::now();
    for (;;) {
        if (stopNow)
            return stop(problem) ? Result::Stopped : Result::Failed;
        if (credit > 0 && sent < codes.size()) {
            const std::size_t batch =
                std::min<std::size_t>(std::size_t(credit), codes.size() - sent);
            std::string bytes;
            for (std::size_t i = sent; i < sent + batch; ++i)
                bytes += static_cast<char>(codes[i] & 0x3F);
            if (!m_port.write(bytes, 1000ms)) {
                problem = m_path + ": the bridge went away (unplugged?)";
                return Result::Failed;
            }
            sent += batch;
            credit -= static_cast<int>(batch);
        }
        const int byte = next(100ms);
        if (byte < 0) {
            problem = m_path + ": the bridge went away (unplugged?)";
            m_port.close();
            return Result::Failed;
        }
        if (byte == 0) {
            if (Clock::now() - lastSign > kStalled) {
                problem = m_path + ": the bridge stopped answering";
                return Result::Failed;
            }
            continue;
        }
        lastSign = Clock::now();
        if (byte == 'K') {
            ++credit;
            ++loaded;
        } else if (byte == 'Q' && loaded >= codes.size()) {
            return Result::Spoken;
        }
    }
}

bool ChipBridge::stop(std::string& problem)
{
    const char bytes[] = {static_cast<char>(kStop)};
    if (!m_port.write(std::string_view(bytes, 1), 1000ms)) {
        problem = m_path + ": the bridge went away (unplugged?)";
        return false;
    }
    const auto deadline = Clock::now() + 1000ms;
    while (Clock::now() < deadline) {
        const int byte = next(left(deadline));
        if (byte < 0)
            break;
        if (byte == 'S')
            return true;
    }
    problem = m_path + ": the bridge did not confirm the stop";
    return false;
}

} // namespace tessary
