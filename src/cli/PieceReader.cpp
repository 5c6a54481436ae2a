#include "PieceReader.h"

#include "Failure.h"
#include "Invocation.h"
#include "UsageError.h"
#include "catalogue/AllophoneTable.h"
#include "files/TextSource.h"

#include <algorithm>
#include <sstream>

namespace tessary {

PieceReader::PieceReader(Invocation& invocation, bool text) : m_invocation(invocation), m_text(text)
{
    const Options& o = invocation.options();
    if (o.items.empty() && o.file.empty())
        throw UsageError(text ? "no text to spell" : "no items");
    m_source = invocation.source();
}

PieceReader::~PieceReader() = default;

bool PieceReader::next(std::vector<std::string>& mnemonics)
{
    mnemonics.clear();
    while (mnemonics.empty() && !m_over)
        m_text ? spellPiece(mnemonics) : readPiece(mnemonics);
    return !mnemonics.empty();
}

// Each piece ends where a word does, so its spelling ends in the pause that ends a whole
// spelling (pa1) where the text goes on with a word (the word gap): that pause waits for the
// next piece.
// Pauses before the first sound wait too, so that a text with nothing to say gives nothing.
void PieceReader::spellPiece(std::vector<std::string>& out)
{
    std::string piece;
    if (!m_source->next(piece)) {
        end("text");
        if (!m_sound)
            throw UsageError("the text has nothing to say");
        out = std::move(m_held);
        m_held.clear();
        return;
    }
    std::vector<std::string> s = m_invocation.spelled(piece);
    if (s.empty())
        return;
    if (!m_held.empty() && m_held.back() == AllophoneTable::kWordGap)
        m_held.back() = AllophoneTable::pauseBefore(s.front());
    m_held.insert(m_held.end(), s.begin(), s.end());
    m_sound = m_sound || !std::all_of(s.begin(), s.end(), &AllophoneTable::isPause);
    if (!m_sound)
        return;
    std::string last = std::move(m_held.back());
    m_held.pop_back();
    out = std::move(m_held);
    m_held = {std::move(last)};
}

void PieceReader::readPiece(std::vector<std::string>& out)
{
    std::string piece;
    if (!m_source->next(piece)) {
        end("items");
        if (m_items == 0)
            throw UsageError("no items");
        return;
    }
    std::istringstream words(piece);
    std::vector<std::string> items;
    for (std::string w; words >> w;)
        items.push_back(w);
    out = Invocation::itemsAsMnemonics(items, m_items);
    m_items += items.size();
}

void PieceReader::end(const char* what)
{
    m_over = true;
    if (!m_source->problem().empty())
        throw Failure(std::string("cannot read the ") + what + ": " + m_source->problem());
}

} // namespace tessary
