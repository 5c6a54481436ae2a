#include "Speaker.h"

#include "JoinedSpeech.h"
#include "UtteranceTimeline.h"
#include "catalogue/AllophoneTable.h"
#include "sound/SilentPlayer.h"
#include "sound/SoundModule.h"

#include <map>

namespace tessary {

Speaker::Speaker(SampleSet set, std::unique_ptr<SamplePlayer> player)
    : m_set(std::move(set)), m_player(player ? std::move(player) : std::make_unique<SilentPlayer>())
{}

void Speaker::playStem(std::string_view stem)
{
    if (!m_set.present() || !SampleSet::isSafeStem(stem))
        return;
    m_player->play(m_set.samplePath(stem));
}

void Speaker::playStemAt(std::string_view stem, SamplePlayer::Clock::time_point due)
{
    if (!m_set.present() || !SampleSet::isSafeStem(stem))
        return;
    m_player->playAt(m_set.samplePath(stem), due);
}

void Speaker::playFileAt(const std::string& path, SamplePlayer::Clock::time_point due)
{
    m_player->playAt(path, due);
}

std::vector<std::string> Speaker::joinedFiles(const std::vector<std::string>& mnemonics,
                                              const std::string& folder) const
{
    if (!m_set.present())
        return {};
    int rate = 0; // the first sample's own; the others are brought to it
    std::map<std::string, std::shared_ptr<const JoinedSpeech::Pcm>> samples;
    std::vector<JoinedSpeech::Part> parts;
    UtteranceTimeline timeline;
    for (const std::string& m : mnemonics) {
        auto& sample = samples[m];
        if (!sample && !(sample = SoundModule::decode(m_set.samplePath(m), rate)))
            return {};
        const UtteranceTimeline::Step step = timeline.add(m);
        const long long start = UtteranceTimeline::frames(step.start, rate);
        parts.push_back(
            {m, sample, start, UtteranceTimeline::frames(step.start + step.chip, rate) - start});
    }
    std::vector<std::string> paths;
    const auto path = [&folder](std::size_t i) {
        return folder + "/listen-" + std::to_string(i) + ".wav";
    };
    return JoinedSpeech::writeShares(parts, rate, path, paths) ? paths : std::vector<std::string>();
}

void Speaker::prepare()
{
    m_player->prepare();
    if (!m_set.present())
        return;
    std::vector<std::string> paths;
    for (const AllophoneEntry& e : AllophoneTable::all())
        paths.push_back(m_set.samplePath(e.mnemonic));
    m_player->preload(paths);
}

void Speaker::audition(int k)
{
    if (const AllophoneEntry* e = AllophoneTable::EntryByAuditionLabel(k))
        playStem(e->mnemonic);
}

} // namespace tessary
