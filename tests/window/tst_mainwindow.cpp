#include "catalogue/AllophoneTable.h"
#include "support/RecordingPlayer.h"
#include "support/WindowTest.h"
#include "window/CopyMenu.h"
#include "window/FormLayout.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using namespace tessary;
using tessary::testing::RecordingPlayer;

namespace {

// Caption widths in the original dialog font, Label1..Label64.
const int kAuditionWidths[64] = {975,  975, 975, 975, 975, 600, 600, 780, 750, 660, 990, 615, 1065,
                                 1065, 870, 870, 675, 825, 825, 645, 825, 615, 615, 750, 675, 720,
                                 885,  750, 675, 765, 480, 570, 810, 795, 705, 840, 675, 690, 885,
                                 780,  675, 750, 795, 630, 660, 840, 825, 675, 660, 720, 630, 675,
                                 750,  705, 870, 660, 795, 840, 825, 720, 705, 705, 765, 630};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void frame();
    void geometry_data();
    void geometry();
    void auditionLabelsFollowTheirCaptions();
    void neighboursShareOneEdge();
    void captionsAndColours_data();
    void captionsAndColours();
    void startUpState();
    void boxesHoldThreeCharacters_data();
    void boxesHoldThreeCharacters();
    void tabOrderWraps();
    void focusAfterCommands_data();
    void focusAfterCommands();
    void auditionClickLeavesFocusAndPlays_data();
    void auditionClickLeavesFocusAndPlays();
    void otherLabelsPlayNothing();
    void hardwareCannotBeSelected();
    void enterAndEscPressNoButton_data();
    void enterAndEscPressNoButton();
    void picture1IgnoresTyping();
    void spaceOnTypeAndTalkTogglesOnce();
    void slotEditsShowCodes();
    void typeAndTalkPlaysWhileTyping();
    void clearAllEmptiesTheRow();
    void undoAndRedo_data();
    void undoAndRedo();
    void aDarkPaletteKeepsEveryTextReadable();
    void escapeStopsSpeak();
    void theKeyboardHearsASlot_data();
    void theKeyboardHearsASlot();
    void copySaysWhatItCopied();
    void captionsFitUnderEveryStyle_data();
    void captionsFitUnderEveryStyle();

private:
    template <typename T = QWidget> T* find(const QString& name) const
    {
        return tessary::testing::control<T>(m_window.get(), name);
    }
    static QString focused() { return tessary::testing::focusedName(); }

    QStringList m_plays;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    m_plays.clear();
    m_window = std::make_unique<MainWindow>(SampleSet("/set/"),
                                            std::make_unique<RecordingPlayer>(&m_plays));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
}

void TestMainWindow::frame()
{
    QCOMPARE(m_window->objectName(), QString("Form1"));
    QCOMPARE(m_window->windowTitle(), QString("Quorlin Tessary"));
    QCOMPARE(m_window->size(), QSize(375, 454));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize()); // cannot be resized
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    // Set once the window is up.
    QTRY_VERIFY(!m_window->windowIcon().isNull());
    QVERIFY(!m_window->windowIcon().pixmap(32, 32).isNull());
}

// Every control of the layout's table, of its kind, where the table puts it.
void TestMainWindow::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<FormLayout::Box>("box");

    const QMap<QString, QString> kinds = {
        {"Clear", "QPushButton"},     {"Typespeak", "QCheckBox"},
        {"Copy", "QPushButton"},      {"Rate", "QLineEdit"},
        {"Speak", "QPushButton"},     {"Emulate", "QRadioButton"},
        {"Hardware", "QRadioButton"}, {"Picture1", "tessary::FocusSink"}};
    for (const FormLayout::Control& c : FormLayout::controls()) {
        const QString kind =
            kinds.value(c.name, c.name.startsWith("Text") ? "QLineEdit" : "QLabel");
        QTest::newRow(qPrintable(c.name)) << c.name << kind << c.box;
    }
    QCOMPARE(FormLayout::controls().size(), std::size_t(8 + 30 + 30));
    // Spot checks of the table against the original form: the first and last slot of each
    // row, the shifted slots 22-27, and the codes' 330-twip step.
    QCOMPARE(FormLayout::box("Text15").left, 5138);
    QCOMPARE(FormLayout::box("Text22").left, 2265);
    QCOMPARE(FormLayout::box("Text28").left, 4418);
    QCOMPARE(FormLayout::box("Text16").top, 420);
    QCOMPARE(FormLayout::box("Label99").left, 300 + 330 * 14);
}

void TestMainWindow::geometry()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(FormLayout::Box, box);
    QWidget* w = find(name);
    QCOMPARE(QString(w->metaObject()->className()), kind);
    const QRect g = w->geometry();
    // Edges rounded to the nearest pixel, so sizes are within a pixel.
    const QString got =
        QString("got %1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    QVERIFY2(std::abs(g.x() - box.left / 15.0) <= 0.5, qPrintable(got));
    QVERIFY2(std::abs(g.y() - box.top / 15.0) <= 0.5, qPrintable(got));
    QVERIFY2(std::abs(g.width() - box.width / 15.0) <= 1.0, qPrintable(got));
    QVERIFY2(std::abs(g.height() - box.height / 15.0) <= 1.0, qPrintable(got));
    QVERIFY(w->isVisible());
}

void TestMainWindow::auditionLabelsFollowTheirCaptions()
{
    int withinOne = 0;
    int worst = 0;
    for (int k = 1; k <= 64; ++k) {
        auto* label = find<QLabel>(QString("Label%1").arg(k));
        const QString caption =
            QString::fromStdString(AllophoneTable::EntryByAuditionLabel(k)->caption);
        QCOMPARE(label->text(), caption);
        const QPoint at = FormLayout::auditionAt(k);
        QCOMPARE(label->pos(), QPoint(qRound(at.x() / 15.0), qRound(at.y() / 15.0)));
        QCOMPARE(label->height(), 13);
        // Sized to the caption in the window's font, which is what the table's widths are too.
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(caption));
        QVERIFY(label->width() <= label->fontMetrics().horizontalAdvance(caption) + 2);
        QVERIFY(label->alignment() & Qt::AlignLeft);
        const int off = std::abs(label->width() - qRound(kAuditionWidths[k - 1] / 15.0));
        withinOne += off <= 1;
        worst = std::max(worst, off);
    }
    qInfo("audition captions within 1 px of the table: %d of 64, worst %d px", withinOne, worst);
}

void TestMainWindow::neighboursShareOneEdge()
{
    for (int n = 1; n <= 30; ++n) {
        if (n % 15 == 0)
            continue;
        const QRect a = find(QString("Text%1").arg(n))->geometry();
        const QRect b = find(QString("Text%1").arg(n + 1))->geometry();
        QVERIFY2(b.left() <= a.right() && b.left() >= a.right() - 1,
                 qPrintable(QString::number(n)));
        const QRect c = find(QString("Label%1").arg(69 + n))->geometry();
        const QRect d = find(QString("Label%1").arg(70 + n))->geometry();
        QCOMPARE(d.left(), c.right()); // a 15-twip overlap is one pixel
    }
    // Picture1 lies wholly behind SPEAK, which is drawn above it.
    QVERIFY(find("Speak")->geometry().contains(find("Picture1")->geometry()));
    const QObjectList& kids = m_window->children();
    QVERIFY(kids.indexOf(find("Speak")) > kids.indexOf(find("Picture1")));
    QVERIFY(kids.indexOf(find("Hardware")) > kids.indexOf(find("Emulate")));
}

void TestMainWindow::captionsAndColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("background"); // invalid: not checked

    QTest::newRow("Form1") << "Form1"
                           << "" << QColor(1, 0, 66);
    QTest::newRow("Picture1 matches the form") << "Picture1"
                                               << "" << QColor(1, 0, 66);
    QTest::newRow("Clear") << "Clear"
                           << "Clear All" << QColor();
    QTest::newRow("Copy") << "Copy"
                          << "Copy" << QColor();
    QTest::newRow("Speak") << "Speak"
                           << "SPEAK" << QColor();
    QTest::newRow("Typespeak") << "Typespeak"
                               << "Type 'n' Talk" << QColor();
    QTest::newRow("Emulate") << "Emulate"
                             << "Emulate" << QColor();
    QTest::newRow("Hardware") << "Hardware"
                              << "Hardware" << QColor();
    QTest::newRow("Label65") << "Label65"
                             << "Speed" << QColor(128, 128, 255);
    QTest::newRow("Rate") << "Rate"
                          << "50" << QColor();
    QTest::newRow("Label1") << "Label1"
                            << "PA1 - PAUSE" << QColor(128, 128, 255);
    QTest::newRow("Label70") << "Label70"
                             << "" << QColor(192, 192, 255);
    QTest::newRow("Label99") << "Label99"
                             << "" << QColor(192, 192, 255);
    QTest::newRow("Line2") << "Line2"
                           << "" << QColor(255, 255, 255);
    QTest::newRow("Line3") << "Line3"
                           << "" << QColor(255, 255, 255);
}

void TestMainWindow::captionsAndColours()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QColor, background);
    QWidget* w = name == "Form1" ? m_window.get() : find(name);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(b->text(), text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        QCOMPARE(l->text(), text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        QCOMPARE(e->text(), text);
    if (background.isValid()) {
        QVERIFY(w->autoFillBackground());
        QCOMPARE(w->palette().color(QPalette::Window), background);
        // What is on screen, not only the palette: the colour most of the control shows.
        const QImage shot = w->grab().toImage();
        QHash<QRgb, int> counts;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ++counts[shot.pixel(x, y)];
        QRgb most = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(most))
                most = it.key();
        QCOMPARE(QColor(most), background);
    }
}

void TestMainWindow::startUpState()
{
    QCOMPARE(focused(), QString("Picture1"));
    QCOMPARE(m_window->stepInterval(), 50);
    QVERIFY(!find<QTimer>("Timer1")->isActive());
    QVERIFY(find<QRadioButton>("Emulate")->isChecked());
    QVERIFY(!find<QRadioButton>("Hardware")->isEnabled());
    QVERIFY(!find<QCheckBox>("Typespeak")->isChecked());
    for (int n = 1; n <= 30; ++n)
        QVERIFY(find<QLineEdit>(QString("Text%1").arg(n))->text().isEmpty());
    QVERIFY(m_plays.isEmpty());
}

void TestMainWindow::boxesHoldThreeCharacters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("kept");
    QTest::newRow("typing into Text1") << "Text1" << false << "kk3x"
                                       << "kk3";
    QTest::newRow("typing into Text30") << "Text30" << false << "abcdef"
                                        << "abc";
    QTest::newRow("pasting into Text2") << "Text2" << true << "hh1eh"
                                        << "hh1";
    QTest::newRow("typing into Rate") << "Rate" << false << "1234"
                                      << "123";
    QTest::newRow("pasting into Rate") << "Rate" << true << "99999"
                                       << "999";
}

void TestMainWindow::boxesHoldThreeCharacters()
{
    QFETCH(QString, box);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, kept);
    auto* edit = find<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    if (paste) {
        QApplication::clipboard()->setText(input);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(edit, input);
    }
    QCOMPARE(edit->text(), kept);
}

void TestMainWindow::tabOrderWraps()
{
    QStringList expected{"Speak", "Rate"};
    for (int n = 1; n <= 30; ++n)
        expected << QString("Text%1").arg(n);
    expected << "Emulate"
             << "Clear"
             << "Copy"
             << "Typespeak"
             << "Picture1"
             << "Speak";

    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << focused();
    }
    QCOMPARE(seen, expected);
}

void TestMainWindow::focusAfterCommands_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("Clear All") << "Clear";
    QTest::newRow("Copy") << "Copy";
    QTest::newRow("SPEAK") << "Speak";
    QTest::newRow("Type 'n' Talk") << "Typespeak";
}

void TestMainWindow::focusAfterCommands()
{
    QFETCH(QString, control);
    auto* slot = find<QLineEdit>("Text5");
    QTest::mouseClick(slot, Qt::LeftButton);
    QCOMPARE(focused(), QString("Text5"));
    QTest::mouseClick(find(control), Qt::LeftButton);
    QCOMPARE(focused(), QString("Picture1"));
}

void TestMainWindow::auditionClickLeavesFocusAndPlays_data()
{
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("path");
    QTest::newRow("Label29 HH1") << 29 << "/set/hh1.wav";
    QTest::newRow("Label44 OY") << 44 << "/set/oy.wav";
    QTest::newRow("Label50 TT1") << 50 << "/set/tt1.wav";
    QTest::newRow("Label52 TH") << 52 << "/set/th.wav";
    QTest::newRow("Label1 PA1") << 1 << "/set/pa1.wav";
}

void TestMainWindow::auditionClickLeavesFocusAndPlays()
{
    QFETCH(int, label);
    QFETCH(QString, path);
    auto* slot = find<QLineEdit>("Text3");
    QTest::mouseClick(slot, Qt::LeftButton);
    QTest::keyClicks(slot, "e");
    QTest::mouseClick(find(QString("Label%1").arg(label)), Qt::LeftButton);
    QTest::mouseClick(find(QString("Label%1").arg(label)), Qt::LeftButton);
    QCOMPARE(m_plays, (QStringList{path, path}));
    QCOMPARE(focused(), QString("Text3"));
    QTest::keyClicks(QApplication::focusWidget(), "h"); // typing goes on in the same box
    QCOMPARE(slot->text(), QString("eh"));
}

void TestMainWindow::otherLabelsPlayNothing()
{
    for (const char* name : {"Label65", "Label70", "Label99", "Line2"})
        QTest::mouseClick(find(name), Qt::LeftButton);
    QVERIFY(m_plays.isEmpty());
}

void TestMainWindow::hardwareCannotBeSelected()
{
    auto* hardware = find<QRadioButton>("Hardware");
    auto* emulate = find<QRadioButton>("Emulate");
    QTest::mouseClick(hardware, Qt::LeftButton);
    QTest::mouseClick(emulate, Qt::LeftButton);
    emulate->setFocus();
    QTest::keyClick(emulate, Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(emulate->isChecked());
    QVERIFY(!hardware->isChecked());
    QVERIFY(!hardware->hasFocus());
}

void TestMainWindow::enterAndEscPressNoButton_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter on Picture1") << "Picture1" << int(Qt::Key_Return);
    QTest::newRow("Esc on Picture1") << "Picture1" << int(Qt::Key_Escape);
    QTest::newRow("Enter on Clear All") << "Clear" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on Clear All") << "Clear" << int(Qt::Key_Enter);
    QTest::newRow("Esc on Clear All") << "Clear" << int(Qt::Key_Escape);
    QTest::newRow("Enter in a slot") << "Text2" << int(Qt::Key_Return);
}

void TestMainWindow::enterAndEscPressNoButton()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    find<QLineEdit>("Text1")->setText("hh1");
    QSignalSpy clears(find<QPushButton>("Clear"), &QPushButton::clicked);
    QSignalSpy copies(find<QPushButton>("Copy"), &QPushButton::clicked);
    QSignalSpy speaks(find<QPushButton>("Speak"), &QPushButton::clicked);
    find(focus)->setFocus();
    QTest::keyClick(find(focus), Qt::Key(key));
    QCOMPARE(clears.count() + copies.count() + speaks.count(), 0);
    QCOMPARE(find<QLineEdit>("Text1")->text(), QString("hh1"));
}

void TestMainWindow::picture1IgnoresTyping()
{
    QCOMPARE(focused(), QString("Picture1"));
    QTest::keyClicks(find("Picture1"), "hh1 ");
    for (int n = 1; n <= 30; ++n)
        QVERIFY(m_window->slotRow().SlotText(n).empty());
    QCOMPARE(find<QLineEdit>("Rate")->text(), QString("50"));
    QCOMPARE(focused(), QString("Picture1"));
}

void TestMainWindow::spaceOnTypeAndTalkTogglesOnce()
{
    auto* box = find<QCheckBox>("Typespeak");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->isChecked());
    QCOMPARE(focused(), QString("Picture1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(box->isChecked());
}

void TestMainWindow::slotEditsShowCodes()
{
    auto* text1 = find<QLineEdit>("Text1");
    auto* text30 = find<QLineEdit>("Text30");
    QTest::mouseClick(text1, Qt::LeftButton);
    QTest::keyClicks(text1, "hh1");
    QCOMPARE(find<QLabel>("Label70")->text(), QString("$1B"));
    QTest::keyClick(text1, Qt::Key_Backspace);
    QCOMPARE(find<QLabel>("Label70")->text(), QString("$1B")); // "hh" keeps the last code
    text30->setText("oy"); // the program's own assignment counts as a change too
    QCOMPARE(find<QLabel>("Label99")->text(), QString("$05"));
    QCOMPARE(find<QLabel>("Label98")->text(), QString());
    QCOMPARE(m_window->slotRow().speakEntry(30), std::string("oy"));
    QCOMPARE(focused(), QString("Text1")); // a slot change moves no focus
    QVERIFY(m_plays.isEmpty());
}

void TestMainWindow::typeAndTalkPlaysWhileTyping()
{
    QTest::mouseClick(find("Typespeak"), Qt::LeftButton);
    auto* text2 = find<QLineEdit>("Text2");
    QTest::mouseClick(text2, Qt::LeftButton);
    QTest::keyClicks(text2, "eh");
    QCOMPARE(m_plays, (QStringList{"/set/e.wav", "/set/eh.wav"}));
    QTest::mouseClick(find("Typespeak"), Qt::LeftButton);
    QTest::mouseClick(text2, Qt::LeftButton);
    QTest::keyClick(text2, Qt::Key_Backspace);
    QCOMPARE(m_plays.size(), 2);
}

void TestMainWindow::clearAllEmptiesTheRow()
{
    for (int n = 1; n <= 30; ++n)
        find<QLineEdit>(QString("Text%1").arg(n))->setText("pa1");
    find<QLineEdit>("Rate")->setText("7");
    QTest::mouseClick(find("Typespeak"), Qt::LeftButton);
    m_plays.clear();

    QTest::mouseClick(find("Clear"), Qt::LeftButton);
    for (int n = 1; n <= 30; ++n) {
        QVERIFY(find<QLineEdit>(QString("Text%1").arg(n))->text().isEmpty());
        QVERIFY(find<QLabel>(QString("Label%1").arg(69 + n))->text().isEmpty());
        QVERIFY(m_window->slotRow().speakEntry(n).empty());
    }
    QCOMPARE(m_plays, QStringList(30, "/set/.wav")); // Type 'n' Talk hands over each empty text
    QCOMPARE(find<QLineEdit>("Rate")->text(), QString("7"));
    QVERIFY(find<QCheckBox>("Typespeak")->isChecked());
    QCOMPARE(focused(), QString("Picture1"));
}

// Each row a script of steps: "type N TEXT" types into slot N (clicked first), "clear" clicks
// Clear All, "undo" and "redo" press Ctrl+Z and Ctrl+Shift+Z where the focus is; then slots 1
// and 2 must hold `texts`.
void TestMainWindow::undoAndRedo_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("a slot's typing is one step")
        << QStringList{"type 1 hh1", "undo"} << QStringList{"", ""};
    QTest::newRow("redo puts it back")
        << QStringList{"type 1 hh1", "undo", "redo"} << QStringList{"hh1", ""};
    QTest::newRow("another slot is another step")
        << QStringList{"type 1 hh1", "type 2 eh", "undo"} << QStringList{"hh1", ""};
    QTest::newRow("Clear All is one step, undone from the sink")
        << QStringList{"type 1 hh1", "type 2 eh", "clear", "undo"} << QStringList{"hh1", "eh"};
    QTest::newRow("and redone") << QStringList{"type 1 hh1", "clear", "undo", "redo"}
                                << QStringList{"", ""};
    QTest::newRow("a new step forgets what was undone")
        << QStringList{"type 1 hh1", "undo", "type 2 eh", "redo"} << QStringList{"", "eh"};
    QTest::newRow("nothing to undo") << QStringList{"undo", "redo"} << QStringList{"", ""};
}

void TestMainWindow::undoAndRedo()
{
    QFETCH(QStringList, script);
    QFETCH(QStringList, texts);
    for (const QString& line : script) {
        const QStringList words = line.split(' ');
        if (words[0] == "type") {
            auto* box = find<QLineEdit>("Text" + words[1]);
            QTest::mouseClick(box, Qt::LeftButton);
            QTest::keyClicks(box, words[2]);
        } else if (words[0] == "clear") {
            QTest::mouseClick(find("Clear"), Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z,
                            words[0] == "undo" ? Qt::ControlModifier
                                               : Qt::ControlModifier | Qt::ShiftModifier);
        }
    }
    QCOMPARE(find<QLineEdit>("Text1")->text(), texts[0]);
    QCOMPARE(find<QLineEdit>("Text2")->text(), texts[1]);
    QCOMPARE(m_window->slotRow().SlotText(1), texts[0].toStdString()); // the row follows
}

// Under a dark palette (light text on dark) every text the window sets its own background for
// still reads: its text colour is the pair of that background, never the palette's.
void TestMainWindow::aDarkPaletteKeepsEveryTextReadable()
{
    m_window.reset();
    const QPalette saved = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    init();
    find<QLineEdit>("Text1")->setText("hh1");
    const auto contrast = [](const QColor& a, const QColor& b) {
        return std::abs(a.lightness() - b.lightness());
    };
    for (const QString& name : {QString("Label1"), QString("Label65"), QString("Label70")}) {
        const QPalette p = find(name)->palette();
        QVERIFY2(contrast(p.color(QPalette::Window), p.color(QPalette::WindowText)) > 128,
                 qPrintable(name));
    }
    // A slot: its pixels hold both the white face and dark text.
    const QImage slot = find("Text1")->grab().toImage();
    int darkest = 255, lightest = 0;
    for (int y = 2; y < slot.height() - 2; ++y) {
        for (int x = 2; x < slot.width() - 2; ++x) {
            darkest = std::min(darkest, qGray(slot.pixel(x, y)));
            lightest = std::max(lightest, qGray(slot.pixel(x, y)));
        }
    }
    QVERIFY2(lightest > 230 && darkest < 80,
             qPrintable(QString("%1..%2").arg(darkest).arg(lightest)));
    m_window.reset();
    QApplication::setPalette(saved);
}

void TestMainWindow::escapeStopsSpeak()
{
    find<QLineEdit>("Rate")->setText("500");
    QTest::mouseClick(find("Speak"), Qt::LeftButton);
    QVERIFY(m_window->sequencer().speaking());
    QCOMPARE(find<QPushButton>("Speak")->text(), QString("SPEAKING"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!m_window->sequencer().speaking());
    QCOMPARE(find<QPushButton>("Speak")->text(), QString("SPEAK"));
    QVERIFY(find("Speak")->isEnabled());
}

void TestMainWindow::theKeyboardHearsASlot_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("plays");
    QTest::newRow("an allophone") << "hh1" << QStringList{"/set/hh1.wav"};
    QTest::newRow("half a mnemonic keeps the last code") << "ay" << QStringList{"/set/ay.wav"};
    QTest::newRow("nothing") << "" << QStringList{};
}

void TestMainWindow::theKeyboardHearsASlot()
{
    QFETCH(QString, text);
    QFETCH(QStringList, plays);
    auto* box = find<QLineEdit>("Text3");
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_plays, plays);
    QCOMPARE(focused(), QString("Text3")); // typing goes on where it was
}

void TestMainWindow::copySaysWhatItCopied()
{
    find<QLineEdit>("Text1")->setText("hh1");
    find<QLineEdit>("Text2")->setText("eh");
    QTest::mouseClick(find("Copy"), Qt::LeftButton);
    QCOMPARE(m_window->findChild<CopyMenu*>()->copiedNote(), QString("Copied: $1B$07"));
    QVERIFY(QToolTip::isVisible());
}

void TestMainWindow::captionsFitUnderEveryStyle_data()
{
    QTest::addColumn<QString>("style");
    for (const QString& key : QStyleFactory::keys())
        QTest::newRow(qPrintable(key)) << key;
}

// Each button's and option's caption fits the room its style gives text inside its fixed box,
// under every style Qt has here.
void TestMainWindow::captionsFitUnderEveryStyle()
{
    QFETCH(QString, style);
    m_window.reset();
    const QString before = QApplication::style()->name();
    QApplication::setStyle(style);
    init();
    const QStringList names = {"Speak", "Clear", "Copy", "Emulate", "Hardware", "Typespeak"};
    for (const QString& name : names) {
        auto* b = find<QAbstractButton>(name);
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QStyle::SubElement contents =
            qobject_cast<QPushButton*>(b)    ? QStyle::SE_PushButtonContents
            : qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                             : QStyle::SE_CheckBoxContents;
        const int room = b->style()->subElementRect(contents, &option, b).width();
        const int text = b->fontMetrics().horizontalAdvance(b->text());
        QVERIFY2(text <= room, qPrintable(QString("%1: %2 > %3").arg(name).arg(text).arg(room)));
    }
    m_window.reset();
    QApplication::setStyle(before);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
