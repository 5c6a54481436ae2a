#pragma once

#include <string>
#include <vector>

namespace tessary {

// One option of a command: what the parser accepts, and what the shell completions and the
// manual page say of it (all of them written from the commands' table).
struct CommandOption
{
    enum class Value {
        None,   // a flag
        File,   // a file name
        Port,   // a serial port, or nothing for the one already known
        Choice, // one of `choices`
        Text,   // anything: a number, a name, a spec
    };
    std::string name; // "--format"
    Value value = Value::None;
    std::string help;                 // a few words: "the items are English text"
    std::vector<std::string> choices; // Value::Choice: what it takes

    // The options several commands share, said once: --json, --lines, --text, --pace, --style and
    // --file with what it reads.
    static CommandOption json();
    static CommandOption lines();
    static CommandOption text();
    static CommandOption pace();
    static CommandOption style();
    static CommandOption file(const std::string& what);
};

} // namespace tessary
