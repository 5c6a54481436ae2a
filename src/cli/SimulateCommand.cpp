// tessary simulate: a firmware on a simulated ATmega328P with the chip on its pins; what the
// chip says, when, and every breach of its rules.
#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "UsageError.h"
#include "Utterance.h"
#include "WavOutput.h"
#include "catalogue/AllophoneTable.h"
#include "simulate/Simulation.h"
#include "sound/SoundOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <thread>

#include <unistd.h>

namespace tessary {

namespace {

// Without --seconds: until the chip has been silent a second after speaking, this at the most.
constexpr double kLongest = 60;

struct Said
{
    double microseconds;
    std::string mnemonic;
};

// What the chip said, at the times it said it, from the sample set.
void writeSound(Invocation& cli, const std::vector<Said>& said, const std::string& path)
{
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    Utterance samples(set, 0);
    const int rate = samples.rate();
    WavOutput wav(path, rate, cli.out());
    long long at = 0;
    for (std::size_t i = 0; i < said.size(); ++i) {
        const long long start = static_cast<long long>(said[i].microseconds) * rate / 1'000'000;
        wav.append(Pcm(static_cast<std::size_t>(std::max(0LL, start - at)), 0));
        at = std::max(at, start);
        Utterance::Part part = samples.add(said[i].mnemonic);
        const long long next =
            i + 1 < said.size()
                ? static_cast<long long>(said[i + 1].microseconds) * rate / 1'000'000
                : at + part.length;
        Pcm pcm;
        Utterance::sound(part, next - at, pcm);
        wav.append(pcm);
        at = next;
    }
    wav.finish();
}

void play(Invocation& cli, const std::string& wav, double seconds)
{
    SoundOutput player(&OutputChoice::find,
                       [&cli](SoundOutput::Kind kind, const std::string& line) {
                           if (kind == SoundOutput::Kind::Sdl)
                               cli.err() << "tessary: " << line << "\n";
                       });
    if (player.kind() == SoundOutput::Kind::None)
        throw Failure("no sound output: no sound server answers and no audio device opens");
    player.play(wav);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds + 0.3));
}

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.items.size() != 1)
        throw UsageError(o.items.empty()
                             ? "simulate needs the firmware's ELF file"
                             : "argument 3, '" + o.items[1] + "': simulate takes one firmware");
    std::string problem;
    const std::optional<ChipPins> pins = ChipPins::parse(o.pins, problem);
    if (!pins)
        throw UsageError("--pins: " + problem);
    if (const std::string refused = Simulation::check(o.items[0]); !refused.empty())
        throw UsageError(refused);
    std::vector<Said> said;
    int breaches = 0;
    Simulation simulation(o.items[0], *pins, [&](const ChipModel::Event& e) {
        char line[160];
        if (e.kind == ChipModel::Event::Kind::Start) {
            const std::string& m = AllophoneTable::EntryByCode(e.code)->mnemonic;
            std::snprintf(line, sizeof line, "%.1f %s\n", e.microseconds / 1000, m.c_str());
            cli.out() << line << std::flush;
            said.push_back({e.microseconds, m});
        } else if (e.kind == ChipModel::Event::Kind::Breach) {
            std::snprintf(line, sizeof line, "tessary: %.1f ms: %s\n", e.microseconds / 1000,
                          e.what.c_str());
            cli.err() << line;
            ++breaches;
        }
    });
    if (!simulation.problem().empty())
        throw Failure(simulation.problem());
    simulation.run(o.seconds > 0 ? o.seconds : kLongest, o.seconds == 0);
    if (!o.output.empty())
        writeSound(cli, said, o.output);
    if (o.play && !said.empty()) {
        // A folder of our own: a fixed name in /tmp could be someone else's link.
        char folder[] = "/tmp/tessary-simulate-XXXXXX";
        if (!::mkdtemp(folder))
            throw Failure(std::string("cannot make a folder in /tmp: ") + std::strerror(errno));
        const std::string wav = std::string(folder) + "/said.wav";
        writeSound(cli, said, wav);
        play(cli, wav, said.back().microseconds / 1e6 - said.front().microseconds / 1e6 + 0.5);
        std::remove(wav.c_str());
        ::rmdir(folder);
    }
    return breaches > 0 ? 1 : 0;
}

} // namespace

const Command& commands::simulate()
{
    static const Command command{
        "simulate",
        "simulate FIRMWARE",
        "runs firmware on a simulated ATmega328P with the chip on its pins",
        R"(Usage: tessary simulate [--pins SPEC] [--seconds N] [--output FILE.wav] [--play] FIRMWARE.elf
Runs the firmware on a simulated ATmega328P at 16 MHz with an SP0256-AL2 on its pins, for N
seconds of simulated time, or until the chip has been silent for a second after speaking
(60 s at the most). Prints a line for each allophone as the chip starts it: the simulated
milliseconds since reset and the mnemonic ("1204.3 hh1"). Every breach of the chip's rules
goes to standard error with its time: a load while LRQ is high, an address that changes while
ALD is low, a load during RESET, a line the chip reads that the AVR does not drive.

  --pins SPEC      where the chip's lines are, e.g. A1=C0,A2=C1,A3=C2,A4=C3,A5=C4,A6=C5,
                   ALD=B0,LRQ=B1,SBY=B2,RESET=B3 (the SP0256 driver's map, the default)
  --output F.wav   what the chip said, from the sample set at the chip's timing ('-' for
                   standard output)
  --play           plays it

Exit status: 0 no breach, 1 a breach (or the work could not be done), 2 a wrong command line,
a file that is not an AVR ELF, or one built for another MCU.
)",
        {"--pins", "--seconds", "--output", "--play"},
        true,
        &run};
    return command;
}

} // namespace tessary
