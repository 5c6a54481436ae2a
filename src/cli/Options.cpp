#include "Options.h"

#include "Command.h"
#include "UsageError.h"

#include <algorithm>
#include <cstdlib>

namespace tessary {

namespace {

bool* flagOf(Options& o, const std::string& name)
{
    return name == "--text"            ? &o.text
           : name == "--lines"         ? &o.lines
           : name == "--json"          ? &o.json
           : name == "--alternatives"  ? &o.alternatives
           : name == "--probe"         ? &o.probe
           : name == "--no-user-words" ? &o.noUserWords
           : name == "--play"          ? &o.play
           : name == "--force"         ? &o.force
                                       : nullptr;
}

// A port is a path: a bare --device is followed by items, never by a port.
bool looksLikeAPort(const std::string& arg)
{
    return arg.rfind("/", 0) == 0 || arg.rfind("./", 0) == 0 || arg.rfind("../", 0) == 0;
}

// "a, b or c"
std::string listed(const std::vector<std::string>& choices)
{
    std::string out;
    for (std::size_t i = 0; i < choices.size(); ++i)
        out += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    return out;
}

void setValue(Options& o, const CommandOption& option, const std::string& value,
              const std::string& where)
{
    const std::string& name = option.name;
    if (option.value == CommandOption::Value::Choice) {
        if (std::find(option.choices.begin(), option.choices.end(), value) == option.choices.end())
            throw UsageError(where + ", '" + value + "', is no " +
                             (name == "--style" ? "style" : "format") + ": " +
                             listed(option.choices));
        (name == "--style" ? o.style : o.format) = value;
    } else if (name == "--pins") {
        if (value.empty())
            throw UsageError(where + ": --pins needs the lines it moves, e.g. ALD=D7");
        o.pins = value;
    } else if (name == "--press" || name == "--level" || name == "--analog" || name == "--watch") {
        if (value.empty())
            throw UsageError(where + ": " + name + " needs a pin, e.g. " +
                             (name == "--press"    ? "D2@1.5"
                              : name == "--level"  ? "D4=1@2"
                              : name == "--analog" ? "A0=512@2"
                                                   : "D13"));
        std::string& list = name == "--press"    ? o.press
                            : name == "--level"  ? o.level
                            : name == "--analog" ? o.analog
                                                 : o.watch;
        list += (list.empty() ? "" : ",") + value;
    } else if (name == "--mcu" || name == "--board") {
        if (value.empty())
            throw UsageError(where + ": " + name + " needs a name, e.g. " +
                             (name == "--mcu" ? "atmega2560" : "mega"));
        (name == "--mcu" ? o.mcu : o.board) = value;
    } else if (name == "--seconds") {
        char* end = nullptr;
        const double seconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !(seconds > 0) || seconds > 3600)
            throw UsageError(where + ", '" + value + "', is no time: more than 0, at most 3600 s");
        o.seconds = seconds;
    } else if (name == "--prefix") {
        if (value.empty() ||
            value.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") !=
                std::string::npos)
            throw UsageError(where + ", '" + value +
                             "', is no prefix: letters, digits and '_' make one");
        o.prefix = value;
    } else if (name == "--output" || name == "--file" || name == "--device") {
        if (value.empty())
            throw UsageError(where + ": " + name + " needs a file name");
        (name == "--output" ? o.output : name == "--file" ? o.file : o.port) = value;
    } else if (name == "--pace") {
        char* end = nullptr;
        const long pace = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || value[0] == '-' || value[0] == '+' || pace < 1 ||
            pace > Options::kMaxPace)
            throw UsageError(where + ", '" + value + "', is no pace: 1 to " +
                             std::to_string(Options::kMaxPace) + " milliseconds");
        o.pace = static_cast<int>(pace);
    }
}

} // namespace

Options Options::parse(const std::vector<std::string>& args, const Command& command)
{
    Options o;
    bool optionsOver = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        const std::string where = "argument " + std::to_string(i + 1);
        if (optionsOver || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            o.help = o.help || (!optionsOver && arg == "-h");
            if (optionsOver || arg != "-h")
                o.items.push_back(arg);
            continue;
        }
        optionsOver = arg == "--";
        if (optionsOver)
            continue;
        std::string value;
        const auto eq = arg.find('=');
        const bool hasValue = eq != std::string::npos;
        if (hasValue) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        if (arg == "--help") {
            o.help = true;
            continue;
        }
        if (!command.option(arg))
            throw UsageError(where + ", '" + args[i] + "', is not an option of " + command.name);
        if (bool* flag = flagOf(o, arg)) {
            if (hasValue)
                throw UsageError(where + ", '" + args[i] + "': " + arg + " takes no value");
            *flag = true;
            continue;
        }
        o.device = o.device || arg == "--device";
        if (!hasValue) {
            // --device alone means the port already known.
            if (arg == "--device" && (i + 1 >= args.size() || !looksLikeAPort(args[i + 1])))
                continue;
            if (i + 1 >= args.size())
                throw UsageError(where + ", '" + arg + "', needs a value");
            value = args[++i];
        }
        setValue(o, *command.option(arg), value, "argument " + std::to_string(i + 1));
    }
    return o;
}

} // namespace tessary
