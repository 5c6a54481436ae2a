#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace tessary {

class Speller;
class TextSource;

// `tessary`, the command line over the same core, sample set and players as the window:
//
//   tessary spell [--lines] [--json] [--file F] TEXT...    the allophone spelling of English text
//   tessary spell --alternatives [--json] WORD             the other ways to spell a word
//   tessary codes [--format F] [--text] [--lines] [--json] [--file F] ITEM...
//   tessary say [--pace MS] [--text] [--file F] ITEM...    plays the items through the sample set
//   tessary say --alternatives WORD                        plays each way to spell a word
//   tessary render --output FILE.wav|- [--pace MS] [--text] [--file F] ITEM...
//   tessary vocab [--format c|arduino|json] [--output F] FILE   a firmware header of many words
//   tessary list [--json]                                  the 64 allophones
//   tessary say --device PORT ...                          a real chip says it, through our bridge
//   tessary devices [--probe]                              the ports that could be a bridge
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
    ~CommandLine();
    int run();

    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;
    static constexpr int kInterrupted = 130; // Ctrl+C, as a shell reports it

private:
    struct Options
    {
        std::string format;
        std::string output;
        std::string file;
        int pace = 0;
        bool text = false;
        bool lines = false;
        bool json = false;
        bool alternatives = false;
        bool probe = false;
        std::string device;
        bool help = false;
        std::vector<std::string> items;
    };
    class UsageError;
    class Reader;
    // The next piece of mnemonics into its argument; false at the end.
    using Pieces = std::function<bool(std::vector<std::string>&)>;

    Options parse(const std::string& command, const std::vector<std::string>& allowed);
    // A command that takes options only refuses its first other argument.
    void refuseItems(const Options& o, const std::string& command);
    // Where the text or items come from: the arguments, a file, or standard input.
    std::unique_ptr<TextSource> source(const Options& o);
    const Speller& speller();
    std::vector<std::string> spelled(const std::string& text);
    // Items as mnemonics; `before` counts the items before them, for the message.
    std::vector<std::string> itemsAsMnemonics(const std::vector<std::string>& items,
                                              std::size_t before = 0);
    // The whole of the items or text, for output that holds it in one piece (JSON): refused
    // past kMostInOneObject allophones.
    std::vector<std::string> mnemonicsOf(const Options& o);
    std::vector<std::vector<std::string>> alternativesOf(const Options& o);

    int spell();
    int codes();
    int say();
    int render();
    int vocab();
    int list();
    int devices();
    int sayOnChip(const std::string& device, const Pieces& pieces);
    int help(const std::string& command);
    // `announce` lines are printed as the allophone they stand at starts.
    int play(const Pieces& pieces, int pace,
             const std::vector<std::pair<std::size_t, std::string>>& announce);
    int dispatch();

    std::vector<std::string> m_args;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<Speller> m_speller;
    // Output has gone out before the input was all read: a later error can no longer leave
    // standard output empty.
    bool m_streamed = false;
};

} // namespace tessary
