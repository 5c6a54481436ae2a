// tessary simulate: a firmware on a simulated Arduino board with the chip on its pins; what the
// chip says, when, and every breach of its rules.
#include "Command.h"
#include "Failure.h"
#include "InterruptGuard.h"
#include "Invocation.h"
#include "PlayFolder.h"
#include "UsageError.h"
#include "Utterance.h"
#include "WavOutput.h"
#include "catalogue/AllophoneTable.h"
#include "files/UserFile.h"
#include "simulate/BoardInputs.h"
#include "simulate/BreachSummary.h"
#include "simulate/FirmwareImage.h"
#include "simulate/PinWatch.h"
#include "simulate/Simulation.h"
#include "sound/SoundOutput.h"
#include "sound/players/OutputFinder.h"
#include "speech/JoinedSpeech.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>
#include <vector>

#include <unistd.h>

namespace tessary {

namespace {

// Without --seconds: until the chip has been silent a second after speaking, this at the most.
constexpr double kLongest = 60;
// An ELF with its debugging sections: far more than the largest flash holds in code.
constexpr std::size_t kMaxFirmware = 16 * 1024 * 1024;

struct Said
{
    double microseconds;
    std::string mnemonic;
};

// What the chip said, at the times it said it, from the sample set.
void writeSound(Invocation& cli, const SampleSet& set, const std::vector<Said>& said,
                const std::string& path)
{
    Utterance samples(set, 0);
    const int rate = samples.rate();
    WavOutput wav(path, rate, cli.out());
    JoinedSpeech joined(rate);
    for (const Said& s : said) {
        Utterance::Part part = samples.add(s.mnemonic);
        Pcm pcm;
        joined.add(s.mnemonic, part.pcm, static_cast<long long>(s.microseconds) * rate / 1'000'000,
                   part.length, pcm);
        wav.append(pcm);
    }
    Pcm pcm;
    joined.finish(pcm);
    wav.append(pcm);
    wav.finish();
}

void play(Invocation& cli, const std::string& wav, double seconds)
{
    SoundOutput player(&OutputFinder::find,
                       [&cli](SoundOutput::Kind kind, const std::string& line) {
                           if (kind == SoundOutput::Kind::Sdl)
                               cli.err() << "tessary: " << line << "\n";
                       });
    if (player.kind() == SoundOutput::Kind::None)
        throw Failure("no sound output: no sound server answers and no audio device opens");
    player.play(wav);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds + 0.3);
    while (std::chrono::steady_clock::now() < end && !InterruptGuard::flag())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Whether --mcu (any case; empty for any) names the board's MCU.
bool mcuIs(const std::string& mcu, const Board& board)
{
    return mcu.empty() || std::equal(mcu.begin(), mcu.end(), board.mcu.begin(), board.mcu.end(),
                                     [](char a, char b) { return std::tolower(a) == b; });
}

// The firmware's image, and the board it runs on: the first of the MCU --mcu names (one the
// table has), or else the first whose MCU the firmware was built for. Failure for a file that
// cannot be read, UsageError for one that is no whole firmware for any board.
std::pair<FirmwareImage, const Board*> firmware(const std::string& path, const std::string& mcu)
{
    UserFile::Contents c = UserFile::read(path, kMaxFirmware);
    if (c.status == UserFile::Status::Missing)
        throw Failure("cannot read " + path + ": " + std::strerror(ENOENT));
    if (c.status == UserFile::Status::Refused)
        throw Failure("cannot read " + c.problem);
    std::string first;
    std::vector<std::string_view> tried; // boards of one MCU read a firmware alike
    for (const Board& board : Board::all()) {
        if (!mcuIs(mcu, board) || std::find(tried.begin(), tried.end(), board.mcu) != tried.end())
            continue;
        tried.push_back(board.mcu);
        std::string problem;
        std::optional<FirmwareImage> image = FirmwareImage::read(c.bytes, board, problem);
        if (image)
            return {std::move(*image), &board};
        // A refusal by the board of the MCU it was built for says more than "built for".
        const bool otherMcu = problem.rfind("built for", 0) == 0;
        if (first.empty() || (first.rfind("built for", 0) == 0 && !otherMcu))
            first = problem;
    }
    throw UsageError(path + ": " + first);
}

// --output may be neither the firmware nor a sample the sound is made of.
void refuseOutputOverInput(const Options& o, const SampleSet& set)
{
    if (o.output.empty() || o.output == "-")
        return;
    if (UserFile::sameFile(o.items[0], o.output))
        throw UsageError("--output " + o.output +
                         " is the firmware itself, which it would replace");
    for (const AllophoneEntry& e : AllophoneTable::all()) {
        if (set.present() && UserFile::sameFile(set.samplePath(e.mnemonic), o.output))
            throw UsageError("--output " + o.output + " is the sample " + e.sampleFile +
                             ", which the sound is made of");
    }
}

// The command line's pins for the board: the chip's lines, the inputs and the pins watched.
// UsageError for one the board cannot take.
struct Specs
{
    Specs(const Options& o, const Board& board)
        : pins(orRefuse(ChipPins::parse(o.pins, board, problem), "--pins")),
          inputs(orRefuse(BoardInputs::parse(o.press, o.level, o.analog, board, problem),
                          "--press, --level or --analog")),
          watch(orRefuse(PinWatch::parse(o.watch, board, problem), "--watch"))
    {}
    static bool tryFor(const Options& o, const Board& board)
    {
        try {
            Specs(o, board);
            return true;
        } catch (const UsageError&) {
            return false;
        }
    }
    template <typename T> T orRefuse(std::optional<T> parsed, const char* option)
    {
        if (!parsed)
            throw UsageError(option + std::string(": ") + problem);
        return std::move(*parsed);
    }

    std::string problem;
    ChipPins pins;
    BoardInputs inputs;
    PinWatch watch;
};

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.items.size() != 1)
        throw UsageError(o.items.empty()
                             ? "simulate needs the firmware's ELF file"
                             : "argument 3, '" + o.items[1] + "': simulate takes one firmware");
    // A command line wrong for every board is said before the firmware is read.
    bool fitsSome = false;
    const Board* firstBoard = nullptr;
    for (const Board& b : Board::all()) {
        if (mcuIs(o.mcu, b)) {
            firstBoard = firstBoard ? firstBoard : &b;
            fitsSome = fitsSome || Specs::tryFor(o, b);
        }
    }
    if (!firstBoard) {
        std::vector<std::string_view> mcus;
        for (const Board& b : Board::all()) {
            if (std::find(mcus.begin(), mcus.end(), b.mcu) == mcus.end())
                mcus.push_back(b.mcu);
        }
        std::string listed;
        for (std::string_view m : mcus)
            listed += (listed.empty() ? "" : ", ") + std::string(m);
        throw UsageError("--mcu " + o.mcu + " is no MCU the simulator has: " + listed);
    }
    if (!fitsSome)
        Specs(o, *firstBoard);
    const auto [image, board] = firmware(o.items[0], o.mcu);
    Specs specs(o, *board);
    const SampleSet set = SampleSet::forThisProcess();
    refuseOutputOverInput(o, set);
    if ((!o.output.empty() || o.play) && !set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");

    // Ctrl+C, a kill or a closed terminal end the run, and what it wrote goes with it.
    const InterruptGuard interrupts;
    std::vector<Said> said;
    BreachSummary breaches([&cli](const std::string& line) { cli.err() << line << "\n"; });
    Simulation simulation(image, *board, specs.pins, [&](const ChipModel::Event& e) {
        if (e.kind == ChipModel::Event::Kind::Start) {
            const std::string& m = AllophoneTable::EntryByCode(e.code)->mnemonic;
            char line[64];
            std::snprintf(line, sizeof line, "%.1f %s\n", e.microseconds / 1000, m.c_str());
            cli.out() << line << std::flush;
            said.push_back({e.microseconds, m});
        } else if (e.kind == ChipModel::Event::Kind::Breach) {
            breaches.add(e.microseconds, e.rule, e.what);
        }
    });
    if (!simulation.problem().empty())
        throw Failure(simulation.problem());
    specs.inputs.attach(simulation.avr());
    specs.watch.attach(simulation.avr(), [&cli](const PinWatch::Change& c) {
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %.*s=%d\n", c.microseconds / 1000,
                      static_cast<int>(c.pin.size()), c.pin.data(), c.level);
        cli.out() << line << std::flush;
    });
    simulation.run(o.seconds > 0 ? o.seconds : kLongest, o.seconds == 0, &InterruptGuard::flag());
    breaches.finish();
    if (InterruptGuard::flag())
        return InterruptGuard::status();
    if (const auto& fault = simulation.fault()) {
        char at[32];
        std::snprintf(at, sizeof at, "%.1f ms: ", fault->microseconds / 1000);
        cli.err() << "tessary: " << at << fault->what << "\n";
    }
    if (!o.output.empty())
        writeSound(cli, set, said, o.output);
    if (o.play && !said.empty()) {
        PlayFolder folder("simulate");
        const std::string wav = folder.file("said.wav");
        writeSound(cli, set, said, wav);
        play(cli, wav, said.back().microseconds / 1e6 - said.front().microseconds / 1e6 + 0.5);
        if (InterruptGuard::flag())
            return InterruptGuard::status();
    }
    return breaches.count() > 0 || simulation.fault() ? 1 : 0;
}

} // namespace

const Command& commands::simulate()
{
    static const Command command{
        "simulate",
        "simulate FIRMWARE",
        "runs firmware on a simulated Arduino board with the chip on its pins",
        R"(Usage: tessary simulate [--mcu MCU] [--pins SPEC] [--press PIN@T] [--level PIN=L@T]
                        [--analog PIN=N@T] [--watch PINS] [--seconds N] [--output FILE.wav]
                        [--play] FIRMWARE.elf
Runs the firmware at 16 MHz on the board its MCU makes (ATmega328P: the Uno or Nano;
ATmega2560: the Mega 2560; ATmega32U4: the Leonardo or Micro) with an SP0256-AL2 on the
board's default pins, for N seconds of simulated time, or until the chip has been silent for
a second after speaking (60 s at the most). Prints a line for each allophone as the chip
starts it: the simulated milliseconds since reset and the mnemonic ("1204.3 hh1"). Every
breach of the chip's rules goes to standard error with its time: a load while LRQ is high,
an address that changes while ALD is low, a load during RESET, a line the chip reads that the
AVR does not drive.

  --mcu MCU        atmega328p, atmega2560 or atmega32u4 (default: the one the firmware was
                   built for)
  --pins SPEC      where the chip's lines are, by the board's pin names or port bits, e.g.
                   ALD=D7,LRQ=PB4 (the others keep the board's default wiring)
  --press PIN@T    a button to ground pressed at T seconds for 0.1 s (D2@1.5), or held
                   from one time to another (D2@1.5-3); until then the pin reads high
  --level PIN=L@T  the pin held at L (0 or 1) from T seconds (D4=1@2), or from the start
  --analog PIN=N@T the analog input reads N (0-1023 of 5 V) from T seconds (A0=512@2)
  --watch PINS     prints each change of these pins ("500.000 D13=1"), e.g. D13,D12
  --output F.wav   what the chip said, from the sample set at the chip's timing ('-' for
                   standard output)
  --play           plays it
Each of --press, --level, --analog and --watch takes a comma-separated list, and may be
given more than once.

Exit status: 0 no breach, 1 a breach (or the work could not be done), 2 a wrong command line,
a file that is not an AVR ELF, or one built for an MCU the simulator does not have.
)",
        {{"--mcu", CommandOption::Value::Text, "the MCU", {}},
         {"--pins", CommandOption::Value::Text, "where the chip's lines are", {}},
         {"--press", CommandOption::Value::Text, "a button pressed, PIN@SECONDS", {}},
         {"--level", CommandOption::Value::Text, "a level on a pin, PIN=0|1@SECONDS", {}},
         {"--analog", CommandOption::Value::Text, "an analog reading, PIN=0..1023@SECONDS", {}},
         {"--watch", CommandOption::Value::Text, "pins whose changes are printed", {}},
         {"--seconds", CommandOption::Value::Text, "how long, in simulated seconds", {}},
         {"--output", CommandOption::Value::File, "a WAV file of what the chip said", {}},
         {"--play", CommandOption::Value::None, "play what the chip said", {}}},
        Command::Arguments::File,
        &run};
    return command;
}

} // namespace tessary
