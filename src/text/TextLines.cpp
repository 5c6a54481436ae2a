#include "TextLines.h"

namespace tessary {

std::vector<TextLines::Line> TextLines::split(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            lines.push_back({std::string(text.substr(at)), ""});
            break;
        }
        const std::size_t length = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back(
            {std::string(text.substr(at, end - at)), std::string(text.substr(end, length))});
        at = end + length;
    }
    return lines;
}

std::string TextLines::join(const std::vector<Line>& lines)
{
    std::string text;
    for (const Line& line : lines)
        text += line.text + line.end;
    return text;
}

std::string TextLines::usualEnd(const std::vector<Line>& lines)
{
    std::size_t lf = 0, crlf = 0, cr = 0;
    for (const Line& line : lines) {
        lf += line.end == "\n";
        crlf += line.end == "\r\n";
        cr += line.end == "\r";
    }
    return crlf > lf && crlf >= cr ? "\r\n" : cr > lf && cr > crlf ? "\r" : "\n";
}

void TextLines::append(std::vector<Line>& lines, std::string text)
{
    const std::string end = usualEnd(lines);
    const bool lastHadNone = !lines.empty() && lines.back().end.empty();
    if (lastHadNone)
        lines.back().end = end;
    lines.push_back({std::move(text), lastHadNone ? "" : end});
}

} // namespace tessary
