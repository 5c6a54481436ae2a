#include "composer/SlotRow.h"

#include <QStringList>
#include <QTest>

using tessary::SlotRow;

namespace {

// Records what the row asks of the rest of the program, in order.
struct Recorder
{
    QStringList events;
    bool typeAndTalk = false;

    SlotRow::Hooks hooks()
    {
        SlotRow::Hooks h;
        h.moveFocusToSink = [this] { events << "focus"; };
        h.typeAndTalkOn = [this] { return typeAndTalk; };
        h.playStem = [this](const std::string& s) {
            events << "play " + QString::fromStdString(s);
        };
        h.slotTextAssigned = [this](int n, const std::string& t) {
            events << QString("assign %1 '%2'").arg(n).arg(QString::fromStdString(t));
        };
        h.slotCodeShown = [this](int n, const std::string& c) {
            events << QString("code %1 '%2'").arg(n).arg(QString::fromStdString(c));
        };
        return h;
    }
};

QString code(const SlotRow& row, int n)
{
    return QString::fromStdString(row.SlotCode(n));
}

} // namespace

class TestSlotRow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingSequence_data();
    void typingSequence();
    void slotsAreIndependent_data();
    void slotsAreIndependent();
    void speakBufferFollowsEveryChange();
    void clearAllEmptiesInOrderAfterTheFocus();
    void clearAllWorksWithNothingConnected();
    void typeAndTalkHandsOverTheVerbatimText_data();
    void typeAndTalkHandsOverTheVerbatimText();
    void typeAndTalkIsReadAtEveryChange();
    void joinedCodes_data();
    void joinedCodes();
    void outOfRangeSlotsAreIgnored();
};

void TestSlotRow::typingSequence_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("codes"); // the code label after each text

    QTest::newRow("p, pa, pa1") << QStringList{"p", "pa", "pa1"} << QStringList{"", "", "$00"};
    QTest::newRow("pa1 deleted back to empty")
        << QStringList{"pa1", "pa", "p", ""} << QStringList{"$00", "$00", "$00", ""};
    QTest::newRow("pa1 to oy by way of o")
        << QStringList{"pa1", "o", "oy"} << QStringList{"$00", "$00", "$05"};
    QTest::newRow("hh1 then hh keeps the stale code")
        << QStringList{"hh1", "hh"} << QStringList{"$1B", "$1B"};
    QTest::newRow("capitals leave the label")
        << QStringList{"kk3", "KK3"} << QStringList{"$08", "$08"};
    QTest::newRow("spaces do not match")
        << QStringList{" pa1", "pa1 ", "bb2"} << QStringList{"", "", "$3F"};
    QTest::newRow("jh is $0A") << QStringList{"j", "jh"} << QStringList{"", "$0A"};
    QTest::newRow("longer than a mnemonic")
        << QStringList{"ow", "owxx"} << QStringList{"$35", "$35"};
}

void TestSlotRow::typingSequence()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, codes);
    SlotRow row;
    for (int i = 0; i < texts.size(); ++i) {
        row.setSlotText(7, texts[i].toStdString());
        QVERIFY2(
            code(row, 7) == codes[i],
            qPrintable(
                QString("after '%1': '%2', expected '%3'").arg(texts[i], code(row, 7), codes[i])));
    }
}

void TestSlotRow::slotsAreIndependent_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("slot 1") << 1;
    QTest::newRow("slot 15") << 15;
    QTest::newRow("slot 16") << 16;
    QTest::newRow("slot 30") << 30;
}

void TestSlotRow::slotsAreIndependent()
{
    QFETCH(int, slot);
    Recorder rec;
    SlotRow row(rec.hooks());
    row.setSlotText(slot, "oy");
    QCOMPARE(rec.events, QStringList{QString("code %1 '$05'").arg(slot)});
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        QCOMPARE(code(row, n), n == slot ? QString("$05") : QString());
        QCOMPARE(row.speakEntry(n), n == slot ? std::string("oy") : std::string());
    }
}

void TestSlotRow::speakBufferFollowsEveryChange()
{
    SlotRow row;
    row.setSlotText(3, "hh1");
    row.setSlotText(3, "hh");
    QCOMPARE(row.speakEntry(3), std::string("hh")); // recorded though it names no allophone
    QCOMPARE(row.SlotText(3), std::string("hh"));

    row.setSlotText(4, "ow");
    row.captureSpeakBuffer();
    QCOMPARE(row.SpeakBuffer()[2], std::string("hh"));
    QCOMPARE(row.SpeakBuffer()[3], std::string("ow"));
}

void TestSlotRow::clearAllEmptiesInOrderAfterTheFocus()
{
    Recorder rec;
    SlotRow row(rec.hooks());
    row.setSlotText(1, "hh1");
    row.setSlotText(2, "xx"); // names nothing: its label stays empty
    row.setSlotText(30, "ow");
    rec.events.clear();

    row.ClearAll();

    QStringList expected{"focus"};
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        expected << QString("assign %1 ''").arg(n);
        if (n == 1 || n == 30)
            expected << QString("code %1 ''").arg(n);
    }
    QCOMPARE(rec.events, expected);
    for (int n = 1; n <= SlotRow::kSlotCount; ++n) {
        QVERIFY(row.SlotText(n).empty());
        QVERIFY(row.SlotCode(n).empty());
        QVERIFY(row.speakEntry(n).empty());
    }
}

void TestSlotRow::clearAllWorksWithNothingConnected()
{
    SlotRow row;
    for (int n = 1; n <= SlotRow::kSlotCount; ++n)
        row.setSlotText(n, "pa1");
    row.ClearAll();
    QCOMPARE(row.joinedCodes(), std::string());
    QVERIFY(row.SlotText(30).empty());
}

void TestSlotRow::typeAndTalkHandsOverTheVerbatimText_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("plays");

    QTest::newRow("e then eh") << true << QStringList{"e", "eh"}
                               << QStringList{"play e", "play eh"};
    QTest::newRow("the empty text") << true << QStringList{""} << QStringList{"play "};
    QTest::newRow("capitals untouched") << true << QStringList{"EH"} << QStringList{"play EH"};
    QTest::newRow("spaces untouched") << true << QStringList{" eh "} << QStringList{"play  eh "};
    QTest::newRow("off plays nothing") << false << QStringList{"e", "eh"} << QStringList{};
}

void TestSlotRow::typeAndTalkHandsOverTheVerbatimText()
{
    QFETCH(bool, on);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, plays);
    Recorder rec;
    rec.typeAndTalk = on;
    SlotRow row(rec.hooks());
    for (const QString& t : texts)
        row.setSlotText(5, t.toStdString());
    rec.events.removeIf([](const QString& e) { return !e.startsWith("play"); });
    QCOMPARE(rec.events, plays);
}

void TestSlotRow::typeAndTalkIsReadAtEveryChange()
{
    Recorder rec;
    SlotRow row(rec.hooks());
    row.setSlotText(1, "aa");
    rec.typeAndTalk = true;
    row.setSlotText(2, "ae");
    rec.typeAndTalk = false;
    row.setSlotText(3, "ao");
    rec.events.removeIf([](const QString& e) { return !e.startsWith("play"); });
    QCOMPARE(rec.events, QStringList{"play ae"});
}

void TestSlotRow::joinedCodes_data()
{
    QTest::addColumn<QStringList>("slots");
    QTest::addColumn<QString>("joined");
    QTest::newRow("empty row") << QStringList{} << "";
    QTest::newRow("hello") << QStringList{"hh1", "eh", "ll", "ow"} << "$1B$07$2D$35";
    QTest::newRow("gap leaves no trace") << QStringList{"hh1", "", "eh"} << "$1B$07";
    QTest::newRow("non-mnemonic contributes nothing") << QStringList{"zz", "q", "zz"} << "$2B$2B";
    QStringList full;
    for (int n = 0; n < SlotRow::kSlotCount; ++n)
        full << "pa1";
    QTest::newRow("30 x pa1") << full << QString("$00").repeated(30);
}

void TestSlotRow::joinedCodes()
{
    QFETCH(QStringList, slots);
    QFETCH(QString, joined);
    SlotRow row;
    for (int i = 0; i < slots.size(); ++i)
        row.setSlotText(i + 1, slots[i].toStdString());
    QCOMPARE(QString::fromStdString(row.joinedCodes()), joined);
}

void TestSlotRow::outOfRangeSlotsAreIgnored()
{
    Recorder rec;
    SlotRow row(rec.hooks());
    row.setSlotText(0, "pa1");
    row.setSlotText(31, "pa1");
    row.SlotChanged(-5);
    QVERIFY(rec.events.isEmpty());
    QVERIFY(row.SlotText(31).empty());
    QCOMPARE(row.joinedCodes(), std::string());
}

QTEST_APPLESS_MAIN(TestSlotRow)
#include "tst_slotrow.moc"
