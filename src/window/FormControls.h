#pragma once

#include "composer/SlotRow.h"

#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessary {

class AuditionLabel;
class FocusSink;

// Form1's controls as the original draws them: made on the form, named, placed where
// FormLayout puts them, coloured and chained in their Tab order. What they do is the window's.
struct FormControls
{
    // Makes them all on `form` (their parent, which owns them) and sizes the form.
    void build(QWidget* form);

    std::array<QLineEdit*, SlotRow::kSlotCount> slotBoxes{}; // Text1..Text30
    std::array<QAction*, SlotRow::kSlotCount> spellHere{};   // each slot's "Spell Text Here…"
    std::array<QAction*, SlotRow::kSlotCount> hearSlot{};    // each slot's allophone, heard
    std::array<QLabel*, SlotRow::kSlotCount> codeLabels{};   // Label70..Label99
    std::array<AuditionLabel*, 64> auditionLabels{};         // Label1..Label64
    FocusSink* picture = nullptr;                            // Picture1
    QPushButton* speak = nullptr;
    QPushButton* copy = nullptr;
    QPushButton* clear = nullptr;
    QCheckBox* typespeak = nullptr;
    QLineEdit* rate = nullptr;
    QRadioButton* emulate = nullptr;
    QRadioButton* hardware = nullptr;

private:
    void buildLabels(QWidget* form);
    void buildSpeakAndSlots(QWidget* form);
    void buildOptionsAndButtons(QWidget* form);
    void chainTabOrder();
};

} // namespace tessary
