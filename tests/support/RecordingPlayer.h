#pragma once

#include "speech/SamplePlayer.h"

#include <QStringList>

namespace tessary::testing {

// A player that only writes down the paths it is asked to play.
class RecordingPlayer final : public SamplePlayer
{
public:
    explicit RecordingPlayer(QStringList* log) : m_log(log) {}
    void play(const std::string& path) override { *m_log << QString::fromStdString(path); }

private:
    QStringList* m_log;
};

} // namespace tessary::testing
