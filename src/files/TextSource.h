#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace tessary {

// English text from the command line, a file or a pipe, handed out in pieces so that a text of
// any length is spelled in bounded memory. A piece ends where a sentence, a line or at least a
// word ends, so that it spells as it would inside the whole text.
class TextSource
{
public:
    // A piece holds about this much text at the most.
    static constexpr std::size_t kPiece = 64 * 1024;

    explicit TextSource(std::string text);
    explicit TextSource(std::istream& in);
    // A file, read from its descriptor, which the source closes.
    explicit TextSource(int fd);
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    // The next piece; false when the text is over.
    bool next(std::string& piece);
    // The next line, without its end; false when the text is over.
    bool nextLine(std::string& line);

    // Why the stream stopped, when it failed rather than ended (empty otherwise).
    const std::string& problem() const { return m_problem; }

private:
    void fill();

    std::istream* m_in = nullptr;
    int m_fd = -1;
    std::string m_buffer;
    std::string m_problem;
    bool m_ended = false;
};

} // namespace tessary
