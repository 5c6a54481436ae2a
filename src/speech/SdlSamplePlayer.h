#pragma once

#include "SamplePlayer.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace tessary {

// The sample player over SDL2's audio: one voice, fed by SDL's callback. Decoded samples are kept
// in the device's format, cached by path and decoded again when the file's size or time changes.
// All SDL calls of the program live in SdlSamplePlayer.cpp.
//
// SDL keeps feeding a paused device with silence, which wakes the program and the sound server
// every few milliseconds. So once nothing has sounded for `idleClose`, a watch thread closes the
// device; the next play opens it again.
class SdlSamplePlayer final : public SamplePlayer
{
public:
    // The SDL player, or a silent one when SDL's audio cannot start at all.
    static std::unique_ptr<SamplePlayer> create();

    explicit SdlSamplePlayer(std::chrono::milliseconds idleClose = std::chrono::seconds(10));
    ~SdlSamplePlayer() override;
    SdlSamplePlayer(const SdlSamplePlayer&) = delete;
    SdlSamplePlayer& operator=(const SdlSamplePlayer&) = delete;

    bool available() const;
    void play(const std::string& path) override;
    void prepare() override { openDevice(); }

    // Opens the device ahead of the first play, so that the first click sounds at once.
    void openDevice();
    bool deviceOpen() const;
    // True while a sample is still being fed to the device.
    bool sounding() const;
    std::size_t cachedSamples() const;

    // Files larger than this are never decoded.
    static constexpr long long kMaxFileBytes = 8LL * 1024 * 1024;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tessary
