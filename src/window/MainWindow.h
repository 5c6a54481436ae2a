#pragma once

// How Quorlin Tessary fits together:
//
//   AllophoneTable  (catalogue/)  the 64 allophones: mnemonic <-> code, audition label -> entry
//   SlotRow         (composer/)   the 30 slots: each text's code, SpeakBuffer, Clear All,
//                                 the joined code string; reaches out only through its hooks
//   Speaker         (speech/)     stem -> sample path in the SampleSet -> SamplePlayer
//   SdlSamplePlayer (speech/)     one SDL voice; every SDL call of the program lives there
//   MainWindow      (window/)     Form1: owns the controls and forwards their events
//
// A keystroke in slot 5: Text5 textChanged -> SlotRow::setSlotText(5) -> SlotChanged:
// the code for Label74 (slotCodeShown hook), SpeakBuffer entry 5, and with Type 'n' Talk on
// Speaker::playStem -> SamplePlayer::play, which returns at once.

#include "composer/SlotRow.h"
#include "speech/SamplePlayer.h"
#include "speech/SampleSet.h"
#include "speech/Speaker.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tessary {

class AuditionLabel;
class FocusSink;

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(SampleSet sampleSet, std::unique_ptr<SamplePlayer> player,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const SlotRow& slotRow() const { return m_row; }
    int stepInterval() const { return m_stepInterval; }

protected:
    bool event(QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void applyFocusRule();
    void startUp();

    SlotRow m_row;
    Speaker m_speaker;
    int m_stepInterval = 50; // StepInterval, milliseconds start to start
    bool m_activated = false;

    std::array<QLineEdit*, SlotRow::kSlotCount> m_slotBoxes{};
    std::array<QLabel*, SlotRow::kSlotCount> m_codeLabels{};
    std::array<AuditionLabel*, 64> m_auditionLabels{};
    FocusSink* m_picture = nullptr;
    QPushButton* m_speak = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_clear = nullptr;
    QCheckBox* m_typespeak = nullptr;
    QLineEdit* m_rate = nullptr;
    QRadioButton* m_emulate = nullptr;
    QRadioButton* m_hardware = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace tessary
