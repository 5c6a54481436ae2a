#include "TextSource.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessary {

namespace {

bool space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where a piece of `text` can end: after the last sentence end that a space follows, else after
// the last line end, else after the last space; npos when the text is one word.
std::size_t pieceEnd(const std::string& text)
{
    for (std::size_t i = text.size(); i-- > 1;) {
        const char p = text[i - 1];
        if (space(text[i]) && (p == '.' || p == '!' || p == '?'))
            return i + 1;
    }
    if (const std::size_t nl = text.rfind('\n'); nl != std::string::npos)
        return nl + 1;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (space(text[i]))
            return i + 1;
    }
    return std::string::npos;
}

} // namespace

TextSource::TextSource(std::string text) : m_buffer(std::move(text)), m_ended(true) {}

TextSource::TextSource(std::istream& in) : m_in(&in) {}

TextSource::TextSource(int fd) : m_fd(fd) {}

TextSource::~TextSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TextSource::fill()
{
    if (m_ended || m_buffer.size() >= kPiece)
        return;
    const std::size_t had = m_buffer.size();
    m_buffer.resize(kPiece);
    if (m_fd >= 0) {
        std::size_t got = had;
        while (got < kPiece) {
            const ssize_t n = ::read(m_fd, m_buffer.data() + got, kPiece - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_ended = true;
                if (n < 0)
                    m_problem = std::strerror(errno);
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        m_buffer.resize(got);
        return;
    }
    errno = 0;
    m_in->read(m_buffer.data() + had, static_cast<std::streamsize>(kPiece - had));
    m_buffer.resize(had + static_cast<std::size_t>(m_in->gcount()));
    if (!*m_in) {
        m_ended = true;
        if (m_in->bad())
            m_problem = errno ? std::strerror(errno) : "a read error";
    }
}

bool TextSource::next(std::string& piece)
{
    fill();
    if (m_buffer.empty())
        return false;
    std::size_t end = m_ended ? m_buffer.size() : pieceEnd(m_buffer);
    if (end == std::string::npos)
        end = m_buffer.size(); // one word longer than a piece: it is cut
    piece.assign(m_buffer, 0, end);
    m_buffer.erase(0, end);
    return true;
}

bool TextSource::nextLine(std::string& line)
{
    for (;;) {
        if (const std::size_t nl = m_buffer.find('\n'); nl != std::string::npos) {
            line.assign(m_buffer, 0, nl > 0 && m_buffer[nl - 1] == '\r' ? nl - 1 : nl);
            m_buffer.erase(0, nl + 1);
            return true;
        }
        if (m_ended || m_buffer.size() >= kPiece) {
            // The last line, or one longer than a piece, which is cut.
            if (m_buffer.empty())
                return false;
            line.swap(m_buffer);
            m_buffer.clear();
            return true;
        }
        fill();
    }
}

} // namespace tessary
