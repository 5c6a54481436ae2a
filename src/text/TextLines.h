#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// A text file's lines, each with the ending it had, so that a file edited line by line is
// written back with its own endings: LF, CR LF, CR alone (old Macs), and a last line with none.
class TextLines
{
public:
    struct Line
    {
        std::string text;
        std::string end; // "\n", "\r\n", "\r", or "" for a last line without one
    };

    static std::vector<Line> split(std::string_view text);
    static std::string join(const std::vector<Line>& lines);
    // The ending most of the lines have; "\n" where none has one.
    static std::string usualEnd(const std::vector<Line>& lines);
    // Appends a line with the file's usual ending, giving the last line one first if it had
    // none; the new line then goes without, as the file's last line did.
    static void append(std::vector<Line>& lines, std::string text);
};

} // namespace tessary
