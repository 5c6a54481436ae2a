#include "WordCutter.h"

#include <cctype>

namespace tessary {

namespace {

bool punctuation(char c)
{
    return std::ispunct(static_cast<unsigned char>(c)) && c != '\'' && c != '-';
}

} // namespace

std::vector<WordCutter::Word> WordCutter::cut(std::string_view text)
{
    std::vector<Word> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string_view::npos) {
        std::size_t end = text.find_first_of(" \t\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view chunk = text.substr(at, end - at);
        std::size_t wordEnd = chunk.size();
        while (wordEnd > 0 && punctuation(chunk[wordEnd - 1]))
            --wordEnd;
        const bool word = !punctuation(chunk.front()) && wordEnd > 0;
        words.push_back(
            {chunk, word ? chunk.substr(0, wordEnd) : std::string_view(), chunk.substr(wordEnd)});
        at = end;
    }
    return words;
}

} // namespace tessary
