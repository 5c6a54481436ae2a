#include "JoinedSpeech.h"

#include "TimeStretch.h"
#include "catalogue/AllophoneTable.h"
#include "sound/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessary {

namespace {

// Rising from nothing to full over `n` frames from `from`; falling, read backwards.
float riseAt(long long i, long long n)
{
    return n <= 0 ? 1.0f
                  : float(0.5 - 0.5 * std::cos(std::numbers::pi * (double(i) + 0.5) / double(n)));
}

} // namespace

JoinedSpeech::JoinedSpeech(int rate)
    : m_rate(rate), m_cross(2 * (static_cast<long long>(rate) * kCrossFadeMs / 2000)),
      m_edge(static_cast<long long>(rate) * kEdgeMs / 1000),
      m_cutFade(static_cast<long long>(rate) * kCutFadeMs / 1000),
      m_period(static_cast<long long>(rate) * kLongestPeriodMs / 1000),
      m_longest(static_cast<long long>(rate) * kLongestSoundMs / 1000)
{}

bool JoinedSpeech::flows(std::string_view mnemonic)
{
    return AllophoneTable::FindByMnemonic(mnemonic) &&
           !AllophoneTable::is(mnemonic, kPause | kStop);
}

void JoinedSpeech::add(std::string_view mnemonic, std::shared_ptr<const Pcm> sample,
                       long long start, long long chip, Pcm& out)
{
    // The chip's timeline is kept in whole microseconds; a frame either way is still a join.
    const long long slack = std::max(1LL, m_rate / 1000LL);
    if (m_held) {
        Held& h = *m_held;
        const bool adjacent = std::llabs(start - (h.start + h.chip)) <= slack;
        const bool bothSound = h.sample && sample;
        if (adjacent && bothSound && mnemonic == h.mnemonic && flows(mnemonic) &&
            start + chip - h.start <= m_longest) {
            h.chip = start + chip - h.start; // one sound, as long as both
            h.repeated = true;
            return;
        }
        const bool joined =
            adjacent && bothSound && flows(mnemonic) && !AllophoneTable::is(h.mnemonic, kPause);
        place(h, start, joined);
        m_held = Held{std::string(mnemonic), std::move(sample), start, chip, joined, false};
    } else {
        m_held = Held{std::string(mnemonic), std::move(sample), start, chip, false, false};
    }
    emitUntil(start - m_cross / 2, out);
}

void JoinedSpeech::finish(Pcm& out)
{
    if (m_held) {
        place(*m_held, std::nullopt, false);
        emitUntil(m_held->start + m_held->chip, out);
        m_held.reset();
    }
    emitUntil(m_base + static_cast<long long>(m_mix.size()), out);
}

std::vector<JoinedSpeech::Pcm> JoinedSpeech::shares(const std::vector<Part>& parts, int rate)
{
    if (parts.empty())
        return {};
    const long long origin = parts.front().start;
    JoinedSpeech joined(rate);
    Pcm sound;
    for (const Part& p : parts)
        joined.add(p.mnemonic, p.sample, p.start - origin, p.chip, sound);
    joined.finish(sound);
    std::vector<Pcm> out;
    const auto clamp = [&sound](long long at) {
        return sound.begin() + std::clamp(at, 0LL, static_cast<long long>(sound.size()));
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const long long to = i + 1 < parts.size() ? parts[i + 1].start - origin
                                                  : static_cast<long long>(sound.size());
        out.emplace_back(clamp(parts[i].start - origin),
                         clamp(std::max(to, parts[i].start - origin)));
    }
    return out;
}

bool JoinedSpeech::writeShares(const std::vector<Part>& parts, int rate,
                               const std::function<std::string(std::size_t)>& path,
                               std::vector<std::string>& paths)
{
    paths.clear();
    for (const Pcm& share : shares(parts, rate)) {
        paths.push_back(path(paths.size()));
        if (!WavWriter::write(paths.back(), share, rate))
            return false;
    }
    return true;
}

void JoinedSpeech::place(const Held& h, std::optional<long long> next, bool joinedAfter)
{
    if (!h.sample || h.sample->empty())
        return;
    const Pcm& s = *h.sample;
    const bool stretched = flows(h.mnemonic) && (h.joinedBefore || joinedAfter || h.repeated);
    if (!stretched) {
        // As cut: until the next allophone starts (or the chip's time ends, for the last), then
        // faded out under the next.
        const long long until = next ? std::max(*next, h.start) : h.start + h.chip;
        const long long have = static_cast<long long>(s.size());
        const long long whole = std::min(have, until - h.start);
        const long long fade = next ? std::min(m_cutFade, have - whole) : 0;
        std::vector<float> sound(static_cast<std::size_t>(std::max(0LL, whole + fade)));
        for (long long i = 0; i < whole; ++i)
            sound[i] = s[i];
        for (long long i = 0; i < fade; ++i)
            sound[whole + i] = s[whole + i] * float(fade - i) / float(fade);
        mix(sound, h.start);
        return;
    }
    // The sample without its faded edges, stretched across the joins; into the one before from
    // the point of its first period that best continues what sounds there, so that the two
    // are in phase where they overlap rather than cancelling.
    const long long edge = static_cast<long long>(s.size()) > 4 * m_edge ? m_edge : 0;
    const std::vector<float> inner(s.begin() + edge, s.end() - edge);
    const long long before = h.joinedBefore ? m_cross / 2 : 0;
    const long long after = joinedAfter ? m_cross / 2 : 0;
    const long long length = h.chip + before + after;
    const long long leeway = h.joinedBefore ? m_period : 0;
    const std::vector<float> whole =
        static_cast<long long>(inner.size()) >= length + leeway
            ? std::vector<float>(inner.begin(), inner.begin() + length + leeway)
            : TimeStretch::stretch(inner, static_cast<std::size_t>(length + leeway), m_rate);
    const long long from = bestContinuation(whole, h.start - before, leeway);
    std::vector<float> sound(whole.begin() + from, whole.begin() + from + length);
    // A join rises (or falls) over the whole cross-fade, an edge that is not over the cut's
    // own fade.
    const long long in = h.joinedBefore ? m_cross : m_edge;
    const long long out = joinedAfter ? m_cross : m_edge;
    for (long long i = 0; i < std::min(in, length); ++i)
        sound[i] *= riseAt(i, in);
    for (long long i = 0; i < std::min(out, length); ++i)
        sound[length - 1 - i] *= riseAt(i, out);
    mix(sound, h.start - before);
}

long long JoinedSpeech::bestContinuation(const std::vector<float>& sound, long long at,
                                         long long leeway) const
{
    long long best = 0;
    double most = 0;
    const long long n = std::min(m_cross, static_cast<long long>(sound.size()) - leeway);
    for (long long d = 0; d < leeway; ++d) {
        double sum = 0;
        for (long long i = 0; i < n; ++i) {
            const long long k = at + i - m_base;
            if (k >= 0 && k < static_cast<long long>(m_mix.size()))
                sum += double(m_mix[static_cast<std::size_t>(k)]) *
                       sound[static_cast<std::size_t>(d + i)];
        }
        if (sum > most) {
            most = sum;
            best = d;
        }
    }
    return best;
}

void JoinedSpeech::mix(const std::vector<float>& sound, long long at)
{
    // Sound before what has been handed out is lost; it cannot happen for allophones in order.
    const long long skip = std::max(0LL, m_base - at);
    const long long end = at + static_cast<long long>(sound.size());
    if (end > m_base + static_cast<long long>(m_mix.size()))
        m_mix.resize(static_cast<std::size_t>(end - m_base), 0.0f);
    for (long long i = skip; i < static_cast<long long>(sound.size()); ++i)
        m_mix[static_cast<std::size_t>(at + i - m_base)] += sound[static_cast<std::size_t>(i)];
}

void JoinedSpeech::emitUntil(long long frame, Pcm& out)
{
    const long long n = frame - m_base;
    if (n <= 0)
        return;
    if (static_cast<long long>(m_mix.size()) < n)
        m_mix.resize(static_cast<std::size_t>(n), 0.0f);
    for (long long i = 0; i < n; ++i)
        out.push_back(static_cast<std::int16_t>(
            std::clamp(std::lround(m_mix[static_cast<std::size_t>(i)]), -32768L, 32767L)));
    m_mix.erase(m_mix.begin(), m_mix.begin() + n);
    m_base = frame;
}

} // namespace tessary
