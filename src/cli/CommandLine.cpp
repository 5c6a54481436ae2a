#include "CommandLine.h"

#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "UsageError.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace tessary {

namespace {

constexpr const char* kVersion = TESSARY_VERSION;

const char* const kProgramHelpHead = R"(Usage: tessary COMMAND [OPTION]... [ARGUMENT]...
Spell English in SP0256-AL2 allophones, and give their codes in the forms firmware takes.

Commands:
)";

const char* const kProgramHelpTail = R"(
An ITEM is a mnemonic (hh1), a code text ($1B) or a number (27, 0x1B); with --text the
items are English text, spelled first. '-' in place of the text or items reads them from
standard input, --file FILE from a file.

  -h, --help           this help; 'tessary COMMAND --help' for a command's own
      --version        the version

Exit status: 0 done, 1 the work could not be done, 2 a wrong command line.
)";

} // namespace

const std::vector<const Command*>& allCommands()
{
    static const std::vector<const Command*> all = {
        &commands::spell(), &commands::codes(), &commands::say(),     &commands::render(),
        &commands::vocab(), &commands::list(),  &commands::devices(), &commands::simulate()};
    return all;
}

const CommandOption* Command::option(const std::string& optionName) const
{
    for (const CommandOption& o : options) {
        if (o.name == optionName)
            return &o;
    }
    return nullptr;
}

std::string CommandLine::programHelp()
{
    std::string help = kProgramHelpHead;
    for (const Command* c : allCommands()) {
        std::string line = "  " + c->usage;
        line.resize(std::max<std::size_t>(line.size() + 1, 23), ' ');
        help += line + c->summary + "\n";
    }
    return help + kProgramHelpTail;
}

CommandLine::CommandLine(std::vector<std::string> args, std::istream& in, std::ostream& out,
                         std::ostream& err)
    : m_args(std::move(args)), m_in(in), m_out(out), m_err(err)
{}

int CommandLine::run()
{
    // A write that fails (a full disk, a pipe whose reader has gone) ends the command at once:
    // nothing reports success after output was lost.
    m_out.exceptions(std::ios::badbit);
    int status = kFailed;
    bool streamed = false;
    std::string message;
    try {
        const int done = dispatch(streamed);
        m_out.flush();
        status = done;
    } catch (const UsageError& e) {
        message = e.what();
        status = streamed ? kFailed : kUsage;
    } catch (const Failure& e) {
        message = e.what();
        try {
            m_out.flush(); // what was written before the failure still counts
        } catch (const std::exception&) {
        }
    } catch (const std::bad_alloc&) {
        message = "out of memory";
    } catch (const std::exception& e) {
        // A failed write throws libstdc++'s own ios failure, which GCC 12 cannot catch by its
        // standard name: the stream's state says what it was.
        const int error = errno;
        message = !m_out.bad() ? e.what()
                               : std::string("cannot write to standard output: ") +
                                     (error ? std::strerror(error) : "a write error");
    }
    // Quiet from here: standard error is tied to standard output and flushes it first, and
    // std::cout is flushed once more at exit.
    m_out.exceptions(std::ios::goodbit);
    if (!message.empty())
        m_err << "tessary: " << message << "\n";
    return status;
}

int CommandLine::dispatch(bool& streamed)
{
    if (m_args.empty())
        throw UsageError("no command; 'tessary --help' lists them");
    const std::string& name = m_args[0];
    if (name == "--help" || name == "-h" || name == "--version") {
        if (m_args.size() > 1)
            throw UsageError("argument 2, '" + m_args[1] + "': " + name + " takes no arguments");
        m_out << (name == "--version" ? std::string("tessary ") + kVersion + "\n" : programHelp());
        return kDone;
    }
    for (const Command* command : allCommands()) {
        if (command->name != name)
            continue;
        Invocation invocation(Options::parse(m_args, *command), m_in, m_out, m_err);
        const Options& o = invocation.options();
        if (o.help) {
            m_out << command->help;
            return kDone;
        }
        if (command->arguments == Command::Arguments::None && !o.items.empty())
            throw UsageError("argument 2, '" + o.items.front() + "': " + name +
                             " takes no arguments");
        struct Streamed // reported however the command ends
        {
            Invocation& invocation;
            bool& streamed;
            ~Streamed() { streamed = invocation.hasOutput(); }
        } report{invocation, streamed};
        return command->run(invocation);
    }
    throw UsageError("argument 1, '" + name + "', is not a command");
}

} // namespace tessary
