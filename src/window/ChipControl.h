#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QAction;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessary {

class ChipSpeaker;

// The real chip on a board, as the window offers it: SPEAK's "Speak on Chip" and "Stop Chip",
// the choice of the bridge's port, Hardware enabled once a port is known, and what the chip
// reports (a line on SPEAK's menu, a failure beside the control the user used).
class ChipControl : public QObject
{
    Q_OBJECT

public:
    // The actions go on `speak`'s context menu.
    ChipControl(QPushButton* speak, QRadioButton* hardware);

    // The codes to the chip, once a port is known (the user is asked for one where none is);
    // a failure is shown beside `from`. `announce` goes on SPEAK's menu as it starts.
    void speak(const std::vector<int>& codes, QWidget* from, const QString& announce = {});
    // Hardware can be chosen where a bridge's port is known.
    void refresh();
    QAction* speakOnChipAction() const { return m_speakOnChip; }
    // The last line on SPEAK's menu: other entries go before it.
    QAction* statusAction() const { return m_status; }
    // The last failure shown to the user, for tests.
    const QString& lastProblem() const { return m_lastProblem; }
    // How long such a failure stays on the screen.
    static constexpr int kProblemShownMs = 8000;

private:
    // The port for the chip: TESSARY_DEVICE or the one chosen before, else the user picks one.
    bool havePort();
    // The ports listed (never opened) and one chosen and kept; false when none was.
    bool choosePort();
    void showStatus(const QString& line, bool failed);

    QPushButton* m_speakButton;
    QRadioButton* m_hardware;
    ChipSpeaker* m_chip;
    QAction* m_speakOnChip;
    QAction* m_stop;
    QAction* m_choosePort;
    QAction* m_status;
    QPointer<QWidget> m_anchor; // where the user asked the chip to speak
    QString m_lastProblem;
};

} // namespace tessary
