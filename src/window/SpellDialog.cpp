#include "SpellDialog.h"

#include "Placement.h"

#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "files/UserFile.h"
#include "spelling/Speller.h"
#include "spelling/WordCutter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <set>

namespace tessary {

namespace {

// The words a user can pick a spelling for: the words the speller looks up, in any letter
// case, each once, in order.
std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words;
    std::set<std::string> seen;
    for (const WordCutter::Word& cut : WordCutter::cut(text)) {
        std::string w(cut.word);
        for (char& c : w)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!w.empty() && std::isalpha(static_cast<unsigned char>(w.front())) &&
            seen.insert(w).second)
            words.push_back(w);
    }
    return words;
}

std::vector<std::string> withoutTrailingPauses(std::vector<std::string> s)
{
    while (!s.empty() && AllophoneTable::isPause(s.back()))
        s.pop_back();
    return s;
}

QString joined(const std::vector<std::string>& mnemonics)
{
    QStringList out;
    for (const std::string& m : mnemonics)
        out << QString::fromStdString(m);
    return out.join(' ');
}

} // namespace

SpellDialog::SpellDialog(const Speller& speller, int slotsLeft, QWidget* parent)
    : QDialog(parent), m_speller(speller), m_slotsLeft(slotsLeft)
{
    setObjectName("SpellDialog");
    setWindowTitle("Spell Text");
    buildFields();
    buildPicking();
    layOut();
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        // Cut at kMaxText, as a one-line box's maximum length would: a pasted book stops there.
        if (m_text->document()->characterCount() - 1 >= kMaxText) {
            QTextCursor cut(m_text->document());
            cut.setPosition(kMaxText);
            cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cut.removeSelectedText();
        }
        m_pause->start();
    });
    connect(m_pause, &QTimer::timeout, this, &SpellDialog::respell);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &SpellDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &SpellDialog::reject);
    connect(m_listen, &QPushButton::clicked, this, &SpellDialog::listen);
    connect(m_words, &QComboBox::currentIndexChanged, this, &SpellDialog::fillAlternatives);
    connect(m_alternatives, &QComboBox::activated, this, &SpellDialog::pick);
    // A spelling is heard as it is highlighted in the list, before it is picked.
    connect(m_alternatives, &QComboBox::highlighted, this, [this](int index) {
        if (m_listener && index >= 0 && index < static_cast<int>(m_shownAlternatives.size()))
            m_listener(m_shownAlternatives[static_cast<std::size_t>(index)]);
    });
    connect(m_save, &QPushButton::clicked, this, &SpellDialog::save);
    connect(m_toVocabulary, &QPushButton::clicked, this, [this] {
        if (m_pause->isActive())
            respell();
        if (m_vocabularyAdder && !m_spelling.empty()) {
            m_vocabularyAdder(text());
            reject(); // nothing goes into the slots
        }
    });
    respell();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        setMaximumSize(screen->availableGeometry().size());
    // Beside the slots it is about to fill, not over them; as small as shows every line, and
    // the boxes grow with the dialog.
    adjustSize();
    resize(width(), minimumSizeHint().height());
    Placement::beside(this, parent);
}

// The text, and what it spells: allophones, codes, how it fits the slots.
void SpellDialog::buildFields()
{
    // A paragraph, wrapped over as many lines as the dialog gives it (two at the least).
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("spellText");
    m_text->setPlaceholderText("English words");
    m_text->setTabChangesFocus(true);
    m_text->setWordWrapMode(QTextOption::WordWrap);
    m_text->setMinimumHeight(5 * m_text->fontMetrics().lineSpacing() / 2 +
                             2 * m_text->frameWidth() +
                             static_cast<int>(2 * m_text->document()->documentMargin()));
    m_text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_text->installEventFilter(this);
    // The spelling and its codes wrap within three lines and scroll past them, so that the
    // dialog keeps its size however long the text: the codes, one word without spaces,
    // wrap anywhere.
    m_allophones = spellingView("spellAllophones", "Allophones", QTextOption::WordWrap);
    m_codes = spellingView("spellCodes", "Codes", QTextOption::WrapAnywhere);
    m_fit = new QLabel(this);
    m_fit->setObjectName("spellFit");
    m_fit->setWordWrap(true);
    m_fit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
}

QPlainTextEdit* SpellDialog::spellingView(const QString& name, const QString& accessible,
                                          QTextOption::WrapMode wrap)
{
    auto* view = new QPlainTextEdit(this);
    view->setObjectName(name);
    view->setAccessibleName(accessible);
    view->setReadOnly(true);
    view->setWordWrapMode(wrap);
    view->setTabChangesFocus(true);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const QFontMetrics metrics(view->font());
    view->setMinimumWidth(metrics.horizontalAdvance(QString(48, 'm')));
    // Three whole lines at the least, with the half line QPlainTextEdit's layout may take; a
    // larger dialog gives the boxes its room.
    view->setMinimumHeight(7 * metrics.lineSpacing() / 2 + 2 * view->frameWidth() +
                           static_cast<int>(2 * view->document()->documentMargin()));
    view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return view;
}

// Another spelling of one of the text's words, and saving the picks.
void SpellDialog::buildPicking()
{
    m_words = new QComboBox(this);
    m_words->setObjectName("spellWord");
    m_words->setAccessibleName("Word to spell another way");
    // As wide as the longest word of the text.
    m_words->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_alternatives = new QComboBox(this);
    m_alternatives->setObjectName("spellAlternative");
    m_alternatives->setAccessibleName("Its spellings");
    // Wide enough for a short word's spelling and its code string; the list shows them whole.
    m_alternatives->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_alternatives->setMinimumContentsLength(36);
    m_save = new QPushButton("&Save to My Words", this);
    m_save->setObjectName("spellSave");
    m_save->setEnabled(false);
    m_saveResult = new QLabel(this);
    m_saveResult->setObjectName("spellSaved");
    m_saveResult->setWordWrap(true);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_listen = m_buttons->addButton("&Listen", QDialogButtonBox::ActionRole);
    m_listen->setObjectName("spellListen");
    m_listen->setEnabled(false);
    // A text too long for the slots is not a dead end: it becomes a vocabulary entry.
    m_toVocabulary = m_buttons->addButton("Add to &Vocabulary…", QDialogButtonBox::ActionRole);
    m_toVocabulary->setObjectName("spellToVocabulary");
    m_toVocabulary->setVisible(false);
}

void SpellDialog::layOut()
{
    auto* picking = new QHBoxLayout;
    picking->addWidget(m_words);
    picking->addWidget(m_alternatives, 1);
    picking->addWidget(m_save);

    auto* form = new QFormLayout;
    form->addRow("&Text:", m_text);
    form->addRow("Allophones:", m_allophones);
    form->addRow("Codes:", m_codes);
    // A row of several controls: the label's mnemonic goes to the word, its first.
    auto* pickLabel = new QLabel("Spell &word as:", this);
    pickLabel->setBuddy(m_words);
    form->addRow(pickLabel, picking);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(m_fit);
    layout->addWidget(m_saveResult);
    layout->addWidget(m_buttons);
}

void SpellDialog::setListener(Listener listener)
{
    m_listener = std::move(listener);
    m_listen->setEnabled(m_listener && !m_spelling.empty());
}

void SpellDialog::setVocabularyAdder(std::function<void(const QString& text)> adder)
{
    m_vocabularyAdder = std::move(adder);
    m_toVocabulary->setVisible(static_cast<bool>(m_vocabularyAdder));
    m_toVocabulary->setEnabled(!m_spelling.empty());
}

void SpellDialog::setWordFile(std::filesystem::path file)
{
    m_wordFile = std::move(file);
    m_save->setEnabled(!m_wordFile.empty() && !m_picks.empty());
}

bool SpellDialog::fits() const
{
    return static_cast<int>(m_spelling.size()) <= m_slotsLeft;
}

void SpellDialog::respell()
{
    m_pause->stop();
    m_spelling = m_speller.spell(text().toStdString(), m_picked);
    m_allophones->setPlainText(joined(m_spelling));
    m_codes->setPlainText(QString::fromStdString(
        CodeFormat::format(AllophoneTable::codesOf(m_spelling), CodeFormat::Style::Dollar)));
    const int n = static_cast<int>(m_spelling.size());
    if (n == 0)
        m_fit->setText(QString("%1 slots are left from here.").arg(m_slotsLeft));
    else if (fits())
        m_fit->setText(QString("Takes %1 of the %2 slots left.").arg(n).arg(m_slotsLeft));
    else
        m_fit->setText(QString("Too long: needs %1 slots, and %2 are left.%3")
                           .arg(n)
                           .arg(m_slotsLeft)
                           .arg(m_vocabularyAdder ? " Add it to the vocabulary instead." : ""));
    if (m_text->document()->characterCount() - 1 >= kMaxText)
        m_fit->setText(m_fit->text() + QString(" The text stops at %1 characters.").arg(kMaxText));
    if (!m_speller.available())
        m_fit->setText(m_fit->text() + " Nothing spells: espeak-ng's English data could not be "
                                       "loaded (package espeak-ng-data).");
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(n > 0 && fits());
    m_listen->setEnabled(m_listener && n > 0);
    m_toVocabulary->setEnabled(n > 0);
    fillWords();
}

void SpellDialog::listen()
{
    if (m_pause->isActive())
        respell();
    if (m_listener && !m_spelling.empty())
        m_listener(m_spelling);
}

void SpellDialog::fillWords()
{
    QStringList words;
    for (const std::string& w : wordsOf(text().toStdString()))
        words << QString::fromStdString(w);
    QStringList had;
    for (int i = 0; i < m_words->count(); ++i)
        had << m_words->itemText(i);
    if (words == had)
        return;
    const QString current = m_words->currentText();
    const QSignalBlocker quiet(m_words);
    m_words->clear();
    m_words->addItems(words);
    m_words->setCurrentIndex(std::max(0, static_cast<int>(words.indexOf(current))));
    fillAlternatives();
}

void SpellDialog::fillAlternatives()
{
    m_alternatives->clear();
    m_shownAlternatives.clear();
    const std::string word = m_words->currentText().toStdString();
    if (word.empty())
        return;
    // The first is how the word list or the rules spell it; a pick is one of the others.
    // Without the pause that ends the word alone: in the text, the next word decides it.
    for (std::vector<std::string>& s : m_speller.wordAlternatives(word))
        m_shownAlternatives.push_back(withoutTrailingPauses(std::move(s)));
    const auto picked = m_picks.find(word);
    int current = 0;
    for (std::size_t i = 0; i < m_shownAlternatives.size(); ++i) {
        const std::vector<std::string>& s = m_shownAlternatives[i];
        m_alternatives->addItem(joined(s) + "   " +
                                QString::fromStdString(CodeFormat::format(
                                    AllophoneTable::codesOf(s), CodeFormat::Style::Dollar)));
        if (picked != m_picks.end() && s == picked->second)
            current = static_cast<int>(i);
    }
    m_alternatives->setCurrentIndex(current);
}

void SpellDialog::pick(int index)
{
    const std::string word = m_words->currentText().toStdString();
    if (word.empty() || index < 0 || index >= static_cast<int>(m_shownAlternatives.size()))
        return;
    if (index == 0)
        m_picks.erase(word);
    else
        m_picks[word] = m_shownAlternatives[std::size_t(index)];
    std::string lines;
    for (const auto& [w, mnemonics] : m_picks)
        lines += w + " " + joined(mnemonics).toStdString() + "\n";
    std::vector<WordList::Problem> problems;
    m_picked = WordList();
    m_picked.add(lines, problems);
    m_save->setEnabled(!m_wordFile.empty() && !m_picks.empty());
    respell();
}

// The picks go at the end of the user's word list, where they override what came before; a
// word's older lines go, so that each word stands in the list once.
void SpellDialog::save()
{
    UserFile::Contents had = UserFile::read(m_wordFile, WordList::kMaxFileBytes);
    QString result;
    std::vector<std::pair<std::string, std::string>> picks;
    for (const auto& [w, mnemonics] : m_picks)
        picks.emplace_back(w, joined(mnemonics).toStdString());
    const std::string text = WordList::withSpellings(had.bytes, picks);
    if (had.status == UserFile::Status::Refused) {
        result = QString("Not saved: %1").arg(QString::fromStdString(had.problem));
    } else if (text.size() > WordList::kMaxFileBytes) {
        // A list past the limit would be skipped whole on the next start.
        result = QString("Not saved: the word list would pass its limit of %1")
                     .arg(QString::fromStdString(UserFile::describeSize(WordList::kMaxFileBytes)));
    } else {
        std::error_code ec;
        std::filesystem::create_directories(m_wordFile.parent_path(), ec);
        const std::string problem = UserFile::write(m_wordFile, text);
        m_saved = problem.empty();
        result = m_saved ? QString("Saved to %1.").arg(QString::fromStdString(m_wordFile.string()))
                         : QString("Not saved: %1").arg(QString::fromStdString(problem));
    }
    m_saveResult->setText(result);
}

QString SpellDialog::text() const
{
    return m_text->toPlainText();
}

bool SpellDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ShiftModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SpellDialog::accept()
{
    if (m_pause->isActive())
        respell(); // what was typed last counts
    if (m_spelling.empty() || !fits())
        return; // the message says why
    QDialog::accept();
}

} // namespace tessary
