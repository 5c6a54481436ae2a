// A vocabulary file of any bytes: parsed, and written as every form of header. What is
// accepted must make a header whose names are all C identifiers, none reserved. Edited as the
// window edits it: an entry moved down and back up leaves the file as it was, and an entry
// added is one more entry or, refused, leaves the file as it was.
#include "vocabulary/Vocabulary.h"
#include "vocabulary/VocabularyFile.h"
#include "vocabulary/VocabularyHeader.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tessary;

namespace {

bool identifier(std::string_view id)
{
    if (id.empty() || std::isdigit(static_cast<unsigned char>(id[0])) || id[0] == '_' ||
        id.find("__") != std::string_view::npos)
        return false;
    for (char c : id) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) &&
              static_cast<unsigned char>(c) < 0x80) &&
            c != '_')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<Vocabulary::Problem> problems;
    Vocabulary v = Vocabulary::parse(text, problems);
    for (Vocabulary::Entry& e : v.entries()) {
        if (!identifier(e.identifier) || e.line < 1)
            std::abort();
        if (e.text)
            e.codes = {1, 2, 3}; // what spelling would give
    }
    for (const auto form : {VocabularyHeader::Form::C, VocabularyHeader::Form::Arduino,
                            VocabularyHeader::Form::Json}) {
        std::vector<Vocabulary::Problem> clashes;
        const std::string stem(text.substr(0, 16));
        VocabularyHeader::write(v, form, {stem, stem, "", {}, false}, clashes);
        if (!identifier(Vocabulary::words(stem)) &&
            !std::isdigit(static_cast<unsigned char>(Vocabulary::words(stem)[0])))
            std::abort();
    }

    VocabularyFile file(text);
    const std::string before = file.text();
    // (A line with a problem may be a clash, which the move would turn into the entry.)
    if (file.size() >= 2 && file.problems().empty()) {
        file.move(0, false);
        file.move(1, true);
        if (file.text() != before)
            std::abort();
    }
    const std::size_t entries = file.size();
    const std::string name = "fresh_entry_" + std::to_string(entries);
    const std::string unedited = file.text();
    const bool added = file.add(name, {"hh1", "pa1"}).empty();
    if (added ? file.size() != entries + 1 : file.text() != unedited)
        std::abort();
    if (file.size() > 0)
        file.rename(0, "renamed");
    if (file.size() > 0)
        file.remove(file.size() - 1);
    return 0;
}
