#pragma once

#include "sound/SamplePlayer.h"

#include <QStringList>

#include <functional>

namespace tessary::testing {

// A player that only writes down the paths it is asked to play.
class RecordingPlayer final : public SamplePlayer
{
public:
    explicit RecordingPlayer(QStringList* log, std::function<void()> onPlay = {})
        : m_log(log), m_onPlay(std::move(onPlay))
    {}
    void play(const std::string& path) override
    {
        *m_log << QString::fromStdString(path);
        if (m_onPlay)
            m_onPlay();
    }

private:
    QStringList* m_log;
    std::function<void()> m_onPlay;
};

} // namespace tessary::testing
