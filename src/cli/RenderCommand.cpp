// tessary render: the items' sound into a WAV file, at the chip's timing or a pace.
#include "Command.h"
#include "Failure.h"
#include "Invocation.h"
#include "PieceReader.h"
#include "UsageError.h"
#include "Utterance.h"
#include "WavOutput.h"
#include "files/UserFile.h"
#include "speech/JoinedSpeech.h"

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
    const auto append = [&](const Pcm& pcm) {
        wav.append(pcm);
        if (wav.streamed())
            cli.noteOutput();
    };
    // End to end the allophones run into each other as the chip joins them; at a pace each
    // part is written once the next one is placed, which cuts it off.
    JoinedSpeech joined(utterance.rate());
    std::optional<Utterance::Part> held;
    std::set<std::string> silent;
    for (std::vector<std::string> piece; reader.next(piece);) {
        for (const std::string& m : piece) {
            Utterance::Part part = utterance.add(m);
            if (!part.pcm && silent.insert(m).second)
                cli.err() << "tessary: " << part.path << " cannot be played; '" << m
                          << "' is silent\n";
            Pcm pcm;
            if (o.pace == 0) {
                joined.add(m, part.pcm, part.start, part.length, pcm);
            } else {
                if (held)
                    Utterance::sound(*held, part.start - held->start, pcm);
                held = std::move(part);
            }
            if (!pcm.empty())
                append(pcm);
        }
    }
    Pcm pcm;
    if (held)
        Utterance::sound(*held, held->length, pcm);
    joined.finish(pcm);
    append(pcm);
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
        R"(Usage: tessary render --output FILE.wav [--pace MS] [--text [--style STYLE]] [--file FILE]
                     ITEM...
Writes the sound of the items to FILE.wav (standard output for -), 16-bit mono at the sample
set's rate: end to end at the chip's durations, joined as the chip joins them, or with --pace
one sample every MS milliseconds, each cut off by the next and the last whole. With --text the items are English text, spelled first; '-' or --file
FILE reads them from standard input or FILE. --style clear spells the text in the forms heard
clearest from the sample set (see tessary spell).
)",
        {{"--output", CommandOption::Value::File, "the WAV file", {}},
         CommandOption::pace(),
         CommandOption::text(),
         CommandOption::style(),
         CommandOption::file("the items")},
        Command::Arguments::Items,
        &run};
    return command;
}

} // namespace tessary
