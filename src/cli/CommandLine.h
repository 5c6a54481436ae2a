#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tessary {

// `tessary`, the command line over the same core, sample set and players as the window:
//
//   tessary spell TEXT...                         the allophone spelling of English text
//   tessary codes [--format F] [--text] ITEM...   the code string, in a firmware's format
//   tessary say [--pace MS] [--text] ITEM...      plays the items through the sample set
//   tessary render --output FILE.wav [--pace MS] [--text] ITEM...
//   tessary list                                  the 64 allophones
//
// Exit status: 0 done; 1 the work could not be done (a file not written, no sample set, no
// espeak-ng data); 2 the command line was wrong, with one line on standard error naming the
// argument and its position, and nothing on standard output.
class CommandLine
{
public:
    CommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err);
    int run();

    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

private:
    struct Options
    {
        std::string format = "dollar";
        std::string output;
        int pace = 0;
        bool text = false;
        bool help = false;
        std::vector<std::string> items;
    };
    class UsageError;

    Options parse(const std::string& command, const std::vector<std::string>& allowed);
    std::vector<std::string> mnemonicsOf(const Options& o);
    std::vector<std::string> spelled(const std::string& text);

    int spell();
    int codes();
    int say();
    int render();
    int list();
    int help(const std::string& command);

    std::vector<std::string> m_args;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace tessary
