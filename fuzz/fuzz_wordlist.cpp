// A word list of any bytes: read, and every word it took found again.
#include "spelling/WordList.h"

#include <cstdlib>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    WordList list;
    std::vector<WordList::Problem> problems;
    list.add(text, problems);
    for (const WordList::Problem& p : problems) {
        if (p.line < 1)
            std::abort();
    }
    const std::string saved = WordList::withSpellings(text, {{"hello", "hh1 eh ll ow"}});
    WordList again;
    again.add(saved, problems);
    if (!again.find("hello") || again.find("hello")->size() != 4)
        std::abort();
    return 0;
}
