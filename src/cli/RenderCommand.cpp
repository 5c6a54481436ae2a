// tessary render: the items' sound into a WAV file, at the chip's timing or a pace.
#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "PieceReader.h"
#include "UsageError.h"
#include "Utterance.h"
#include "WavOutput.h"
#include "files/UserFile.h"

#include <optional>
#include <ostream>
#include <set>

namespace tessary {

namespace {

int run(Invocation& cli)
{
    const Options& o = cli.options();
    if (o.output.empty())
        throw UsageError("render needs --output FILE.wav");
    if (o.output != "-" && !o.file.empty() && UserFile::sameFile(o.file, o.output))
        throw UsageError("--output " + o.output + " is the input file, which it would replace");
    PieceReader reader(cli, o.text);
    const SampleSet set = SampleSet::forThisProcess();
    if (!set.present())
        throw Failure("no sample set found (see 'man tessary', FILES)");
    Utterance utterance(set, o.pace);
    WavOutput wav(o.output, utterance.rate(), cli.out());
    // Each part is written once the next one is placed: the next one cuts it off.
    std::optional<Utterance::Part> held;
    const auto write = [&](long long frames) {
        Pcm pcm;
        Utterance::sound(*held, frames, pcm);
        wav.append(pcm);
        if (wav.streamed())
            cli.noteOutput();
    };
    std::set<std::string> silent;
    for (std::vector<std::string> piece; reader.next(piece);) {
        for (const std::string& m : piece) {
            Utterance::Part part = utterance.add(m);
            if (!part.pcm && silent.insert(m).second)
                cli.err() << "tessary: " << part.path << " cannot be played; '" << m
                          << "' is silent\n";
            if (held)
                write(part.start - held->start);
            held = std::move(part);
        }
    }
    if (held)
        write(held->length);
    wav.finish();
    return 0;
}

} // namespace

const Command& commands::render()
{
    static const Command command{
        "render",
        "render ITEM...",
        "writes the items' sound to a WAV file (--output FILE.wav, or - )",
        R"(Usage: tessary render --output FILE.wav [--pace MS] [--text] [--file FILE] ITEM...
Writes the sound of the items to FILE.wav (standard output for -), 16-bit mono at the sample
set's rate: end to end, or with --pace one sample every MS milliseconds, each cut off by the
next and the last whole. With --text the items are English text, spelled first; '-' or --file
FILE reads them from standard input or FILE.
)",
        {{"--output", CommandOption::Value::File, "the WAV file", {}},
         CommandOption::pace(),
         CommandOption::text(),
         CommandOption::file("the items")},
        Command::Arguments::Items,
        &run};
    return command;
}

} // namespace tessary
