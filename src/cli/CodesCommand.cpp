// tessary codes: the code string of the items, in the forms firmware takes.
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
#include <sstream>

namespace tessary {

namespace {

CodeFormat::Style styleOf(const Options& o)
{
    return *CodeFormat::parseStyle(o.format.empty() ? "dollar" : o.format);
}

void write(Invocation& cli, const std::vector<std::string>& mnemonics)
{
    const std::vector<int> codes = AllophoneTable::codesOf(mnemonics);
    const CodeFormat::Style style = styleOf(cli.options());
    if (cli.options().json)
        cli.out() << "{" << Invocation::spellingJson(mnemonics)
                  << ", \"formatted\": " << JsonText::quote(CodeFormat::format(codes, style))
                  << "}\n";
    else
        cli.out() << CodeFormat::format(codes, style) << "\n";
}

// A line's mnemonics: spelled, or its items read; a bad item is reported and gives a line of
// its own, so that the output goes on in step with the input.
bool lineMnemonics(Invocation& cli, const std::string& line, int number,
                   std::vector<std::string>& mnemonics)
{
    if (cli.options().text) {
        mnemonics = cli.spelled(line);
        if (std::all_of(mnemonics.begin(), mnemonics.end(), &AllophoneTable::isPause))
            mnemonics.clear();
        return true;
    }
    std::istringstream words(line);
    std::vector<std::string> items;
    for (std::string w; words >> w;)
        items.push_back(w);
    try {
        mnemonics = Invocation::itemsAsMnemonics(items);
        return true;
    } catch (const UsageError& e) {
        cli.err() << "tessary: line " << number << ": " << e.what() << "\n";
        if (cli.options().json)
            cli.out() << "{\"line\": " << number << ", \"error\": " << JsonText::quote(e.what())
                      << "}\n";
        else
            cli.out() << "\n";
        return false;
    }
}

int eachLine(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.items.empty() && o.file.empty())
        throw UsageError(o.text ? "no text to spell" : "no items");
    const std::unique_ptr<TextSource> src = cli.source();
    int number = 0;
    int bad = 0;
    for (std::string line; src->nextLine(line);) {
        std::vector<std::string> mnemonics;
        if (lineMnemonics(cli, line, ++number, mnemonics))
            write(cli, mnemonics);
        else
            ++bad;
    }
    if (!src->problem().empty())
        throw Failure("cannot read the items: " + src->problem());
    if (bad > 0)
        throw Failure(std::to_string(bad) + " line" + (bad == 1 ? "" : "s") +
                      " with an item that is not an allophone");
    return 0;
}

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.lines)
        return eachLine(cli);
    if (o.json) {
        write(cli, cli.wholeMnemonics(cli.options().text));
        return 0;
    }
    // The code string as its pieces come: opening, runs of codes, closing.
    const CodeFormat::Style style = styleOf(o);
    PieceReader reader(cli, cli.options().text);
    for (std::vector<std::string> piece; reader.next(piece);) {
        cli.out() << (cli.hasOutput() ? CodeFormat::separator(style) : CodeFormat::opening(style))
                  << CodeFormat::run(AllophoneTable::codesOf(piece), style);
        cli.noteOutput();
    }
    cli.out() << CodeFormat::closing(style) << "\n";
    return 0;
}

} // namespace

const Command& commands::codes()
{
    static const Command command{
        "codes",
        "codes ITEM...",
        "the code string of the items (--format dollar, hex, dec, c, basic)",
        R"(Usage: tessary codes [--format FORMAT] [--text [--style STYLE]] [--lines] [--json] [--file FILE] ITEM...
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
  --style STYLE     conventional (the default): the chip's own conventions; clear: KK3 for
                    every k, RR2 for every r and a stressed vowel once, the forms heard
                    clearest from the sample set (see the README)
)",
        {{"--format",
          CommandOption::Value::Choice,
          "the format",
          {CodeFormat::styleNames().begin(), CodeFormat::styleNames().end()}},
         CommandOption::text(),
         CommandOption::style(),
         CommandOption::lines(),
         CommandOption::json(),
         CommandOption::file("the items")},
        Command::Arguments::Items,
        &run};
    return command;
}

} // namespace tessary
