#pragma once

#include "CommandOption.h"

#include <string>
#include <vector>

namespace tessary {

class Invocation;

// One command of `tessary`: what the dispatcher needs to run it and to write its help.
struct Command
{
    std::string name;
    std::string usage;                  // "spell TEXT...", its line in 'tessary --help'
    std::string summary;                // what it does, on that line
    std::string help;                   // 'tessary NAME --help'
    std::vector<CommandOption> options; // the options it takes
    // What follows the options, for the parser and the completions.
    enum class Arguments {
        None,  // any argument but an option is refused
        Text,  // English text
        Items, // mnemonics, code texts or numbers; English text with --text
        File,  // a file's name
    };
    Arguments arguments = Arguments::Items;
    int (*run)(Invocation& invocation) = nullptr;

    // The option of that name, or nullptr.
    const CommandOption* option(const std::string& name) const;
};

// The commands, in the order 'tessary --help' lists them.
const std::vector<const Command*>& allCommands();

namespace commands {
const Command& spell();
const Command& codes();
const Command& say();
const Command& render();
const Command& vocab();
const Command& list();
const Command& devices();
const Command& simulate();
} // namespace commands

} // namespace tessary
