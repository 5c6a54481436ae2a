// tessary list: the 64 allophones.
#include "Command.h"
#include "Invocation.h"
#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "text/JsonText.h"

#include <cstdio>
#include <ostream>

namespace tessary {

namespace {

constexpr std::pair<unsigned, const char*> kClassNames[] = {{kPause, "pause"},
                                                            {kVowel, "vowel"},
                                                            {kBack, "back"},
                                                            {kShort, "short"},
                                                            {kDoublable, "doublable"},
                                                            {kVoicedStop, "voiced stop"},
                                                            {kUnvoicedStop, "unvoiced stop"},
                                                            {kNasal, "nasal"}};

std::string classes(const AllophoneEntry& e)
{
    std::string out;
    for (const auto& [c, name] : kClassNames) {
        if (e.classes & c)
            out += std::string(out.empty() ? "" : ", ") + JsonText::quote(name);
    }
    return "[" + out + "]";
}

int run(Invocation& cli)
{
    const bool json = cli.options().json;
    std::ostream& out = cli.out();
    if (json)
        out << "[";
    for (const AllophoneEntry& e : AllophoneTable::all()) {
        const std::string word = e.caption.substr(e.caption.find(" - ") + 3);
        char ms[16];
        std::snprintf(ms, sizeof ms, "%.1f", ChipDurations::chipMs(e.code));
        if (json) {
            out << (e.code ? ",\n " : "") << "{\"code\": " << e.code
                << ", \"codeText\": " << JsonText::quote(e.codeText)
                << ", \"mnemonic\": " << JsonText::quote(e.mnemonic)
                << ", \"example\": " << JsonText::quote(word) << ", \"ms\": " << ms
                << ", \"classes\": " << classes(e) << "}";
            continue;
        }
        char line[80];
        std::snprintf(line, sizeof line, "%s  %-4s %-9s %6s ms\n", e.codeText.c_str(),
                      e.mnemonic.c_str(), word.c_str(), ms);
        out << line;
    }
    if (json)
        out << "]\n";
    return 0;
}

} // namespace

const Command& commands::list()
{
    static const Command command{
        "list",
        "list",
        "the 64 allophones: code, mnemonic, example word, time on the chip",
        R"(Usage: tessary list [--json]
Prints the 64 allophones in code order, one a line: code text, mnemonic, example word, and
how long the allophone lasts on the chip. --json: one array of objects, each allophone's
classes too (pause, vowel, back, short, doublable, voiced stop, unvoiced stop, nasal).
)",
        {CommandOption::json()},
        Command::Arguments::None,
        &run};
    return command;
}

} // namespace tessary
