#pragma once

#include "EspeakRenderer.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tessary::samplegen {

// Cuts one allophone out of a rendering and brings it to an exact number of frames. Works in
// floating point; the set's one gain and the rounding to 16 bits come afterwards.
class SampleCutter
{
public:
    struct Span
    {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t size() const { return end - begin; }
    };
    using Signal = std::vector<double>;

    explicit SampleCutter(int sampleRate) : m_rate(sampleRate) {}

    std::size_t frames(double ms) const;

    // Where the occurrence-th run of `targets` (consecutive phonemes) lies in the rendering.
    std::optional<Span> find(const Rendering& r, const std::vector<std::string>& targets,
                             int occurrence) const;

    // `length` frames from the middle of the span, faded in and out over `fadeMs`.
    Signal middle(const Rendering& r, Span span, std::size_t length, double fadeMs) const;
    // A stop: its burst and `release` frames into what follows, preceded by the closure as it
    // was spoken (or silence where that would reach into the previous phoneme); the release
    // fades out over `fadeMs`.
    Signal stop(const Rendering& r, Span span, std::size_t length, std::size_t release,
                double fadeMs) const;

private:
    // Raised-cosine fades over the first or last `frames` of s[begin, end).
    void fadeIn(Signal& s, std::size_t begin, std::size_t end, std::size_t frames) const;
    void fadeOut(Signal& s, std::size_t begin, std::size_t end, std::size_t frames) const;

    int m_rate;
};

} // namespace tessary::samplegen
