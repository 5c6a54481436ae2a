#include "SdlSamplePlayer.h"

#include "SampleCache.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace tessary {

namespace {

// Frames per callback: a small buffer keeps the time from click to sound short.
constexpr Uint16 kDeviceFrames = 256;
// After a failed open, plays stay silent this long before the device is tried again, so that a
// machine without sound does not pay for an open on every click.
constexpr Uint32 kRetryMs = 2000;

} // namespace

struct SdlSamplePlayer::Impl
{
    bool audioUp = false;
    Uint32 idleCloseMs = 0;
    // Guards the device against the idle watch and the decoding thread.
    std::mutex deviceMutex;
    std::condition_variable deviceOpened;
    std::thread idleWatch;
    bool stopping = false;
    SDL_AudioDeviceID device = 0;
    // SDL ticks (ms) when the last voice ended; kSounding while one sounds. Written by the
    // audio callback as well.
    static constexpr Sint64 kSounding = -1;
    std::atomic<Sint64> idleSince{kSounding};
    bool failedBefore = false;
    Uint32 lastFailure = 0;
    // The newest play whose sample is still being decoded; it sounds when that is done.
    std::string waitingFor;

    // The voice, touched by the callback under the device lock.
    std::shared_ptr<const Pcm> voice;
    std::size_t position = 0;

    SampleCache cache{[this](const std::string& path, std::shared_ptr<const Pcm> pcm) {
        std::lock_guard lock(deviceMutex);
        if (path != waitingFor)
            return; // a newer play came meanwhile
        waitingFor.clear();
        if (pcm && device != 0)
            startVoice(std::move(pcm));
    }};

    static void SDLCALL feed(void* userdata, Uint8* stream, int len)
    {
        auto* self = static_cast<Impl*>(userdata);
        auto* out = reinterpret_cast<std::int16_t*>(stream);
        const auto want = static_cast<std::size_t>(len) / sizeof(std::int16_t);
        std::size_t done = 0;
        if (self->voice) {
            done = std::min(want, self->voice->size() - self->position);
            std::copy_n(self->voice->data() + self->position, done, out);
            self->position += done;
            if (self->position >= self->voice->size()) {
                self->voice.reset();
                self->idleSince = static_cast<Sint64>(SDL_GetTicks64());
            }
        }
        std::fill(out + done, out + want, std::int16_t(0));
    }

    void startVoice(std::shared_ptr<const Pcm> pcm)
    {
        SDL_LockAudioDevice(device);
        voice = std::move(pcm);
        position = 0;
        idleSince = kSounding;
        SDL_UnlockAudioDevice(device);
        SDL_PauseAudioDevice(device, 0);
    }

    void closeDevice()
    {
        if (device == 0)
            return;
        SDL_CloseAudioDevice(device);
        device = 0;
        voice.reset();
        position = 0;
    }

    // Closes the device once nothing has sounded for idleCloseMs. Sleeps while it is closed.
    void watchIdle()
    {
        std::unique_lock lock(deviceMutex);
        const auto period = std::chrono::milliseconds(std::max<Uint32>(idleCloseMs / 4, 10));
        while (!stopping) {
            if (device == 0) {
                deviceOpened.wait(lock);
                continue;
            }
            const Sint64 since = idleSince;
            if (since != kSounding && static_cast<Sint64>(SDL_GetTicks64()) - since >= idleCloseMs)
                closeDevice();
            else
                deviceOpened.wait_for(lock, period);
        }
    }

    bool ensureDevice()
    {
        if (!audioUp)
            return false;
        if (device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED)
            closeDevice(); // lost, e.g. the sound server restarted
        if (device != 0)
            return true;
        if (failedBefore && SDL_GetTicks() - lastFailure < kRetryMs)
            return false;

        SDL_AudioSpec desired{};
        desired.freq = 22050;
        desired.format = AUDIO_S16SYS;
        desired.channels = 1;
        desired.samples = kDeviceFrames;
        desired.callback = &Impl::feed;
        desired.userdata = this;
        SDL_AudioSpec obtained{};
        // Only the rate may differ: SDL converts anything else, so the callback always writes
        // S16 mono.
        device =
            SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (device == 0) {
            failedBefore = true;
            lastFailure = SDL_GetTicks();
            return false;
        }
        cache.setRate(obtained.freq);
        failedBefore = false;
        idleSince = static_cast<Sint64>(SDL_GetTicks64());
        deviceOpened.notify_one();
        return true;
    }
};

SdlSamplePlayer::SdlSamplePlayer(std::chrono::milliseconds idleClose)
    : m_impl(std::make_unique<Impl>())
{
    SDL_SetMainReady();
    // SDL's own handlers for SIGINT and SIGTERM only queue an event that nobody reads; without
    // them the program's handlers end it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // How the sound server's mixer lists the program.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quorlin Tessary");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Allophones");
    m_impl->idleCloseMs = static_cast<Uint32>(std::max<long long>(idleClose.count(), 1));
    m_impl->audioUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (m_impl->audioUp)
        m_impl->idleWatch = std::thread([impl = m_impl.get()] { impl->watchIdle(); });
}

SdlSamplePlayer::~SdlSamplePlayer()
{
    {
        std::lock_guard lock(m_impl->deviceMutex);
        m_impl->stopping = true;
        m_impl->closeDevice();
    }
    m_impl->deviceOpened.notify_one();
    if (m_impl->idleWatch.joinable())
        m_impl->idleWatch.join();
    if (m_impl->audioUp)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSamplePlayer::available() const
{
    return m_impl->audioUp;
}

void SdlSamplePlayer::openDevice()
{
    std::lock_guard lock(m_impl->deviceMutex);
    m_impl->ensureDevice();
}

bool SdlSamplePlayer::deviceOpen() const
{
    std::lock_guard lock(m_impl->deviceMutex);
    return m_impl->device != 0;
}

void SdlSamplePlayer::preload(const std::vector<std::string>& paths)
{
    m_impl->cache.preload(paths);
}

void SdlSamplePlayer::play(const std::string& path)
{
    // Under the lock, so that a decoding that ends at once still finds this play waiting.
    std::lock_guard lock(m_impl->deviceMutex);
    std::shared_ptr<const Pcm> pcm;
    const SampleCache::State state = m_impl->cache.find(path, pcm);
    if (state == SampleCache::State::Unplayable || !m_impl->ensureDevice())
        return;
    if (state == SampleCache::State::Pending) {
        m_impl->waitingFor = path;
        return;
    }
    m_impl->waitingFor.clear();
    m_impl->startVoice(std::move(pcm));
}

bool SdlSamplePlayer::sounding() const
{
    std::lock_guard lock(m_impl->deviceMutex);
    if (m_impl->device == 0)
        return false;
    SDL_LockAudioDevice(m_impl->device);
    const bool busy = m_impl->voice != nullptr;
    SDL_UnlockAudioDevice(m_impl->device);
    return busy;
}

std::size_t SdlSamplePlayer::cachedSamples() const
{
    return m_impl->cache.cachedSamples();
}

void SdlSamplePlayer::waitDecoded()
{
    m_impl->cache.waitIdle();
}

} // namespace tessary
