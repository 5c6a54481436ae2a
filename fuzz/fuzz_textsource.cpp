// Text of any bytes from a stream: the pieces put together are the text, none is longer than a
// piece, and the lines are the text's lines.
#include "files/TextSource.h"

#include <cstdlib>
#include <sstream>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::istringstream in(text);
        TextSource source(in);
        std::string all;
        for (std::string piece; source.next(piece);) {
            if (piece.empty() || piece.size() > TextSource::kPiece)
                std::abort();
            all += piece;
        }
        if (all != text)
            std::abort();
    }
    std::istringstream in(text);
    TextSource source(in);
    std::size_t lines = 0;
    for (std::string line; source.nextLine(line);) {
        if (line.find('\n') != std::string::npos)
            std::abort();
        ++lines;
    }
    if (lines > text.size() + 1)
        std::abort();
    return 0;
}
