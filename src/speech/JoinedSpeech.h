#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Allophones joined as the chip joins them. The chip runs one filter from allophone to
// allophone: nothing falls silent between two sounds that go on (vowels, glides, nasals,
// fricatives), and an allophone said twice is one sound twice as long. The set's samples are cut
// apart, each faded in and out at its edges; laid end to end they dip towards silence at every
// join, and a listener hears a new syllable there. Here such a join is cross-faded instead: the
// faded edges are left out and the rest of the sample is stretched (TimeStretch) to reach half
// a cross-fade into each neighbour, and a repeated allophone is one sample stretched to the
// summed length. Every allophone still starts where the chip starts it. A stop keeps its sample
// as cut (its closure is its own silence), a pause is silence, and a sample runs on until the
// next allophone starts, under which it fades out if it is longer.
//
// Allophones come one at a time and sound is handed out as soon as nothing after it can change
// it, so an utterance of any length is joined in bounded memory.
class JoinedSpeech
{
public:
    using Pcm = std::vector<std::int16_t>;

    static constexpr int kCrossFadeMs = 10; // centred on the join
    static constexpr int kEdgeMs = 4;       // the fades a sample is cut with, left out at a join
    static constexpr int kCutFadeMs = 4;    // a sample cut off by the next fades out under it
    static constexpr int kLongestPeriodMs = 12; // of a voice: how far a join looks for its phase
    // A run of one allophone is one sound up to this long, then cross-faded into the next such
    // sound: a run of any length is joined in bounded memory.
    static constexpr int kLongestSoundMs = 2000;

    explicit JoinedSpeech(int rate);

    // The next allophone: it starts `start` frames into the utterance (no earlier than the one
    // before) and the chip says it for `chip` frames; a null sample is silence. Appends to `out`
    // the frames that are now final.
    void add(std::string_view mnemonic, std::shared_ptr<const Pcm> sample, long long start,
             long long chip, Pcm& out);
    // Appends the rest, up to the end of the last allophone's chip time.
    void finish(Pcm& out);

    // A whole utterance at once, for a player that plays files at their due times: joined, and
    // cut where each part starts, one share a part (the last up to its chip time's end); back
    // to back the shares are the joined sound, frame for frame.
    struct Part
    {
        std::string mnemonic;
        std::shared_ptr<const Pcm> sample;
        long long start = 0; // frames, rising
        long long chip = 0;
    };
    static std::vector<Pcm> shares(const std::vector<Part>& parts, int rate);
    // The shares written as wave files, the i-th to `path(i)`, into `paths`; false when one
    // cannot be written (the last of `paths`).
    static bool writeShares(const std::vector<Part>& parts, int rate,
                            const std::function<std::string(std::size_t)>& path,
                            std::vector<std::string>& paths);

    // Whether the chip goes on sounding from the allophone into the next: neither is a stop or
    // a pause. Anything that names no allophone does not.
    static bool flows(std::string_view mnemonic);

private:
    struct Held
    {
        std::string mnemonic;
        std::shared_ptr<const Pcm> sample;
        long long start = 0;
        long long chip = 0;
        bool joinedBefore = false; // cross-faded with the one before
        bool repeated = false;     // said more than once in a row
    };

    // Mixes the held allophone in; `next` is where the one after starts (none: the end), and
    // whether it is cross-faded into.
    void place(const Held& h, std::optional<long long> next, bool joinedAfter);
    // Where in its first `leeway` frames `sound`, placed at `at`, best continues what is mixed
    // there already.
    long long bestContinuation(const std::vector<float>& sound, long long at,
                               long long leeway) const;
    void mix(const std::vector<float>& sound, long long at);
    void emitUntil(long long frame, Pcm& out);

    int m_rate;
    long long m_cross;
    long long m_edge;
    long long m_cutFade;
    long long m_period;
    long long m_longest;
    std::optional<Held> m_held;
    std::vector<float> m_mix; // frames from m_base on, not yet handed out
    long long m_base = 0;
};

} // namespace tessary
