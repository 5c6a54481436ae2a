#pragma once

#include "speech/SamplePlayer.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace tessary {

// The fallback player, over SDL2's audio, for where no sound server answers (plain ALSA): one
// voice, fed by SDL's callback, S16 mono at the device's rate. Samples come from a SampleCache.
//
// SDL keeps feeding a paused device with silence, which wakes the program every few
// milliseconds. So once nothing has sounded for `idleClose`, a watch thread closes the device;
// the next play opens it again.
class SdlSamplePlayer final : public SamplePlayer
{
public:
    explicit SdlSamplePlayer(std::chrono::milliseconds idleClose = std::chrono::seconds(10));
    ~SdlSamplePlayer() override;
    SdlSamplePlayer(const SdlSamplePlayer&) = delete;
    SdlSamplePlayer& operator=(const SdlSamplePlayer&) = delete;

    bool available() const;
    void play(const std::string& path) override;
    void prepare() override { openDevice(); }
    void preload(const std::vector<std::string>& paths) override;

    // Opens the device ahead of the first play, so that the first click sounds at once.
    void openDevice();
    bool deviceOpen() const;
    // True while a sample is still being fed to the device.
    bool sounding() const;
    std::size_t cachedSamples() const;
    // Waits until every sample asked for has been decoded (and played, if it was asked for).
    void waitDecoded();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tessary
