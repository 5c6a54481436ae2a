#include "SdlSamplePlayer.h"

#include "SilentPlayer.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace tessary {

namespace {

using Pcm = std::vector<Uint8>;

struct CacheEntry
{
    off_t size = 0;
    timespec mtime{};
    std::shared_ptr<const Pcm> pcm; // null: the file could not be decoded
};

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

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
    // Guards the device against the idle watch, which runs on a thread of its own.
    std::mutex deviceMutex;
    std::condition_variable deviceOpened;
    std::thread idleWatch;
    bool stopping = false;
    SDL_AudioDeviceID device = 0;
    // SDL ticks (ms) when the last voice ended; kSounding while one sounds. Written by the
    // audio callback as well.
    static constexpr Sint64 kSounding = -1;
    std::atomic<Sint64> idleSince{kSounding};
    SDL_AudioSpec spec{};
    bool failedBefore = false;
    Uint32 lastFailure = 0;
    std::unordered_map<std::string, CacheEntry> cache;

    // The voice, touched by the callback under the device lock.
    std::shared_ptr<const Pcm> voice;
    std::size_t position = 0;

    static void SDLCALL feed(void* userdata, Uint8* stream, int len)
    {
        auto* self = static_cast<Impl*>(userdata);
        const auto want = static_cast<std::size_t>(len);
        std::size_t done = 0;
        if (self->voice) {
            done = std::min(want, self->voice->size() - self->position);
            std::memcpy(stream, self->voice->data() + self->position, done);
            self->position += done;
            if (self->position >= self->voice->size()) {
                self->voice.reset();
                self->idleSince = static_cast<Sint64>(SDL_GetTicks64());
            }
        }
        std::memset(stream + done, self->spec.silence, want - done);
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
        device = SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
        if (device == 0) {
            failedBefore = true;
            lastFailure = SDL_GetTicks();
            return false;
        }
        if (obtained.format != spec.format || obtained.channels != spec.channels ||
            obtained.freq != spec.freq)
            cache.clear(); // cached samples are in the old device's format
        spec = obtained;
        failedBefore = false;
        idleSince = static_cast<Sint64>(SDL_GetTicks64());
        deviceOpened.notify_one();
        return true;
    }

    std::shared_ptr<const Pcm> decode(const std::string& path) const
    {
        SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
        if (!file)
            return nullptr;
        SDL_AudioSpec wav{};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        if (!SDL_LoadWAV_RW(file, 1, &wav, &buffer, &length))
            return nullptr;

        std::shared_ptr<const Pcm> result;
        SDL_AudioCVT cvt;
        const int need = SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, spec.format,
                                           spec.channels, spec.freq);
        if (need == 0) {
            result = std::make_shared<const Pcm>(buffer, buffer + length);
        } else if (need > 0) {
            auto converted = std::make_shared<Pcm>(static_cast<std::size_t>(length) *
                                                   static_cast<std::size_t>(cvt.len_mult));
            std::memcpy(converted->data(), buffer, length);
            cvt.buf = converted->data();
            cvt.len = static_cast<int>(length);
            if (SDL_ConvertAudio(&cvt) == 0) {
                converted->resize(static_cast<std::size_t>(cvt.len_cvt));
                result = std::move(converted);
            }
        }
        SDL_FreeWAV(buffer);
        return result;
    }

    std::shared_ptr<const Pcm> sample(const std::string& path, const struct stat& st)
    {
        auto it = cache.find(path);
        if (it != cache.end() && it->second.size == st.st_size &&
            sameTime(it->second.mtime, st.st_mtim))
            return it->second.pcm;
        CacheEntry entry{st.st_size, st.st_mtim, decode(path)};
        auto pcm = entry.pcm;
        cache.insert_or_assign(path, std::move(entry));
        return pcm;
    }
};

std::unique_ptr<SamplePlayer> SdlSamplePlayer::create()
{
    auto player = std::make_unique<SdlSamplePlayer>();
    if (!player->available())
        return std::make_unique<SilentPlayer>();
    return player;
}

SdlSamplePlayer::SdlSamplePlayer(std::chrono::milliseconds idleClose)
    : m_impl(std::make_unique<Impl>())
{
    SDL_SetMainReady();
    // A sample cut short on disk is refused rather than played in part.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
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

void SdlSamplePlayer::play(const std::string& path)
{
    // Only regular files: a FIFO or device node under a sample's name would block the open.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes)
        return;
    std::lock_guard lock(m_impl->deviceMutex);
    if (!m_impl->ensureDevice())
        return;
    std::shared_ptr<const Pcm> pcm = m_impl->sample(path, st);
    if (!pcm)
        return;

    SDL_LockAudioDevice(m_impl->device);
    m_impl->voice = std::move(pcm);
    m_impl->position = 0;
    m_impl->idleSince = Impl::kSounding;
    SDL_UnlockAudioDevice(m_impl->device);
    SDL_PauseAudioDevice(m_impl->device, 0);
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
    return m_impl->cache.size();
}

} // namespace tessary
