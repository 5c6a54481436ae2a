#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessary {

// "Speak on Chip" and "Stop Chip": the slots' codes to a real SP0256-AL2 through our bridge
// firmware (ChipBridge), on a thread of its own, so that nothing in the window waits on the
// port. The port is TESSARY_DEVICE, else the one chosen before (kept in the user's config
// folder), else none yet: the window asks.
class ChipSpeaker : public QObject
{
    Q_OBJECT

public:
    using Environment = std::optional<std::string> (*)(const char* name);

    explicit ChipSpeaker(QObject* parent = nullptr);
    ~ChipSpeaker() override;

    // The port to use, or empty when none is known yet.
    std::string port() const;
    // Remembers the user's choice for the next time.
    void choosePort(const std::string& port);
    static std::filesystem::path choiceFile();

    // Says the codes; a call while the chip speaks replaces what is left.
    void speak(std::vector<int> codes);
    void stop();
    bool busy() const { return m_busy; }

Q_SIGNALS:
    // One line for the menu: what happened, or why the bridge did not answer.
    void status(const QString& line);

private:
    void run(std::string port, std::vector<int> codes);
    void finish();

    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_busy{false};
};

} // namespace tessary
