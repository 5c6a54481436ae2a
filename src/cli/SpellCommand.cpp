// tessary spell: the allophone spelling of English text, or the ways to spell one word.
#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "PieceReader.h"
#include "UsageError.h"
#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "files/TextSource.h"
#include "text/JsonText.h"

#include <algorithm>
#include <ostream>

namespace tessary {

namespace {

int alternatives(Invocation& cli)
{
    const auto all = cli.alternatives();
    std::ostream& out = cli.out();
    if (cli.options().json) {
        out << "[";
        for (std::size_t i = 0; i < all.size(); ++i)
            out << (i ? ",\n " : "") << "{" << Invocation::spellingJson(all[i]) << "}";
        out << "]\n";
        return 0;
    }
    for (const auto& s : all)
        out << Invocation::joined(s) << "  "
            << CodeFormat::format(AllophoneTable::codesOf(s), CodeFormat::Style::Dollar) << "\n";
    return 0;
}

// One line out for each line in, an empty one where a line has nothing to say, so that the
// output lines up with the input.
int eachLine(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.items.empty() && o.file.empty())
        throw UsageError("no text to spell");
    const std::unique_ptr<TextSource> src = cli.source();
    for (std::string line; src->nextLine(line);) {
        const std::vector<std::string> s = cli.spelled(line);
        const bool sound = !std::all_of(s.begin(), s.end(), &AllophoneTable::isPause);
        if (o.json)
            cli.out() << "{\"text\": " << JsonText::quote(line) << ", "
                      << Invocation::spellingJson(sound ? s : std::vector<std::string>{}) << "}\n";
        else
            cli.out() << (sound ? Invocation::joined(s) : "") << "\n";
    }
    if (!src->problem().empty())
        throw Failure("cannot read the text: " + src->problem());
    return 0;
}

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.alternatives)
        return alternatives(cli);
    if (o.lines)
        return eachLine(cli);
    if (o.json) {
        const std::vector<std::string> all = cli.wholeMnemonics(true);
        const bool given = o.file.empty() && o.items[0] != "-";
        cli.out() << "{\"text\": "
                  << (given ? JsonText::quote(Invocation::joined(o.items)) : "null") << ", "
                  << Invocation::spellingJson(all) << "}\n";
        return 0;
    }
    PieceReader reader(cli, true);
    for (std::vector<std::string> piece; reader.next(piece);) {
        cli.out() << (cli.hasOutput() ? " " : "") << Invocation::joined(piece);
        cli.noteOutput();
    }
    cli.out() << "\n";
    return 0;
}

} // namespace

const Command& commands::spell()
{
    static const Command command{
        "spell",
        "spell TEXT...",
        "the allophone spelling of the text (--alternatives TEXT: other ways)",
        R"(Usage: tessary spell [--style STYLE] [--lines] [--json] [--file FILE] TEXT...
       tessary spell --alternatives [--style STYLE] [--json] TEXT...
Prints the allophone spelling of the English text: mnemonics in lower case, separated by single
spaces, on one line. Words are separated by pa1 (pa3 before an unvoiced stop), clauses end in pa4 and sentences in pa5, and
the spelling ends in a pause. Words in ~/.config/quorlin-tessary/words are spelled as given
there, one word and its mnemonics on each line.

  -, --file FILE    the text from standard input, or from FILE, of any length
  --lines           each line of the text spelled on a line of its own
  --json            {"text", "mnemonics", "codes", "codeString"}; one object a line with --lines
  --style STYLE     conventional (the default): the chip's own conventions; clear: KK3 for
                    every k, RR2 for every r and a stressed vowel once, the forms heard
                    clearest from the sample set (see the README)
  --alternatives    the ways to spell the text, one a line with its code string: the rules'
                    own first, then word by word: the word in the other style, one sound in
                    its other variant on the chip,
                    a flapped t ("water") as a real TT, a short vowel doubled or single, the
                    other reading of a word like "live"
)",
        {CommandOption::lines(),
         CommandOption::json(),
         CommandOption::file("the text"),
         CommandOption::style(),
         {"--alternatives", CommandOption::Value::None, "the ways to spell the text", {}}},
        Command::Arguments::Text,
        &run};
    return command;
}

} // namespace tessary
