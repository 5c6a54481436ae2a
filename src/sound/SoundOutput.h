#pragma once

#include "OutputChoice.h"
#include "sound/SamplePlayer.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tessary {

// The player the programs hold, over whichever output this machine has (see OutputChoice).
// Finding it can take a while (a server that does not answer, a slow device, the sound module
// to load), so it happens on a thread of its own, from the first prepare(), play or kind(): the
// window asks once it is shown, so that none of it comes before the first paint. Plays before the
// output is known are silent, and nothing waits for it but kind().
class SoundOutput final : public SamplePlayer
{
public:
    using Kind = OutputChoice::Kind;
    // How the output is found: OutputFinder::find, or SoundModule::findOutput.
    using Finder = std::function<OutputChoice()>;
    // Called once, on the searching thread, when the output is not the sound server: one line
    // that says what is used instead.
    using Report = std::function<void(Kind, const std::string& line)>;

    SoundOutput(Finder finder, Report report = {});
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
    void search();

    Finder m_finder;
    Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_found;
    bool m_known = false;
    Kind m_kind = Kind::None;
    std::unique_ptr<SamplePlayer> m_player;
    std::vector<std::string> m_preload; // asked for before the player was there
    bool m_prepare = false;
    std::thread m_search;
};

} // namespace tessary
