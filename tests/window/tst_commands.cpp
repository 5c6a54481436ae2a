// "Copy" and "SPEAK" in the real window, with a player that records what it is asked to play.
#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "spelling/Speller.h"
#include "support/RecordingPlayer.h"
#include "support/WindowTest.h"
#include "window/MainWindow.h"
#include "window/SpellDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

using namespace tessary;
using tessary::testing::RecordingPlayer;

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void copy_data();
    void copy();
    void copyTwiceGivesTheSameText();
    void speakPlaysEverySlotInOrder();
    void duringARun_data();
    void duringARun();
    void badSpeedTextsStillEndTheRun_data();
    void badSpeedTextsStillEndTheRun();
    void spellTextHere_data();
    void spellTextHere();
    void pastedBookIsCutAndFitsTheScreen();
    void theTextTakesAParagraph();
    void listenPickAndSave_data();
    void listenPickAndSave();
    void listenPlaysTheSpellingInTheChipsTime();
    void copyAs_data();
    void copyAs();

private:
    template <typename T = QWidget> T* find(const QString& name) const
    {
        return tessary::testing::control<T>(m_window.get(), name);
    }
    void type(int slot, const QString& text)
    {
        auto* box = find<QLineEdit>(QString("Text%1").arg(slot));
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClicks(box, text);
    }
    void setRate(const QString& text) { find<QLineEdit>("Rate")->setText(text); }
    static QString focused() { return tessary::testing::focusedName(); }
    bool runOver() const { return find<QPushButton>("Speak")->isEnabled(); }

    QStringList m_plays;
    std::function<void()> m_onPlay;
    std::unique_ptr<MainWindow> m_window;
};

void TestCommands::init()
{
    m_plays.clear();
    m_onPlay = nullptr;
    m_window = std::make_unique<MainWindow>(SampleSet("/set/"),
                                            std::make_unique<RecordingPlayer>(&m_plays, [this] {
                                                if (m_onPlay)
                                                    m_onPlay();
                                            }));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QApplication::clipboard()->setText("left over");
}

void TestCommands::cleanup()
{
    m_window.reset();
}

void TestCommands::copy_data()
{
    QTest::addColumn<QStringList>("slots"); // slot 1 onwards; a text after '>' replaces the first
    QTest::addColumn<QString>("expected");

    QTest::newRow("fresh window gives the empty text") << QStringList{} << "";
    QTest::newRow("hello") << QStringList{"hh1", "eh", "ll", "ow"} << "$1B$07$2D$35";
    QTest::newRow("gap slot leaves no trace") << QStringList{"hh1", "", "eh"} << "$1B$07";
    QTest::newRow("stale label hh1 then hh") << QStringList{"hh1>hh"} << "$1B";
    QTest::newRow("no mnemonic, no code") << QStringList{"xyz", "aa"} << "$18";
    QTest::newRow("slot 30 alone") << [] {
        QStringList s(29, "");
        s << "bb2";
        return s;
    }() << "$3F";
    QTest::newRow("30 x pa1 is 90 characters")
        << QStringList(30, "pa1") << QString("$00").repeated(30);
}

void TestCommands::copy()
{
    QFETCH(QStringList, slots);
    QFETCH(QString, expected);
    for (int i = 0; i < slots.size(); ++i) {
        const QStringList edits = slots[i].split('>');
        for (const QString& e : edits)
            find<QLineEdit>(QString("Text%1").arg(i + 1))->setText(e);
    }
    QTest::mouseClick(find<QLineEdit>("Text2"), Qt::LeftButton);
    QSignalSpy changed(QApplication::clipboard(), &QClipboard::dataChanged);
    QTest::mouseClick(find("Copy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QCOMPARE(m_window->codeString(), expected);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(focused(), QString("Picture1"));
}

void TestCommands::copyTwiceGivesTheSameText()
{
    type(1, "ow");
    QTest::mouseClick(find("Copy"), Qt::LeftButton);
    QApplication::clipboard()->setText("something else");
    QTest::mouseClick(find("Copy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString("$35"));
    QCOMPARE(m_window->codeString(), QString("$35"));
}

void TestCommands::speakPlaysEverySlotInOrder()
{
    setRate("1");
    type(1, "hh1");
    type(2, "eh");
    type(3, "ll");
    type(4, "ow");
    type(6, "LL"); // verbatim, capitals and all
    auto* speak = find<QPushButton>("Speak");
    QTest::mouseClick(speak, Qt::LeftButton);
    QVERIFY(!speak->isEnabled());
    QCOMPARE(speak->text(), QString("SPEAKING"));
    QCOMPARE(focused(), QString("Picture1"));
    QVERIFY(find<QTimer>("Timer1")->isActive());

    QTRY_VERIFY_WITH_TIMEOUT(runOver(), 10000);
    QCOMPARE(speak->text(), QString("SPEAK"));
    QStringList expected{"/set/hh1.wav", "/set/eh.wav", "/set/ll.wav",
                         "/set/ow.wav",  "/set/.wav",   "/set/LL.wav"};
    while (expected.size() < 30)
        expected << "/set/.wav";
    QCOMPARE(m_plays, expected);
    QVERIFY(!find<QTimer>("Timer1")->isActive());
}

void TestCommands::duringARun_data()
{
    QTest::addColumn<int>("atPlay"); // the action runs in the wait after this play
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("plays");

    auto base = [] {
        QStringList p(30, "/set/.wav");
        p[0] = "/set/aa.wav";
        p[11] = "/set/ae.wav";
        return p;
    };
    QTest::newRow("edit ahead is heard") << 5 << "Text20=ow" << [&] {
        QStringList p = base();
        p[19] = "/set/ow.wav";
        return p;
    }();
    QTest::newRow("edit behind is not") << 5 << "Text1=ow" << base();
    QTest::newRow("Clear All silences the rest") << 5 << "click Clear" << [&] {
        QStringList p = base();
        p[11] = "/set/.wav";
        return p;
    }();
    QTest::newRow("an audition cuts in") << 3 << "click Label29" << [&] {
        QStringList p = base();
        p.insert(3, "/set/hh1.wav");
        return p;
    }();
    QTest::newRow("Copy works") << 3 << "click Copy" << base();
    QTest::newRow("disabled SPEAK does nothing") << 3 << "click Speak" << base();
    QTest::newRow("speed change") << 3 << "Rate=3" << base();
    QTest::newRow("Type 'n' Talk edit plays at once") << 3 << "talk Text25=ow" << [&] {
        QStringList p = base();
        p.insert(3, "/set/ow.wav");
        p[25] = "/set/ow.wav"; // slot 25 is step 25, one later for the extra play
        return p;
    }();
}

void TestCommands::duringARun()
{
    QFETCH(int, atPlay);
    QFETCH(QString, action);
    QFETCH(QStringList, plays);

    setRate("2");
    type(1, "aa");
    type(12, "ae");
    auto act = [this, action] {
        QString a = action;
        if (a.startsWith("talk ")) {
            QTest::mouseClick(find("Typespeak"), Qt::LeftButton);
            a = a.mid(5);
        }
        if (a.startsWith("click "))
            QTest::mouseClick(find(a.mid(6)), Qt::LeftButton);
        else if (const QStringList kv = a.split('='); kv.size() == 2)
            find<QLineEdit>(kv[0])->setText(kv[1]);
    };
    int count = 0;
    m_onPlay = [&] {
        if (++count == atPlay)
            QTimer::singleShot(0, m_window.get(), act); // inside the wait, not inside the play
    };
    QTest::mouseClick(find("Speak"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(runOver(), 10000);
    m_onPlay = nullptr;
    QCOMPARE(m_plays, plays);
    QCOMPARE(find<QPushButton>("Speak")->text(), QString("SPEAK"));
    if (action == "click Copy")
        QCOMPARE(QApplication::clipboard()->text(), QString("$18$1A"));
    if (action == "click Clear")
        QVERIFY(find<QLineEdit>("Text12")->text().isEmpty());
    if (action == "Rate=3")
        QCOMPARE(m_window->stepInterval(), 3);
}

void TestCommands::badSpeedTextsStillEndTheRun_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("interval");
    QTest::newRow("0") << "0" << 2;
    QTest::newRow("00") << "00" << 2;
    QTest::newRow("000") << "000" << 2;
    QTest::newRow("abc") << "abc" << 2;
    QTest::newRow("-5") << "-5" << 2;
    QTest::newRow("leading blank") << " 7" << 2;
    QTest::newRow("empty is 1 ms") << "" << 1;
}

void TestCommands::badSpeedTextsStillEndTheRun()
{
    QFETCH(QString, text);
    QFETCH(int, interval);
    setRate("2");
    auto* rate = find<QLineEdit>("Rate");
    QTest::mouseClick(rate, Qt::LeftButton);
    rate->selectAll();
    if (text.isEmpty())
        QTest::keyClick(rate, Qt::Key_Delete);
    else
        QTest::keyClicks(rate, text); // typed over the selection: never empty on the way
    QCOMPARE(rate->text(), text);
    QCOMPARE(focused(), QString("Rate")); // a speed change moves no focus
    QCOMPARE(m_window->stepInterval(), interval);

    QTest::mouseClick(find("Speak"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(runOver(), 10000);
    QCOMPARE(m_plays.size(), 30);
}

void TestCommands::spellTextHere_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("button");         // "ok", "cancel", or "ok then cancel" when refused
    QTest::addColumn<QStringList>("slotsAfter"); // slots 1..8
    QTest::addColumn<QStringList>("labelsAfter"); // their code labels
    QTest::addColumn<QString>("message");
    const QStringList before{"", "", "", "", "", "ey", "", ""};
    const QStringList beforeCodes{"", "", "", "", "", "$14", "", ""};
    QTest::newRow("hello from slot 1; slot 6 keeps its text")
        << 1 << "hello"
        << "ok" << QStringList{"hh1", "eh", "ll", "ow", "pa1", "ey", "", ""}
        << QStringList{"$1B", "$07", "$2D", "$35", "$00", "$14", "", ""}
        << "Takes 5 of the 30 slots left.";
    QTest::newRow("from slot 4, over the text of slot 6")
        << 4 << "no"
        << "ok" << QStringList{"", "", "", "nn2", "ow", "pa1", "", ""}
        << QStringList{"", "", "", "$38", "$35", "$00", "", ""} << "Takes 3 of the 27 slots left.";
    QTest::newRow("too long for the slots left: refused")
        << 27 << "hello world"
        << "ok then cancel" << before << beforeCodes
        << "Too long: needs 11 slots, and 4 are left. Add it to the vocabulary instead.";
    QTest::newRow("cancel changes nothing")
        << 1 << "hello"
        << "cancel" << before << beforeCodes << "Takes 5 of the 30 slots left.";
}

void TestCommands::spellTextHere()
{
    QFETCH(int, slot);
    QFETCH(QString, text);
    QFETCH(QString, button);
    QFETCH(QStringList, slotsAfter);
    QFETCH(QStringList, labelsAfter);
    QFETCH(QString, message);
    type(6, "ey");
    auto* box = find<QLineEdit>(QString("Text%1").arg(slot));
    box->setFocus();

    QString shown;
    bool stayedOpen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<SpellDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QTest::keyClicks(dialog->findChild<QPlainTextEdit*>("spellText"), text);
        // Spelled once typing pauses.
        QTRY_COMPARE(dialog->findChild<QLabel*>("spellFit")->text(), message);
        shown = dialog->findChild<QLabel*>("spellFit")->text();
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (button.startsWith("ok")) {
            dialog->accept(); // what OK does, even were the button enabled
            stayedOpen = dialog->isVisible();
        }
        if (button != "ok")
            buttons->button(QDialogButtonBox::Cancel)->click();
    });
    QTest::keyClick(box, Qt::Key_T, Qt::ControlModifier); // "Spell Text Here…"
    QCOMPARE(shown, message);
    QCOMPARE(stayedOpen, button == "ok then cancel");
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(find<QLineEdit>(QString("Text%1").arg(n))->text(), slotsAfter[n - 1]);
        QCOMPARE(find<QLabel>(QString("Label%1").arg(69 + n))->text(), labelsAfter[n - 1]);
    }
    // The focus the window gets back once the dialog has gone (the offscreen platform does not
    // activate it again by itself).
    QCOMPARE(m_window->focusWidget()->objectName(), QString("Picture1"));
}

// Shift+Enter begins a new line of the text, which is spelled across it; Enter is OK.
void TestCommands::theTextTakesAParagraph()
{
    const Speller speller(WordList::builtIn());
    SpellDialog dialog(speller, 30, m_window.get());
    dialog.show();
    auto* text = dialog.findChild<QPlainTextEdit*>("spellText");
    text->setFocus();
    QTest::keyClicks(text, "hello");
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text, "world");
    QCOMPARE(text->toPlainText(), QString("hello\nworld"));
    QVERIFY(dialog.isVisible());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const Speller same(WordList::builtIn());
    QCOMPARE(dialog.spelling(), same.spell("hello world", WordList()));
}

void TestCommands::pastedBookIsCutAndFitsTheScreen()
{
    const Speller speller(WordList::builtIn());
    SpellDialog dialog(speller, 30, m_window.get());
    dialog.show();
    auto* text = dialog.findChild<QPlainTextEdit*>("spellText");
    text->insertPlainText(QString("hello ").repeated(200'000)); // what a paste of 1.2 MB does
    QCOMPARE(text->toPlainText().size(), SpellDialog::kMaxText);
    auto* fit = dialog.findChild<QLabel*>("spellFit");
    QTRY_VERIFY(fit->text().startsWith("Too long: needs "));
    QVERIFY2(fit->text().endsWith("The text stops at 1000 characters."), qPrintable(fit->text()));
    const QSize screen = dialog.screen()->availableGeometry().size();
    QVERIFY2(dialog.width() <= screen.width() && dialog.height() <= screen.height(),
             qPrintable(QString("%1 x %2").arg(dialog.width()).arg(dialog.height())));
    // Every allophone can be read (the view scrolls); no mnemonic shows as a stray '&'; the
    // word box is as wide as its longest word.
    const auto shown = dialog.findChild<QPlainTextEdit*>("spellAllophones")->toPlainText();
    QCOMPARE(shown.split(' ').size(), static_cast<qsizetype>(dialog.spelling().size()));
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        QVERIFY2(!label->text().contains('&') || label->buddy(), qPrintable(label->text()));
    text->setPlainText("temperature is 21 degrees");
    auto* words = dialog.findChild<QComboBox*>("spellWord");
    QTRY_COMPARE(words->count(), 3); // "21" is read as words, not picked
    for (int i = 0; i < words->count(); ++i)
        QVERIFY2(words->width() > words->fontMetrics().horizontalAdvance(words->itemText(i)),
                 qPrintable(words->itemText(i)));
}

void TestCommands::listenPickAndSave_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("pick");   // the alternative chosen for the word
    QTest::addColumn<QString>("before"); // the word list before Save; "-": none
    QTest::newRow("the other reading, into a new word list") << "Live here."
                                                             << "live"
                                                             << "ll ih ih vv"
                                                             << "-";
    QTest::newRow("another K, after a list without its last line end") << "a cat"
                                                                       << "cat"
                                                                       << "kk3 ae ae pa3 tt1"
                                                                       << "hello hh1 eh ll ow";
    QTest::newRow("the word in the clear style") << "a cat"
                                                 << "cat"
                                                 << "kk3 ae pa1 tt1"
                                                 << "-";
    // The word's older line goes: each word stands in the list once.
    QTest::newRow("over the word's own line") << "a cat"
                                              << "cat"
                                              << "kk3 ae ae pa3 tt1"
                                              << "Cat kk1 ae tt1\nhello hh1 eh ll ow";
}

void TestCommands::listenPickAndSave()
{
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(QString, pick);
    QFETCH(QString, before);
    QTemporaryDir home;
    const std::filesystem::path file = home.path().toStdString() + "/quorlin-tessary/words";
    if (before != "-") {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << before.toStdString();
    }
    const Speller speller(WordList::builtIn());
    SpellDialog dialog(speller, 30, m_window.get());
    std::vector<std::vector<std::string>> heard;
    dialog.setListener([&](const std::vector<std::string>& m) { heard.push_back(m); });
    dialog.setWordFile(file);
    dialog.show();
    dialog.findChild<QPlainTextEdit*>("spellText")->setPlainText(text);

    auto* words = dialog.findChild<QComboBox*>("spellWord");
    QTRY_VERIFY(words->findText(word) >= 0);
    words->setCurrentIndex(words->findText(word));
    auto* alternatives = dialog.findChild<QComboBox*>("spellAlternative");
    int index = -1;
    for (int i = 1; i < alternatives->count(); ++i) {
        if (alternatives->itemText(i).startsWith(pick + " "))
            index = i;
    }
    QVERIFY2(index > 0, qPrintable(alternatives->itemText(0)));
    alternatives->setCurrentIndex(index);
    Q_EMIT alternatives->activated(index);

    const std::vector<std::string> picked = [&] {
        std::vector<std::string> out;
        for (const QString& m : pick.split(' '))
            out.push_back(m.toStdString());
        return out;
    }();
    const auto& spelling = dialog.spelling();
    QVERIFY(std::search(spelling.begin(), spelling.end(), picked.begin(), picked.end()) !=
            spelling.end());

    dialog.findChild<QPushButton*>("spellListen")->click();
    QCOMPARE(heard.size(), std::size_t(1));
    QCOMPARE(heard.front(), spelling);

    // Saved twice: written once.
    dialog.findChild<QPushButton*>("spellSave")->click();
    dialog.findChild<QPushButton*>("spellSave")->click();
    QVERIFY(dialog.saved());
    QVERIFY(dialog.findChild<QLabel*>("spellSaved")->text().startsWith("Saved to "));
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    // The list's last line went without an end, and so does the one now last.
    const std::string start = before == "-" ? "" : before.section('\n', -1).toStdString() + "\n";
    const std::string end = before == "-" || before.endsWith('\n') ? "\n" : "";
    QCOMPARE(QString::fromStdString(saved.str()),
             QString::fromStdString(start + word.toStdString() + " " + pick.toStdString() + end));
    // The word list reads back what was picked.
    WordList list;
    std::vector<WordList::Problem> problems;
    list.addFile(file, problems);
    QVERIFY(problems.empty());
    QVERIFY(list.find(word.toStdString()));
    QCOMPARE(*list.find(word.toStdString()), picked);
}

void TestCommands::listenPlaysTheSpellingInTheChipsTime()
{
    auto* box = find<QLineEdit>("Text1");
    box->setFocus();
    QElapsedTimer clock;
    qint64 lastPlayMs = -1;
    m_onPlay = [&] { lastPlayMs = clock.elapsed(); };
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<SpellDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QPlainTextEdit*>("spellText")->setPlainText("hello");
        QTRY_COMPARE(dialog->spelling().size(), std::size_t(5));
        clock.start();
        dialog->findChild<QPushButton*>("spellListen")->click();
        QTRY_COMPARE(m_plays.size(), 5);
        dialog->reject();
    });
    QTest::keyClick(box, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(m_plays, (QStringList{"/set/hh1.wav", "/set/eh.wav", "/set/ll.wav", "/set/ow.wav",
                                   "/set/pa1.wav"}));
    // The last is due once the four before it have had their time on the chip, never sooner.
    double ms = 0;
    for (const char* m : {"hh1", "eh", "ll", "ow"})
        ms += ChipDurations::chipMs(AllophoneTable::FindByMnemonic(m)->code);
    QVERIFY2(lastPlayMs >= qint64(ms), qPrintable(QString("%1 ms").arg(lastPlayMs)));
}

void TestCommands::copyAs_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name"); // what the user answers when asked for one; "-": not asked
    QTest::addColumn<QString>("expected");
    QTest::newRow("C array, named") << "copyAsC"
                                    << "hello"
                                    << "const uint8_t hello[] = { 0x1B, 0x07, 0x2D, 0x35 };";
    QTest::newRow("Arduino entry, its name made a C identifier")
        << "copyAsArduino"
        << "2 hello"
        << "const uint8_t w_2_hello[] PROGMEM = { 0x1B, 0x07, 0x2D, 0x35 };\n"
           "const uint16_t w_2_hello_length = 4;";
    QTest::newRow("asked and cancelled: nothing copied") << "copyAsArduino"
                                                         << ""
                                                         << "before";
    QTest::newRow("hex bytes") << "copyAsHex"
                               << "-"
                               << "0x1B, 0x07, 0x2D, 0x35";
    QTest::newRow("decimal") << "copyAsDecimal"
                             << "-"
                             << "27, 7, 45, 53";
    QTest::newRow("BASIC DATA") << "copyAsBasic"
                                << "-"
                                << "DATA 27,7,45,53";
}

void TestCommands::copyAs()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    for (const auto& [slot, text] :
         {std::pair{1, "hh1"}, std::pair{2, "eh"}, std::pair{4, "ll"}, std::pair{5, "ow"}})
        type(slot, text);
    QApplication::clipboard()->setText("before");
    auto* copy = find<QPushButton>("Copy");
    QVERIFY(copy->actions().contains(copy->findChild<QAction*>(action)));
    bool asked = false;
    if (name != "-") {
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            asked = true;
            dialog->setTextValue(name);
            name.isEmpty() ? dialog->reject() : dialog->accept();
        });
    }
    copy->findChild<QAction*>(action)->trigger();
    QCOMPARE(asked, name != "-");
    QCOMPARE(QApplication::clipboard()->text(), expected);
    // After a question, the focus the window gets back (offscreen, it is not activated again).
    QCOMPARE(asked ? m_window->focusWidget()->objectName() : focused(), QString("Picture1"));
    QVERIFY2(m_window->codeString().isEmpty(), "CodeString is Copy's own");
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
