#pragma once

// The window's three paths, and the files on each (folders of src/):
//
// A click to sound: a control of FormControls (window/) -> MainWindow -> SlotRow (composer/),
//   SpeakSequencer or ListenSchedule (speech/) -> Speaker -> SamplePlayer (sound/: the sound
//   server's PulseSamplePlayer, else SdlSamplePlayer), each play told when it is due; Listen
//   plays the spelling as JoinedSpeech (speech/) joins it, one share an allophone.
// A vocabulary to a header: VocabularyWindow (window/) -> VocabularyFile -> VocabularySpeller,
//   with spelling/'s Speller -> VocabularyHeader or SketchFolder (all vocabulary/): what
//   `tessary vocab` (cli/VocabCommand) writes too.
// A code to the chip: SPEAK with Hardware, a label, or the Vocabulary window -> ChipControl
//   (port choice, status) -> ChipSpeaker, on a thread of its own -> ChipBridge and SerialPort
//   (chip/) -> the bridge firmware (firmware/bridge) -> the SP0256-AL2.
// Around them: FormLayout (the twips), CopyMenu (Copy's forms), SpellDialog (Spell Text),
//   RowUndo (the slots' undo and redo, over composer/'s RowHistory).

#include "FormControls.h"
#include "composer/SlotRow.h"
#include "sound/SamplePlayer.h"
#include "speech/ListenSchedule.h"
#include "speech/Pace.h"
#include "speech/SampleSet.h"
#include "speech/SpeakSequencer.h"
#include "speech/Speaker.h"

#include <QTemporaryDir>
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
class ChipControl;
class CopyMenu;
class FocusSink;
class RowUndo;
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
    const QString& lastChipProblem() const;

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
    void buildKeys();
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
    std::vector<int> slotCodes() const;
    SlotRow::Texts slotTexts() const;
    // The keyboard's audition: slot n's allophone, as its label would say it.
    void hearSlot(int n);
    // Escape: a run of SPEAK, or Listen, stops.
    void stopSpeaking();
    std::vector<std::string> slotMnemonics() const;
    // An entry of the Vocabulary window into the slots, from slot 1; the rest emptied.
    void loadSlots(const std::vector<std::string>& mnemonics);

    SlotRow m_row;
    Speaker m_speaker;
    Pace m_pace;
    SpeakSequencer m_sequencer;
    std::unique_ptr<Speller> m_speller; // made on first use: espeak-ng takes a moment to load
    bool m_activated = false;

    FormControls m_form;
    QTimer* m_timer = nullptr;
    QTimer* m_listenTimer = nullptr;
    CopyMenu* m_copyMenu = nullptr;
    RowUndo* m_rowUndo = nullptr;
    ChipControl* m_chip = nullptr;
    VocabularyWindow* m_vocabulary = nullptr;
    QAction* m_openVocabulary = nullptr;
    ListenSchedule m_listen;
    std::unique_ptr<QTemporaryDir> m_listenFolder; // the joined spelling Listen plays
    std::vector<std::string> m_listenFiles;        // its shares; empty: the set's samples
};

} // namespace tessary
