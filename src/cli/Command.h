#pragma once

#include <string>
#include <vector>

namespace tessary {

class Invocation;

// One command of `tessary`: what the dispatcher needs to run it and to write its help.
struct Command
{
    std::string name;
    std::string usage;                // "spell TEXT...", its line in 'tessary --help'
    std::string summary;              // what it does, on that line
    std::string help;                 // 'tessary NAME --help'
    std::vector<std::string> options; // the options it takes, "--format" ...
    bool takesItems = true;           // false: any argument but an option is refused
    int (*run)(Invocation& invocation) = nullptr;
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
