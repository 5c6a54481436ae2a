#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessary {

class ChipBridge;

// The window's way to a real SP0256-AL2 through our bridge firmware (ChipBridge): "Speak on
// Chip", and SPEAK and the allophone clicks with Hardware selected. One thread of its own
// talks to the port, so nothing in the window waits on it, and keeps the port open between
// utterances (opening it resets most boards, which then take a second or two to boot). The
// port is PortChoice's; it is opened again when that changes or after a failure.
class ChipSpeaker : public QObject
{
    Q_OBJECT

public:
    explicit ChipSpeaker(QObject* parent = nullptr);
    ~ChipSpeaker() override;

    // Says the codes. An utterance still under way is cut short for them, as a click on the
    // samples cuts the last one short.
    void speak(std::vector<int> codes);
    void stop();

Q_SIGNALS:
    // What happened, in one line; `failed` when the user must act (no board, no answer...).
    void status(const QString& line, bool failed);

private:
    void run();
    // Says one utterance, opening the port first where it is not open; the line for status().
    QString sayOne(const std::vector<int>& codes, bool& failed);
    void report(const QString& line, bool failed);

    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::vector<int>> m_next; // the utterance to say next; a newer one replaces it
    bool m_quit = false;
    std::atomic<bool> m_stop{false};    // cuts the utterance under way short
    std::atomic<bool> m_closing{false}; // gives up a board's boot wait: the window is closing
    // The worker's own: the open bridge and its port.
    std::unique_ptr<ChipBridge> m_bridge;
    std::string m_port;
};

} // namespace tessary
