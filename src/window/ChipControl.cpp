#include "ChipControl.h"

#include "ChipSpeaker.h"
#include "chip/PortChoice.h"
#include "chip/SerialPorts.h"

#include <QAction>
#include <QInputDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>

namespace tessary {

ChipControl::ChipControl(QPushButton* speak, QRadioButton* hardware)
    : QObject(speak), m_speakButton(speak), m_hardware(hardware), m_chip(new ChipSpeaker(this)),
      m_speakOnChip(new QAction("Speak on &Chip", speak)), m_stop(new QAction("&Stop Chip", speak)),
      m_choosePort(new QAction("Choose &Another Port…", speak)), m_status(new QAction(speak))
{
    m_choosePort->setObjectName("choosePort");
    connect(m_choosePort, &QAction::triggered, this, [this] { choosePort(); });
    m_speakOnChip->setObjectName("speakOnChip");
    m_stop->setObjectName("stopChip");
    m_status->setObjectName("chipStatus");
    m_status->setEnabled(false);
    m_status->setVisible(false);
    speak->setContextMenuPolicy(Qt::ActionsContextMenu);
    speak->addActions({m_speakOnChip, m_stop, m_choosePort, m_status});
    connect(m_stop, &QAction::triggered, m_chip, &ChipSpeaker::stop);
    connect(m_chip, &ChipSpeaker::status, this, &ChipControl::showStatus);
}

void ChipControl::refresh()
{
    m_hardware->setEnabled(!PortChoice::current().empty());
}

void ChipControl::speak(const std::vector<int>& codes, QWidget* from, const QString& announce)
{
    m_anchor = from;
    if (!havePort())
        return;
    if (!announce.isEmpty()) {
        m_status->setText(announce);
        m_status->setVisible(true);
    }
    m_chip->speak(codes);
}

bool ChipControl::havePort()
{
    return !PortChoice::current().empty() || choosePort();
}

bool ChipControl::choosePort()
{
    // Ports are only listed here, never opened: opening one resets most boards.
    QStringList names;
    std::vector<std::string> paths;
    for (const SerialPorts::Port& p : SerialPorts::list()) {
        names << QString::fromStdString(p.byId.empty() ? p.path : p.byId + "  (" + p.path + ")");
        paths.push_back(p.byId.empty() ? p.path : "/dev/serial/by-id/" + p.byId);
    }
    if (names.isEmpty()) {
        showStatus("No serial port: is the board plugged in?", true);
        return false;
    }
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        m_speakButton->window(), "Speak on Chip",
        "The board with the chip and the bridge firmware:", names, 0, false, &chosen);
    if (!chosen)
        return false;
    if (const std::string problem =
            PortChoice::remember(paths[static_cast<std::size_t>(names.indexOf(name))]);
        !problem.empty()) {
        showStatus(QString::fromStdString("The port was not kept: " + problem), true);
        return false;
    }
    m_hardware->setEnabled(true);
    return true;
}

// Every word goes on SPEAK's menu; a failure is shown at once beside the control the user
// used, over the window, whose face does not change.
void ChipControl::showStatus(const QString& line, bool failed)
{
    m_status->setText(line);
    m_status->setVisible(true);
    if (!failed)
        return;
    QWidget* anchor = m_anchor ? m_anchor.data() : m_speakButton;
    m_lastProblem = line;
    // With the ways out: the samples, or another board.
    QToolTip::showText(anchor->mapToGlobal(QPoint(0, anchor->height())),
                       line + "\nChoose Emulate for the samples, or Choose Another Port… on "
                              "SPEAK's menu.",
                       anchor, {}, kProblemShownMs);
}

} // namespace tessary
