#pragma once

#include "speech/SamplePlayer.h"

#include <chrono>
#include <memory>

namespace tessary {

// The player over the sound server's own API, libpulse: PulseAudio, and PipeWire's pulse server.
//
// One server connection from start-up, on libpulse's threaded main loop. One mono S16 stream at
// the sink's own rate, opened on the first play without blocking the caller and closed
// `idleClose` after the last sound, so that neither the program nor the server wakes while
// nothing sounds; the connection stays. A play is written whole at the read position, so that it
// cuts in at once. A run of timed plays (SPEAK) starts kLead past the read position, and every
// later one is placed at its due frame by seeking from the write index, which only the player's
// own writes move; silence after each write keeps that index ahead of the read position for as
// long as the stream is open, so the places stay exact. Samples come from a SampleCache.
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

    // How far ahead of the read position a run of timed plays is placed: it absorbs the step
    // timer's lateness (the sequencer keeps that under 4 ms) and a busy moment between the step
    // and its play, so that one slow step does not start the run anew.
    static constexpr std::chrono::milliseconds kLead{20};

private:
    struct Impl;
    explicit PulseSamplePlayer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace tessary
