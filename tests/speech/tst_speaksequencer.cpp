#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "composer/SlotRow.h"
#include "sound/PlayTiming.h"
#include "speech/ListenSchedule.h"
#include "speech/Pace.h"
#include "speech/SpeakSequencer.h"

#include <QStringList>
#include <QTest>

#include <cmath>
#include <vector>

using namespace tessary;
using namespace std::chrono_literals;
using Clock = SpeakSequencer::Clock;

namespace {

// Drives a sequencer on a clock of its own: each tick is delivered when the armed timer is due,
// plus whatever lateness the test asks for.
struct Rig
{
    SlotRow row;
    Pace pace;
    SpeakSequencer seq{pace};
    Clock::time_point clock{};
    std::chrono::milliseconds armed{-1};
    QStringList events; // "focus", "speaking", "idle", "play <stem>"
    std::vector<int> waits;
    std::vector<std::chrono::milliseconds> dues; // each play's due time, from the start

    Rig()
    {
        SpeakSequencer::Hooks h;
        h.moveFocusToSink = [this] { events << "focus"; };
        h.captureSpeakBuffer = [this] { row.captureSpeakBuffer(); };
        h.speakEntry = [this](int n) { return row.speakEntry(n); };
        h.playStem = [this](const std::string& s, Clock::time_point due) {
            events << "play " + QString::fromStdString(s);
            dues.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::time_point{}));
        };
        h.showSpeaking = [this](bool on) { events << (on ? "speaking" : "idle"); };
        h.armTimer = [this](std::chrono::milliseconds d) {
            armed = d;
            waits.push_back(int(d.count()));
        };
        h.now = [this] { return clock; };
        seq.setHooks(std::move(h));
    }

    // Lets the armed timer run out and delivers its tick `late` after that.
    void tick(std::chrono::microseconds late = 0us)
    {
        QVERIFY(armed >= 0ms);
        clock += armed + late;
        armed = -1ms;
        seq.timerTick();
    }

    QStringList plays() const
    {
        QStringList p = events;
        p.removeIf([](const QString& e) { return !e.startsWith("play"); });
        return p;
    }
};

QStringList playsOf(const QStringList& stems)
{
    QStringList out;
    for (const QString& s : stems)
        out << "play " + s;
    return out;
}

} // namespace

class TestSpeakSequencer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pace_data();
    void pace();
    void fullRun();
    void interactionsDuringARun_data();
    void interactionsDuringARun();
    void timerLatenessDoesNotAddUp();
    void aBusyStepLengthensTheRun();
    void speakDuringARunIsIgnored();
    void secondRunCapturesAfresh();
    void listenHandsEachStepOverOnceInTime_data();
    void listenHandsEachStepOverOnceInTime();
};

void TestSpeakSequencer::pace_data()
{
    QTest::addColumn<QStringList>("texts"); // typed in turn into the speed box
    QTest::addColumn<int>("interval");

    QTest::newRow("untouched") << QStringList{} << 50;
    QTest::newRow("200") << QStringList{"200"} << 200;
    QTest::newRow("999") << QStringList{"999"} << 999;
    QTest::newRow("leading zeros 007") << QStringList{"007"} << 7;
    QTest::newRow("empty gives 1") << QStringList{"7", ""} << 1;
    QTest::newRow("0 keeps the last") << QStringList{"7", "0"} << 7;
    QTest::newRow("00 keeps the last") << QStringList{"7", "00"} << 7;
    QTest::newRow("000 keeps the last") << QStringList{"7", "000"} << 7;
    QTest::newRow("abc keeps the last") << QStringList{"7", "abc"} << 7;
    QTest::newRow("-5 keeps the last") << QStringList{"7", "-5"} << 7;
    QTest::newRow("+5 keeps the last") << QStringList{"7", "+5"} << 7;
    QTest::newRow("leading blank") << QStringList{"7", " 7"} << 7;
    QTest::newRow("trailing blank") << QStringList{"8", "9 "} << 8;
    QTest::newRow("decimal point") << QStringList{"8", "1.5"} << 8;
    QTest::newRow("four digits") << QStringList{"8", "1000"} << 8;
    QTest::newRow("non-ASCII digit") << QStringList{"8", "\u0663"} << 8;
    QTest::newRow("bad text first keeps 50") << QStringList{"x"} << 50;
    QTest::newRow("typing 1, 12, 120") << QStringList{"1", "12", "120"} << 120;
}

void TestSpeakSequencer::pace()
{
    QFETCH(QStringList, texts);
    QFETCH(int, interval);
    Pace pace;
    for (const QString& t : texts)
        pace.rateChanged(t.toStdString());
    QCOMPARE(pace.StepInterval(), interval);
    if (!texts.isEmpty())
        QCOMPARE(QString::fromStdString(pace.RateText()),
                 texts.last().isEmpty() ? "1" : texts.last());
}

void TestSpeakSequencer::fullRun()
{
    Rig rig;
    for (auto [n, t] : {std::pair{1, "hh1"}, {2, "eh"}, {3, "ll"}, {4, "ow"}, {6, "PA1"}})
        rig.row.setSlotText(n, t);
    rig.seq.speak();
    QCOMPARE(rig.events.mid(0, 3), (QStringList{"focus", "speaking", "play hh1"}));
    QVERIFY(rig.seq.speaking());
    for (int i = 0; i < 30; ++i)
        rig.tick();
    QVERIFY(!rig.seq.speaking());
    QCOMPARE(rig.events.last(), QString("idle"));

    QStringList stems{"hh1", "eh", "ll", "ow", "", "PA1"};
    while (stems.size() < 30)
        stems << "";
    QCOMPARE(rig.plays(), playsOf(stems)); // empty slots are steps too, verbatim texts
    QCOMPARE(rig.waits, std::vector<int>(30, 50));
    QCOMPARE(rig.clock - Clock::time_point{}, 1500ms);
}

void TestSpeakSequencer::interactionsDuringARun_data()
{
    QTest::addColumn<int>("atStep"); // the action runs during this step's wait
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("stems"); // what each of the 30 steps plays
    QTest::addColumn<std::vector<int>>("waits");

    // Slot 1 holds "aa"; these are the other stems the run should play, by step.
    auto stems = [](std::initializer_list<std::pair<int, QString>> at) {
        QStringList s(30, "");
        s[0] = "aa";
        for (const auto& [step, stem] : at)
            s[step - 1] = stem;
        return s;
    };
    auto waits = [](int from, int ms) {
        std::vector<int> w(30, 50);
        std::fill(w.begin() + from, w.end(), ms);
        return w;
    };
    const std::vector<int> even(30, 50);
    QTest::newRow("edit ahead is heard") << 10 << "slot 20 = ow" << stems({{20, "ow"}}) << even;
    QTest::newRow("edit behind is not") << 10 << "slot 1 = ow" << stems({}) << even;
    QTest::newRow("edit of the current step is not") << 10 << "slot 10 = ow" << stems({}) << even;
    QTest::newRow("clear all silences the rest") << 1 << "clear" << stems({}) << even;
    QTest::newRow("speed change applies from the next wait")
        << 10 << "rate 200" << stems({}) << waits(10, 200);
    QTest::newRow("empty speed box gives 1 ms") << 5 << "rate " << stems({}) << waits(5, 1);
    QTest::newRow("bad speed keeps the pace") << 5 << "rate 0" << stems({}) << even;
}

void TestSpeakSequencer::interactionsDuringARun()
{
    QFETCH(int, atStep);
    QFETCH(QString, action);
    QFETCH(QStringList, stems);
    QFETCH(std::vector<int>, waits);

    Rig rig;
    rig.row.setSlotText(1, "aa");
    rig.seq.speak();
    for (int i = 1; i <= 30; ++i) {
        QCOMPARE(rig.seq.step(), i);
        if (i == atStep) {
            if (action.startsWith("slot ")) {
                const QStringList p = action.mid(5).split(" = ");
                rig.row.setSlotText(p[0].toInt(), p[1].toStdString());
            } else if (action == "clear") {
                rig.row.ClearAll();
            } else if (action.startsWith("rate ")) {
                rig.pace.rateChanged(action.mid(5).toStdString());
            }
        }
        rig.tick();
    }
    QVERIFY(!rig.seq.speaking());
    QCOMPARE(rig.plays(), playsOf(stems));
    QCOMPARE(rig.waits, waits);
}

void TestSpeakSequencer::timerLatenessDoesNotAddUp()
{
    Rig rig;
    rig.seq.speak();
    for (int i = 0; i < 30; ++i)
        rig.tick(900us); // every tick delivered almost a millisecond late
    QVERIFY(!rig.seq.speaking());
    const auto total = rig.clock - Clock::time_point{};
    QVERIFY2(total <= 1502ms, qPrintable(QString::number(total.count() / 1e6) + " ms"));
    QVERIFY(total >= 1500ms);
    // The player is told when each step was due, so the sound keeps the exact pace.
    for (int i = 0; i < 30; ++i)
        QCOMPARE(rig.dues[i], 50ms * i);
}

void TestSpeakSequencer::aBusyStepLengthensTheRun()
{
    Rig rig;
    rig.seq.speak();
    rig.tick();
    rig.tick(30ms); // the program was busy handling something else
    for (int i = 0; i < 28; ++i)
        rig.tick();
    QVERIFY(!rig.seq.speaking());
    // Never hurried to catch up: every step keeps its whole interval.
    QCOMPARE(rig.waits, std::vector<int>(30, 50));
    QCOMPARE(rig.clock - Clock::time_point{}, 1530ms);
    // The late step is due when it really began; the rest follow it one pace apart.
    QCOMPARE(rig.dues[1], 50ms);
    QCOMPARE(rig.dues[2], 130ms);
    QCOMPARE(rig.dues[29], 130ms + 27 * 50ms);
}

void TestSpeakSequencer::speakDuringARunIsIgnored()
{
    Rig rig;
    rig.row.setSlotText(2, "eh");
    rig.seq.speak();
    rig.row.setSlotText(2, "ow");
    rig.seq.speak(); // as the disabled button would: nothing
    QCOMPARE(rig.events.count("speaking"), 1);
    QCOMPARE(rig.events.count("focus"), 1);
    for (int i = 0; i < 30; ++i)
        rig.tick();
    QCOMPARE(rig.plays()[1], QString("play ow")); // the edit, not a second capture
    QCOMPARE(rig.plays().size(), 30);
}

void TestSpeakSequencer::secondRunCapturesAfresh()
{
    Rig rig;
    rig.row.setSlotText(1, "aa");
    rig.pace.rateChanged("20");
    rig.seq.speak();
    for (int i = 0; i < 30; ++i)
        rig.tick();
    rig.row.setSlotText(1, "ae");
    rig.events.clear();
    rig.waits.clear();
    rig.seq.speak();
    for (int i = 0; i < 30; ++i)
        rig.tick();
    QCOMPARE(rig.plays().first(), QString("play ae"));
    QCOMPARE(rig.waits, std::vector<int>(30, 20));
}

void TestSpeakSequencer::listenHandsEachStepOverOnceInTime_data()
{
    QTest::addColumn<QStringList>("spelling");
    QTest::addColumn<int>("lateMs"); // how late the timer fires, each time
    QTest::addColumn<QStringList>("heard");

    const QStringList hello{"hh1", "eh", "ll", "ow", "pa1"};
    QTest::newRow("a punctual timer") << hello << 0 << hello;
    QTest::newRow("a late timer loses nothing") << hello << 7 << hello;
    QTest::newRow("very late: all at once") << hello << 5000 << hello;
    QTest::newRow("no allophone names are skipped")
        << QStringList{"hh1", "", "zz9", "ow"} << 0 << QStringList{"hh1", "ow"};
    QTest::newRow("nothing to say") << QStringList{} << 0 << QStringList{};
}

// Listen's schedule on a clock of its own: every step is handed over once, in order, with the
// time it is due on the chip, and never after that time while the timer keeps it.
void TestSpeakSequencer::listenHandsEachStepOverOnceInTime()
{
    QFETCH(QStringList, spelling);
    QFETCH(int, lateMs);
    QFETCH(QStringList, heard);
    std::vector<std::string> mnemonics;
    for (const QString& m : spelling)
        mnemonics.push_back(m.toStdString());

    ListenSchedule listen;
    Clock::time_point now{};
    listen.start(mnemonics, now);
    QStringList got;
    std::chrono::microseconds expected = PlayTiming::kLead;
    for (int wakes = 0; wakes < 100; ++wakes) {
        for (const auto& [stem, due] : listen.due(now)) {
            got << QString::fromStdString(stem);
            QCOMPARE(due - Clock::time_point{}, expected);
            if (lateMs == 0)
                QVERIFY(now <= due && due - now <= PlayTiming::kHandOver);
            expected += std::chrono::microseconds(std::llround(
                ChipDurations::chipMs(AllophoneTable::FindByMnemonic(stem)->code) * 1000));
        }
        const auto wait = listen.wait(now);
        QCOMPARE(wait.has_value(), listen.listening());
        if (!wait)
            break;
        now += *wait + std::chrono::milliseconds(lateMs);
    }
    QCOMPARE(got, heard);
    QVERIFY(!listen.listening());

    // Stop ends a run at once; a new run starts afresh.
    listen.start(mnemonics, now);
    listen.stop();
    QVERIFY(listen.due(now + 1h).empty());
}

QTEST_APPLESS_MAIN(TestSpeakSequencer)
#include "tst_speaksequencer.moc"
