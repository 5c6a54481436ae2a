#include "MainWindow.h"

#include "AuditionLabel.h"
#include "ChipSpeaker.h"
#include "CopyMenu.h"
#include "FocusSink.h"
#include "FormLayout.h"
#include "SpellDialog.h"
#include "VocabularyWindow.h"
#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "chip/PortChoice.h"
#include "chip/SerialPorts.h"
#include "spelling/Speller.h"
#include "vocabulary/Vocabulary.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <chrono>
#include <cmath>

namespace tessary {

namespace {

int px(int twips)
{
    return FormLayout::px(twips);
}

const QColor kFormBack(1, 0, 66);
const QColor kAuditionBack(128, 128, 255);
const QColor kCodeBack(192, 192, 255);

void paintBackground(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QString toQt(const std::string& s)
{
    return QString::fromStdString(s);
}

// A control of the window: created on it, named, and placed where FormLayout puts it.
template <typename T, typename... Args>
T* control(QWidget* form, const QString& name, Args&&... args)
{
    auto* w = new T(std::forward<Args>(args)..., form);
    w->setObjectName(name);
    w->setGeometry(FormLayout::pixels(FormLayout::box(name)));
    return w;
}

// A label that sizes itself to its caption, one line high, on the light blue of the labels.
template <typename T>
T* captionLabel(QWidget* form, const QString& name, const QString& caption, QPoint twipsAt)
{
    auto* label = new T(caption, form);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    paintBackground(label, kAuditionBack);
    // The caption's advance is what QLabel's size hint comes to for one line of plain text,
    // without its layout pass: 65 of those were most of the window's start-up.
    label->setGeometry(px(twipsAt.x()), px(twipsAt.y()),
                       form->fontMetrics().horizontalAdvance(caption),
                       px(FormLayout::kAuditionHeight));
    return label;
}

} // namespace

MainWindow::MainWindow(SampleSet sampleSet, std::unique_ptr<SamplePlayer> player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_speaker(std::move(sampleSet), std::move(player)), m_sequencer(m_pace)
{
    setObjectName("Form1");
    setWindowTitle("Quorlin Tessary");
    setFixedSize(px(FormLayout::kClientWidth), px(FormLayout::kClientHeight));

    QFont font("DejaVu Sans Condensed");
    font.setPixelSize(11);
    setFont(font);
    paintBackground(this, kFormBack);

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

// Creation order is drawing order (later above earlier) and the default Tab order: lines and
// labels first, beneath everything; then the focusable controls in their Tab order.
void MainWindow::buildControls()
{
    buildLabels();
    buildSpeakAndSlots();
    buildOptionsAndButtons();
    buildMenus();
    buildTimers();
    chainTabOrder();
}

void MainWindow::buildLabels()
{
    for (int i = 0; i < 2; ++i) {
        auto* line = new QWidget(this);
        line->setObjectName(QString("Line%1").arg(i + 2));
        line->setGeometry(px(FormLayout::kLineLeft), px(FormLayout::kLineTops[i]),
                          px(FormLayout::kLineRight) - px(FormLayout::kLineLeft), 1);
        paintBackground(line, Qt::white);
    }

    for (int k = 1; k <= AllophoneTable::kSize; ++k) {
        auto* label = captionLabel<AuditionLabel>(
            this, QString("Label%1").arg(k), toQt(AllophoneTable::EntryByAuditionLabel(k)->caption),
            FormLayout::auditionAt(k));
        label->setAccessibleDescription("Click to hear it");
        m_auditionLabels[static_cast<std::size_t>(k - 1)] = label;
    }
    captionLabel<QLabel>(this, "Label65", "Speed",
                         QPoint(FormLayout::kSpeedLeft, FormLayout::kSpeedTop));

    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        auto* code = control<QLabel>(this, QString("Label%1").arg(69 + n));
        code->setAlignment(Qt::AlignCenter);
        code->setAccessibleName(QString("Code of slot %1").arg(n));
        code->setAccessibleDescription("No code");
        code->setFrameStyle(QFrame::Box | QFrame::Plain);
        code->setLineWidth(1);
        paintBackground(code, kCodeBack);
        m_codeLabels[static_cast<std::size_t>(n - 1)] = code;
    }
}

void MainWindow::buildSpeakAndSlots()
{
    m_picture = control<FocusSink>(this, "Picture1");
    // Where the keyboard focus rests after a command: what a screen reader then says.
    m_picture->setAccessibleName("Quorlin Tessary");
    m_picture->setAccessibleDescription("Press Tab to reach the controls");
    paintBackground(m_picture, kFormBack);
    m_speak = control<QPushButton>(this, "Speak", "SPEAK");
    m_rate = control<QLineEdit>(this, "Rate", "50");
    m_rate->setAlignment(Qt::AlignCenter);
    m_rate->setAccessibleName("Speed");
    m_rate->setAccessibleDescription("Milliseconds from one allophone's start to the next");
    m_rate->setMaxLength(3);

    // Slot boxes are drawn flat: a plain one-pixel border, no sunken edge.
    const QString flatBox("QLineEdit { border: 1px solid black; background: white;"
                          " padding: 0px; margin: 0px; }");
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        auto* box = control<QLineEdit>(this, QString("Text%1").arg(n));
        box->setAlignment(Qt::AlignCenter);
        box->setAccessibleName(QString("Slot %1").arg(n));
        box->setAccessibleDescription("No code");
        box->setMaxLength(3);
        box->setStyleSheet(flatBox);
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        // Ctrl+T while the slot has the focus, and in its context menu.
        auto* spell = new QAction("Spell Text Here…", box);
        spell->setObjectName("spellHere");
        spell->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
        spell->setShortcutContext(Qt::WidgetShortcut);
        box->addAction(spell);
        m_slotBoxes[static_cast<std::size_t>(n - 1)] = box;
    }
}

void MainWindow::buildOptionsAndButtons()
{
    m_emulate = control<QRadioButton>(this, "Emulate", "Emulate");
    m_emulate->setChecked(true);
    m_hardware = control<QRadioButton>(this, "Hardware", "Hardware");
    m_hardware->setEnabled(false);
    m_clear = control<QPushButton>(this, "Clear", "Clear All");
    m_copy = control<QPushButton>(this, "Copy", "Copy");
    m_typespeak = control<QCheckBox>(this, "Typespeak", "Type 'n' Talk");

    // The check box and option buttons paint the standard face behind their captions.
    const QPalette standard = QApplication::style()->standardPalette();
    for (QWidget* w : {static_cast<QWidget*>(m_emulate), static_cast<QWidget*>(m_hardware),
                       static_cast<QWidget*>(m_typespeak)}) {
        w->setPalette(standard);
        w->setAutoFillBackground(true);
    }
    for (QPushButton* b : {m_speak, m_clear, m_copy}) {
        b->setAutoDefault(false); // Enter and Esc press no button
        b->setDefault(false);
    }
}

// The context menus of Copy and SPEAK add to the window without changing its face.
void MainWindow::buildMenus()
{
    m_copyMenu =
        new CopyMenu(m_copy, {[this] { return m_row.joinedCodes(); },
                              [this] { return slotCodes(); }, [this] { applyFocusRule(); }});
    // A real chip on a board, through SPEAK's context menu.
    m_chip = new ChipSpeaker(this);
    m_speak->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const auto& [name, caption] :
         {std::pair{"speakOnChip", "Speak on Chip"}, std::pair{"stopChip", "Stop Chip"}}) {
        auto* action = new QAction(caption, m_speak);
        action->setObjectName(name);
        m_speak->addAction(action);
    }
    // The Vocabulary window: Ctrl+L anywhere in the window, and on every context menu.
    m_openVocabulary = new QAction("Vocabulary…", this);
    m_openVocabulary->setObjectName("openVocabulary");
    m_openVocabulary->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_openVocabulary->setShortcutContext(Qt::WindowShortcut);
    addAction(m_openVocabulary);
    for (QWidget* w : {static_cast<QWidget*>(m_copy), static_cast<QWidget*>(m_speak)})
        w->addAction(m_openVocabulary);
    m_chipStatus = new QAction(m_speak);
    m_chipStatus->setObjectName("chipStatus");
    m_chipStatus->setEnabled(false);
    m_chipStatus->setVisible(false);
    m_speak->addAction(m_chipStatus);
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

void MainWindow::chainTabOrder()
{
    QWidget* previous = m_picture;
    auto chain = [&previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(m_speak);
    chain(m_rate);
    for (QLineEdit* box : m_slotBoxes)
        chain(box);
    chain(m_emulate);
    chain(m_hardware);
    chain(m_clear);
    chain(m_copy);
    chain(m_typespeak);
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
    hooks.typeAndTalkOn = [this] { return m_typespeak->isChecked(); };
    hooks.playStem = [this](const std::string& stem) { m_speaker.playStem(stem); };
    hooks.slotTextAssigned = [this](int n, const std::string& text) {
        // The row runs the change handling itself right after; the box only shows the text.
        QLineEdit* box = m_slotBoxes[static_cast<std::size_t>(n - 1)];
        const QSignalBlocker quiet(box);
        box->setText(toQt(text));
    };
    hooks.slotCodeShown = [this](int n, const std::string& code) {
        QLabel* label = m_codeLabels[static_cast<std::size_t>(n - 1)];
        label->setText(toQt(code));
        // A screen reader hears the code with the slot, as a sighted user sees it beneath.
        const QString heard = code.empty() ? QString("No code") : "Code " + toQt(code);
        label->setAccessibleDescription(heard);
        m_slotBoxes[static_cast<std::size_t>(n - 1)]->setAccessibleDescription(heard);
    };
    m_row.setHooks(std::move(hooks));

    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        QLineEdit* box = m_slotBoxes[static_cast<std::size_t>(n - 1)];
        connect(box, &QLineEdit::textChanged, this,
                [this, n](const QString& text) { m_row.setSlotText(n, text.toStdString()); });
        connect(box, &QLineEdit::customContextMenuRequested, this,
                [this, n](const QPoint& at) { showSlotMenu(n, at); });
        connect(box->findChild<QAction*>("spellHere"), &QAction::triggered, this,
                [this, n] { spellInto(n); });
    }
    for (int k = 1; k <= AllophoneTable::kSize; ++k) {
        connect(m_auditionLabels[static_cast<std::size_t>(k - 1)], &AuditionLabel::clicked, this,
                [this, k] { audition(k); });
    }
}

void MainWindow::connectCommands()
{
    connect(m_clear, &QPushButton::clicked, this, [this] { m_row.ClearAll(); });
    connect(m_typespeak, &QCheckBox::clicked, this, [this] { applyFocusRule(); });
    connect(m_speak->findChild<QAction*>("speakOnChip"), &QAction::triggered, this,
            [this] { speakOnChip(m_speak); });
    connect(m_speak->findChild<QAction*>("stopChip"), &QAction::triggered, m_chip,
            &ChipSpeaker::stop);
    connect(m_chip, &ChipSpeaker::status, this, &MainWindow::showChipStatus);
    connect(m_openVocabulary, &QAction::triggered, this, [this] {
        applyFocusRule();
        VocabularyWindow* w = vocabulary();
        w->show();
        w->raise();
        w->activateWindow();
    });
    connect(m_hardware, &QRadioButton::clicked, this, [this] { applyFocusRule(); });
    connect(m_emulate, &QRadioButton::clicked, this, [this] { applyFocusRule(); });
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
        m_speak->setEnabled(!speaking);
        m_speak->setText(speaking ? "SPEAKING" : "SPEAK");
    };
    speech.armTimer = [this](std::chrono::milliseconds delay) { m_timer->start(delay); };
    m_sequencer.setHooks(std::move(speech));
    connect(m_speak, &QPushButton::clicked, this, [this] {
        if (m_hardware->isChecked())
            speakOnChip(m_speak);
        else
            m_sequencer.Speak();
    });
    connect(m_timer, &QTimer::timeout, this, [this] { m_sequencer.TimerTick(); });
    connect(m_rate, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_pace.RateChanged(text.toStdString()); });
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

void MainWindow::loadSlots(const std::vector<std::string>& mnemonics)
{
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        m_slotBoxes[i]->setText(i < mnemonics.size() ? toQt(mnemonics[i]) : QString());
    }
}

VocabularyWindow* MainWindow::vocabulary()
{
    if (m_vocabulary)
        return m_vocabulary;
    VocabularyWindow::Hooks hooks;
    hooks.slots = [this] { return slotMnemonics(); };
    hooks.load = [this](const std::vector<std::string>& m) { loadSlots(m); };
    hooks.listen = [this](const std::vector<std::string>& m) { listenTo(m); };
    hooks.speakOnChip = [this](const std::vector<int>& codes) {
        m_chipAnchor = m_vocabulary;
        if (haveChipPort())
            m_chip->speak(codes);
    };
    hooks.speller = [this]() -> const Speller& { return speller(); };
    m_vocabulary = new VocabularyWindow(std::move(hooks), this);
    if (const std::filesystem::path last = VocabularyWindow::lastFile(); !last.empty())
        m_vocabulary->open(last);
    return m_vocabulary;
}

bool MainWindow::haveChipPort()
{
    if (!PortChoice::current().empty())
        return true;
    // Ports are only listed here, never opened: opening one resets most boards.
    QStringList names;
    std::vector<std::string> paths;
    for (const SerialPorts::Port& p : SerialPorts::list()) {
        names << QString::fromStdString(p.byId.empty() ? p.path : p.byId + "  (" + p.path + ")");
        paths.push_back(p.byId.empty() ? p.path : "/dev/serial/by-id/" + p.byId);
    }
    if (names.isEmpty()) {
        showChipStatus("No serial port: is the board plugged in?", true);
        return false;
    }
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, "Speak on Chip", "The board with the chip and the bridge firmware:", names, 0, false,
        &chosen);
    if (!chosen)
        return false;
    if (const std::string problem =
            PortChoice::remember(paths[static_cast<std::size_t>(names.indexOf(name))]);
        !problem.empty()) {
        showChipStatus(QString::fromStdString("The port was not kept: " + problem), true);
        return false;
    }
    m_hardware->setEnabled(true);
    return true;
}

void MainWindow::speakOnChip(QWidget* from)
{
    applyFocusRule();
    m_chipAnchor = from;
    if (!haveChipPort())
        return;
    m_chipStatus->setText("Speaking on the chip…");
    m_chipStatus->setVisible(true);
    m_chip->speak(slotCodes());
}

void MainWindow::audition(int k)
{
    if (!m_hardware->isChecked()) {
        m_speaker.audition(k);
        return;
    }
    // The allophone and PA1 after it: without a code after it, the chip would go on sounding
    // the allophone's end.
    m_chipAnchor = m_auditionLabels[static_cast<std::size_t>(k - 1)];
    m_chip->speak({AllophoneTable::EntryByAuditionLabel(k)->code, 0});
}

// Every word goes on SPEAK's menu; a failure is shown at once beside the control the user
// used, over the window, whose face does not change.
void MainWindow::showChipStatus(const QString& line, bool failed)
{
    m_chipStatus->setText(line);
    m_chipStatus->setVisible(true);
    if (!failed)
        return;
    QWidget* anchor = m_chipAnchor ? m_chipAnchor.data() : m_speak;
    m_lastChipProblem = line;
    QToolTip::showText(anchor->mapToGlobal(QPoint(0, anchor->height())), line, anchor, {},
                       kProblemShownMs);
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
    QLineEdit* box = m_slotBoxes[static_cast<std::size_t>(n - 1)];
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addAction(box->findChild<QAction*>("spellHere"));
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
        int slot = n;
        for (const std::string& m : dialog.spelling())
            m_slotBoxes[static_cast<std::size_t>(slot++ - 1)]->setText(toQt(m));
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
    m_listen.start(mnemonics, ListenSchedule::Clock::now());
    listenStep();
}

void MainWindow::listenStep()
{
    const auto now = ListenSchedule::Clock::now();
    for (const auto& [stem, due] : m_listen.due(now))
        m_speaker.playStemAt(stem, due);
    if (const auto wait = m_listen.wait(now))
        m_listenTimer->start(static_cast<int>(wait->count()));
}

void MainWindow::applyFocusRule()
{
    m_picture->setFocus(Qt::OtherFocusReason);
}

void MainWindow::startUp()
{
    applyFocusRule();
    // Hardware can be chosen where a bridge's port is known; else the samples speak.
    m_hardware->setEnabled(!PortChoice::current().empty());
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
