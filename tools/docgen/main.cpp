// Writes what the shells and the manual page say of tessary's commands from the commands' own
// table (cli/Command.h), so that they cannot drift from what the parser takes:
//
//   tessary-docgen bash|zsh|fish        the completion script, on standard output
//   tessary-docgen man < tessary.1      the page with its SYNOPSIS written anew
//
// The results are kept in the source tree (data/completion, docs/man); a test sees that they
// are what this writes, and `cmake --build build --target generated-docs` writes them anew.
#include "cli/Command.h"

#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace tessary;

namespace {

using Value = CommandOption::Value;
using Arguments = Command::Arguments;

std::string joined(const std::vector<std::string>& words, const std::string& between = " ")
{
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : between) + w;
    return out;
}

std::vector<std::string> commandNames()
{
    std::vector<std::string> names;
    for (const Command* c : allCommands())
        names.push_back(c->name);
    return names;
}

std::string replaced(std::string text, const std::string& what, const std::string& with)
{
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

// Inside '...' in a POSIX shell.
std::string shQuoted(const std::string& s)
{
    return "'" + replaced(s, "'", "'\"'\"'") + "'";
}

// Inside '...' in fish.
std::string fishQuoted(const std::string& s)
{
    return "'" + replaced(replaced(s, "\\", "\\\\"), "'", "\\'") + "'";
}

const char* const kMnemonics = "tessary list 2>/dev/null | awk '{ print $2 }'";

void bash(std::ostream& out)
{
    out << R"sh(# bash completion for tessary: commands, options, formats, ports, and the allophones' mnemonics.
# Written by tessary-docgen from the commands' table: do not edit.

# File names whole, spaces and all; with arguments, only names under those beginnings.
_tessary_files()
{
    local IFS=$'\n' start
    compopt -o filenames 2>/dev/null
    if [ $# -eq 0 ]; then
        COMPREPLY=($(compgen -f -- "$cur"))
        return
    fi
    COMPREPLY=()
    for start in "$@"; do
        COMPREPLY+=($(compgen -f -- "$start" | grep -F -- "$cur"))
    done
}

_tessary()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W ")sh"
        << joined(commandNames()) << R"sh( --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]} options
    # What follows an option that takes a value.
    case "$command $prev" in
)sh";
    // Cases with the same body share it: "a" | "b")
    std::vector<std::pair<std::string, std::vector<std::string>>> cases;
    const auto add = [&cases](const std::string& body, const std::string& pattern) {
        for (auto& [b, patterns] : cases) {
            if (b == body)
                return patterns.push_back(pattern);
        }
        cases.push_back({body, {pattern}});
    };
    for (const Command* c : allCommands()) {
        for (const CommandOption& o : c->options) {
            const std::string pattern = "\"" + c->name + " " + o.name + "\"";
            switch (o.value) {
            case Value::None:
                break;
            case Value::Choice:
                add("COMPREPLY=($(compgen -W \"" + joined(o.choices) + "\" -- \"$cur\"))\n        ",
                    pattern);
                break;
            case Value::File:
                add("_tessary_files\n        ", pattern);
                break;
            case Value::Port:
                add("# The ports that could be a board: by name, then by their stable by-id "
                    "links.\n        _tessary_files /dev/ttyACM /dev/ttyUSB /dev/serial/by-id/\n"
                    "        ",
                    pattern);
                break;
            case Value::Text:
                add("", pattern);
                break;
            }
        }
    }
    for (const auto& [body, patterns] : cases)
        out << "    " << joined(patterns, " | ") << ")\n        " << body << "return\n        ;;\n";
    out << "    esac\n    case $command in\n";
    for (const Command* c : allCommands()) {
        std::vector<std::string> names;
        for (const CommandOption& o : c->options)
            names.push_back(o.name);
        names.push_back("--help");
        out << "    " << c->name << ") options=\"" << joined(names) << "\" ;;\n";
    }
    out << R"sh(    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
)sh";
    std::vector<std::string> items, files;
    for (const Command* c : allCommands()) {
        if (c->arguments == Arguments::Items)
            items.push_back(c->name);
        if (c->arguments == Arguments::File)
            files.push_back(c->name);
    }
    out << "    " << joined(items, " | ") << ")\n"
        << "        # Items are mnemonics unless --text makes them English.\n"
        << "        if [[ \" ${COMP_WORDS[*]} \" != *\" --text \"* ]]; then\n"
        << "            COMPREPLY=($(compgen -W \"$(" << kMnemonics << ")\" -- \"$cur\"))\n"
        << "        fi\n        ;;\n"
        << "    " << joined(files, " | ") << ")\n        _tessary_files\n        ;;\n";
    out << "    esac\n}\ncomplete -F _tessary tessary\n";
}

// Inside the [...] of an _arguments spec, or a _describe item.
std::string zshText(const std::string& s)
{
    return replaced(replaced(replaced(s, "[", "\\["), "]", "\\]"), ":", "\\:");
}

void zsh(std::ostream& out)
{
    out << R"sh(#compdef tessary
# zsh completion for tessary: commands, options, formats, and the allophones' mnemonics.
# Written by tessary-docgen from the commands' table: do not edit.

_tessary_mnemonics() {
    local -a mnemonics
    mnemonics=(${(f)"$()sh"
        << kMnemonics << R"sh()"})
    _describe mnemonic mnemonics
}

_tessary() {
    local -a commands
    commands=(
)sh";
    for (const Command* c : allCommands())
        out << "        " << shQuoted(c->name + ":" + zshText(c->summary)) << "\n";
    out << R"sh(    )
    if (( CURRENT == 2 )); then
        _describe command commands
        _arguments '--help[the help]' '--version[the version]'
        return
    fi
    local command=$words[2]
    shift words
    (( CURRENT-- ))
    case $command in
)sh";
    for (const Command* c : allCommands()) {
        std::vector<std::string> specs;
        for (const CommandOption& o : c->options) {
            std::string spec = o.name + "[" + zshText(o.help) + "]";
            switch (o.value) {
            case Value::None:
                break;
            case Value::Choice:
                spec += ":" + o.name.substr(2) + ":(" + joined(o.choices) + ")";
                break;
            case Value::File:
                spec += ":file:_files";
                break;
            case Value::Port:
                spec += ":port:_files -W /dev -g \"tty(ACM|USB)*\"";
                break;
            case Value::Text:
                spec += ":" + o.name.substr(2) + ":";
                break;
            }
            specs.push_back(shQuoted(spec));
        }
        specs.push_back("'--help[the help]'");
        switch (c->arguments) {
        case Arguments::None:
            break;
        case Arguments::Text:
            specs.push_back("'*:text:'");
            break;
        case Arguments::Items:
            specs.push_back("'*:item:_tessary_mnemonics'");
            break;
        case Arguments::File:
            specs.push_back("':file:_files'");
            break;
        }
        out << "    " << c->name << ")\n        _arguments " << joined(specs, " \\\n            ")
            << " ;;\n";
    }
    out << "    esac\n}\n\n_tessary \"$@\"\n";
}

void fish(std::ostream& out)
{
    out << "# fish completion for tessary: commands, options, formats, and the allophones' "
           "mnemonics.\n# Written by tessary-docgen from the commands' table: do not edit.\n"
        << "set -l commands " << joined(commandNames()) << "\n"
        << "complete -c tessary -f\n";
    const std::string top = "complete -c tessary -n \"not __fish_seen_subcommand_from $commands\"";
    for (const Command* c : allCommands())
        out << top << " -a " << c->name << " -d " << fishQuoted(c->summary) << "\n";
    out << top << " -l version -d 'the version'\n"
        << "complete -c tessary -l help -d 'the help'\n";
    for (const Command* c : allCommands()) {
        const std::string in =
            "complete -c tessary -n '__fish_seen_subcommand_from " + c->name + "'";
        out << "\n";
        for (const CommandOption& o : c->options) {
            out << in << " -l " << o.name.substr(2);
            switch (o.value) {
            case Value::None:
                break;
            case Value::Choice:
                out << " -x -a " << fishQuoted(joined(o.choices));
                break;
            case Value::File:
                out << " -r -F";
                break;
            case Value::Port:
                out << " -r -a '(__fish_complete_path /dev/tty; __fish_complete_path "
                       "/dev/serial/by-id/)'";
                break;
            case Value::Text:
                out << " -x";
                break;
            }
            out << " -d " << fishQuoted(o.help) << "\n";
        }
        if (c->arguments == Arguments::File)
            out << in << " -F\n";
        if (c->arguments == Arguments::Items)
            out << "complete -c tessary -n '__fish_seen_subcommand_from " << c->name
                << "; and not __fish_seen_argument -l text' -a "
                << fishQuoted("(" + std::string(kMnemonics) + ")") << "\n";
    }
}

// The forms of a command as its help's "Usage:" lines give them, one string each.
std::vector<std::string> usageForms(const Command& c)
{
    std::vector<std::string> forms;
    std::istringstream help(c.help);
    for (std::string line; std::getline(help, line);) {
        const std::size_t text = line.find_first_not_of(' ');
        if (line.rfind("Usage: ", 0) == 0)
            forms.push_back(line.substr(7));
        else if (!forms.empty() && line.compare(text, 8, "tessary ") == 0)
            forms.push_back(line.substr(text));
        else if (!forms.empty() && text >= 7 && text != std::string::npos)
            forms.back() += " " + line.substr(text);
        else if (!forms.empty())
            break;
    }
    return forms;
}

// The words of a form, a bracketed group ("[--device [PORT]]") as one.
std::vector<std::string> words(const std::string& form)
{
    std::vector<std::string> out;
    std::string word;
    int depth = 0;
    for (char ch : form + ' ') {
        if (ch == ' ' && depth == 0) {
            if (!word.empty())
                out.push_back(word);
            word.clear();
            continue;
        }
        depth += ch == '[' ? 1 : ch == ']' ? -1 : 0;
        word += ch;
    }
    return out;
}

std::string roff(const std::string& s)
{
    return replaced(s, "-", "\\-");
}

bool placeholder(const std::string& s)
{
    return !s.empty() && s[0] >= 'A' && s[0] <= 'Z';
}

// "[--format c|arduino]", "[--pace MS]", "[--json]", "[--device [PORT]]" in man(7)'s macros.
std::string optionalOption(const std::string& group)
{
    const std::string inner = group.substr(1, group.size() - 2);
    const std::size_t space = inner.find(' ');
    if (space == std::string::npos)
        return ".RB [ " + roff(inner) + " ]\n";
    const std::string value = inner.substr(space + 1);
    std::string out = ".RB [ " + roff(inner.substr(0, space)) + "\n";
    if (value.front() == '[')
        return out + ".RI [ " + value.substr(1, value.size() - 2) + " ]]\n";
    if (placeholder(value))
        return out + ".IR " + value + " ]\n";
    return out + ".BR " + replaced(value, "|", " | ") + " ]\n";
}

std::string synopsis()
{
    std::string out;
    for (const Command* c : allCommands()) {
        for (const std::string& form : usageForms(*c)) {
            const std::vector<std::string> w = words(form);
            std::string bold = w[0];
            std::size_t i = 1;
            for (; i < w.size() && w[i][0] != '[' && !placeholder(w[i]); ++i)
                bold += " " + roff(w[i]);
            out += ".B " + bold + "\n";
            for (; i < w.size(); ++i) {
                if (w[i][0] == '[')
                    out += optionalOption(w[i]);
                else if (placeholder(w[i]))
                    out += ".I " + w[i] + "\n";
                else
                    out += ".B " + roff(w[i]) + "\n";
            }
            out += ".br\n";
        }
    }
    return out + ".B tessary\n.RB [ \\-\\-help | \\-\\-version ]\n";
}

int man(std::istream& in, std::ostream& out)
{
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string head = ".SH SYNOPSIS\n";
    const std::size_t from = page.find(head);
    const std::size_t to = page.find("\n.SH ", from + 1);
    if (from == std::string::npos || to == std::string::npos) {
        std::cerr << "tessary-docgen: the page has no SYNOPSIS followed by another section\n";
        return 1;
    }
    out << page.substr(0, from + head.size()) << synopsis() << page.substr(to + 1);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string what = argc == 2 ? argv[1] : "";
    if (what == "bash")
        bash(std::cout);
    else if (what == "zsh")
        zsh(std::cout);
    else if (what == "fish")
        fish(std::cout);
    else if (what == "man")
        return man(std::cin, std::cout);
    else {
        std::cerr << "usage: tessary-docgen bash|zsh|fish|man\n";
        return 2;
    }
    return 0;
}
