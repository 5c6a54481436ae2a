#include "TimeStretch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessary {

namespace {

constexpr double kFrameMs = 20;
constexpr std::size_t kShortest = 32; // frames: below this, the sound is repeated whole

// How well `a` continues as `b`: their normalised cross-correlation over `n` frames, every
// second one (enough for a voice below 5 kHz, and half the work).
double likeness(const float* a, const float* b, std::size_t n)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

} // namespace

std::vector<float> TimeStretch::stretch(const std::vector<float>& in, std::size_t length, int rate)
{
    return stretch(in, {{0, 0}, {double(in.size()), double(length)}}, rate);
}

std::vector<float> TimeStretch::stretch(const std::vector<float>& in,
                                        const std::vector<Anchor>& anchors, int rate)
{
    const std::size_t length =
        anchors.empty() ? 0 : static_cast<std::size_t>(std::max(0.0, anchors.back().out));
    std::vector<float> out(length, 0.0f);
    if (in.empty() || length == 0)
        return out;
    if (in.size() == length && anchors.size() == 2)
        return in;
    if (in.size() < kShortest) {
        for (std::size_t i = 0; i < length; ++i)
            out[i] = in[i % in.size()];
        return out;
    }
    // Two frames at least fit in the input; an even frame, so that half-overlapping Hann
    // windows add up to one.
    std::size_t frame = std::min<std::size_t>(std::lround(kFrameMs * rate / 1000), in.size() / 2);
    frame &= ~std::size_t(1);
    const std::size_t hop = frame / 2;
    const std::size_t tolerance = frame / 4;
    std::vector<float> window(frame);
    for (std::size_t i = 0; i < frame; ++i)
        window[i] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(frame)));

    std::vector<float> sum(length + frame, 0.0f);
    std::vector<float> weight(length + frame, 0.0f);
    const std::size_t last = in.size() - frame;
    // Where the time map puts output frame `at` in the input; a frame is centred there.
    std::size_t anchor = 0;
    const auto source = [&](double at) {
        while (anchor + 2 < anchors.size() && anchors[anchor + 1].out <= at)
            ++anchor;
        const Anchor& a = anchors[anchor];
        const Anchor& b = anchors[std::min(anchor + 1, anchors.size() - 1)];
        const double t = b.out > a.out ? (at - a.out) / (b.out - a.out) : 0;
        return a.in + t * (b.in - a.in);
    };
    std::size_t previous = 0; // where the last frame was taken from
    for (std::size_t at = 0; at < length; at += hop) {
        const double centre = source(double(at) + double(hop)) - double(hop);
        const std::size_t nominal =
            std::min(last, static_cast<std::size_t>(std::max(0L, std::lround(centre))));
        std::size_t from = nominal;
        if (at > 0) {
            // The frame that best continues the previous one's second half.
            const std::size_t natural = std::min(last, previous + hop);
            const std::size_t lo = nominal > tolerance ? nominal - tolerance : 0;
            const std::size_t hi = std::min(last, nominal + tolerance);
            double best = -2;
            for (std::size_t c = lo; c <= hi; ++c) {
                const double l = likeness(&in[natural], &in[c], frame - hop);
                if (l > best) {
                    best = l;
                    from = c;
                }
            }
        }
        for (std::size_t i = 0; i < frame; ++i) {
            sum[at + i] += in[from + i] * window[i];
            weight[at + i] += window[i];
        }
        previous = from;
    }
    // The first and last half frames have one window over them, not two: dividing by the
    // weight keeps their level.
    for (std::size_t i = 0; i < length; ++i)
        out[i] = weight[i] > 1e-3f ? sum[i] / weight[i] : sum[i];
    out[0] = in[0]; // under no window's weight
    return out;
}

} // namespace tessary
