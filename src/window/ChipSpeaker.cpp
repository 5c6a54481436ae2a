#include "ChipSpeaker.h"

#include "chip/ChipBridge.h"
#include "chip/PortChoice.h"

#include <QMetaObject>


namespace tessary {

ChipSpeaker::ChipSpeaker(QObject* parent) : QObject(parent) {}

ChipSpeaker::~ChipSpeaker()
{
    m_stop = true;
    finish();
}

void ChipSpeaker::finish()
{
    if (m_worker.joinable())
        m_worker.join();
}

void ChipSpeaker::speak(std::vector<int> codes)
{
    if (codes.empty()) {
        Q_EMIT status("Nothing to say: every slot is empty");
        return;
    }
    const std::string device = PortChoice::current();
    if (device.empty()) {
        Q_EMIT status("No port chosen for the chip");
        return;
    }
    if (m_busy) {
        Q_EMIT status("The chip is still speaking: Stop Chip first");
        return;
    }
    finish(); // a thread that has ended, so this does not wait
    m_stop = false;
    m_busy = true;
    m_worker = std::thread(&ChipSpeaker::run, this, device, std::move(codes));
}

void ChipSpeaker::stop()
{
    m_stop = true;
}

void ChipSpeaker::run(std::string device, std::vector<int> codes)
{
    ChipBridge bridge;
    // Closing the window while the board boots gives up at once.
    std::string problem = bridge.connect(device, &m_stop);
    QString line;
    if (problem.empty()) {
        switch (bridge.say(codes, m_stop, problem)) {
        case ChipBridge::Result::Spoken:
            line = "The chip said it";
            break;
        case ChipBridge::Result::Stopped:
            line = "Chip stopped";
            break;
        case ChipBridge::Result::Failed:
            line = QString::fromStdString(problem);
            break;
        }
    } else {
        line = QString::fromStdString(problem);
    }
    m_busy = false;
    QMetaObject::invokeMethod(
        this, [this, line] { Q_EMIT status(line); }, Qt::QueuedConnection);
}

} // namespace tessary
