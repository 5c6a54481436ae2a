#include "Invocation.h"

#include "Failure.h"
#include "PieceReader.h"
#include "UsageError.h"
#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "files/TextSource.h"
#include "files/UserFile.h"
#include "spelling/Speller.h"
#include "text/JsonText.h"
#include "text/Utf8.h"

#include <algorithm>
#include <ostream>

namespace tessary {

Invocation::Invocation(Options options, std::istream& in, std::ostream& out, std::ostream& err)
    : m_options(std::move(options)), m_in(in), m_out(out), m_err(err)
{}

Invocation::~Invocation() = default;

const Speller& Invocation::speller()
{
    if (!m_speller) {
        m_speller = m_options.noUserWords ? std::make_unique<Speller>(WordList::builtIn())
                                          : Speller::forThisUser([this](const std::string& line) {
                                                m_err << "tessary: " << line << "\n";
                                            });
        if (!m_speller->available())
            throw Failure("espeak-ng's English data could not be loaded (package espeak-ng-data)");
        if (const auto style = SpellingStyle::parse(m_options.style))
            m_speller->setStyle(*style);
    }
    return *m_speller;
}

std::vector<std::string> Invocation::spelled(const std::string& text)
{
    return speller().spell(text);
}

// The arguments' text or items, or standard input for "-" or "--file -" (a pipe is read as it
// comes), or a regular file.
std::unique_ptr<TextSource> Invocation::source()
{
    const Options& o = m_options;
    const bool stdinItem = o.items.size() == 1 && o.items[0] == "-";
    if (!o.file.empty() && !o.items.empty())
        throw UsageError("give the " + std::string(o.text ? "text" : "items") +
                         " or --file, not both");
    if (!stdinItem && std::find(o.items.begin(), o.items.end(), "-") != o.items.end())
        throw UsageError("'-' reads standard input and stands alone");
    if (stdinItem || o.file == "-")
        return std::make_unique<TextSource>(m_in);
    if (o.file.empty())
        return std::make_unique<TextSource>(joined(o.items));

    std::string problem;
    const int fd = UserFile::openStream(o.file, problem);
    if (fd < 0)
        throw Failure("cannot read " + problem);
    return std::make_unique<TextSource>(fd);
}

std::vector<std::string> Invocation::itemsAsMnemonics(const std::vector<std::string>& items,
                                                      std::size_t before)
{
    std::vector<std::string> mnemonics;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::optional<int> code = CodeFormat::parseCode(items[i]);
        if (!code)
            throw UsageError("item " + std::to_string(before + i + 1) + ", '" +
                             Utf8::printable(items[i].substr(0, 64)) +
                             "', is not a mnemonic, a code text or a number 0-63");
        mnemonics.push_back(AllophoneTable::EntryByCode(*code)->mnemonic);
    }
    return mnemonics;
}

std::vector<std::string> Invocation::wholeMnemonics(bool text)
{
    PieceReader reader(*this, text);
    std::vector<std::string> all;
    for (std::vector<std::string> piece; reader.next(piece);) {
        if (all.size() + piece.size() > kMostInOneObject)
            throw Failure("more than " + std::to_string(kMostInOneObject) +
                          " allophones for one JSON object; --lines gives an object a line");
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

std::vector<std::vector<std::string>> Invocation::alternatives()
{
    const Options& o = m_options;
    if (o.items.empty() || !o.file.empty() || o.items[0] == "-")
        throw UsageError("--alternatives takes the words on the command line");
    const std::string text = joined(o.items);
    if (text.size() > kMostAlternativesText)
        throw UsageError("--alternatives takes a phrase of at most " +
                         std::to_string(kMostAlternativesText) + " bytes");
    const std::vector<std::string> spelling = spelled(text);
    if (std::all_of(spelling.begin(), spelling.end(), &AllophoneTable::isPause))
        throw UsageError("'" + text + "' has nothing to say");
    return speller().alternatives(text);
}

std::string Invocation::joined(const std::vector<std::string>& words, const char* separator)
{
    std::string out;
    for (const std::string& w : words) {
        if (!out.empty())
            out += separator;
        out += w;
    }
    return out;
}

std::string Invocation::spellingJson(const std::vector<std::string>& mnemonics)
{
    const std::vector<int> codes = AllophoneTable::codesOf(mnemonics);
    return "\"mnemonics\": " + JsonText::strings(mnemonics) +
           ", \"codes\": " + JsonText::numbers(codes) + ", \"codeString\": " +
           JsonText::quote(CodeFormat::format(codes, CodeFormat::Style::Dollar));
}

} // namespace tessary
