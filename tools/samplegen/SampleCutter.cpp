#include "SampleCutter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessary::samplegen {

namespace {
constexpr double kBurstFadeMs = 1.0;
constexpr double kBurstThreshold = 0.15; // of the stop's peak: where the burst begins
} // namespace

std::size_t SampleCutter::frames(double ms) const
{
    return static_cast<std::size_t>(std::lround(ms * m_rate / 1000.0));
}

std::optional<SampleCutter::Span> SampleCutter::find(const Rendering& r,
                                                     const std::vector<std::string>& targets,
                                                     int occurrence) const
{
    const auto& ph = r.phonemes;
    int seen = 0;
    for (std::size_t i = 0; i + targets.size() <= ph.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < targets.size() && match; ++k)
            match = ph[i + k].name == targets[k];
        if (!match || ++seen < occurrence)
            continue;
        const std::size_t last = i + targets.size() - 1;
        const std::size_t begin = frames(ph[i].startMs);
        const std::size_t end = last + 1 < ph.size() ? frames(ph[last + 1].startMs) : r.pcm.size();
        if (begin >= end || end > r.pcm.size())
            return std::nullopt;
        return Span{begin, end};
    }
    return std::nullopt;
}

SampleCutter::Signal SampleCutter::middle(const Rendering& r, Span span, std::size_t length,
                                          double fadeMs) const
{
    Signal out(length, 0.0);
    // Shorter than wanted: the whole segment, centred in silence.
    const std::size_t take = std::min(length, span.size());
    const std::size_t from = span.begin + (span.size() - take) / 2;
    const std::size_t at = (length - take) / 2;
    for (std::size_t i = 0; i < take; ++i)
        out[at + i] = r.pcm[from + i];
    fadeIn(out, at, at + take, frames(fadeMs));
    fadeOut(out, at, at + take, frames(fadeMs));
    return out;
}

SampleCutter::Signal SampleCutter::stop(const Rendering& r, Span span, std::size_t length,
                                        std::size_t release, double fadeMs) const
{
    const std::size_t reach = std::min(r.pcm.size(), span.end + release);
    double peak = 0;
    for (std::size_t i = span.begin; i < span.end; ++i)
        peak = std::max(peak, std::abs(double(r.pcm[i])));
    std::size_t onset = span.begin;
    while (onset < span.end && std::abs(double(r.pcm[onset])) < kBurstThreshold * peak)
        ++onset;

    const std::size_t end = std::min(reach, onset + length);
    Signal out(length, 0.0);
    // Right-aligned: the release ends the sample, and what precedes the burst in the stop's own
    // segment (a voice bar, or closure silence) comes before it.
    const std::size_t first = end >= length ? std::max(span.begin, end - length) : span.begin;
    const std::size_t at = length - (end - first);
    for (std::size_t i = first; i < end; ++i)
        out[at + (i - first)] = r.pcm[i];
    fadeIn(out, at, length, frames(kBurstFadeMs));
    fadeOut(out, at, length, frames(fadeMs));
    return out;
}

void SampleCutter::fadeIn(Signal& s, std::size_t begin, std::size_t end, std::size_t n) const
{
    n = std::min(n, end - begin);
    for (std::size_t i = 0; i < n; ++i)
        s[begin + i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * double(i) / double(n));
}

void SampleCutter::fadeOut(Signal& s, std::size_t begin, std::size_t end, std::size_t n) const
{
    n = std::min(n, end - begin);
    for (std::size_t i = 0; i < n; ++i)
        s[end - 1 - i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * double(i) / double(n));
}

} // namespace tessary::samplegen
