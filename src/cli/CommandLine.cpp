#include "CommandLine.h"

#include "TextSource.h"
#include "Utterance.h"
#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "chip/ChipBridge.h"
#include "chip/SerialPorts.h"
#include "composer/CodeFormat.h"
#include "composer/JsonText.h"
#include "composer/Utf8.h"
#include "composer/Vocabulary.h"
#include "composer/VocabularyHeader.h"
#include "files/AtomicFile.h"
#include "files/UserFile.h"
#include "sound/SoundOutput.h"
#include "sound/WavWriter.h"
#include "speech/SampleSet.h"
#include "spelling/Alternatives.h"
#include "spelling/Speller.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tessary {

namespace {

constexpr const char* kVersion = TESSARY_VERSION;
constexpr int kMaxPace = 65535; // the longest step a timer of the original could hold
// A vocabulary is a few hundred lines; more is a mistake, not a vocabulary.
constexpr std::size_t kMaxVocabulary = 1024 * 1024;
// One JSON object holds the whole spelling: about a megabyte of text.
constexpr std::size_t kMostInOneObject = 256 * 1024;
// Standard output holds this much of a WAV back, so that a sound of ordinary length carries its
// exact sizes; a longer one is streamed with the sizes left open.
constexpr std::size_t kHeldWav = 8 * 1024 * 1024;
// Between two spellings that `say --alternatives` plays: two of the chip's longest pauses.
const std::vector<std::string> kGap = {"pa5", "pa5"};

// The work could not be done: exit status 1.
class Failure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

const char* const kProgramHelp = R"(Usage: tessary COMMAND [OPTION]... [ARGUMENT]...
Spell English in SP0256-AL2 allophones, and give their codes in the forms firmware takes.

Commands:
  spell TEXT...        the allophone spelling of the text (--alternatives WORD: other ways)
  codes ITEM...        the code string of the items (--format dollar, hex, dec, c, basic)
  say ITEM...          plays the items through the sample set
  render ITEM...       writes the items' sound to a WAV file (--output FILE.wav, or - )
  vocab FILE           a header of every entry of a vocabulary file (--format c, arduino, json)
  list                 the 64 allophones: code, mnemonic, example word, time on the chip
  devices              the serial ports that could be a bridge to a real chip (--probe asks)

An ITEM is a mnemonic (hh1), a code text ($1B) or a number (27, 0x1B); with --text the
items are English text, spelled first. '-' in place of the text or items reads them from
standard input, --file FILE from a file.

  -h, --help           this help; 'tessary COMMAND --help' for a command's own
      --version        the version

Exit status: 0 done, 1 the work could not be done, 2 a wrong command line.
)";

const char* helpOf(const std::string& command)
{
    if (command == "spell")
        return R"(Usage: tessary spell [--lines] [--json] [--file FILE] TEXT...
       tessary spell --alternatives [--json] WORD
Prints the allophone spelling of the English text: mnemonics in lower case, separated by single
spaces, on one line. Words are separated by pa3, clauses end in pa4 and sentences in pa5, and
the spelling ends in a pause. Words in ~/.config/quorlin-tessary/words are spelled as given
there, one word and its mnemonics on each line.

  -, --file FILE    the text from standard input, or from FILE, of any length
  --lines           each line of the text spelled on a line of its own
  --json            {"text", "mnemonics", "codes", "codeString"}; one object a line with --lines
  --alternatives    the ways to spell WORD, one a line with its code string: the rules' own
                    first, then the word with one sound in its other variant on the chip, a
                    short vowel doubled or single, the other reading of a word like "live"
)";
    if (command == "codes")
        return R"(Usage: tessary codes [--format FORMAT] [--text] [--lines] [--json] [--file FILE] ITEM...
Prints the code string of the items on one line. FORMAT is one of
  dollar   $1B$07$2D$35  (the default; what the window's Copy gives)
  hex      0x1B, 0x07, 0x2D, 0x35
  dec      27, 7, 45, 53
  c        const uint8_t word[] = { 0x1B, 0x07, 0x2D, 0x35 };
  basic    DATA 27,7,45,53
An ITEM is a mnemonic (hh1), a code text ($1B) or a number 0-63 (27, 0x1B). With --text the
items are English text, spelled first.

  -, --file FILE    the items (or text) from standard input, or from FILE
  --lines           each line on a line of its own
  --json            {"mnemonics", "codes", "codeString", "formatted"}
)";
    if (command == "say")
        return R"(Usage: tessary say [--pace MS] [--text] [--file FILE] [--device PORT] ITEM...
       tessary say --alternatives [--device PORT] WORD
Plays the items' samples from the sample set: end to end, each whole, as the chip speaks them,
or with --pace one every MS milliseconds, each cut off by the next, as the window's SPEAK does.
With --text the items are English text, spelled first; '-' or --file FILE reads them from
standard input or FILE. --alternatives plays each way to spell WORD in turn, with a pause
between, and prints each as it plays.

  --device PORT   a real SP0256-AL2 says them instead, through the bridge firmware on the
                  board at PORT (also TESSARY_DEVICE); returns once the chip is silent, and
                  Ctrl+C stops the chip before it exits
)";
    if (command == "devices")
        return R"(Usage: tessary devices [--probe]
Lists the serial ports that could be a bridge board, from /dev/serial/by-id and the USB vendor
and product in sysfs, without opening any. --probe opens each one and asks for a bridge, which
resets most Arduino boards (and would disturb another device on a port).
)";
    if (command == "render")
        return R"(Usage: tessary render --output FILE.wav [--pace MS] [--text] [--file FILE] ITEM...
Writes the sound of the items to FILE.wav (standard output for -), 16-bit mono at the sample
set's rate: end to end, or with --pace one sample every MS milliseconds, each cut off by the
next and the last whole. With --text the items are English text, spelled first; '-' or --file
FILE reads them from standard input or FILE.
)";
    if (command == "vocab")
        return R"(Usage: tessary vocab [--format c|arduino|json] [--output FILE] VOCABULARY
Writes one header with every entry of the vocabulary file (- for standard input): one line an
entry, a name and mnemonics or codes after '=', or English text after ':'.

  # comments and blank lines are skipped
  hello = hh1 eh ll ow pa1
  greeting: Hello there.
  good night                (text alone is named after itself: good_night)

  c         an include guard, <stdint.h>, a const uint8_t array and its length for each entry,
            an enum of the entries and a table of them all (the default)
  arduino   the same with the arrays and the table in flash (PROGMEM)
  json      each entry's name, text, mnemonics and codes
Names become C identifiers; two that come out the same, and any bad line, are reported with
their line numbers and nothing is written.
)";
    if (command == "list")
        return R"(Usage: tessary list [--json]
Prints the 64 allophones in code order, one a line: code text, mnemonic, example word, and
how long the allophone lasts on the chip. --json: one array of objects.
)";
    return nullptr;
}

std::string joined(const std::vector<std::string>& words, const char* separator = " ")
{
    std::string out;
    for (const std::string& w : words) {
        if (!out.empty())
            out += separator;
        out += w;
    }
    return out;
}

std::vector<int> codesOf(const std::vector<std::string>& mnemonics)
{
    std::vector<int> codes;
    for (const std::string& m : mnemonics)
        codes.push_back(AllophoneTable::FindByMnemonic(m)->code);
    return codes;
}

std::string spellingJson(const std::vector<std::string>& mnemonics)
{
    const std::vector<int> codes = codesOf(mnemonics);
    return "\"mnemonics\": " + JsonText::strings(mnemonics) +
           ", \"codes\": " + JsonText::numbers(codes) + ", \"codeString\": " +
           JsonText::quote(CodeFormat::format(codes, CodeFormat::Style::Dollar));
}

std::string whyNot()
{
    return errno ? std::strerror(errno) : "an input error";
}

} // namespace

class CommandLine::UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

CommandLine::CommandLine(std::vector<std::string> args, std::istream& in, std::ostream& out,
                         std::ostream& err)
    : m_args(std::move(args)), m_in(in), m_out(out), m_err(err)
{}

CommandLine::~CommandLine() = default;

int CommandLine::run()
{
    // A write that fails (a full disk, a pipe whose reader has gone) ends the command at once:
    // nothing reports success after output was lost.
    m_out.exceptions(std::ios::badbit);
    int status = kFailed;
    std::string message;
    try {
        const int done = dispatch();
        m_out.flush();
        status = done;
    } catch (const UsageError& e) {
        message = e.what();
        status = m_streamed ? kFailed : kUsage;
    } catch (const Failure& e) {
        message = e.what();
        try {
            m_out.flush(); // what was written before the failure still counts
        } catch (const std::exception&) {
        }
    } catch (const std::bad_alloc&) {
        message = "out of memory";
    } catch (const std::exception& e) {
        // A failed write throws libstdc++'s own ios failure, which GCC 12 cannot catch by its
        // standard name: the stream's state says what it was.
        const int error = errno;
        message = !m_out.bad() ? e.what()
                               : std::string("cannot write to standard output: ") +
                                     (error ? std::strerror(error) : "a write error");
    }
    // Quiet from here: standard error is tied to standard output and flushes it first, and
    // std::cout is flushed once more at exit.
    m_out.exceptions(std::ios::goodbit);
    if (!message.empty())
        m_err << "tessary: " << message << "\n";
    return status;
}

int CommandLine::dispatch()
{
    if (m_args.empty())
        throw UsageError("no command; 'tessary --help' lists them");
    const std::string& command = m_args[0];
    if (command == "--help" || command == "-h" || command == "--version") {
        if (m_args.size() > 1)
            throw UsageError("argument 2, '" + m_args[1] + "': " + command + " takes no arguments");
        if (command == "--version") {
            m_out << "tessary " << kVersion << "\n";
            return kDone;
        }
        return help({});
    }
    if (command == "spell")
        return spell();
    if (command == "codes")
        return codes();
    if (command == "say")
        return say();
    if (command == "render")
        return render();
    if (command == "vocab")
        return vocab();
    if (command == "list")
        return list();
    if (command == "devices")
        return devices();
    throw UsageError("argument 1, '" + command + "', is not a command");
}

int CommandLine::help(const std::string& command)
{
    m_out << (command.empty() ? kProgramHelp : helpOf(command));
    return kDone;
}

// Options may stand anywhere before the items' end; "--" ends them. `allowed` lists the ones
// this command takes. Positions count the command line's arguments from 1 (the command).
CommandLine::Options CommandLine::parse(const std::string& command,
                                        const std::vector<std::string>& allowed)
{
    Options o;
    bool optionsOver = false;
    const auto takes = [&](const std::string& name) {
        return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
    };
    for (std::size_t i = 1; i < m_args.size(); ++i) {
        std::string arg = m_args[i];
        const std::string where = "argument " + std::to_string(i + 1);
        if (optionsOver || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (!optionsOver && arg == "-h") {
                o.help = true;
                continue;
            }
            o.items.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsOver = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            hasValue = true;
        }
        if (arg == "--help") {
            o.help = true;
            continue;
        }
        if (!takes(arg))
            throw UsageError(where + ", '" + m_args[i] + "', is not an option of " + command);
        bool* flag = arg == "--text"           ? &o.text
                     : arg == "--lines"        ? &o.lines
                     : arg == "--json"         ? &o.json
                     : arg == "--alternatives" ? &o.alternatives
                     : arg == "--probe"        ? &o.probe
                                               : nullptr;
        if (flag) {
            if (hasValue)
                throw UsageError(where + ", '" + m_args[i] + "': " + arg + " takes no value");
            *flag = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= m_args.size())
                throw UsageError(where + ", '" + arg + "', needs a value");
            value = m_args[++i];
        }
        const std::string valueAt = "argument " + std::to_string(i + 1);
        if (arg == "--format") {
            VocabularyHeader::Form form{};
            if (command == "vocab" ? !VocabularyHeader::parseForm(value, form)
                                   : !CodeFormat::parseStyle(value))
                throw UsageError(
                    valueAt + ", '" + value + "', is no format: " +
                    (command == "vocab" ? "c, arduino or json" : "dollar, hex, dec, c or basic"));
            o.format = value;
        } else if (arg == "--output" || arg == "--file" || arg == "--device") {
            if (value.empty())
                throw UsageError(valueAt + ": " + arg + " needs a file name");
            (arg == "--output" ? o.output : arg == "--file" ? o.file : o.device) = value;
        } else if (arg == "--pace") {
            char* end = nullptr;
            const long pace = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || value[0] == '-' || value[0] == '+' || pace < 1 ||
                pace > kMaxPace)
                throw UsageError(valueAt + ", '" + value + "', is no pace: 1 to " +
                                 std::to_string(kMaxPace) + " milliseconds");
            o.pace = static_cast<int>(pace);
        }
    }
    return o;
}

// The arguments' text or items, or standard input for "-" or "--file -" (a pipe is read as it
// comes), or a regular file.
std::unique_ptr<TextSource> CommandLine::source(const Options& o)
{
    const bool stdinItem = o.items.size() == 1 && o.items[0] == "-";
    if (!o.file.empty() && !o.items.empty())
        throw UsageError("give the " + std::string(o.text ? "text" : "items") +
                         " or --file, not both");
    if (!stdinItem && std::find(o.items.begin(), o.items.end(), "-") != o.items.end())
        throw UsageError("'-' reads standard input and stands alone");
    if (stdinItem || o.file == "-")
        return std::make_unique<TextSource>(m_in);
    if (o.file.empty())
        return std::make_unique<TextSource>(joined(o.items));

    std::string problem;
    const int fd = UserFile::openStream(o.file, problem);
    if (fd < 0)
        throw Failure("cannot read " + problem);
    return std::make_unique<TextSource>(fd);
}

const Speller& CommandLine::speller()
{
    if (!m_speller) {
        m_speller = Speller::forThisUser(
            [this](const std::string& line) { m_err << "tessary: " << line << "\n"; });
        if (!m_speller->available())
            throw Failure("espeak-ng's English data could not be loaded (package espeak-ng-data)");
    }
    return *m_speller;
}

std::vector<std::string> CommandLine::spelled(const std::string& text)
{
    return speller().spell(text);
}

// The items or text of a command, read piece by piece as mnemonics: spelled from text, or each
// item read as a mnemonic, code text or number.
class CommandLine::Reader
{
public:
    Reader(CommandLine& cli, const Options& o) : m_cli(cli), m_text(o.text)
    {
        if (o.items.empty() && o.file.empty())
            throw UsageError(o.text ? "no text to spell" : "no items");
        m_source = cli.source(o);
    }

    // The next piece's mnemonics, never empty; false at the end. A text with nothing to say,
    // or no items at all, is a usage error.
    bool next(std::vector<std::string>& mnemonics)
    {
        mnemonics.clear();
        while (mnemonics.empty() && !m_over)
            m_text ? spellPiece(mnemonics) : readPiece(mnemonics);
        return !mnemonics.empty();
    }

private:
    // Each piece ends where a word does, so its spelling ends in the pause that ends a whole
    // spelling (pa1) where the text goes on with a word (pa3): that pause waits for the next
    // piece. Pauses before the first sound wait too, so that a text with nothing to say gives
    // nothing.
    void spellPiece(std::vector<std::string>& out)
    {
        std::string piece;
        if (!m_source->next(piece)) {
            end("text");
            if (!m_sound)
                throw UsageError("the text has nothing to say");
            out = std::move(m_held);
            m_held.clear();
            return;
        }
        std::vector<std::string> s = m_cli.spelled(piece);
        if (s.empty())
            return;
        if (!m_held.empty() && m_held.back() == "pa1")
            m_held.back() = "pa3";
        m_held.insert(m_held.end(), s.begin(), s.end());
        m_sound = m_sound || !std::all_of(s.begin(), s.end(), &AllophoneTable::IsPause);
        if (!m_sound)
            return;
        std::string last = std::move(m_held.back());
        m_held.pop_back();
        out = std::move(m_held);
        m_held = {std::move(last)};
    }

    void readPiece(std::vector<std::string>& out)
    {
        std::string piece;
        if (!m_source->next(piece)) {
            end("items");
            if (m_items == 0)
                throw UsageError("no items");
            return;
        }
        std::istringstream words(piece);
        std::vector<std::string> items;
        for (std::string w; words >> w;)
            items.push_back(w);
        out = m_cli.itemsAsMnemonics(items, m_items);
        m_items += items.size();
    }

    void end(const char* what)
    {
        m_over = true;
        if (!m_source->problem().empty())
            throw Failure(std::string("cannot read the ") + what + ": " + m_source->problem());
    }

    CommandLine& m_cli;
    bool m_text;
    std::unique_ptr<TextSource> m_source;
    std::vector<std::string> m_held;
    bool m_sound = false;
    bool m_over = false;
    std::size_t m_items = 0;
};

void CommandLine::refuseItems(const Options& o, const std::string& command)
{
    if (!o.items.empty())
        throw UsageError("argument 2, '" + o.items.front() + "': " + command +
                         " takes no arguments");
}

std::vector<std::string> CommandLine::itemsAsMnemonics(const std::vector<std::string>& items,
                                                       std::size_t before)
{
    std::vector<std::string> mnemonics;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::optional<int> code = CodeFormat::parseCode(items[i]);
        if (!code)
            throw UsageError("item " + std::to_string(before + i + 1) + ", '" +
                             Utf8::printable(items[i].substr(0, 64)) +
                             "', is not a mnemonic, a code text or a number 0-63");
        mnemonics.push_back(AllophoneTable::EntryByCode(*code)->mnemonic);
    }
    return mnemonics;
}

std::vector<std::string> CommandLine::mnemonicsOf(const Options& o)
{
    Reader reader(*this, o);
    std::vector<std::string> all;
    for (std::vector<std::string> piece; reader.next(piece);) {
        if (all.size() + piece.size() > kMostInOneObject)
            throw Failure("more than " + std::to_string(kMostInOneObject) +
                          " allophones for one JSON object; --lines gives an object a line");
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

std::vector<std::vector<std::string>> CommandLine::alternativesOf(const Options& o)
{
    if (o.items.size() != 1 || !o.file.empty() || o.items[0] == "-")
        throw UsageError("--alternatives takes one word");
    const std::string& word = o.items[0];
    if (word.find_first_of(" \t\n") != std::string::npos)
        throw UsageError("--alternatives takes one word, not '" + word + "'");
    const std::vector<std::string> spelling = spelled(word);
    if (std::all_of(spelling.begin(), spelling.end(), &AllophoneTable::IsPause))
        throw UsageError("'" + word + "' has nothing to say");
    return Alternatives::of(word, spelling);
}

int CommandLine::spell()
{
    const Options o = parse("spell", {"--lines", "--json", "--file", "--alternatives"});
    if (o.help)
        return help("spell");
    if (o.alternatives) {
        const auto all = alternativesOf(o);
        if (o.json) {
            m_out << "[";
            for (std::size_t i = 0; i < all.size(); ++i)
                m_out << (i ? ",\n " : "") << "{" << spellingJson(all[i]) << "}";
            m_out << "]\n";
            return kDone;
        }
        for (const auto& s : all)
            m_out << joined(s) << "  " << CodeFormat::format(codesOf(s), CodeFormat::Style::Dollar)
                  << "\n";
        return kDone;
    }
    if (o.lines) {
        if (o.items.empty() && o.file.empty())
            throw UsageError("no text to spell");
        const std::unique_ptr<TextSource> src = source(o);
        // One line out for each line in, an empty one where a line has nothing to say, so
        // that the output lines up with the input.
        for (std::string line; src->nextLine(line);) {
            const std::vector<std::string> s = spelled(line);
            const bool sound = !std::all_of(s.begin(), s.end(), &AllophoneTable::IsPause);
            if (o.json)
                m_out << "{\"text\": " << JsonText::quote(line) << ", "
                      << spellingJson(sound ? s : std::vector<std::string>{}) << "}\n";
            else
                m_out << (sound ? joined(s) : "") << "\n";
        }
        if (!src->problem().empty())
            throw Failure("cannot read the text: " + src->problem());
        return kDone;
    }
    Options text = o;
    text.text = true;
    if (o.json) {
        const std::vector<std::string> all = mnemonicsOf(text);
        const std::string shown = o.file.empty() && o.items[0] != "-" ? joined(o.items) : "";
        m_out << "{\"text\": " << (shown.empty() ? "null" : JsonText::quote(shown)) << ", "
              << spellingJson(all) << "}\n";
        return kDone;
    }
    Reader reader(*this, text);
    for (std::vector<std::string> piece; reader.next(piece);) {
        m_out << (m_streamed ? " " : "") << joined(piece);
        m_streamed = true;
    }
    m_out << "\n";
    return kDone;
}

int CommandLine::codes()
{
    const Options o = parse("codes", {"--format", "--text", "--lines", "--json", "--file"});
    if (o.help)
        return help("codes");
    const CodeFormat::Style style = *CodeFormat::parseStyle(o.format.empty() ? "dollar" : o.format);
    const auto write = [&](const std::vector<std::string>& mnemonics) {
        const std::vector<int> codes = codesOf(mnemonics);
        if (o.json)
            m_out << "{" << spellingJson(mnemonics)
                  << ", \"formatted\": " << JsonText::quote(CodeFormat::format(codes, style))
                  << "}\n";
        else
            m_out << CodeFormat::format(codes, style) << "\n";
    };
    if (!o.lines && o.json) {
        write(mnemonicsOf(o));
        return kDone;
    }
    if (!o.lines) {
        // The code string as its pieces come: opening, runs of codes, closing.
        Reader reader(*this, o);
        for (std::vector<std::string> piece; reader.next(piece);) {
            m_out << (m_streamed ? CodeFormat::separator(style) : CodeFormat::opening(style))
                  << CodeFormat::run(codesOf(piece), style);
            m_streamed = true;
        }
        m_out << CodeFormat::closing(style) << "\n";
        return kDone;
    }
    if (o.items.empty() && o.file.empty())
        throw UsageError(o.text ? "no text to spell" : "no items");
    const std::unique_ptr<TextSource> src = source(o);
    int number = 0;
    int bad = 0;
    for (std::string line; src->nextLine(line);) {
        ++number;
        std::vector<std::string> mnemonics;
        if (o.text) {
            mnemonics = spelled(line);
            if (std::all_of(mnemonics.begin(), mnemonics.end(), &AllophoneTable::IsPause))
                mnemonics.clear();
        } else {
            std::istringstream words(line);
            std::vector<std::string> items;
            for (std::string w; words >> w;)
                items.push_back(w);
            try {
                mnemonics = itemsAsMnemonics(items);
            } catch (const UsageError& e) {
                // A line in its place keeps the output in step with the input.
                m_err << "tessary: line " << number << ": " << e.what() << "\n";
                ++bad;
                if (o.json)
                    m_out << "{\"line\": " << number << ", \"error\": " << JsonText::quote(e.what())
                          << "}\n";
                else
                    m_out << "\n";
                continue;
            }
        }
        write(mnemonics);
    }
    if (!src->problem().empty())
        throw Failure("cannot read the items: " + src->problem());
    if (bad > 0)
        throw Failure(std::to_string(bad) + " line" + (bad == 1 ? "" : "s") +
                      " with an item that is not an allophone");
    return kDone;
}

int CommandLine::say()
{
    Options o = parse("say", {"--pace", "--text", "--file", "--alternatives", "--device"});
    if (o.help)
        return help("say");
    if (o.device.empty()) {
        if (const char* env = std::getenv("TESSARY_DEVICE"))
            o.device = env;
    }
    if (!o.device.empty() && o.pace != 0)
        throw UsageError("the chip keeps its own time: --pace does not go with --device");
    if (!o.alternatives) {
        auto reader = std::make_shared<Reader>(*this, o);
        const Pieces pieces = [reader](std::vector<std::string>& m) { return reader->next(m); };
        return o.device.empty() ? play(pieces, o.pace, {}) : sayOnChip(o.device, pieces);
    }
    // Each spelling in turn, with a gap between them, printed as it starts.
    std::vector<std::string> all;
    std::vector<std::pair<std::size_t, std::string>> announce;
    for (const std::vector<std::string>& u : alternativesOf(o)) {
        if (!all.empty())
            all.insert(all.end(), kGap.begin(), kGap.end());
        announce.emplace_back(all.size(), joined(u));
        all.insert(all.end(), u.begin(), u.end());
    }
    bool given = false;
    const Pieces pieces = [&](std::vector<std::string>& m) {
        m = given ? std::vector<std::string>{} : all;
        given = true;
        return !m.empty();
    };
    if (o.device.empty())
        return play(pieces, 0, announce);
    for (const auto& a : announce)
        m_out << a.second << "\n";
    m_out.flush();
    return sayOnChip(o.device, pieces);
}

namespace {

std::atomic<bool> interrupted{false};
volatile std::sig_atomic_t interruptedBy = 0;

void onInterrupt(int signal)
{
    interruptedBy = signal;
    interrupted = true;
}

// While the chip is spoken to, Ctrl+C, a kill or a closed terminal stop it first: the program
// ends by itself, with the port's settings put back. No SA_RESTART: a wait returns at once to
// see the flag.
class InterruptGuard
{
public:
    InterruptGuard()
    {
        struct sigaction action = {};
        action.sa_handler = &onInterrupt;
        sigemptyset(&action.sa_mask);
        interrupted = false;
        interruptedBy = 0;
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &action, &m_before[i]);
    }
    ~InterruptGuard()
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &m_before[i], nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_before[std::size(kSignals)] = {};
};

} // namespace

// The chip says the pieces as they come; a signal stops it before the program ends.
int CommandLine::sayOnChip(const std::string& device, const Pieces& pieces)
{
    const InterruptGuard guard;
    ChipBridge bridge;
    std::string problem = bridge.connect(device, &interrupted);
    if (!problem.empty() && !interrupted)
        throw Failure(problem);
    ChipBridge::Result result = ChipBridge::Result::Stopped;
    if (!interrupted) {
        const ChipBridge::Feed feed = [&](std::vector<int>& codes) {
            std::vector<std::string> piece;
            if (!pieces(piece))
                return false;
            const std::vector<int> more = codesOf(piece);
            codes.insert(codes.end(), more.begin(), more.end());
            return true;
        };
        try {
            result = bridge.say(feed, interrupted, problem);
        } catch (...) {
            // A bad item or an unreadable input far into the text: the chip stops with it.
            std::string ignored;
            bridge.stop(ignored);
            throw;
        }
    }
    if (result == ChipBridge::Result::Failed)
        throw Failure(problem);
    if (result == ChipBridge::Result::Stopped) {
        m_err << "tessary: stopped" << (problem.empty() ? "" : "; " + problem) << "\n";
        // 130 for Ctrl+C, as a shell reports it; 143 for a kill, 129 for a closed terminal.
        return 128 + (interruptedBy ? int(interruptedBy) : SIGINT);
    }
    return kDone;
}

int CommandLine::devices()
{
    const Options o = parse("devices", {"--probe"});
    if (o.help)
        return help("devices");
    refuseItems(o, "devices");
    const std::vector<SerialPorts::Port> ports = SerialPorts::list();
    if (ports.empty()) {
        m_out << "No USB serial port: is the board plugged in?\n";
        return kDone;
    }
    if (o.probe)
        m_err << "tessary: opening each port to ask for a bridge; this resets most boards\n";
    // Ctrl+C while a port is asked lets it be closed with its settings put back.
    std::optional<InterruptGuard> guard;
    if (o.probe)
        guard.emplace();
    // What a device says of itself reaches the terminal only as printable text.
    for (const SerialPorts::Port& p : ports) {
        m_out << Utf8::printable(p.path);
        if (!p.usbId.empty())
            m_out << "  " << Utf8::printable(p.usbId);
        if (!p.description.empty())
            m_out << "  " << Utf8::printable(p.description);
        if (!p.byId.empty())
            m_out << "  (/dev/serial/by-id/" << Utf8::printable(p.byId) << ")";
        if (p.boardLike)
            m_out << "  board";
        if (o.probe) {
            ChipBridge bridge;
            const std::string problem = bridge.connect(p.path, &interrupted);
            if (interrupted) {
                m_out << "\n";
                m_err << "tessary: stopped\n";
                return 128 + int(interruptedBy);
            }
            m_out << (problem.empty() ? "  bridge, room " + std::to_string(bridge.room())
                                      : "  not a bridge: " + Utf8::printable(problem));
        }
        m_out << "\n";
    }
    return kDone;
}

// Plays the pieces as they come, each sample handed over at its due time; a player with a
// timeline of its own places it there to the frame.
int CommandLine::play(const Pieces& pieces, int pace,
                      const std::vector<std::pair<std::size_t, std::string>>& announce)
{
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    Utterance utterance(set, pace);

    auto player = std::make_unique<SoundOutput>(
        &OutputChoice::find, [this](SoundOutput::Kind kind, const std::string& line) {
            if (kind == SoundOutput::Kind::Sdl)
                m_err << "tessary: " << line << "\n";
        });
    if (player->kind() == SoundOutput::Kind::None)
        throw Failure("no sound output: no sound server answers and no audio device opens");
    // The lead gives the player time to open its stream.
    using Clock = SamplePlayer::Clock;
    const Clock::time_point start = Clock::now() + std::chrono::milliseconds(150);
    std::size_t count = 0;
    auto nextLine = announce.begin();
    long long end = 0;
    for (std::vector<std::string> piece; pieces(piece);) {
        std::vector<std::string> paths;
        for (const std::string& m : piece)
            paths.push_back(set.SamplePath(m));
        player->preload(paths);
        for (const std::string& m : piece) {
            const Utterance::Part part = utterance.add(m);
            const Clock::time_point due = start + utterance.offset(part.start);
            std::this_thread::sleep_until(due);
            player->playAt(part.path, due);
            if (nextLine != announce.end() && nextLine->first == count) {
                m_out << nextLine->second << "\n" << std::flush;
                ++nextLine;
            }
            ++count;
            end = part.start + part.length;
        }
    }
    std::this_thread::sleep_until(start + utterance.offset(end) + std::chrono::milliseconds(200));
    return kDone;
}

int CommandLine::render()
{
    const Options o = parse("render", {"--output", "--pace", "--text", "--file"});
    if (o.help)
        return help("render");
    if (o.output.empty())
        throw UsageError("render needs --output FILE.wav");
    if (o.output != "-" && !o.file.empty() && UserFile::sameFile(o.file, o.output))
        throw UsageError("--output " + o.output + " is the input file, which it would replace");
    Reader reader(*this, o);
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    Utterance utterance(set, o.pace);

    AtomicFile file;
    if (o.output != "-") {
        if (std::string problem = file.open(o.output); !problem.empty())
            throw Failure("cannot write " + problem);
        if (!file.write(WavWriter::header(utterance.rate(), 0)))
            throw Failure("cannot write " + file.problem());
    }
    std::uint64_t data = 0;
    std::string bytes;
    bool streaming = false;
    // Each part is written once the next one is placed: at a pace the next one cuts it off.
    const auto write = [&](const Utterance::Part& part, long long frames) {
        Pcm pcm;
        Utterance::sound(part, frames, pcm);
        WavWriter::appendSamples(pcm, bytes);
        data += pcm.size() * 2;
        if (data > WavWriter::kMostData)
            throw Failure("the sound is longer than a WAV file holds (4 GiB, " +
                          std::to_string(WavWriter::kMostData / 2 / utterance.rate() / 3600) +
                          " hours at " + std::to_string(utterance.rate()) + " Hz)");
        if (o.output != "-") {
            if (!file.write(bytes))
                throw Failure("cannot write " + file.problem());
            bytes.clear();
        } else if (streaming || bytes.size() > kHeldWav) {
            if (!streaming)
                m_out << WavWriter::header(utterance.rate(), WavWriter::kUnknownSize);
            m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.clear();
            streaming = m_streamed = true;
        }
    };
    std::optional<Utterance::Part> held;
    std::set<std::string> silent;
    for (std::vector<std::string> piece; reader.next(piece);) {
        for (const std::string& m : piece) {
            Utterance::Part part = utterance.add(m);
            if (!part.pcm && silent.insert(m).second)
                m_err << "tessary: " << part.path << " cannot be played; '" << m << "' is silent\n";
            if (held)
                write(*held, part.start - held->start);
            held = std::move(part);
        }
    }
    if (held)
        write(*held, held->length);
    const std::string header =
        WavWriter::header(utterance.rate(), static_cast<std::uint32_t>(data));
    if (o.output == "-") {
        if (!streaming)
            m_out << header;
        m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return kDone;
    }
    std::string problem;
    if (!file.writeAt(0, header) || !(problem = file.commit()).empty())
        throw Failure("cannot write " + (problem.empty() ? file.problem() : problem));
    return kDone;
}

int CommandLine::vocab()
{
    const Options o = parse("vocab", {"--format", "--output"});
    if (o.help)
        return help("vocab");
    if (o.items.size() != 1)
        throw UsageError(o.items.empty()
                             ? "vocab needs a vocabulary file ('-' for standard input)"
                             : "argument 3, '" + o.items[1] + "': vocab takes one vocabulary file");
    const std::string& name = o.items[0];
    if (name != "-" && !o.output.empty() && o.output != "-" && UserFile::sameFile(name, o.output))
        throw UsageError("--output " + o.output +
                         " is the vocabulary itself, which it would replace");
    VocabularyHeader::Form form = VocabularyHeader::Form::C;
    VocabularyHeader::parseForm(o.format.empty() ? "c" : o.format, form);

    // The whole file, up to a limit: a regular file, or standard input (a pipe) for "-".
    std::string text;
    if (name == "-") {
        text.resize(kMaxVocabulary + 1);
        errno = 0;
        m_in.read(text.data(), static_cast<std::streamsize>(text.size()));
        if (m_in.bad())
            throw Failure("cannot read standard input: " + whyNot());
        text.resize(static_cast<std::size_t>(m_in.gcount()));
        if (text.size() > kMaxVocabulary)
            throw Failure("standard input is larger than the limit of " +
                          UserFile::describeSize(kMaxVocabulary) + " for a vocabulary");
    } else {
        UserFile::Contents c = UserFile::read(name, kMaxVocabulary);
        if (c.status == UserFile::Status::Missing)
            throw Failure("cannot read " + name + ": " + std::strerror(ENOENT));
        if (c.status == UserFile::Status::Refused)
            throw Failure("cannot read " + c.problem);
        text = std::move(c.bytes);
    }

    const std::string shown = name == "-" ? "standard input" : name;
    std::vector<Vocabulary::Problem> problems;
    Vocabulary vocabulary = Vocabulary::parse(text, problems);
    for (Vocabulary::Entry& e : vocabulary.entries()) {
        if (!e.text)
            continue;
        const std::vector<std::string> s = spelled(e.source);
        if (std::all_of(s.begin(), s.end(), &AllophoneTable::IsPause))
            problems.push_back({e.line, "'" + e.name + "' has nothing to say"});
        else
            e.codes = codesOf(s);
    }
    std::sort(problems.begin(), problems.end(),
              [](const auto& a, const auto& b) { return a.line < b.line; });
    std::vector<Vocabulary::Problem> clashes;
    const std::string stem =
        name == "-" ? "vocabulary" : std::filesystem::path(name).stem().string();
    const std::string header =
        problems.empty()
            ? VocabularyHeader::write(vocabulary, form, stem,
                                      std::filesystem::path(shown).filename().string(), clashes)
            : std::string();
    for (const Vocabulary::Problem& p : problems)
        m_err << "tessary: " << shown << ":" << p.line << ": " << p.message << "\n";
    for (const Vocabulary::Problem& c : clashes)
        m_err << "tessary: " << shown << ":" << c.line << ": " << c.message << "\n";
    if (!problems.empty() || !clashes.empty())
        throw Failure("no header written: " + std::to_string(problems.size() + clashes.size()) +
                      " problem" + (problems.size() + clashes.size() == 1 ? "" : "s") + " in " +
                      shown);
    if (o.output.empty() || o.output == "-") {
        m_out << header;
        return kDone;
    }
    const std::string problem = UserFile::write(o.output, header);
    if (!problem.empty())
        throw Failure("cannot write " + problem);
    return kDone;
}

int CommandLine::list()
{
    const Options o = parse("list", {"--json"});
    if (o.help)
        return help("list");
    refuseItems(o, "list");
    if (o.json)
        m_out << "[";
    for (const AllophoneEntry& e : AllophoneTable::All()) {
        const std::string word = e.caption.substr(e.caption.find(" - ") + 3);
        char ms[16];
        std::snprintf(ms, sizeof ms, "%.1f", ChipDurations::chipMs(e.code));
        if (o.json) {
            m_out << (e.code ? ",\n " : "") << "{\"code\": " << e.code
                  << ", \"codeText\": " << JsonText::quote(e.codeText)
                  << ", \"mnemonic\": " << JsonText::quote(e.mnemonic)
                  << ", \"example\": " << JsonText::quote(word) << ", \"ms\": " << ms << "}";
            continue;
        }
        char line[80];
        std::snprintf(line, sizeof line, "%s  %-4s %-9s %6s ms\n", e.codeText.c_str(),
                      e.mnemonic.c_str(), word.c_str(), ms);
        m_out << line;
    }
    if (o.json)
        m_out << "]\n";
    return kDone;
}

} // namespace tessary
