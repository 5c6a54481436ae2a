// tessary devices: the serial ports that could be a bridge, opened only with --probe.
#include "Command.h"
#include "InterruptGuard.h"
#include "Invocation.h"
#include "chip/ChipBridge.h"
#include "chip/SerialPorts.h"
#include "text/Utf8.h"

#include <optional>
#include <ostream>

namespace tessary {

namespace {

// What a device says of itself reaches the terminal only as printable text.
void describe(std::ostream& out, const SerialPorts::Port& p)
{
    out << Utf8::printable(p.path);
    if (!p.usbId.empty())
        out << "  " << Utf8::printable(p.usbId);
    if (!p.description.empty())
        out << "  " << Utf8::printable(p.description);
    if (!p.byId.empty())
        out << "  (/dev/serial/by-id/" << Utf8::printable(p.byId) << ")";
    if (p.boardLike)
        out << "  board";
}

int run(Invocation& cli)
{
    const std::vector<SerialPorts::Port> ports = SerialPorts::list();
    if (ports.empty()) {
        cli.out() << "No USB serial port: is the board plugged in?\n";
        return 0;
    }
    const bool probe = cli.options().probe;
    if (probe)
        cli.err() << "tessary: opening each port to ask for a bridge; this resets most boards\n";
    // Ctrl+C while a port is asked lets it be closed with its settings put back.
    std::optional<InterruptGuard> guard;
    if (probe)
        guard.emplace();
    for (const SerialPorts::Port& p : ports) {
        describe(cli.out(), p);
        if (probe) {
            ChipBridge bridge;
            const std::string problem = bridge.connect(p.path, &InterruptGuard::flag());
            if (InterruptGuard::flag()) {
                cli.out() << "\n";
                cli.err() << "tessary: stopped\n";
                return InterruptGuard::status();
            }
            cli.out() << (problem.empty() ? "  bridge, room " + std::to_string(bridge.room())
                                          : "  not a bridge: " + Utf8::printable(problem));
        }
        cli.out() << "\n";
    }
    return 0;
}

} // namespace

const Command& commands::devices()
{
    static const Command command{
        "devices",
        "devices",
        "the serial ports that could be a bridge to a real chip (--probe asks)",
        R"(Usage: tessary devices [--probe]
Lists the serial ports that could be a bridge board, from /dev/serial/by-id and the USB vendor
and product in sysfs, without opening any. --probe opens each one and asks for a bridge, which
resets most Arduino boards (and would disturb another device on a port).
)",
        {{"--probe",
          CommandOption::Value::None,
          "ask each port for a bridge (resets most boards)",
          {}}},
        Command::Arguments::None,
        &run};
    return command;
}

} // namespace tessary
