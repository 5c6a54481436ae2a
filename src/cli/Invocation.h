#pragma once

#include "Options.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace tessary {

class Speller;
class TextSource;

// One run of one command: its options, the three streams, and what several commands share (the
// speller, where the text or items come from, the forms a spelling is printed in).
class Invocation
{
public:
    Invocation(Options options, std::istream& in, std::ostream& out, std::ostream& err);
    ~Invocation();
    Invocation(const Invocation&) = delete;
    Invocation& operator=(const Invocation&) = delete;

    const Options& options() const { return m_options; }
    std::istream& in() { return m_in; }
    std::ostream& out() { return m_out; }
    std::ostream& err() { return m_err; }

    // Output has gone out before the input was all read: a later error can no longer leave
    // standard output empty, and exits 1, not 2.
    void noteOutput() { m_outputStarted = true; }
    bool hasOutput() const { return m_outputStarted; }

    // The user's word list over the built-in one, read once; Failure without espeak-ng's data.
    const Speller& speller();
    std::vector<std::string> spelled(const std::string& text);
    // Where the text or items come from: the arguments, a file, or standard input.
    std::unique_ptr<TextSource> source();
    // Items as mnemonics; `before` counts the items before them, for the message.
    static std::vector<std::string> itemsAsMnemonics(const std::vector<std::string>& items,
                                                     std::size_t before = 0);
    // The whole of the items or text, for output that holds it in one piece (JSON): refused
    // past kMostInOneObject allophones.
    std::vector<std::string> wholeMnemonics(bool text);
    // The ways to spell the one word of the items.
    std::vector<std::vector<std::string>> alternatives();

    static constexpr std::size_t kMostInOneObject = 256 * 1024;
    // A phrase's alternatives spell it once for each of its words and ways: a few words.
    static constexpr std::size_t kMostAlternativesText = 1000;

    static std::string joined(const std::vector<std::string>& words, const char* separator = " ");
    // "mnemonics": [...], "codes": [...], "codeString": "..." for a JSON object.
    static std::string spellingJson(const std::vector<std::string>& mnemonics);

private:
    Options m_options;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<Speller> m_speller;
    bool m_outputStarted = false;
};

} // namespace tessary
