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
// port. The port is PortChoice's; where none is known yet, the window asks.
class ChipSpeaker : public QObject
{
    Q_OBJECT

public:
    explicit ChipSpeaker(QObject* parent = nullptr);
    ~ChipSpeaker() override;

    // Says the codes; a call while the chip still speaks is refused, with a word on status().
    void speak(std::vector<int> codes);
    void stop();

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
