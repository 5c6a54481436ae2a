#include "SpellDialog.h"

#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "spelling/Speller.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tessary {

SpellDialog::SpellDialog(const Speller& speller, int slotsLeft, QWidget* parent)
    : QDialog(parent), m_speller(speller), m_slotsLeft(slotsLeft)
{
    setObjectName("SpellDialog");
    setWindowTitle("Spell Text");
    m_text = new QLineEdit(this);
    m_text->setObjectName("spellText");
    m_text->setPlaceholderText("English words");
    m_text->setMaxLength(kMaxText);
    m_allophones = new QLabel(this);
    m_allophones->setObjectName("spellAllophones");
    // One word without spaces: a line of its own that scrolls, where a label would grow.
    m_codes = new QLineEdit(this);
    m_codes->setObjectName("spellCodes");
    m_codes->setReadOnly(true);
    m_codes->setFrame(false);
    m_fit = new QLabel(this);
    m_fit->setObjectName("spellFit");
    for (QLabel* l : {m_allophones, m_fit}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_allophones->setMinimumWidth(320);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);

    auto* form = new QFormLayout;
    form->addRow("&Text:", m_text);
    form->addRow("Allophones:", m_allophones);
    form->addRow("Codes:", m_codes);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_fit);
    layout->addWidget(m_buttons);

    connect(m_text, &QLineEdit::textChanged, m_pause, qOverload<>(&QTimer::start));
    connect(m_pause, &QTimer::timeout, this, &SpellDialog::respell);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &SpellDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &SpellDialog::reject);
    respell();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        setMaximumSize(screen->availableGeometry().size());
}

bool SpellDialog::fits() const
{
    return static_cast<int>(m_spelling.size()) <= m_slotsLeft;
}

void SpellDialog::respell()
{
    m_pause->stop();
    m_spelling = m_speller.spell(m_text->text().toStdString());
    QStringList mnemonics;
    std::vector<int> codes;
    for (const std::string& m : m_spelling) {
        if (mnemonics.size() < kShown)
            mnemonics << QString::fromStdString(m);
        codes.push_back(AllophoneTable::FindByMnemonic(m)->code);
    }
    if (static_cast<int>(m_spelling.size()) > kShown)
        mnemonics << "…";
    m_allophones->setText(mnemonics.join(' '));
    m_codes->setText(QString::fromStdString(CodeFormat::format(codes, CodeFormat::Style::Dollar)));
    const int n = static_cast<int>(m_spelling.size());
    if (n == 0)
        m_fit->setText(QString("%1 slots are left from here.").arg(m_slotsLeft));
    else if (fits())
        m_fit->setText(QString("Takes %1 of the %2 slots left.").arg(n).arg(m_slotsLeft));
    else
        m_fit->setText(
            QString("Too long: needs %1 slots, and %2 are left.").arg(n).arg(m_slotsLeft));
    if (m_text->text().size() >= kMaxText)
        m_fit->setText(m_fit->text() + QString(" The text stops at %1 characters.").arg(kMaxText));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(n > 0 && fits());
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
