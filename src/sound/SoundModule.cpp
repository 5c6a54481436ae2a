#include "SoundModule.h"

#include <dlfcn.h>

#include <system_error>

namespace tessary {

namespace {

using FindOutput = SamplePlayer* (*)(int* kind, char* line, std::size_t lineSize);
using Take = void (*)(const std::int16_t* samples, std::size_t frames, int rate, void* context);
using DecodeSample = void (*)(const char* path, int rate, Take take, void* context);

// The module, loaded once and kept for the life of the program: the player's code is in it.
void* module()
{
    static void* const loaded = [] {
        const std::filesystem::path file = SoundModule::path();
        return file.empty() ? nullptr : ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }();
    return loaded;
}

} // namespace

std::shared_ptr<const std::vector<std::int16_t>> SoundModule::decode(const std::string& path,
                                                                     int& rate)
{
    void* m = module();
    const auto decodeSample =
        m ? reinterpret_cast<DecodeSample>(::dlsym(m, "tessary_decode_sample")) : nullptr;
    if (!decodeSample)
        return nullptr;
    struct Decoded
    {
        std::shared_ptr<std::vector<std::int16_t>> pcm;
        int rate = 0;
    } out;
    decodeSample(
        path.c_str(), rate,
        [](const std::int16_t* samples, std::size_t frames, int rate, void* context) {
            auto* d = static_cast<Decoded*>(context);
            d->pcm = std::make_shared<std::vector<std::int16_t>>(samples, samples + frames);
            d->rate = rate;
        },
        &out);
    if (out.pcm)
        rate = out.rate;
    return out.pcm;
}

std::filesystem::path SoundModule::path()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return (exe.parent_path() / ".." / TESSARY_SOUND_MODULE).lexically_normal();
}

OutputChoice SoundModule::findOutput()
{
    OutputChoice c;
    void* m = module();
    const auto find = m ? reinterpret_cast<FindOutput>(::dlsym(m, "tessary_find_output")) : nullptr;
    if (!find) {
        const char* why = ::dlerror();
        c.line = std::string("the sound module could not be loaded (") +
                 (why ? why : path().string()) + "): every play is silent";
        return c;
    }
    int kind = static_cast<int>(OutputChoice::Kind::None);
    char line[256] = {};
    c.player.reset(find(&kind, line, sizeof line));
    c.kind = static_cast<OutputChoice::Kind>(kind);
    c.line = line;
    return c;
}

} // namespace tessary
