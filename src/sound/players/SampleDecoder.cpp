#include "SampleDecoder.h"

#include "files/UserFile.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace tessary {

namespace {

// The whole file, when it is a regular one within the size bound.
bool readFile(const std::string& path, std::string& bytes)
{
    UserFile::Contents c =
        UserFile::read(path, static_cast<std::size_t>(SampleDecoder::kMaxFileBytes));
    bytes = std::move(c.bytes);
    return c.status == UserFile::Status::Read;
}

struct WavBuffer
{
    Uint8* data = nullptr;
    ~WavBuffer() { SDL_FreeWAV(data); }
};

bool loadWav(std::string_view bytes, SDL_AudioSpec& wav, WavBuffer& buffer, Uint32& length)
{
    static std::once_flag hints;
    std::call_once(hints, [] {
        // A sample cut short on disk is refused rather than played in part.
        SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    });
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return rw && SDL_LoadWAV_RW(rw, 1, &wav, &buffer.data, &length) != nullptr;
}

} // namespace

std::shared_ptr<const Pcm> SampleDecoder::decode(const std::string& path, int rate)
{
    std::string bytes;
    if (!readFile(path, bytes))
        return nullptr;
    return decodeBytes(bytes, rate);
}

int SampleDecoder::nativeRate(const std::string& path)
{
    std::string bytes;
    SDL_AudioSpec wav{};
    WavBuffer buffer;
    Uint32 length = 0;
    if (!readFile(path, bytes) || bytes.empty() || !loadWav(bytes, wav, buffer, length))
        return 0;
    return wav.freq >= kMinRate && wav.freq <= kMaxRate ? wav.freq : 0;
}

std::shared_ptr<const Pcm> SampleDecoder::decodeBytes(std::string_view bytes, int rate)
{
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(kMaxFileBytes) ||
        rate < kMinRate || rate > kMaxRate)
        return nullptr;
    SDL_AudioSpec wav{};
    WavBuffer buffer;
    Uint32 length = 0;
    if (!loadWav(bytes, wav, buffer, length))
        return nullptr;

    const long long bytesPerFrame =
        static_cast<long long>(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
    if (wav.freq < kMinRate || wav.freq > kMaxRate || bytesPerFrame <= 0)
        return nullptr;
    const long long frames = static_cast<long long>(length) / bytesPerFrame;
    if (frames == 0 || frames > static_cast<long long>(kMaxSeconds) * wav.freq)
        return nullptr; // empty, or longer than any allophone could be

    SDL_AudioCVT cvt;
    const int need =
        SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, 1, rate);
    if (need < 0)
        return nullptr;
    const long long usable = frames * bytesPerFrame;
    if (need == 0) {
        const auto* first = reinterpret_cast<const std::int16_t*>(buffer.data);
        return std::make_shared<const Pcm>(first, first + frames);
    }
    // SDL converts in place and needs len * len_mult bytes; both bounds above keep this far below
    // int's range, but it is checked here before the allocation rather than trusted.
    const long long work = usable * static_cast<long long>(cvt.len_mult);
    if (cvt.len_mult <= 0 || work > INT_MAX || usable > INT_MAX)
        return nullptr;
    std::vector<Uint8> scratch(static_cast<std::size_t>(work));
    std::memcpy(scratch.data(), buffer.data, static_cast<std::size_t>(usable));
    cvt.buf = scratch.data();
    cvt.len = static_cast<int>(usable);
    if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt < 2)
        return nullptr;
    const auto* first = reinterpret_cast<const std::int16_t*>(scratch.data());
    // Built from the range, so no capacity is kept beyond the samples.
    return std::make_shared<const Pcm>(first, first + cvt.len_cvt / 2);
}

} // namespace tessary
