#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tessary {

class Invocation;
class TextSource;

// The items or text of a command, read piece by piece as mnemonics: spelled from text, or each
// item read as a mnemonic, code text or number. A source of any length is read in bounded
// memory.
class PieceReader
{
public:
    // `text`: English to spell, whatever --text says (spell reads nothing else).
    PieceReader(Invocation& invocation, bool text);
    ~PieceReader();
    PieceReader(const PieceReader&) = delete;
    PieceReader& operator=(const PieceReader&) = delete;

    // The next piece's mnemonics, never empty; false at the end. A text with nothing to say,
    // or no items at all, is a usage error.
    bool next(std::vector<std::string>& mnemonics);

private:
    void spellPiece(std::vector<std::string>& out);
    void readPiece(std::vector<std::string>& out);
    void end(const char* what);

    Invocation& m_invocation;
    bool m_text;
    std::unique_ptr<TextSource> m_source;
    std::vector<std::string> m_held;
    bool m_sound = false;
    bool m_over = false;
    std::size_t m_items = 0;
};

} // namespace tessary
