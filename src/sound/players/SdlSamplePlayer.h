#pragma once

#include "sound/SamplePlayer.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace tessary {

// The fallback player, over SDL2's audio, for where no sound server answers (plain ALSA): one
// voice, fed by SDL's callback, S16 mono at the device's rate. Samples come from a SampleCache.
//
// Opening a device can take long (or, for an odd device, forever), so a thread of the player's
// own opens and closes it: a play on a closed device asks for it and returns, and sounds once the
// device is there. SDL keeps feeding a paused device with silence, which wakes the program every
// few milliseconds, so once nothing has sounded for `idleClose` the same thread closes it.
//
// SDL's own sound-server backend is left out: where the server did not answer, SDL is not to
// start one either.
class SdlSamplePlayer final : public SamplePlayer
{
public:
    explicit SdlSamplePlayer(std::chrono::milliseconds idleClose = std::chrono::seconds(10));
    ~SdlSamplePlayer() override;
    SdlSamplePlayer(const SdlSamplePlayer&) = delete;
    SdlSamplePlayer& operator=(const SdlSamplePlayer&) = delete;

    void play(const std::string& path) override;
    // Asks for the device, so that the first play finds it open.
    void prepare() override;
    void preload(const std::vector<std::string>& paths) override;

    // Opens the device and waits for the outcome: whether it is open.
    bool openDevice();
    bool deviceOpen() const;
    // SDL's name of its audio driver ("alsa"), or empty.
    std::string driver() const;
    // True while a sample is still being fed to the device.
    bool sounding() const;
    std::size_t cachedSamples() const;
    // Waits until every sample asked for has been decoded (and played, if it was asked for).
    void waitDecoded();

private:
    struct Impl;
    // Shared with the device thread, which may outlive the player: see the destructor.
    std::shared_ptr<Impl> m_impl;
};

} // namespace tessary
