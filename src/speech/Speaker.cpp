#include "Speaker.h"

#include "catalogue/AllophoneTable.h"
#include "sound/SilentPlayer.h"

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
