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
// Text and items come from the arguments, or from a file (--file F) or standard input ("-").
// Exit status: 0 done; 1 the work could not be done (a file not read or written, no sample set,
// no espeak-ng data), with the reason; 2 the command line was wrong, with one line on standard
// error naming the argument and its position, and nothing on standard output.
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

    Options parse(const std::string& command, const std::vector<std::string>& allowed);
    // A command that takes options only refuses its first other argument.
    void refuseItems(const Options& o, const std::string& command);
    // Where the text or items come from: the arguments, a file, or standard input.
    std::unique_ptr<TextSource> source(const Options& o);
    const Speller& speller();
    std::vector<std::string> spelled(const std::string& text);
    // The whole source spelled piece by piece; `emit` gets each piece's mnemonics in order.
    // False when the text has nothing to say.
    bool spellAll(TextSource& text, const std::function<void(std::vector<std::string>)>& emit);
    std::vector<std::string> itemsAsMnemonics(const std::vector<std::string>& items);
    std::vector<std::string> mnemonicsOf(const Options& o);
    std::vector<std::vector<std::string>> alternativesOf(const Options& o);

    int spell();
    int codes();
    int say();
    int render();
    int vocab();
    int list();
    int devices();
    int sayOnChip(const std::string& device,
                  const std::vector<std::vector<std::string>>& utterances);
    int help(const std::string& command);
    int play(const std::vector<std::vector<std::string>>& utterances, int pace);

    std::vector<std::string> m_args;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<Speller> m_speller;
};

} // namespace tessary
