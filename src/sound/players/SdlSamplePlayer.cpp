#include "SdlSamplePlayer.h"

#include "CutFade.h"
#include "SampleCache.h"
#include "sound/PlayTiming.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tessary {

namespace {

// Frames per callback: a small buffer keeps the time from click to sound short.
constexpr Uint16 kDeviceFrames = 256;
// After a failed open, plays stay silent this long before the device is tried again.
constexpr Uint32 kRetryMs = PlayTiming::kRetryMost.count();
constexpr Uint32 kStaleMs = PlayTiming::kStale.count();
// How long the player's end waits for an open that hangs in the driver.
constexpr auto kOpenGrace = std::chrono::seconds(1);
// Every output SDL has but the sound server's, which was tried first and did not answer.
constexpr const char* kDrivers = "alsa,pipewire,jack,sndio,oss";

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes each failed probe of its configuration to stderr (eight lines on a machine with no
// card). The program says in one line which output it uses; ALSA's own lines are not for users.
void quietAlsa()
{
    using SetHandler = int (*)(decltype(&ignoreAlsaError));
    // The library SDL itself loads; kept loaded, as SDL keeps it.
    void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
        set(&ignoreAlsaError);
}

} // namespace

struct SdlSamplePlayer::Impl
{
    bool audioUp = false;
    Uint32 idleCloseMs = 0;
    // Guards everything below against the device thread, the decoding thread and the callers.
    std::mutex mutex;
    std::condition_variable wake;    // the device thread: something to do
    std::condition_variable settled; // openDevice(): an open was tried
    std::thread deviceThread;
    bool stopping = false;
    bool wantOpen = false;
    bool opening = false;
    SDL_AudioDeviceID device = 0;
    // SDL ticks (ms) when the last voice ended; kSounding while one sounds. Written by the
    // audio callback as well.
    static constexpr Sint64 kSounding = -1;
    std::atomic<Sint64> idleSince{kSounding};
    bool failedBefore = false;
    Uint32 lastFailure = 0;
    // The newest play while its sample is decoded or the device opens, and when it was asked.
    std::string waitingFor;
    Uint32 waitingSince = 0;

    // The voice, touched by the callback under the device lock; and the one it cut off, faded
    // out under it (CutFade) from `fadeFrom`, `fadeDone` frames of the fade mixed so far.
    std::shared_ptr<const Pcm> voice;
    std::size_t position = 0;
    std::shared_ptr<const Pcm> fading;
    std::size_t fadeFrom = 0;
    std::size_t fadeDone = 0;
    std::size_t fadeFrames = 0;

    SampleCache cache{[this](const std::string& path, std::shared_ptr<const Pcm> pcm) {
        std::lock_guard lock(mutex);
        if (path != waitingFor || device == 0)
            return; // a newer play came meanwhile, or the device will start it
        waitingFor.clear();
        if (pcm)
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
        if (self->fading) {
            const std::size_t mixed = CutFade::mix(out, want, *self->fading, self->fadeFrom,
                                                   self->fadeFrames, self->fadeDone);
            self->fadeFrom += mixed;
            self->fadeDone += mixed;
            if (mixed == 0 || self->fadeDone >= self->fadeFrames)
                self->fading.reset();
        }
    }

    // Under the mutex, with the device open.
    void startVoice(std::shared_ptr<const Pcm> pcm)
    {
        SDL_LockAudioDevice(device);
        if (voice && position < voice->size()) {
            fading = voice;
            fadeFrom = position;
            fadeDone = 0;
        }
        voice = std::move(pcm);
        position = 0;
        idleSince = kSounding;
        SDL_UnlockAudioDevice(device);
        SDL_PauseAudioDevice(device, 0);
    }

    // Under the mutex: asks the device thread for the device, unless a recent open failed.
    void requestOpen(bool evenAfterFailure = false)
    {
        if (!audioUp || device != 0 || stopping)
            return;
        if (!evenAfterFailure && failedBefore && SDL_GetTicks() - lastFailure < kRetryMs)
            return;
        wantOpen = true;
        wake.notify_all();
    }

    // The device thread: opens the device when asked, closes it once idle or lost. SDL's open
    // and close both wait (for the driver, for SDL's own audio thread), so they happen here,
    // outside the mutex, and no caller ever waits for them.
    void run()
    {
        std::unique_lock lock(mutex);
        const auto period = std::chrono::milliseconds(std::max<Uint32>(idleCloseMs / 4, 10));
        while (!stopping) {
            if (device != 0) {
                const Sint64 since = idleSince;
                const bool lost = SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
                if (lost || (since != kSounding &&
                             static_cast<Sint64>(SDL_GetTicks64()) - since >= idleCloseMs))
                    close(lock);
                else
                    wake.wait_for(lock, period);
                continue;
            }
            if (!wantOpen) {
                wake.wait(lock);
                continue;
            }
            wantOpen = false;
            opening = true;
            SDL_AudioSpec obtained{};
            lock.unlock();
            const SDL_AudioDeviceID id = open(obtained);
            lock.lock();
            opening = false;
            adopt(id, obtained, lock);
            settled.notify_all();
        }
    }

    SDL_AudioDeviceID open(SDL_AudioSpec& obtained)
    {
        SDL_AudioSpec desired{};
        desired.freq = 22050;
        desired.format = AUDIO_S16SYS;
        desired.channels = 1;
        desired.samples = kDeviceFrames;
        desired.callback = &Impl::feed;
        desired.userdata = this;
        // Only the rate may differ: SDL converts anything else, so the callback always writes
        // S16 mono.
        return SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    }

    // Under the mutex: the outcome of an open. The play that waited for it starts now.
    void adopt(SDL_AudioDeviceID id, const SDL_AudioSpec& obtained,
               std::unique_lock<std::mutex>& lock)
    {
        if (id == 0) {
            failedBefore = true;
            lastFailure = SDL_GetTicks();
            waitingFor.clear();
            return;
        }
        if (stopping) {
            lock.unlock();
            SDL_CloseAudioDevice(id);
            lock.lock();
            return;
        }
        device = id;
        failedBefore = false;
        idleSince = static_cast<Sint64>(SDL_GetTicks64());
        cache.setRate(obtained.freq);
        fadeFrames = CutFade::frames(obtained.freq);
        if (waitingFor.empty())
            return;
        if (SDL_GetTicks() - waitingSince > kStaleMs) {
            waitingFor.clear();
            return;
        }
        std::shared_ptr<const Pcm> pcm;
        const SampleCache::State state = cache.find(waitingFor, pcm);
        if (state == SampleCache::State::Pending)
            return; // the cache starts it when decoded
        waitingFor.clear();
        if (state == SampleCache::State::Ready)
            startVoice(std::move(pcm));
    }

    // Under the mutex; closes the device outside it.
    void close(std::unique_lock<std::mutex>& lock)
    {
        const SDL_AudioDeviceID id = device;
        device = 0;
        SDL_LockAudioDevice(id);
        voice.reset();
        fading.reset();
        position = 0;
        SDL_UnlockAudioDevice(id);
        lock.unlock();
        SDL_CloseAudioDevice(id);
        lock.lock();
    }
};

SdlSamplePlayer::SdlSamplePlayer(std::chrono::milliseconds idleClose)
    : m_impl(std::make_shared<Impl>())
{
    SDL_SetMainReady();
    // SDL's own handlers for SIGINT and SIGTERM only queue an event that nobody reads; without
    // them the program's handlers end it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL_AUDIODRIVER in the environment still wins over this.
    SDL_SetHint(SDL_HINT_AUDIODRIVER, kDrivers);
    // How a mixer lists the program.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quorlin Tessary");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Allophones");
    quietAlsa();
    m_impl->idleCloseMs = static_cast<Uint32>(std::max<long long>(idleClose.count(), 1));
    m_impl->audioUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (m_impl->audioUp)
        m_impl->deviceThread = std::thread([impl = m_impl] { impl->run(); });
}

SdlSamplePlayer::~SdlSamplePlayer()
{
    Impl& d = *m_impl;
    bool hung = false;
    {
        std::unique_lock lock(d.mutex);
        d.stopping = true;
        d.wake.notify_all();
        if (d.device != 0)
            d.close(lock);
        // An open that never returns (a driver stuck on its device) must not keep the program
        // from ending: the thread is left to it, with the state it shares, and SDL stays up.
        hung = !d.settled.wait_for(lock, kOpenGrace, [&d] { return !d.opening; });
    }
    if (!d.deviceThread.joinable())
        return;
    if (hung) {
        d.deviceThread.detach();
        return;
    }
    d.deviceThread.join();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSamplePlayer::prepare()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->requestOpen();
}

bool SdlSamplePlayer::openDevice()
{
    std::unique_lock lock(m_impl->mutex);
    m_impl->requestOpen(true);
    // Without SDL's audio nothing is asked for, and this returns at once.
    m_impl->settled.wait(
        lock, [this] { return m_impl->device != 0 || (!m_impl->wantOpen && !m_impl->opening); });
    return m_impl->device != 0;
}

bool SdlSamplePlayer::deviceOpen() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->device != 0;
}

std::string SdlSamplePlayer::driver() const
{
    const char* name = m_impl->audioUp ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
}

void SdlSamplePlayer::preload(const std::vector<std::string>& paths)
{
    m_impl->cache.preload(paths);
}

void SdlSamplePlayer::play(const std::string& path)
{
    // Under the lock, so that a decoding that ends at once still finds this play waiting.
    std::lock_guard lock(m_impl->mutex);
    Impl& d = *m_impl;
    std::shared_ptr<const Pcm> pcm;
    const SampleCache::State state = d.cache.find(path, pcm);
    if (state == SampleCache::State::Unplayable)
        return;
    if (d.device != 0 && state == SampleCache::State::Ready) {
        d.waitingFor.clear();
        d.startVoice(std::move(pcm));
        return;
    }
    if (d.device == 0 && !d.audioUp)
        return;
    d.waitingFor = path;
    d.waitingSince = SDL_GetTicks();
    d.requestOpen();
}

bool SdlSamplePlayer::sounding() const
{
    std::lock_guard lock(m_impl->mutex);
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
