#include "CopyMenu.h"

#include "vocabulary/Vocabulary.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

namespace tessary {

namespace {

void toClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace

CopyMenu::CopyMenu(QPushButton* copy, Hooks hooks)
    : QObject(copy), m_copy(copy), m_hooks(std::move(hooks))
{
    m_copy->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_copy, &QPushButton::clicked, this, &CopyMenu::copyCodeString);
    connect(addAction("copyAsC", "Copy as &C Array…"), &QAction::triggered, this,
            [this] { copyNamedArray(false); });
    connect(addAction("copyAsArduino", "Copy as A&rduino entry…"), &QAction::triggered, this,
            [this] { copyNamedArray(true); });
    for (const auto& [name, caption, style] :
         {std::tuple{"copyAsHex", "Copy as &Hex Bytes", CodeFormat::Style::Hex},
          std::tuple{"copyAsDecimal", "Copy as &Decimal", CodeFormat::Style::Dec},
          std::tuple{"copyAsBasic", "Copy as &BASIC DATA", CodeFormat::Style::Basic}}) {
        connect(addAction(name, caption), &QAction::triggered, this,
                [this, style = style] { copyCodesAs(style); });
    }
}

QAction* CopyMenu::addAction(const char* name, const char* caption)
{
    auto* action = new QAction(caption, m_copy);
    action->setObjectName(name);
    m_copy->addAction(action);
    return action;
}

void CopyMenu::copyCodeString()
{
    m_hooks.commandDone();
    m_codeString = QString::fromStdString(m_hooks.codeString());
    toClipboard(m_codeString);
    showCopied(m_codeString);
}

void CopyMenu::copyCodesAs(CodeFormat::Style style)
{
    m_hooks.commandDone();
    const QString text = QString::fromStdString(CodeFormat::format(m_hooks.codes(), style));
    toClipboard(text);
    showCopied(text);
}

void CopyMenu::showCopied(const QString& text)
{
    // Beneath Copy, briefly: what the clipboard now holds, its first line.
    m_copied = text.isEmpty() ? QString("Copied nothing: no slot has a code")
                              : "Copied: " + m_copy->fontMetrics().elidedText(
                                                 text.section('\n', 0, 0), Qt::ElideRight, 400);
    QToolTip::showText(m_copy->mapToGlobal(QPoint(0, m_copy->height())), m_copied, m_copy, QRect(),
                       2500);
}

void CopyMenu::copyNamedArray(bool arduino)
{
    bool given = false;
    const QString name = QInputDialog::getText(
        m_copy->window(), arduino ? "Copy as Arduino entry" : "Copy as C Array",
        "Name of the array:", QLineEdit::Normal, m_arrayName, &given);
    m_hooks.commandDone();
    if (!given)
        return;
    // Made a C identifier: letters, digits and underscores, never a keyword.
    m_arrayName = QString::fromStdString(Vocabulary::identifier(name.trimmed().toStdString()));
    const QString text = QString::fromStdString(
        CodeFormat::namedArray(m_hooks.codes(), m_arrayName.toStdString(), arduino));
    toClipboard(text);
    showCopied(text);
}

} // namespace tessary
