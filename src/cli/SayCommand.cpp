// tessary say: the items through the sample set, or through a real chip on a bridge.
#include "Command.h"
#include "Failure.h"
#include "InterruptGuard.h"
#include "Invocation.h"
#include "PieceReader.h"
#include "PlayFolder.h"
#include "UsageError.h"
#include "Utterance.h"
#include "catalogue/AllophoneTable.h"
#include "chip/ChipBridge.h"
#include "chip/PortChoice.h"
#include "sound/SoundOutput.h"
#include "sound/players/OutputFinder.h"
#include "speech/JoinedSpeech.h"

#include <functional>
#include <ostream>
#include <thread>

namespace tessary {

namespace {

// The next piece of mnemonics into its argument; false at the end.
using Pieces = std::function<bool(std::vector<std::string>&)>;
// Lines printed as the allophone they stand at starts.
using Announcements = std::vector<std::pair<std::size_t, std::string>>;

// Between two spellings that --alternatives plays: two of the chip's longest pauses.
const std::vector<std::string> kGap = {"pa5", "pa5"};

// The parts' sound joined as the chip joins them, one file a part, named `prefix` and its place.
std::vector<std::string> joinedShares(const std::vector<Utterance::Part>& parts, int rate,
                                      PlayFolder& folder, const std::string& prefix)
{
    std::vector<JoinedSpeech::Part> joined;
    for (const Utterance::Part& part : parts)
        joined.push_back({part.mnemonic, part.pcm, part.start, part.length});
    std::vector<std::string> paths;
    const auto path = [&](std::size_t i) {
        return folder.file(prefix + "-" + std::to_string(i) + ".wav");
    };
    if (!JoinedSpeech::writeShares(joined, rate, path, paths))
        throw Failure("cannot write " + paths.back());
    return paths;
}

// Plays the pieces as they come, each sample handed over at its due time on the chip's
// timeline; a player with a timeline of its own places it there to the frame.
int play(Invocation& cli, const Pieces& pieces, const Announcements& announce)
{
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    Utterance utterance(set, cli.options().pace);
    auto player = std::make_unique<SoundOutput>(
        &OutputFinder::find, [&cli](SoundOutput::Kind kind, const std::string& line) {
            if (kind == SoundOutput::Kind::Sdl)
                cli.err() << "tessary: " << line << "\n";
        });
    if (player->kind() == SoundOutput::Kind::None)
        throw Failure("no sound output: no sound server answers and no audio device opens");
    // The lead gives the player time to open its stream.
    const SamplePlayer::Clock::time_point start =
        SamplePlayer::Clock::now() + std::chrono::milliseconds(150);
    std::size_t count = 0;
    auto nextLine = announce.begin();
    auto end = start;
    PlayFolder folder("say");
    std::size_t pieceCount = 0;
    for (std::vector<std::string> piece; pieces(piece);) {
        std::vector<Utterance::Part> parts;
        for (const std::string& m : piece)
            parts.push_back(utterance.add(m));
        // End to end each allophone plays its share of the piece joined as the chip joins it;
        // back to back the shares are that sound, frame for frame. Two pieces' names take
        // turns, so that what is written never replaces what may still be playing.
        std::vector<std::string> paths;
        if (cli.options().pace == 0)
            paths = joinedShares(parts, utterance.rate(), folder,
                                 "piece" + std::to_string(pieceCount++ % 2));
        else
            for (const Utterance::Part& part : parts)
                paths.push_back(part.path);
        player->preload(paths);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const Utterance::Part& part = parts[i];
            const auto due = start + part.at;
            std::this_thread::sleep_until(due);
            player->playAt(paths[i], due);
            if (nextLine != announce.end() && nextLine->first == count)
                cli.out() << (nextLine++)->second << "\n" << std::flush;
            ++count;
            end = due + std::chrono::microseconds(part.length * 1'000'000 / utterance.rate());
        }
    }
    std::this_thread::sleep_until(end + std::chrono::milliseconds(200));
    return 0;
}

// The chip says the pieces as they come; a signal stops it before the program ends.
int sayOnChip(Invocation& cli, const std::string& port, const Pieces& pieces)
{
    const InterruptGuard guard;
    const std::atomic<bool>& interrupted = InterruptGuard::flag();
    ChipBridge bridge;
    std::string problem = bridge.connect(port, &interrupted);
    if (!problem.empty() && !interrupted)
        throw Failure(problem);
    ChipBridge::Result result = ChipBridge::Result::Stopped;
    if (!interrupted) {
        const ChipBridge::Feed feed = [&](std::vector<int>& codes) {
            std::vector<std::string> piece;
            if (!pieces(piece))
                return false;
            const std::vector<int> more = AllophoneTable::codesOf(piece);
            codes.insert(codes.end(), more.begin(), more.end());
            return true;
        };
        try {
            result = bridge.say(feed, interrupted, problem);
        } catch (...) {
            // A bad item or an unreadable input far into the text: the chip stops with it.
            std::string ignored;
            bridge.stop(ignored);
            throw;
        }
    }
    if (result == ChipBridge::Result::Failed)
        throw Failure(problem);
    if (result == ChipBridge::Result::Stopped) {
        cli.err() << "tessary: stopped" << (problem.empty() ? "" : "; " + problem) << "\n";
        return InterruptGuard::status();
    }
    return 0;
}

// The port: --device's, else (with a bare --device, or none and TESSARY_DEVICE set) the one
// PortChoice knows; empty for the sample set.
std::string portOf(const Options& o)
{
    if (!o.port.empty())
        return o.port;
    const auto env = UserFolders::processEnvironment("TESSARY_DEVICE");
    if (!o.device && !(env && !env->empty()))
        return {};
    const std::string known = PortChoice::current();
    if (known.empty())
        throw UsageError("--device: no port known; name one (--device /dev/ttyACM0), set "
                         "TESSARY_DEVICE, or choose one in the window");
    return known;
}

int run(Invocation& cli)
{
    const Options& o = cli.options();
    const std::string port = portOf(o);
    if (!port.empty() && o.pace != 0)
        throw UsageError("the chip keeps its own time: --pace does not go with --device");
    if (!o.alternatives) {
        PieceReader reader(cli, o.text);
        const Pieces pieces = [&reader](std::vector<std::string>& m) { return reader.next(m); };
        return port.empty() ? play(cli, pieces, {}) : sayOnChip(cli, port, pieces);
    }
    // Each spelling in turn, with a gap between them, printed as it starts.
    std::vector<std::string> all;
    Announcements announce;
    for (const std::vector<std::string>& u : cli.alternatives()) {
        if (!all.empty())
            all.insert(all.end(), kGap.begin(), kGap.end());
        announce.emplace_back(all.size(), Invocation::joined(u));
        all.insert(all.end(), u.begin(), u.end());
    }
    const Pieces once = [&all](std::vector<std::string>& m) {
        m.swap(all);
        all.clear();
        return !m.empty();
    };
    if (port.empty())
        return play(cli, once, announce);
    for (const auto& a : announce)
        cli.out() << a.second << "\n";
    cli.out().flush();
    return sayOnChip(cli, port, once);
}

} // namespace

const Command& commands::say()
{
    static const Command command{
        "say",
        "say ITEM...",
        "plays the items through the sample set",
        R"(Usage: tessary say [--pace MS] [--text [--style STYLE]] [--file FILE] [--device [PORT]]
                  ITEM...
       tessary say --alternatives [--device [PORT]] TEXT...
Plays the items' samples from the sample set: end to end, at the chip's own durations and
joined as the chip joins them, or with --pace one every MS milliseconds, each cut off by the
next, as the window's SPEAK does. With --text the items are English text, spelled first; '-'
or --file FILE reads them from standard input or FILE. --alternatives plays each way to spell
the text in turn, with a pause between, and prints each as it plays.

  --style STYLE   conventional (the default): the chip's own conventions; clear: KK3 for
                  every k, RR2 for every r and a stressed vowel once, the forms heard
                  clearest from the sample set (see the README)
  --device PORT   a real SP0256-AL2 says them instead, through the bridge firmware on the
                  board at PORT (also TESSARY_DEVICE); returns once the chip is silent, and
                  Ctrl+C stops the chip before it exits. Without PORT: TESSARY_DEVICE, or
                  the port the window remembers
)",
        {CommandOption::pace(),
         CommandOption::text(),
         CommandOption::style(),
         CommandOption::file("the items"),
         {"--alternatives", CommandOption::Value::None, "play each way to spell the text", {}},
         {"--device", CommandOption::Value::Port, "a real chip on the board at this port", {}}},
        Command::Arguments::Items,
        &run};
    return command;
}

} // namespace tessary
