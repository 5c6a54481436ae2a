#pragma once

// How Quorlin Tessary fits together:
//
//   AllophoneTable  (catalogue/)  the 64 allophones: mnemonic <-> code, audition label -> entry
//   SlotRow         (composer/)   the 30 slots: each text's code, SpeakBuffer, Clear All,
//                                 the joined code string; reaches out only through its hooks
//   Speaker         (speech/)     stem -> sample path in the SampleSet -> SamplePlayer
//   SpeakSequencer  (speech/)     SPEAK: 30 plays one Pace apart, stepped by Timer1's ticks
//   SoundOutput     (sound/)      the player the window holds: once the window is up it loads
//                                 the sound module and finds PulseSamplePlayer (the sound
//                                 server's stream) or SdlSamplePlayer; samples decoded
//                                 off-thread by a SampleCache
//   MainWindow      (window/)     Form1: owns the controls and forwards their events
//
// A keystroke in slot 5: Text5 textChanged -> SlotRow::setSlotText(5) -> SlotChanged:
// the code for Label74 (slotCodeShown hook), SpeakBuffer entry 5, and with Type 'n' Talk on
// Speaker::playStem -> SamplePlayer::play, which returns at once.
// A slot's "Spell Text Here…" (SpellDialog, over spelling/'s Speller and Alternatives) assigns
// its allophones to the slot boxes, each change running the same handling as typing; its Listen
// comes back here and plays the spelling through the Speaker, each allophone at its chip time.
// Copy's context menu writes the code labels' codes through CodeFormat, an array under a name
// the user gives for C and the Arduino. With Hardware selected (a bridge's port known),
// SPEAK and the labels go to ChipSpeaker, which keeps the port open on its own thread, instead
// of the Speaker. Ctrl+L opens the VocabularyWindow: one vocabulary file (VocabularyFile),
// its entries to and from the slots, exported through VocabularySpeller as `tessary vocab` does.
// SPEAK: Speak clicked -> SpeakSequencer::Speak -> play entry 1, arm Timer1; each tick of Timer1
// -> SpeakSequencer::TimerTick -> the next entry, handed to the player with the time it was due
// (Speaker::playStemAt), until the tick after the 30th restores SPEAK.

#include "composer/SlotRow.h"
#include "sound/SamplePlayer.h"
#include "speech/ListenSchedule.h"
#include "speech/Pace.h"
#include "speech/SampleSet.h"
#include "speech/SpeakSequencer.h"
#include "speech/Speaker.h"

#include <QPointer>
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

static_assert(SpeakSequencer::kSteps == SlotRow::kSlotCount, "SPEAK steps through every slot");

class AuditionLabel;
class ChipSpeaker;
class CopyMenu;
class FocusSink;
class Speller;
class VocabularyWindow;

class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(SampleSet sampleSet, std::unique_ptr<SamplePlayer> player,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const SlotRow& slotRow() const { return m_row; }
    const SpeakSequencer& sequencer() const { return m_sequencer; }
    int stepInterval() const { return m_pace.StepInterval(); }
    // The last code string "Copy" put on the clipboard.
    const QString& codeString() const;
    // The Vocabulary window, made on first use (it opens the file used last).
    VocabularyWindow* vocabulary();
    // The last failure of the chip shown to the user, for tests.
    const QString& lastChipProblem() const { return m_lastChipProblem; }
    // How long such a failure stays on the screen.
    static constexpr int kProblemShownMs = 8000;

protected:
    bool event(QEvent* event) override;
    // The Vocabulary window's unsaved changes are asked about first: closing may be cancelled.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLabels();
    void buildSpeakAndSlots();
    void buildOptionsAndButtons();
    void buildMenus();
    void buildTimers();
    void chainTabOrder();
    void connectControls();
    void connectRow();
    void connectCommands();
    void connectSequencer();
    void applyFocusRule();
    void startUp();
    // "Spell Text Here…" on slot n: the spelling goes into slots n, n+1, ...
    void spellInto(int n);
    void showSlotMenu(int n, const QPoint& at);
    const Speller& speller();
    // The Spell Text dialog's Listen: the spelling end to end, each allophone for its time on
    // the chip, handed to the player when it is due.
    void listenTo(const std::vector<std::string>& mnemonics);
    void listenStep();
    // SPEAK's context menu, and SPEAK with Hardware: the slots' codes to a real chip through
    // the bridge. `from` is the control used, where a failure is shown.
    void speakOnChip(QWidget* from);
    // An allophone's label clicked: its sample, or with Hardware the chip says it.
    void audition(int k);
    void showChipStatus(const QString& line, bool failed);
    // The port for the chip: TESSARY_DEVICE or the one chosen before, else the user picks one.
    bool haveChipPort();
    std::vector<int> slotCodes() const;
    std::vector<std::string> slotMnemonics() const;
    // An entry of the Vocabulary window into the slots, from slot 1; the rest emptied.
    void loadSlots(const std::vector<std::string>& mnemonics);

    SlotRow m_row;
    Speaker m_speaker;
    Pace m_pace;
    SpeakSequencer m_sequencer;
    std::unique_ptr<Speller> m_speller; // made on first use: espeak-ng takes a moment to load
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
    QTimer* m_listenTimer = nullptr;
    CopyMenu* m_copyMenu = nullptr;
    ChipSpeaker* m_chip = nullptr;
    QAction* m_chipStatus = nullptr;
    QPointer<QWidget> m_chipAnchor; // where the user asked the chip to speak
    VocabularyWindow* m_vocabulary = nullptr;
    QAction* m_openVocabulary = nullptr;
    QString m_lastChipProblem;
    ListenSchedule m_listen;
};

} // namespace tessary
