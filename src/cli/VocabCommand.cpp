// tessary vocab: one firmware header of every entry of a vocabulary file.
#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "UsageError.h"
#include "board/Board.h"
#include "catalogue/AllophoneTable.h"
#include "files/UserFile.h"
#include "spelling/Speller.h"
#include "vocabulary/SketchFolder.h"
#include "vocabulary/Vocabulary.h"
#include "vocabulary/VocabularyFile.h"
#include "vocabulary/VocabularyHeader.h"
#include "vocabulary/VocabularySpeller.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>

namespace tessary {

namespace {

// The whole file, up to the limit: a regular file, or standard input (a pipe) for "-".
std::string readVocabulary(const std::string& name, std::istream& in)
{
    if (name != "-") {
        UserFile::Contents c = UserFile::read(name, VocabularyFile::kMaxBytes);
        if (c.status == UserFile::Status::Missing)
            throw Failure("cannot read " + name + ": " + std::strerror(ENOENT));
        if (c.status == UserFile::Status::Refused)
            throw Failure("cannot read " + c.problem);
        return std::move(c.bytes);
    }
    std::string text(VocabularyFile::kMaxBytes + 1, '\0');
    errno = 0;
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
        throw Failure(std::string("cannot read standard input: ") +
                      (errno ? std::strerror(errno) : "an input error"));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > VocabularyFile::kMaxBytes)
        throw Failure("standard input is larger than the limit of " +
                      UserFile::describeSize(VocabularyFile::kMaxBytes) + " for a vocabulary");
    return text;
}

std::string boardNames()
{
    std::string names;
    for (const Board& b : Board::all())
        names += (names.empty() ? "" : ", ") + std::string(b.name);
    return names;
}

// 12345 as "12,345".
std::string grouped(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

// Words the board's flash cannot hold beside the core and the driver are found here, with the
// figures, rather than by the linker.
void refuseWhatWillNotFit(std::size_t words, const Board& board)
{
    const std::size_t room = board.sketchBytes - board.coreBytes;
    if (words <= room)
        return;
    std::string larger;
    for (const Board& b : Board::all()) {
        if (larger.empty() && b.sketchBytes - b.coreBytes >= words)
            larger = "; --board " + std::string(b.name) + " has room for " +
                     grouped(b.sketchBytes - b.coreBytes);
    }
    throw Failure("no header written: its words take " + grouped(words) +
                  " bytes of flash, and the " + std::string(board.shown) + " has " +
                  grouped(board.sketchBytes) + " for a sketch, about " + grouped(board.coreBytes) +
                  " of them the core's and the driver's: " + grouped(words - room) + " too many" +
                  larger);
}

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.items.size() != 1)
        throw UsageError(o.items.empty()
                             ? "vocab needs a vocabulary file ('-' for standard input)"
                             : "argument 3, '" + o.items[1] + "': vocab takes one vocabulary file");
    const std::string& name = o.items[0];
    if (name != "-" && !o.output.empty() && o.output != "-" && UserFile::sameFile(name, o.output))
        throw UsageError("--output " + o.output +
                         " is the vocabulary itself, which it would replace");
    const bool sketch = o.format == "sketch";
    if (sketch && (o.output.empty() || o.output == "-"))
        throw UsageError("--format sketch needs --output FOLDER");
    if (o.force && !sketch)
        throw UsageError("--force is for --format sketch: a header is always written whole");
    if (!o.board.empty() && !sketch && o.format != "arduino")
        throw UsageError(
            "--board is for --format arduino and sketch, which go into a board's flash");
    const Board* board = o.board.empty() ? &Board::uno() : Board::named(o.board);
    if (!board)
        throw UsageError("--board " + o.board + " is no board tessary knows: " + boardNames());
    VocabularyHeader::Form form = VocabularyHeader::Form::Arduino;
    if (!sketch)
        VocabularyHeader::parseForm(o.format.empty() ? "c" : o.format, form);

    const std::string shown = name == "-" ? "standard input" : name;
    const VocabularySpeller vocabularySpeller([&cli]() -> const Speller& { return cli.speller(); },
                                              o.noUserWords ? VocabularySpeller::UserWords::Without
                                                            : VocabularySpeller::UserWords::With);
    const std::string prefix = !o.prefix.empty() ? o.prefix
                               : name == "-"     ? "vocabulary"
                                                 : std::filesystem::path(name).stem().string();
    const VocabularySpeller::Header made =
        vocabularySpeller.header(readVocabulary(name, cli.in()), form, prefix,
                                 std::filesystem::path(shown).filename().string());
    const std::string& header = made.text;
    for (const Vocabulary::Problem& p : made.problems)
        cli.err() << "tessary: " << shown << ":" << p.line << ": " << p.message << "\n";
    if (!made.problems.empty())
        throw Failure("no header written: " + std::to_string(made.problems.size()) + " problem" +
                      (made.problems.size() == 1 ? "" : "s") + " in " + shown);
    if (sketch || form == VocabularyHeader::Form::Arduino)
        refuseWhatWillNotFit(VocabularyHeader::flashBytes(made.vocabulary, made.source), *board);
    if (sketch) {
        const SketchFolder::Outcome written =
            SketchFolder::write(o.output, made.source.prefix, header, made.vocabulary, o.force,
                                {std::string(board->name), std::string(board->cpuMenu)});
        if (!written.theirs.empty())
            throw Failure(written.problem +
                          "; --force writes the sketch's files all the same, keeping every other");
        if (!written.problem.empty())
            throw Failure(written.problem);
        return 0;
    }
    if (o.output.empty() || o.output == "-") {
        cli.out() << header;
        return 0;
    }
    if (const std::string problem = UserFile::write(o.output, header); !problem.empty())
        throw Failure("cannot write " + problem);
    return 0;
}

} // namespace

const Command& commands::vocab()
{
    static const Command command{
        "vocab",
        "vocab FILE",
        "a header of every entry of a vocabulary file (--format c, arduino, json)",
        R"(Usage: tessary vocab [--format c|arduino|json|sketch] [--output FILE] [--prefix NAME]
                    [--board NAME] [--style STYLE] [--no-user-words] [--force] VOCABULARY
Writes one header with every entry of the vocabulary file (- for standard input): one line an
entry, a name and mnemonics or codes after '=', or English text after ':'.

  # comments and blank lines are skipped
  hello = hh1 eh ll ow pa1
  greeting: Hello there.
  good night                (text alone is named after itself: good_night)
  %numbers                  the number words and PREFIX_say_number(n), which says any
                            integer from -999999 to 999999 through the SP0256 driver
  %numbers british          the same with "and": one hundred and five
  %phrase report = the_temperature_is warm
                            a phrase of entries: their codes with the pause between words
                            between them and PA1 after, and the list of the entries it says

  c         an include guard, <stdint.h>, a const uint8_t array and its length for each entry,
            an enum of the entries and a table of them all (the default)
  arduino   the same with the arrays and the table in flash (PROGMEM)
  json      each entry's name, text, mnemonics and codes
  sketch    a folder the Arduino IDE opens (--output FOLDER): FOLDER.ino, which says every
            entry once, the header in the Arduino form, and the SP0256 driver. Run again, it
            writes them anew where they are as it wrote them; a file you changed, or a folder
            it did not make, is refused unless --force (your other files are never touched)
Every name the header makes starts with the prefix, the file's stem unless --prefix NAME
gives another: clock.txt makes CLOCK_H, clock_word_hello, clock_word_hello_length,
CLOCK_WORD_HELLO, clock_table and CLOCK_COUNT, so an entry may be called count, delay or
setup. Two names that come out the same, and any bad line, are reported with their line
numbers and nothing is written. The Arduino form and the sketch must fit the flash of the
board --board names (uno, nano, mega or leonardo; the Uno by default) beside the core and the
driver: a vocabulary too large is refused with the figures, and nothing is written. The
sketch's Makefile builds for that board. The header says which entries the word list in
~/.config/quorlin-tessary/words spelled; --no-user-words spells without it. --style clear
spells the text entries in the forms heard clearest from the sample set (see tessary spell).
)",
        {{"--format", CommandOption::Value::Choice, "the form", {"c", "arduino", "json", "sketch"}},
         {"--output", CommandOption::Value::File, "the header file, or the sketch folder", {}},
         {"--prefix", CommandOption::Value::Text, "the prefix of every name", {}},
         {"--board", CommandOption::Value::Text, "the board whose flash it must fit", {}},
         CommandOption::style(),
         {"--no-user-words", CommandOption::Value::None, "spell without the user's word list", {}},
         {"--force", CommandOption::Value::None, "write a sketch over files you changed", {}}},
        Command::Arguments::File,
        &run};
    return command;
}

} // namespace tessary
