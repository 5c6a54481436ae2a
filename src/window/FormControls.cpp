#include "FormControls.h"

#include "AuditionLabel.h"
#include "FocusSink.h"
#include "FormLayout.h"
#include "OptionStyle.h"
#include "catalogue/AllophoneTable.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace tessary {

namespace {

int px(int twips)
{
    return FormLayout::px(twips);
}

const QColor kFormBack(1, 0, 66);
const QColor kAuditionBack(128, 128, 255);
const QColor kCodeBack(192, 192, 255);

// A background of the window's own with the text that reads on it, set as a pair: the
// desktop's palette (a dark one, say) must not give light text on the light blue labels.
void paintBackground(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, colour.lightness() > 128 ? Qt::black : Qt::white);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
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

// Creation order is drawing order (later above earlier) and the default Tab order: lines and
// labels first, beneath everything; then the focusable controls in their Tab order.
void FormControls::build(QWidget* form)
{
    form->setFixedSize(px(FormLayout::kClientWidth), px(FormLayout::kClientHeight));
    QFont font("DejaVu Sans Condensed");
    font.setPixelSize(11);
    form->setFont(font);
    paintBackground(form, kFormBack);
    buildLabels(form);
    buildSpeakAndSlots(form);
    buildOptionsAndButtons(form);
    chainTabOrder();
}

void FormControls::buildLabels(QWidget* form)
{
    for (int i = 0; i < 2; ++i) {
        auto* line = new QWidget(form);
        line->setObjectName(QString("Line%1").arg(i + 2));
        line->setGeometry(px(FormLayout::kLineLeft), px(FormLayout::kLineTops[i]),
                          px(FormLayout::kLineRight) - px(FormLayout::kLineLeft), 1);
        paintBackground(line, Qt::white);
    }

    for (int k = 1; k <= AllophoneTable::kSize; ++k) {
        auto* label = captionLabel<AuditionLabel>(
            form, QString("Label%1").arg(k),
            QString::fromStdString(AllophoneTable::EntryByAuditionLabel(k)->caption),
            FormLayout::auditionAt(k));
        label->setAccessibleDescription("Click to hear it");
        auditionLabels[static_cast<std::size_t>(k - 1)] = label;
    }
    captionLabel<QLabel>(form, "Label65", "Speed",
                         QPoint(FormLayout::kSpeedLeft, FormLayout::kSpeedTop));

    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        auto* code = control<QLabel>(form, QString("Label%1").arg(69 + n));
        code->setAlignment(Qt::AlignCenter);
        code->setAccessibleName(QString("Code of slot %1").arg(n));
        code->setAccessibleDescription("No code");
        code->setFrameStyle(QFrame::Box | QFrame::Plain);
        code->setLineWidth(1);
        paintBackground(code, kCodeBack);
        codeLabels[static_cast<std::size_t>(n - 1)] = code;
    }
}

void FormControls::buildSpeakAndSlots(QWidget* form)
{
    picture = control<FocusSink>(form, "Picture1");
    // Where the keyboard focus rests after a command: what a screen reader then says.
    picture->setAccessibleName("Quorlin Tessary");
    picture->setAccessibleDescription("Press Tab to reach the controls");
    paintBackground(picture, kFormBack);
    speak = control<QPushButton>(form, "Speak", "SPEAK");
    rate = control<QLineEdit>(form, "Rate", "50");
    rate->setAlignment(Qt::AlignCenter);
    rate->setAccessibleName("Speed");
    rate->setAccessibleDescription("Milliseconds from one allophone's start to the next");
    rate->setMaxLength(3);

    // Slot boxes are drawn flat: a plain one-pixel border, no sunken edge.
    // White with black text, as a pair, whatever the desktop's palette.
    const QString flatBox("QLineEdit { border: 1px solid black; background: white; color: black;"
                          " selection-background-color: navy; selection-color: white;"
                          " padding: 0px; margin: 0px; }");
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        auto* box = control<QLineEdit>(form, QString("Text%1").arg(n));
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
        // Ctrl+Enter: the slot's allophone, as its label says it, from the keyboard.
        auto* hear = new QAction("&Hear This Allophone", box);
        hear->setObjectName("hearSlot");
        hear->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
        hear->setShortcutContext(Qt::WidgetShortcut);
        box->addAction(hear);
        slotBoxes[static_cast<std::size_t>(n - 1)] = box;
        spellHere[static_cast<std::size_t>(n - 1)] = spell;
        hearSlot[static_cast<std::size_t>(n - 1)] = hear;
    }
}

void FormControls::buildOptionsAndButtons(QWidget* form)
{
    emulate = control<QRadioButton>(form, "Emulate", "Emulate");
    emulate->setChecked(true);
    hardware = control<QRadioButton>(form, "Hardware", "Hardware");
    hardware->setEnabled(false);
    clear = control<QPushButton>(form, "Clear", "Clear All");
    copy = control<QPushButton>(form, "Copy", "Copy");
    typespeak = control<QCheckBox>(form, "Typespeak", "Type 'n' Talk");

    // The check box and option buttons paint the standard face behind their captions, with a
    // gap before the caption that leaves it whole in its fixed box under any style.
    const QPalette standard = QApplication::style()->standardPalette();
    auto* optionStyle = new OptionStyle;
    optionStyle->setParent(form);
    for (QWidget* w : {static_cast<QWidget*>(emulate), static_cast<QWidget*>(hardware),
                       static_cast<QWidget*>(typespeak)}) {
        w->setPalette(standard);
        w->setAutoFillBackground(true);
        w->setStyle(optionStyle);
    }
    for (QPushButton* b : {speak, clear, copy}) {
        b->setAutoDefault(false); // Enter and Esc press no button
        b->setDefault(false);
    }
}

void FormControls::chainTabOrder()
{
    QWidget* previous = picture;
    auto chain = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    chain(speak);
    chain(rate);
    for (QLineEdit* box : slotBoxes)
        chain(box);
    chain(emulate);
    chain(hardware);
    chain(clear);
    chain(copy);
    chain(typespeak);
}

} // namespace tessary
