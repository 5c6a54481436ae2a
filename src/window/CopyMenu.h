#pragma once

#include "composer/CodeFormat.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QPushButton;

namespace tessary {

// Copy and its context menu: the slots' codes onto the clipboard as the code string, in a
// firmware's format, or as an array under a name the user gives.
class CopyMenu : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        std::function<std::string()> codeString; // the joined code string, "$1B$07..."
        std::function<std::vector<int>()> codes; // the codes of the slots that have one
        std::function<void()> commandDone;       // the focus rule, after every command
    };
    // The actions go on `copy`'s context menu; its click copies the code string.
    CopyMenu(QPushButton* copy, Hooks hooks);

    // The last code string Copy put on the clipboard.
    const QString& codeString() const { return m_codeString; }
    // What the last copy showed beside the button.
    const QString& copiedNote() const { return m_copied; }

private:
    void copyCodeString();
    void copyCodesAs(CodeFormat::Style style);
    // "Copy as C Array…" and "Copy as Arduino entry…": a PROGMEM array and its length for
    // the Arduino.
    void copyNamedArray(bool arduino);
    QAction* addAction(const char* name, const char* caption);
    void showCopied(const QString& text);

    QPushButton* m_copy;
    Hooks m_hooks;
    QString m_codeString;        // CodeString
    QString m_arrayName{"word"}; // the last name an array was copied under
    QString m_copied;
};

} // namespace tessary
