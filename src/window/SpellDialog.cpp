#include "SpellDialog.h"

#include "catalogue/AllophoneTable.h"
#include "composer/CodeFormat.h"
#include "spelling/Speller.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    m_allophones = new QLabel(this);
    m_allophones->setObjectName("spellAllophones");
    m_codes = new QLabel(this);
    m_codes->setObjectName("spellCodes");
    m_fit = new QLabel(this);
    m_fit->setObjectName("spellFit");
    for (QLabel* l : {m_allophones, m_codes, m_fit}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_allophones->setMinimumWidth(320);

    auto* form = new QFormLayout;
    form->addRow("&Text:", m_text);
    form->addRow("Allophones:", m_allophones);
    form->addRow("Codes:", m_codes);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_fit);
    layout->addWidget(m_buttons);

    connect(m_text, &QLineEdit::textChanged, this, &SpellDialog::respell);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &SpellDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &SpellDialog::reject);
    respell({});
}

bool SpellDialog::fits() const
{
    return static_cast<int>(m_spelling.size()) <= m_slotsLeft;
}

void SpellDialog::respell(const QString& text)
{
    m_spelling = m_speller.spell(text.toStdString());
    QStringList mnemonics;
    std::vector<int> codes;
    for (const std::string& m : m_spelling) {
        mnemonics << QString::fromStdString(m);
        codes.push_back(AllophoneTable::FindByMnemonic(m)->code);
    }
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
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(n > 0 && fits());
}

void SpellDialog::accept()
{
    if (m_spelling.empty() || !fits())
        return; // the message says why
    QDialog::accept();
}

} // namespace tessary
