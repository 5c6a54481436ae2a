#include "EspeakPhonemizer.h"

#include "text/Utf8.h"

#include <espeak-ng/speak_lib.h>

#include <dlfcn.h>

#include <mutex>
#include <optional>
#include <string>

namespace tessary {

namespace {

std::mutex& espeakLock()
{
    static std::mutex lock;
    return lock;
}

// espeak-ng and the libraries it pulls in (audio output, codecs) are loaded when something is
// first spelled, not when the program starts: the window opens without them.
struct Espeak
{
    decltype(&espeak_Initialize) initialize = nullptr;
    decltype(&espeak_SetVoiceByName) setVoiceByName = nullptr;
    decltype(&espeak_TextToPhonemes) textToPhonemes = nullptr;

    // Under espeakLock(). Null when the library or its English voice cannot be loaded.
    static const Espeak* get()
    {
        static const Espeak* const loaded = []() -> const Espeak* {
            // By its soname: found where the system keeps its libraries, never in the
            // current directory.
            void* lib = ::dlopen("libespeak-ng.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!lib)
                return nullptr;
            static Espeak e;
            e.initialize =
                reinterpret_cast<decltype(e.initialize)>(::dlsym(lib, "espeak_Initialize"));
            e.setVoiceByName =
                reinterpret_cast<decltype(e.setVoiceByName)>(::dlsym(lib, "espeak_SetVoiceByName"));
            e.textToPhonemes =
                reinterpret_cast<decltype(e.textToPhonemes)>(::dlsym(lib, "espeak_TextToPhonemes"));
            if (!e.initialize || !e.setVoiceByName || !e.textToPhonemes ||
                // Without DONT_EXIT, missing data ends the whole program.
                e.initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <=
                    0 ||
                e.setVoiceByName("en-us") != EE_OK)
                return nullptr;
            return &e;
        }();
        return loaded;
    }
};

// The punctuation that ended the clause espeak-ng just read: the last one in what it consumed,
// less the one character it reads ahead when more text follows.
Break clauseEnd(std::string_view consumed, bool atEnd)
{
    if (!atEnd && !consumed.empty())
        consumed.remove_suffix(1);
    const auto at = consumed.find_last_of(".!?,;:");
    if (at == std::string_view::npos)
        return Break::Word;
    return consumed[at] == ',' || consumed[at] == ';' || consumed[at] == ':' ? Break::Clause
                                                                             : Break::Sentence;
}

void addWords(const std::string& clause, std::vector<PhonemeWord>& out)
{
    // Words are separated by spaces, phonemes by '_'; a stress mark stands before its vowel.
    PhonemeWord word;
    std::string name;
    Phoneme::Stress stress = Phoneme::Stress::None;
    const auto endPhoneme = [&] {
        if (!name.empty())
            word.phonemes.push_back({name, stress});
        name.clear();
        stress = Phoneme::Stress::None;
    };
    for (char c : clause + ' ') {
        if (c == '_') {
            endPhoneme();
        } else if (c == ' ') {
            endPhoneme();
            if (!word.phonemes.empty())
                out.push_back(std::move(word));
            word = {};
        } else if (c == '\'' && name.empty()) {
            stress = Phoneme::Stress::Primary;
        } else if (c == ',' && name.empty()) {
            stress = Phoneme::Stress::Secondary;
        } else if ((c == '%' || c == '=' || c == ':' || c == ';' || c == '!') && name.empty()) {
            // marks of stress, syllables and word parts carry nothing for the chip
        } else {
            name += c;
        }
    }
}

bool english(char32_t c)
{
    return (c >= 0x20 && c < 0x7f) || c == '\n' || c == '\t' ||
           (c >= 0xa0 && c <= 0x24f) ||    // Latin-1, Latin Extended-A and -B: café, naïve, £
           (c >= 0x2010 && c <= 0x203a) || // dashes, quotes, bullets, the ellipsis
           c == 0x20ac;                    // the euro
}

} // namespace

std::string EspeakPhonemizer::safeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t run = 0; // bytes since the last white space
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 0;
        const std::optional<char32_t> c = Utf8::decode(text, i, n);
        const bool keep = c && english(*c);
        const bool space = !keep || *c == ' ' || *c == '\n' || *c == '\t';
        if (!space && run + n > kLongestWord) {
            out += ' ';
            run = 0;
        }
        if (keep)
            out.append(text.substr(i, n));
        else
            out += ' ';
        run = space ? 0 : run + n;
        i += n;
    }
    return out;
}

EspeakPhonemizer::EspeakPhonemizer()
{
    std::lock_guard lock(espeakLock());
    m_available = Espeak::get() != nullptr;
}

std::vector<PhonemeWord> EspeakPhonemizer::phonemize(std::string_view text) const
{
    std::vector<PhonemeWord> words;
    if (!m_available)
        return words;
    const std::string copy = safeText(text); // no NUL inside: espeak-ng reads up to one
    std::lock_guard lock(espeakLock());
    const void* at = copy.c_str();
    while (at) {
        const char* before = static_cast<const char*>(at);
        const char* phonemes = Espeak::get()->textToPhonemes(&at, espeakCHARS_UTF8, '_' << 8);
        const std::size_t before_size = words.size();
        if (phonemes)
            addWords(phonemes, words);
        const char* after = at ? static_cast<const char*>(at) : copy.c_str() + copy.size();
        if (words.size() > before_size)
            words.back().after =
                clauseEnd({before, static_cast<std::size_t>(after - before)}, at == nullptr);
    }
    return words;
}

} // namespace tessary
