#include "VocabularySpeller.h"

#include "catalogue/AllophoneTable.h"
#include "spelling/Speller.h"
#include "vocabulary/NumberWords.h"

#include <algorithm>

namespace tessary {

VocabularySpeller::VocabularySpeller(std::function<const Speller&()> speller, UserWords userWords)
    : m_speller(std::move(speller)), m_userWords(userWords)
{}

std::vector<std::string> VocabularySpeller::spelled(const std::string& text) const
{
    return m_speller().spell(text);
}

void VocabularySpeller::spell(Vocabulary& vocabulary,
                              std::vector<Vocabulary::Problem>& problems) const
{
    for (Vocabulary::Entry& e : vocabulary.entries()) {
        if (!e.text)
            continue;
        const std::vector<std::string> s = spelled(e.source);
        if (std::all_of(s.begin(), s.end(), &AllophoneTable::isPause))
            problems.push_back({e.line, "'" + e.name + "' has nothing to say"});
        else
            e.codes = AllophoneTable::codesOf(s);
    }
    vocabulary.composePhrases(problems);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
}

// Which entries of the spelled vocabulary the user's word list spelled otherwise than the
// built-in one would: a header's word on where its spellings came from.
std::string VocabularySpeller::note(const Vocabulary& vocabulary) const
{
    if (m_userWords == UserWords::Without)
        return "Spelled without the user's word list (--no-user-words).";
    const Speller builtIn(WordList::builtIn());
    std::string changed;
    for (const Vocabulary::Entry& e : vocabulary.entries()) {
        if (e.text && e.codes != AllophoneTable::codesOf(builtIn.spell(e.source)))
            changed += (changed.empty() ? "'" : ", '") + e.name + "'";
    }
    if (changed.empty())
        return {};
    return "Spelled with the word list " + WordList::userFile().string() + ", which changed " +
           changed + ".";
}

std::vector<std::vector<int>> VocabularySpeller::numberCodes() const
{
    const auto without = [](std::vector<std::string> s) {
        if (!s.empty() && s.back() == AllophoneTable::kWordGap)
            s.pop_back();
        return s;
    };
    std::vector<std::vector<int>> codes;
    for (const std::string& word : NumberWords::texts())
        codes.push_back(AllophoneTable::codesOf(without(spelled(word))));
    const std::vector<std::string> twenty = without(spelled("twenty"));
    for (int n = 1; n <= 19; ++n) {
        const std::vector<std::string> s =
            without(spelled("twenty " + NumberWords::texts()[static_cast<std::size_t>(n)]));
        const bool prefixed = s.size() > twenty.size() &&
                              std::equal(twenty.begin(), twenty.end(), s.begin()) &&
                              AllophoneTable::isPause(s[twenty.size()]);
        codes.push_back(
            prefixed ? AllophoneTable::codesOf({s.begin() + long(twenty.size()) + 1, s.end()})
                     : codes[static_cast<std::size_t>(n)]);
    }
    return codes;
}

VocabularySpeller::Header VocabularySpeller::header(std::string_view text,
                                                    VocabularyHeader::Form form,
                                                    const std::string& prefix,
                                                    const std::string& origin) const
{
    Header h;
    h.vocabulary = Vocabulary::parse(text, h.problems);
    spell(h.vocabulary, h.problems);
    if (h.problems.empty())
        h.source.note = note(h.vocabulary);
    h.source.prefix = prefix;
    h.source.origin = origin;
    if (h.vocabulary.numbers() != Vocabulary::Numbers::None) {
        h.source.numberCodes = numberCodes();
        h.source.british = h.vocabulary.numbers() == Vocabulary::Numbers::British;
    }
    if (h.problems.empty())
        h.text = VocabularyHeader::write(h.vocabulary, form, h.source, h.problems);
    return h;
}

} // namespace tessary
