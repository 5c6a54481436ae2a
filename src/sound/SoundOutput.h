#pragma once

#include "speech/SamplePlayer.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tessary {

// The player for this machine: the sound server when one answers, SDL's audio (plain ALSA) when
// none does, silence when nothing can play. Finding out can take a while (a server that does not
// answer, a slow device), so it happens on a thread of its own, from the first prepare(), play
// or kind(): the window asks once it is shown, so that none of it comes before the first paint.
// Plays before the output is known are silent, and nothing waits for it but kind().
class SoundOutput final : public SamplePlayer
{
public:
    enum class Kind {
        SoundServer,
        Sdl,
        None,
    };
    // Called once, on the searching thread, when the output is not the sound server: one line
    // that says what is used instead.
    using Report = std::function<void(Kind, const std::string& line)>;

    explicit SoundOutput(Report report = {});
    ~SoundOutput() override;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Waits until the output is known (and starts looking, if nothing has yet).
    Kind kind();

    void play(const std::string& path) override;
    void playAt(const std::string& path, Clock::time_point due) override;
    void prepare() override;
    void preload(const std::vector<std::string>& paths) override;

private:
    // Under m_mutex.
    void startSearch();
    void choose();

    mutable std::mutex m_mutex;
    std::condition_variable m_chosen;
    bool m_known = false;
    Kind m_kind = Kind::None;
    std::unique_ptr<SamplePlayer> m_player;
    std::vector<std::string> m_preload; // asked for before the player was there
    bool m_prepare = false;
    Report m_report;
    std::thread m_search;
};

} // namespace tessary
