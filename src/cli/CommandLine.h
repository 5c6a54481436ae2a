#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tessary {

// `tessary`, the command line over the same core, sample set and players as the window: a
// table of commands (allCommands(), one file each), and the one preamble they share: options
// parsed against what the command takes, its help, a refusal of arguments it takes none of,
// and every error turned into its exit status and one line on standard error.
//
// Text and items come from the arguments, or from a file (--file F) or standard input ("-"), and
// are read, spelled, played and written piece by piece: memory stays bounded whatever their
// length. Exit status: 0 done; 1 the work could not be done (a file not read or written, output
// lost, no sample set, no espeak-ng data), with the reason; 2 the command line was wrong, with
// one line on standard error naming the argument and its position, and nothing on standard
// output (a bad item found after output began, far into a long input, exits 1).
class CommandLine
{
public:
    CommandLine(std::vector<std::string> args, std::istream& in, std::ostream& out,
                std::ostream& err);
    int run();

    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

    // 'tessary --help': the commands' lines come from the table.
    static std::string programHelp();

private:
    int dispatch(bool& streamed);

    std::vector<std::string> m_args;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace tessary
