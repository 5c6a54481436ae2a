#pragma once

#include <string>
#include <vector>

namespace tessary {

struct Command;

// A command's options and items as the command line gave them. Options may stand anywhere
// before "--"; positions in messages count the arguments from 1 (the command).
struct Options
{
    std::string format;
    std::string output;
    std::string file;
    int pace = 0;
    bool text = false;
    bool lines = false;
    bool json = false;
    bool alternatives = false;
    bool probe = false;
    bool noUserWords = false; // the built-in word list only
    bool force = false;       // vocab --format sketch: over files the user changed
    bool play = false;        // simulate: play what the chip said
    std::string pins;         // simulate: where the chip's lines meet the AVR
    double seconds = 0;       // simulate: how long; 0 until the chip has been silent a second
    // simulate: buttons pressed, levels, analog readings and pins watched, each a
    // comma-separated list (an option given twice adds to it)
    std::string press, level, analog, watch;
    std::string mcu;     // simulate: the MCU; empty: the one the firmware was built for
    std::string board;   // vocab: the board the vocabulary must fit; empty: the Uno
    std::string prefix;  // vocab: the header's names' prefix; empty: the file's stem
    std::string style;   // how text is spelled: conventional (empty) or clear
    bool device = false; // --device, with a port or without one
    std::string port;    // --device's port; empty: the one PortChoice knows
    bool help = false;
    std::vector<std::string> items;

    // The longest step a timer of the original could hold.
    static constexpr int kMaxPace = 65535;

    // `args` from the command's name on; throws UsageError for an option the command does not
    // take, a missing or wrong value.
    static Options parse(const std::vector<std::string>& args, const Command& command);
};

} // namespace tessary
