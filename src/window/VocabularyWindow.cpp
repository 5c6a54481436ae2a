#include "VocabularyWindow.h"

#include "LastVocabulary.h"
#include "Placement.h"
#include "VocabularyEdit.h"
#include "catalogue/AllophoneTable.h"
#include "composer/SlotRow.h"
#include "files/UserFile.h"
#include "spelling/SpellingStyle.h"
#include "vocabulary/VocabularySpeller.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace tessary {

namespace {

QString toQt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

VocabularyWindow::VocabularyWindow(Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), m_hooks(std::move(hooks)),
      m_export(this, {m_hooks.speller, [this](const QString& line) { say(line); },
                      [this](const std::vector<Vocabulary::Problem>& problems,
                             const QString& what) { showProblems(problems, what); }})
{
    setObjectName("VocabularyWindow");
    setWindowTitle("Vocabulary");
    m_entries = new VocabularyTable(this);
    m_problems = new QListWidget(this);
    m_problems->setObjectName("vocabularyProblems");
    m_problems->setAccessibleName("Problems in the file");
    m_problems->setMaximumHeight(fontMetrics().lineSpacing() * 5);
    m_status = new QLabel(this);
    m_status->setObjectName("vocabularyStatus");
    m_status->setAccessibleName("What happened last");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_numbers = new QLabel(this);
    m_numbers->setObjectName("vocabularyNumbers");
    m_numbers->setWordWrap(true);
    m_history = new QUndoStack(this);

    auto* layout = new QVBoxLayout(this);
    buildMenus();
    layout->addWidget(m_entries, 1);
    layout->addWidget(m_numbers);
    buildButtons();
    layout->addWidget(new QLabel("Problems:", this));
    layout->addWidget(m_problems);
    layout->addWidget(m_status);
    // An entry activated (a double click, or Enter) is listened to, as the Listen button does.
    connect(m_entries, &QTableWidget::activated, this, [this] { listen(); });
    resize(900, 440);
    // Beside the main window, so that the slots stay in view.
    setMinimumWidth(480);
    Placement::beside(this, parent);
    refresh();
}

void VocabularyWindow::buildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName("vocabularyMenus");
    bar->setAccessibleName("Vocabulary menus");
    auto action = [this](QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& key, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = bar->addMenu("&File");
    action(file, "vocabularyNew", "&New", QKeySequence::New, [this] { startNew(); });
    action(file, "vocabularyOpen", "&Open…", QKeySequence::Open, [this] { openAsked(); });
    action(file, "vocabularySave", "&Save", QKeySequence::Save, [this] { save(); });
    action(file, "vocabularySaveAs", "Save &As…", QKeySequence::SaveAs, [this] { saveAsAsked(); });
    file->addSeparator();
    for (const auto& [name, caption, form] :
         {std::tuple{"vocabularyExportC", "Export as &C Header…", "c"},
          std::tuple{"vocabularyExportArduino", "Export as A&rduino Header…", "arduino"},
          std::tuple{"vocabularyExportJson", "Export as &JSON…", "json"},
          std::tuple{"vocabularyExportSketch", "Export as S&ketch…", "sketch"}})
        action(file, name, caption, {},
               [this, form = std::string(form)] { m_export.ask(m_file.text(), m_path, form); });
    file->addSeparator();
    action(file, "vocabularyClose", "Clos&e", QKeySequence::Close, [this] { close(); });
    // Every edit can be undone: Delete asks nothing.
    QMenu* editMenu = bar->addMenu("&Edit");
    QAction* undo = m_history->createUndoAction(this, "&Undo");
    undo->setObjectName("vocabularyUndo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_history->createRedoAction(this, "&Redo");
    redo->setObjectName("vocabularyRedo");
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    editMenu->addAction(undo);
    editMenu->addAction(redo);
    QMenu* entry = bar->addMenu("E&ntry");
    action(entry, "vocabularyRename", "&Rename…", Qt::Key_F2, [this] { renameEntry(); });
    action(entry, "vocabularyDelete", "&Delete", QKeySequence::Delete, [this] { deleteEntry(); });
    action(entry, "vocabularyUp", "Move &Up", Qt::CTRL | Qt::Key_Up, [this] { moveEntry(true); });
    action(entry, "vocabularyDown", "Move Do&wn", Qt::CTRL | Qt::Key_Down,
           [this] { moveEntry(false); });
    action(entry, "vocabularyClearStyle", "Spell in the C&lear Style", {},
           [this] { spellClearly(); });
    action(entry, "vocabularySpeakOnChip", "Speak on &Chip", {}, [this] { speakOnChip(); });
    action(entry, "vocabularyStop", "&Stop Listening", Qt::Key_Escape, [this] {
        if (m_hooks.stopListening)
            m_hooks.stopListening();
    });
    layout()->setMenuBar(bar);
}

void VocabularyWindow::buildButtons()
{
    auto* row = new QHBoxLayout;
    for (const auto& [name, caption, accessible, slot] :
         {std::tuple{"vocabularyAddSlots", "&Add Slots…", "Add the slots as an entry",
                     &VocabularyWindow::addSlots},
          std::tuple{"vocabularyLoad", "&Load into Slots", "Load the entry into the slots",
                     &VocabularyWindow::loadIntoSlots},
          std::tuple{"vocabularyPutBack", "&Put Slots Back", "Give the entry the slots' allophones",
                     &VocabularyWindow::putSlotsBack},
          std::tuple{"vocabularyListen", "L&isten", "Listen to the entry",
                     &VocabularyWindow::listen}}) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAccessibleName(accessible);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        row->addWidget(b);
    }
    row->addStretch(1);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

Vocabulary VocabularyWindow::spelled(std::vector<Vocabulary::Problem>& problems) const
{
    Vocabulary v = m_file.vocabulary();
    VocabularySpeller(m_hooks.speller, VocabularySpeller::UserWords::With).spell(v, problems);
    return v;
}

void VocabularyWindow::refresh()
{
    const int keep = current();
    std::vector<Vocabulary::Problem> problems = m_file.problems();
    const Vocabulary v = spelled(problems);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    m_entries->show(v);
    m_numbers->setVisible(v.numbers() != Vocabulary::Numbers::None);
    m_numbers->setText(v.numbers() == Vocabulary::Numbers::British
                           ? "%numbers british: the number words, and a function that says any "
                             "number (\"one hundred and five\"), go into the header."
                           : "%numbers: the number words, and a function that says any number, "
                             "go into the header.");
    showProblems(problems, {});
    select(std::min(keep, m_entries->rowCount() - 1));
    const QString name = m_path.empty() ? "Untitled" : toQt(m_path.filename().string());
    setWindowTitle((m_modified ? "*" : "") + name + " - Vocabulary");
}

void VocabularyWindow::showProblems(const std::vector<Vocabulary::Problem>& problems,
                                    const QString& what)
{
    m_problems->clear();
    for (const Vocabulary::Problem& p : problems)
        m_problems->addItem(QString("Line %1: %2").arg(p.line).arg(toQt(p.message)));
    if (!what.isEmpty())
        say(QString("%1: %2 problem%3 in the file, listed below.")
                .arg(what)
                .arg(problems.size())
                .arg(problems.size() == 1 ? "" : "s"));
}

void VocabularyWindow::say(const QString& message)
{
    m_status->setText(message);
}

int VocabularyWindow::current() const
{
    const QList<QTableWidgetItem*> chosen = m_entries->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.front()->row();
}

void VocabularyWindow::select(int entry)
{
    if (entry >= 0 && entry < m_entries->rowCount())
        m_entries->selectRow(entry);
    else
        m_entries->clearSelection();
}

// After an edit: the problem shown, or the file marked changed and the entry selected.
bool VocabularyWindow::edit(const std::string& problem, int selectAfter, const QString& what)
{
    if (!problem.empty()) {
        say("Not changed: " + toQt(problem));
        return false;
    }
    const VocabularyEdit::Side before{m_shownText, current()};
    m_shownText = m_file.text();
    m_modified = true;
    refresh();
    select(selectAfter);
    say({});
    m_history->push(
        new VocabularyEdit(what, before, {m_shownText, selectAfter},
                           [this](const VocabularyEdit::Side& side) { restore(side); }));
    return true;
}

void VocabularyWindow::restore(const VocabularyEdit::Side& side)
{
    m_file = VocabularyFile(side.text);
    m_shownText = side.text;
    m_modified = side.text != m_savedText;
    refresh();
    select(side.selected);
    say({});
}

void VocabularyWindow::newHistory()
{
    m_shownText = m_savedText = m_file.text();
    m_history->clear();
}

QString VocabularyWindow::askName(const QString& title, const QString& name)
{
    bool given = false;
    const QString answer =
        QInputDialog::getText(this, title, "Name of the entry:", QLineEdit::Normal, name, &given);
    if (!given)
        return {};
    // What makes a C name: letters, digits and '_', spaces turned into '_'; anything else
    // (control characters, punctuation) is dropped.
    QString made;
    for (const QChar c : answer.simplified()) {
        if (c.isLetterOrNumber() || c == '_')
            made += c;
        else if (c == ' ')
            made += '_';
    }
    if (made.isEmpty() && !answer.trimmed().isEmpty())
        say("Not changed: a name is letters, digits and '_' (spaces become '_').");
    return made;
}

void VocabularyWindow::addSlots()
{
    const std::vector<std::string> slots = m_hooks.slots();
    if (slots.empty()) {
        say("Nothing to add: every slot is empty.");
        return;
    }
    const QString name = askName("Add the Slots", {});
    if (!name.isEmpty())
        edit(m_file.add(name.toStdString(), slots), static_cast<int>(m_file.size()), "Add");
}

void VocabularyWindow::addText(const QString& text)
{
    show();
    raise();
    const QString name = askName("Add the Text", text.simplified().left(40));
    if (!name.isEmpty())
        edit(m_file.addText(name.toStdString(), text.simplified().toStdString()),
             static_cast<int>(m_file.size()), "Add");
}

void VocabularyWindow::loadIntoSlots()
{
    const int e = current();
    if (e < 0)
        return;
    const std::vector<std::string> m = AllophoneTable::mnemonicsOf(m_entries->codes(e));
    if (m.size() > std::size_t(SlotRow::kSlotCount)) {
        say(QString("Too long for the slots: %1 allophones, and there are %2.")
                .arg(m.size())
                .arg(SlotRow::kSlotCount));
        return;
    }
    m_hooks.load(m);
    say(QString("'%1' is in the slots: Put Slots Back gives it what you change there.")
            .arg(toQt(m_file.vocabulary().entries()[std::size_t(e)].name)));
}

void VocabularyWindow::putSlotsBack()
{
    const int e = current();
    if (e >= 0)
        edit(m_file.setMnemonics(std::size_t(e), m_hooks.slots()), e, "Put Slots Back");
}

// The entry's allophones in the forms the listening judge heard clearest from the sample set;
// Undo, or Listen to both, is one step away.
void VocabularyWindow::spellClearly()
{
    const int e = current();
    if (e < 0)
        return;
    const std::vector<std::string> now = AllophoneTable::mnemonicsOf(m_entries->codes(e));
    const std::vector<std::string> clear = SpellingStyle::apply(SpellingStyle::Style::Clear, now);
    if (clear == now) {
        say("Already in the clear style.");
        return;
    }
    edit(m_file.setMnemonics(std::size_t(e), clear), e, "Clear Style");
}

void VocabularyWindow::renameEntry()
{
    const int e = current();
    if (e < 0)
        return;
    const QString name =
        askName("Rename the Entry", toQt(m_file.vocabulary().entries()[std::size_t(e)].name));
    if (!name.isEmpty())
        edit(m_file.rename(std::size_t(e), name.toStdString()), e, "Rename");
}

void VocabularyWindow::deleteEntry()
{
    const int e = current();
    if (e < 0)
        return;
    m_file.remove(std::size_t(e));
    edit({}, e, "Delete");
}

void VocabularyWindow::moveEntry(bool up)
{
    const int e = current();
    if (e < 0 || (up && e == 0) || (!up && e + 1 >= static_cast<int>(m_file.size())))
        return;
    m_file.move(std::size_t(e), up);
    edit({}, up ? e - 1 : e + 1, "Move");
}

void VocabularyWindow::listen()
{
    const int e = current();
    if (e < 0 || m_entries->codes(e).empty())
        return;
    m_hooks.listen(AllophoneTable::mnemonicsOf(m_entries->codes(e)));
    say(QString("Listening to '%1' (Escape stops it).")
            .arg(toQt(m_file.vocabulary().entries()[std::size_t(e)].name)));
}

void VocabularyWindow::speakOnChip()
{
    const int e = current();
    if (e >= 0)
        m_hooks.speakOnChip(m_entries->codes(e));
}

bool VocabularyWindow::open(const std::filesystem::path& file)
{
    const UserFile::Contents c = UserFile::read(file, VocabularyFile::kMaxBytes);
    if (c.status != UserFile::Status::Read) {
        say("Not opened: " + toQt(c.status == UserFile::Status::Missing
                                      ? file.string() + " does not exist"
                                      : c.problem));
        return false;
    }
    m_file = VocabularyFile(c.bytes);
    m_path = file;
    m_modified = false;
    newHistory();
    refresh();
    select(0);
    if (!m_file.problems().empty())
        showProblems(m_file.problems(), "Opened with problems");
    else
        say("Opened " + toQt(file.string()) + ".");
    LastVocabulary::remember(file);
    return true;
}

bool VocabularyWindow::saveAs(const std::filesystem::path& file)
{
    if (const std::string problem = UserFile::write(file, m_file.text()); !problem.empty()) {
        say("Not saved: " + toQt(problem));
        return false;
    }
    m_path = file;
    m_modified = false;
    m_savedText = m_file.text();
    refresh();
    say("Saved to " + toQt(file.string()) + ".");
    LastVocabulary::remember(file);
    return true;
}

bool VocabularyWindow::save()
{
    return m_path.empty() ? saveAsAsked() : saveAs(m_path);
}

bool VocabularyWindow::exportTo(const std::string& form, const std::filesystem::path& target)
{
    return m_export.write(m_file.text(), m_path, form, target);
}

void VocabularyWindow::startNew()
{
    if (!mayDiscard())
        return;
    m_file = VocabularyFile();
    m_path.clear();
    m_modified = false;
    newHistory();
    refresh();
    say("A new vocabulary: Save As names its file.");
}

void VocabularyWindow::openAsked()
{
    if (!mayDiscard())
        return;
    const QString file = QFileDialog::getOpenFileName(this, "Open a Vocabulary", {},
                                                      "Vocabularies (*.txt);;All files (*)");
    if (!file.isEmpty())
        open(file.toStdString());
}

bool VocabularyWindow::saveAsAsked()
{
    const QString file = QFileDialog::getSaveFileName(
        this, "Save the Vocabulary", toQt(m_path.string()), "Vocabularies (*.txt)");
    return !file.isEmpty() && saveAs(file.toStdString());
}

bool VocabularyWindow::mayDiscard()
{
    if (!m_modified)
        return true;
    const QString name = m_path.empty() ? "the new vocabulary" : toQt(m_path.filename().string());
    const auto answer = QMessageBox::question(
        this, "Vocabulary", "Save the changes to " + name + "?",
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void VocabularyWindow::closeEvent(QCloseEvent* event)
{
    if (!mayDiscard()) {
        event->ignore();
        return;
    }
    if (m_modified) { // discarded: the window shows the file as it is on disk next time
        m_file = VocabularyFile();
        m_modified = false;
        if (m_path.empty() || !open(m_path)) {
            newHistory();
            refresh();
        }
    }
    event->accept();
}

} // namespace tessary
