#pragma once

#include "sound/SamplePlayer.h"

#include <chrono>
#include <memory>

namespace tessary {

struct PulsePlayback;

// The player over the sound server's own API, libpulse: PulseAudio, and PipeWire's pulse server.
//
// One server connection from start-up, on libpulse's threaded main loop. One mono S16 stream at
// the sink's own rate, opened on the first play without blocking the caller and closed
// `idleClose` after the last sound, so that neither the program nor the server wakes while
// nothing sounds; the connection stays. Where each sample goes in the stream (at the read
// position for a click, at its due frame for SPEAK) is the StreamTimeline's to say. Samples come
// from a SampleCache.
//
// When the server goes away the player reconnects in the background; a play meanwhile asks for
// that at once and sounds as soon as the server answers. No call waits for the server.
class PulseSamplePlayer final : public SamplePlayer
{
public:
    struct Options
    {
        std::chrono::milliseconds connectTimeout{500};
        std::chrono::milliseconds idleClose{1000};
    };

    // A player connected to the default server, or null when none answers in time.
    static std::unique_ptr<PulseSamplePlayer> connect(Options options);
    static std::unique_ptr<PulseSamplePlayer> connect() { return connect(Options{}); }
    ~PulseSamplePlayer() override;
    PulseSamplePlayer(const PulseSamplePlayer&) = delete;
    PulseSamplePlayer& operator=(const PulseSamplePlayer&) = delete;

    void play(const std::string& path) override;
    void playAt(const std::string& path, Clock::time_point due) override;
    void preload(const std::vector<std::string>& paths) override;

    // The sink's rate, which the stream and the decoded samples use; 0 until it is known.
    int rate() const;
    bool connected() const;
    bool streamOpen() const;
    // Waits until every sample asked for has been decoded (and played, if it was asked for).
    void waitDecoded();

private:
    explicit PulseSamplePlayer(std::unique_ptr<PulsePlayback> playback);
    std::unique_ptr<PulsePlayback> m_playback;
};

} // namespace tessary
