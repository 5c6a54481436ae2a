#include "ChipSpeaker.h"

#include "chip/ChipBridge.h"
#include "chip/PortChoice.h"

#include <QMetaObject>

namespace tessary {

ChipSpeaker::ChipSpeaker(QObject* parent) : QObject(parent) {}

ChipSpeaker::~ChipSpeaker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        m_next.reset();
    }
    m_closing = true;
    m_stop = true;
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void ChipSpeaker::speak(std::vector<int> codes)
{
    if (codes.empty()) {
        Q_EMIT status("Nothing to say: every slot is empty", true);
        return;
    }
    if (PortChoice::current().empty()) {
        Q_EMIT status("No port chosen for the chip", true);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_next = std::move(codes);
        m_stop = true; // whatever the chip says now gives way
    }
    m_wake.notify_all();
    if (!m_worker.joinable())
        m_worker = std::thread(&ChipSpeaker::run, this);
}

void ChipSpeaker::stop()
{
    const std::lock_guard lock(m_mutex);
    m_next.reset();
    m_stop = true;
}

void ChipSpeaker::run()
{
    for (;;) {
        std::vector<int> codes;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_next; });
            if (m_quit)
                return;
            codes = std::move(*m_next);
            m_next.reset();
            m_stop = false;
        }
        bool failed = false;
        const QString line = sayOne(codes, failed);
        bool replaced = false;
        {
            const std::lock_guard lock(m_mutex);
            replaced = m_next.has_value() || m_quit;
        }
        if (!replaced) // an utterance cut short for the next one needs no word
            report(line, failed);
    }
}

QString ChipSpeaker::sayOne(const std::vector<int>& codes, bool& failed)
{
    const std::string port = PortChoice::current();
    if (!m_bridge || port != m_port) {
        m_bridge = std::make_unique<ChipBridge>();
        m_port = port;
        // Closing the window while the board boots gives up at once.
        if (std::string problem = m_bridge->connect(port, &m_closing); !problem.empty()) {
            m_bridge.reset();
            failed = !m_closing;
            return QString::fromStdString(problem);
        }
    }
    std::string problem;
    switch (m_bridge->say(codes, m_stop, problem)) {
    case ChipBridge::Result::Spoken:
        return "The chip said it";
    case ChipBridge::Result::Stopped:
        failed = !problem.empty(); // the bridge did not confirm the stop
        return problem.empty() ? QString("Chip stopped") : QString::fromStdString(problem);
    case ChipBridge::Result::Failed:
        break;
    }
    m_bridge.reset(); // opened afresh next time: the board may have gone and come back
    failed = true;
    return QString::fromStdString(problem);
}

void ChipSpeaker::report(const QString& line, bool failed)
{
    QMetaObject::invokeMethod(
        this, [this, line, failed] { Q_EMIT status(line, failed); }, Qt::QueuedConnection);
}

} // namespace tessary
