#include "MainWindow.h"

#include "AuditionLabel.h"
#include "ChipControl.h"
#include "CopyMenu.h"
#include "FocusSink.h"
#include "LastVocabulary.h"
#include "RowUndo.h"
#include "SpellDialog.h"
#include "VocabularyWindow.h"
#include "WindowFrame.h"
#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "spelling/Speller.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

#include <chrono>

namespace tessary {

namespace {

QString toQt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

MainWindow::MainWindow(SampleSet sampleSet, std::unique_ptr<SamplePlayer> player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_speaker(std::move(sampleSet), std::move(player)), m_sequencer(m_pace)
{
    setObjectName("Form1");
    setWindowTitle("Quorlin Tessary");
    WindowFrame::closeButtonOnly(this);
    m_form.build(this);
    buildControls();
    connectControls();

    // Centred on the screen that the window opens on.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                 screen->availableGeometry())
                 .topLeft());
}

MainWindow::~MainWindow() = default;

const QString& MainWindow::codeString() const
{
    return m_copyMenu->codeString();
}

const QString& MainWindow::lastChipProblem() const
{
    return m_chip->lastProblem();
}

void MainWindow::buildControls()
{
    buildMenus();
    buildTimers();
    buildKeys();
}

void MainWindow::buildMenus()
{
    m_copyMenu =
        new CopyMenu(m_form.copy, {[this] { return m_row.joinedCodes(); },
                                   [this] { return slotCodes(); }, [this] { applyFocusRule(); }});
    // A real chip on a board, through SPEAK's context menu.
    m_chip = new ChipControl(m_form.speak, m_form.hardware);
    // The Vocabulary window: Ctrl+L anywhere in the window, and on every context menu.
    m_openVocabulary = new QAction("Vocabulary…", this);
    m_openVocabulary->setObjectName("openVocabulary");
    m_openVocabulary->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_openVocabulary->setShortcutContext(Qt::WindowShortcut);
    addAction(m_openVocabulary);
    m_form.copy->addAction(m_openVocabulary);
    m_form.speak->insertAction(m_chip->statusAction(), m_openVocabulary);
}

// Escape stops what plays; Shift+F10 opens the focused control's context menu, as the Menu
// key does.
void MainWindow::buildKeys()
{
    auto* stop = new QAction("Stop", this);
    stop->setObjectName("stopSpeaking");
    stop->setShortcut(Qt::Key_Escape);
    stop->setShortcutContext(Qt::WindowShortcut);
    addAction(stop);
    connect(stop, &QAction::triggered, this, &MainWindow::stopSpeaking);
    auto* menuKey = new QAction("Context Menu", this);
    menuKey->setObjectName("contextMenuKey");
    menuKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this, [this] {
        QWidget* w = QApplication::focusWidget();
        if (!w || w->window() != this)
            return;
        const QPoint centre = w->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, w->mapToGlobal(centre));
        QCoreApplication::sendEvent(w, &menu);
    });
}

void MainWindow::buildTimers()
{
    m_listenTimer = new QTimer(this); // steps the Spell Text dialog's Listen
    m_listenTimer->setTimerType(Qt::PreciseTimer);
    m_listenTimer->setSingleShot(true);
    connect(m_listenTimer, &QTimer::timeout, this, &MainWindow::listenStep);
    m_timer = new QTimer(this); // Timer1 steps SPEAK
    m_timer->setObjectName("Timer1");
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setSingleShot(true);
    m_timer->setInterval(45);
}

void MainWindow::connectControls()
{
    connectRow();
    connectCommands();
    connectSequencer();
}

// The slot row drives the boxes and the code labels; the boxes and labels drive the row.
void MainWindow::connectRow()
{
    SlotRow::Hooks hooks;
    hooks.moveFocusToSink = [this] { applyFocusRule(); };
    // An undo puts texts back without a sound for each.
    hooks.typeAndTalkOn = [this] {
        return m_form.typespeak->isChecked() && !(m_rowUndo && m_rowUndo->restoring());
    };
    hooks.playStem = [this](const std::string& stem) { m_speaker.playStem(stem); };
    hooks.slotTextAssigned = [this](int n, const std::string& text) {
        // The row runs the change handling itself right after; the box only shows the text.
        QLineEdit* box = m_form.slotBoxes[static_cast<std::size_t>(n - 1)];
        const QSignalBlocker quiet(box);
        box->setText(toQt(text));
    };
    hooks.slotCodeShown = [this](int n, const std::string& code) {
        QLabel* label = m_form.codeLabels[static_cast<std::size_t>(n - 1)];
        label->setText(toQt(code));
        // A screen reader hears the code with the slot, as a sighted user sees it beneath.
        const QString heard = code.empty() ? QString("No code") : "Code " + toQt(code);
        label->setAccessibleDescription(heard);
        m_form.slotBoxes[static_cast<std::size_t>(n - 1)]->setAccessibleDescription(heard);
    };
    m_row.setHooks(std::move(hooks));
    m_rowUndo = new RowUndo(this, m_form.slotBoxes,
                            {[this] { return slotTexts(); },
                             [this](const SlotRow::Texts& texts) {
                                 for (int n = 1; n <= SlotRow::kSlotCount; ++n)
                                     m_form.slotBoxes[static_cast<std::size_t>(n - 1)]->setText(
                                         toQt(texts[static_cast<std::size_t>(n - 1)]));
                             }});

    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        QLineEdit* box = m_form.slotBoxes[static_cast<std::size_t>(n - 1)];
        connect(box, &QLineEdit::textChanged, this, [this, n](const QString& text) {
            m_row.setSlotText(n, text.toStdString());
            m_rowUndo->typed(n);
        });
        connect(box, &QLineEdit::customContextMenuRequested, this,
                [this, n](const QPoint& at) { showSlotMenu(n, at); });
        connect(m_form.spellHere[static_cast<std::size_t>(n - 1)], &QAction::triggered, this,
                [this, n] { spellInto(n); });
        connect(m_form.hearSlot[static_cast<std::size_t>(n - 1)], &QAction::triggered, this,
                [this, n] { hearSlot(n); });
    }
    for (int k = 1; k <= AllophoneTable::kSize; ++k) {
        connect(m_form.auditionLabels[static_cast<std::size_t>(k - 1)], &AuditionLabel::clicked,
                this, [this, k] { audition(k); });
    }
}

void MainWindow::connectCommands()
{
    connect(m_form.clear, &QPushButton::clicked, this,
            [this] { m_rowUndo->wholeRow([this] { m_row.ClearAll(); }); });
    connect(m_form.typespeak, &QCheckBox::clicked, this, [this] { applyFocusRule(); });
    connect(m_chip->speakOnChipAction(), &QAction::triggered, this,
            [this] { speakOnChip(m_form.speak); });
    connect(m_openVocabulary, &QAction::triggered, this, [this] {
        applyFocusRule();
        VocabularyWindow* w = vocabulary();
        w->show();
        w->raise();
        w->activateWindow();
    });
    connect(m_form.hardware, &QRadioButton::clicked, this, [this] { applyFocusRule(); });
    connect(m_form.emulate, &QRadioButton::clicked, this, [this] { applyFocusRule(); });
}

void MainWindow::connectSequencer()
{
    SpeakSequencer::Hooks speech;
    speech.moveFocusToSink = [this] { applyFocusRule(); };
    speech.captureSpeakBuffer = [this] { m_row.captureSpeakBuffer(); };
    speech.speakEntry = [this](int n) { return m_row.speakEntry(n); };
    speech.playStem = [this](const std::string& stem, SpeakSequencer::Clock::time_point due) {
        m_speaker.playStemAt(stem, due);
    };
    speech.showSpeaking = [this](bool speaking) {
        m_form.speak->setEnabled(!speaking);
        m_form.speak->setText(speaking ? "SPEAKING" : "SPEAK");
    };
    speech.armTimer = [this](std::chrono::milliseconds delay) { m_timer->start(delay); };
    m_sequencer.setHooks(std::move(speech));
    connect(m_form.speak, &QPushButton::clicked, this, [this] {
        if (m_form.hardware->isChecked())
            speakOnChip(m_form.speak);
        else
            m_sequencer.speak();
    });
    connect(m_timer, &QTimer::timeout, this, [this] { m_sequencer.timerTick(); });
    connect(m_form.rate, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_pace.rateChanged(text.toStdString()); });
}

std::vector<int> MainWindow::slotCodes() const
{
    std::vector<int> codes;
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        if (const auto code = CodeFormat::parseCode(m_row.SlotCode(n)))
            codes.push_back(*code);
    }
    return codes;
}

std::vector<std::string> MainWindow::slotMnemonics() const
{
    return AllophoneTable::mnemonicsOf(slotCodes());
}

SlotRow::Texts MainWindow::slotTexts() const
{
    SlotRow::Texts texts;
    for (int n = 1; n <= SlotRow::kSlotCount; ++n)
        texts[static_cast<std::size_t>(n - 1)] = m_row.SlotText(n);
    return texts;
}

void MainWindow::loadSlots(const std::vector<std::string>& mnemonics)
{
    m_rowUndo->wholeRow([&] {
        for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
            const auto i = static_cast<std::size_t>(n - 1);
            m_form.slotBoxes[i]->setText(i < mnemonics.size() ? toQt(mnemonics[i]) : QString());
        }
    });
}

VocabularyWindow* MainWindow::vocabulary()
{
    if (m_vocabulary)
        return m_vocabulary;
    VocabularyWindow::Hooks hooks;
    hooks.slots = [this] { return slotMnemonics(); };
    hooks.load = [this](const std::vector<std::string>& m) { loadSlots(m); };
    hooks.listen = [this](const std::vector<std::string>& m) { listenTo(m); };
    hooks.stopListening = [this] { stopSpeaking(); };
    hooks.speakOnChip = [this](const std::vector<int>& codes) {
        m_chip->speak(codes, m_vocabulary);
    };
    hooks.speller = [this]() -> const Speller& { return speller(); };
    m_vocabulary = new VocabularyWindow(std::move(hooks), this);
    if (const std::filesystem::path last = LastVocabulary::file(); !last.empty())
        m_vocabulary->open(last);
    return m_vocabulary;
}

void MainWindow::speakOnChip(QWidget* from)
{
    applyFocusRule();
    m_chip->speak(slotCodes(), from, "Speaking on the chip…");
}

void MainWindow::hearSlot(int n)
{
    const auto code = CodeFormat::parseCode(m_row.SlotCode(n));
    if (!code)
        return; // no allophone in the slot: nothing to hear
    if (const AllophoneEntry* e = AllophoneTable::EntryByCode(*code))
        audition(e->auditionLabel);
}

void MainWindow::stopSpeaking()
{
    m_sequencer.stop();
    m_timer->stop();
    m_listenTimer->stop();
    m_listen.stop();
}

void MainWindow::audition(int k)
{
    if (!m_form.hardware->isChecked()) {
        m_speaker.audition(k);
        return;
    }
    // The allophone and PA1 after it: without a code after it, the chip would go on sounding
    // the allophone's end.
    m_chip->speak({AllophoneTable::EntryByAuditionLabel(k)->code, 0},
                  m_form.auditionLabels[static_cast<std::size_t>(k - 1)]);
}

const Speller& MainWindow::speller()
{
    if (!m_speller)
        m_speller =
            Speller::forThisUser([](const std::string& line) { qWarning("%s", line.c_str()); });
    return *m_speller;
}

void MainWindow::showSlotMenu(int n, const QPoint& at)
{
    QLineEdit* box = m_form.slotBoxes[static_cast<std::size_t>(n - 1)];
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_rowUndo->takeOver(menu);
    menu->addSeparator();
    menu->addAction(m_form.hearSlot[static_cast<std::size_t>(n - 1)]);
    menu->addAction(m_form.spellHere[static_cast<std::size_t>(n - 1)]);
    menu->addAction(m_openVocabulary);
    menu->popup(box->mapToGlobal(at));
}

void MainWindow::spellInto(int n)
{
    SpellDialog dialog(speller(), SlotRow::kSlotCount - n + 1, this);
    dialog.setListener([this](const std::vector<std::string>& m) { listenTo(m); });
    dialog.setWordFile(WordList::userFile());
    QString toVocabulary;
    dialog.setVocabularyAdder([&toVocabulary](const QString& text) { toVocabulary = text; });
    if (dialog.exec() == QDialog::Accepted) {
        m_rowUndo->wholeRow([&] {
            int slot = n;
            for (const std::string& m : dialog.spelling())
                m_form.slotBoxes[static_cast<std::size_t>(slot++ - 1)]->setText(toQt(m));
        });
    }
    if (dialog.saved())
        m_speller.reset(); // read the word list again, with what was saved
    m_listenTimer->stop();
    m_listen.stop();
    applyFocusRule();
    if (!toVocabulary.isEmpty())
        vocabulary()->addText(toVocabulary);
}

void MainWindow::listenTo(const std::vector<std::string>& mnemonics)
{
    // Joined as the chip joins them, as `tessary say` and `render` play a spelling; the set's
    // samples one by one where that cannot be done.
    std::vector<std::string> known;
    for (const std::string& m : mnemonics)
        if (AllophoneTable::FindByMnemonic(m))
            known.push_back(m);
    if (!m_listenFolder)
        m_listenFolder = std::make_unique<QTemporaryDir>();
    m_listenFiles = m_listenFolder->isValid()
                        ? m_speaker.joinedFiles(known, m_listenFolder->path().toStdString())
                        : std::vector<std::string>();
    m_listen.start(known, ListenSchedule::Clock::now(), m_listenFiles);
    listenStep();
}

void MainWindow::listenStep()
{
    const auto now = ListenSchedule::Clock::now();
    for (const auto& [sound, due] : m_listen.due(now)) {
        if (m_listenFiles.empty())
            m_speaker.playStemAt(sound, due);
        else
            m_speaker.playFileAt(sound, due);
    }
    if (const auto wait = m_listen.wait(now))
        m_listenTimer->start(static_cast<int>(wait->count()));
}

void MainWindow::applyFocusRule()
{
    m_form.picture->setFocus(Qt::OtherFocusReason);
}

void MainWindow::startUp()
{
    applyFocusRule();
    // Hardware can be chosen where a bridge's port is known; else the samples speak.
    m_chip->refresh();
    m_timer->stop();
    m_pace.reset();
    // Once the window is up: the icon (its SVG engine is a plugin to load), and the sound
    // output, so that the first click sounds at once.
    QTimer::singleShot(0, this, [this] {
        setWindowIcon(QIcon(":/icons/quorlin-tessary.svg"));
        m_speaker.prepare();
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_vocabulary && !m_vocabulary->close()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // Start-up runs on the first activation only; coming back from another program is not one.
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        startUp();
    }
    return handled;
}

} // namespace tessary
