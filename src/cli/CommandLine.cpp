#include "CommandLine.h"

#include "Utterance.h"
#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "composer/CodeFormat.h"
#include "files/UserFile.h"
#include "sound/SoundOutput.h"
#include "sound/WavWriter.h"
#include "speech/SampleSet.h"
#include "spelling/Speller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <stdexcept>
#include <thread>

namespace tessary {

namespace {

constexpr const char* kVersion = TESSARY_VERSION;
constexpr int kMaxPace = 65535; // the longest step a timer of the original could hold

// The work could not be done: exit status 1.
class Failure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

const char* const kProgramHelp = R"(Usage: tessary COMMAND [OPTION]... [ARGUMENT]...
Spell English in SP0256-AL2 allophones, and give their codes in the forms firmware takes.

Commands:
  spell TEXT...        the allophone spelling of the text
  codes ITEM...        the code string of the items (--format dollar, hex, dec, c, basic)
  say ITEM...          plays the items through the sample set
  render ITEM...       writes the items' sound to a WAV file (--output FILE.wav)
  list                 the 64 allophones: code, mnemonic, example word, time on the chip

An ITEM is a mnemonic (hh1), a code text ($1B) or a number (27, 0x1B); with --text the
items are English text, spelled first.

  -h, --help           this help; 'tessary COMMAND --help' for a command's own
      --version        the version

Exit status: 0 done, 1 the work could not be done, 2 a wrong command line.
)";

const char* helpOf(const std::string& command)
{
    if (command == "spell")
        return R"(Usage: tessary spell TEXT...
Prints the allophone spelling of the English text: mnemonics in lower case, separated by single
spaces, on one line. Words are separated by pa3, clauses end in pa4 and sentences in pa5, and
the spelling ends in a pause. Words in ~/.config/quorlin-tessary/words are spelled as given
there, one word and its mnemonics on each line.
)";
    if (command == "codes")
        return R"(Usage: tessary codes [--format FORMAT] [--text] ITEM...
Prints the code string of the items on one line. FORMAT is one of
  dollar   $1B$07$2D$35  (the default; what the window's Copy gives)
  hex      0x1B, 0x07, 0x2D, 0x35
  dec      27, 7, 45, 53
  c        const uint8_t word[] = { 0x1B, 0x07, 0x2D, 0x35 };
  basic    DATA 27,7,45,53
An ITEM is a mnemonic (hh1), a code text ($1B) or a number 0-63 (27, 0x1B). With --text the
items are English text, spelled first.
)";
    if (command == "say")
        return R"(Usage: tessary say [--pace MS] [--text] ITEM...
Plays the items' samples from the sample set: end to end, each whole, as the chip speaks them,
or with --pace one every MS milliseconds, each cut off by the next, as the window's SPEAK does.
With --text the items are English text, spelled first.
)";
    if (command == "render")
        return R"(Usage: tessary render --output FILE.wav [--pace MS] [--text] ITEM...
Writes the sound of the items to FILE.wav, 16-bit mono at the sample set's rate: end to end,
or with --pace one sample every MS milliseconds, each cut off by the next and the last whole.
With --text the items are English text, spelled first.
)";
    if (command == "list")
        return R"(Usage: tessary list
Prints the 64 allophones in code order, one a line: code text, mnemonic, example word, and
how long the allophone lasts on the chip.
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

} // namespace

class CommandLine::UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

CommandLine::CommandLine(std::vector<std::string> args, std::ostream& out, std::ostream& err)
    : m_args(std::move(args)), m_out(out), m_err(err)
{}

int CommandLine::run()
{
    try {
        if (m_args.empty())
            throw UsageError("no command; 'tessary --help' lists them");
        const std::string& command = m_args[0];
        if (command == "--help" || command == "-h")
            return help({});
        if (command == "--version") {
            m_out << "tessary " << kVersion << "\n";
            return kDone;
        }
        if (command == "spell")
            return spell();
        if (command == "codes")
            return codes();
        if (command == "say")
            return say();
        if (command == "render")
            return render();
        if (command == "list")
            return list();
        throw UsageError("argument 1, '" + command + "', is not a command");
    } catch (const UsageError& e) {
        m_err << "tessary: " << e.what() << "\n";
        return kUsage;
    } catch (const Failure& e) {
        m_err << "tessary: " << e.what() << "\n";
        return kFailed;
    }
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
        if (arg == "--text") {
            if (hasValue)
                throw UsageError(where + ", '" + m_args[i] + "': --text takes no value");
            o.text = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= m_args.size())
                throw UsageError(where + ", '" + arg + "', needs a value");
            value = m_args[++i];
        }
        const std::string valueAt = "argument " + std::to_string(i + 1);
        if (arg == "--format") {
            if (!CodeFormat::parseStyle(value))
                throw UsageError(valueAt + ", '" + value +
                                 "', is no format: dollar, hex, dec, c or basic");
            o.format = value;
        } else if (arg == "--output") {
            if (value.empty())
                throw UsageError(valueAt + ": --output needs a file name");
            o.output = value;
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

std::vector<std::string> CommandLine::spelled(const std::string& text)
{
    std::filesystem::path file;
    std::vector<WordList::Problem> problems;
    WordList words = WordList::forThisUser(file, problems);
    for (const WordList::Problem& p : problems)
        m_err << "tessary: " << WordList::describe(file, p) << "\n";
    const Speller speller(std::move(words));
    if (!speller.available())
        throw Failure("espeak-ng's English data could not be loaded (package espeak-ng-data)");
    return speller.spell(text);
}

// The items as mnemonics: spelled from text, or each read as a mnemonic, code text or number.
std::vector<std::string> CommandLine::mnemonicsOf(const Options& o)
{
    if (o.items.empty())
        throw UsageError(o.text ? "no text to spell" : "no items");
    if (o.text)
        return spelled(joined(o.items));
    std::vector<std::string> mnemonics;
    for (std::size_t i = 0; i < o.items.size(); ++i) {
        const std::optional<int> code = CodeFormat::parseCode(o.items[i]);
        if (!code)
            throw UsageError("item " + std::to_string(i + 1) + ", '" + o.items[i] +
                             "', is not a mnemonic, a code text or a number 0-63");
        mnemonics.push_back(AllophoneTable::EntryByCode(*code)->mnemonic);
    }
    return mnemonics;
}

int CommandLine::spell()
{
    const Options o = parse("spell", {});
    if (o.help)
        return help("spell");
    if (o.items.empty())
        throw UsageError("no text to spell");
    m_out << joined(spelled(joined(o.items))) << "\n";
    return kDone;
}

int CommandLine::codes()
{
    const Options o = parse("codes", {"--format", "--text"});
    if (o.help)
        return help("codes");
    std::vector<int> codes;
    for (const std::string& m : mnemonicsOf(o))
        codes.push_back(AllophoneTable::FindByMnemonic(m)->code);
    m_out << CodeFormat::format(codes, *CodeFormat::parseStyle(o.format)) << "\n";
    return kDone;
}

int CommandLine::say()
{
    const Options o = parse("say", {"--pace", "--text"});
    if (o.help)
        return help("say");
    const std::vector<std::string> mnemonics = mnemonicsOf(o);
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    const Utterance utterance(set, mnemonics, o.pace);

    auto player = std::make_unique<SoundOutput>(
        &OutputChoice::find, [this](SoundOutput::Kind kind, const std::string& line) {
            if (kind == SoundOutput::Kind::Sdl)
                m_err << "tessary: " << line << "\n";
        });
    if (player->kind() == SoundOutput::Kind::None)
        throw Failure("no sound output: no sound server answers and no audio device opens");
    std::vector<std::string> paths;
    for (const auto& part : utterance.parts())
        paths.push_back(part.path);
    player->preload(paths);
    // Each sample is handed over at its due time; a player with a timeline of its own places
    // it there to the frame. The lead gives it time to open its stream.
    using Clock = SamplePlayer::Clock;
    const Clock::time_point start = Clock::now() + std::chrono::milliseconds(150);
    for (const auto& part : utterance.parts()) {
        const Clock::time_point due = start + utterance.offset(part);
        std::this_thread::sleep_until(due);
        player->playAt(part.path, due);
    }
    const auto length =
        std::chrono::nanoseconds(utterance.frames() * 1'000'000'000LL / utterance.rate());
    std::this_thread::sleep_until(start + length + std::chrono::milliseconds(200));
    return kDone;
}

int CommandLine::render()
{
    const Options o = parse("render", {"--output", "--pace", "--text"});
    if (o.help)
        return help("render");
    if (o.output.empty())
        throw UsageError("render needs --output FILE.wav");
    const std::vector<std::string> mnemonics = mnemonicsOf(o);
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    const Utterance utterance(set, mnemonics, o.pace);
    for (const auto& part : utterance.parts()) {
        if (!part.pcm)
            m_err << "tessary: " << part.path << " cannot be played; '" << part.mnemonic
                  << "' is silent\n";
    }
    const std::string problem =
        UserFile::write(o.output, WavWriter::encode(utterance.render(), utterance.rate()));
    if (!problem.empty())
        throw Failure("cannot write " + problem);
    return kDone;
}

int CommandLine::list()
{
    const Options o = parse("list", {});
    if (o.help)
        return help("list");
    if (!o.items.empty())
        throw UsageError("argument 2, '" + o.items.front() + "': list takes no arguments");
    for (const AllophoneEntry& e : AllophoneTable::All()) {
        const std::string word = e.caption.substr(e.caption.find(" - ") + 3);
        char line[80];
        std::snprintf(line, sizeof line, "%s  %-4s %-9s %6.1f ms", e.codeText.c_str(),
                      e.mnemonic.c_str(), word.c_str(), ChipDurations::chipMs(e.code));
        m_out << line << "\n";
    }
    return kDone;
}

} // namespace tessary
