// Where the sound-server player writes each sample, checked without a server: each row plays a
// short script against a fresh timeline and compares the last write it asks for.
#include "sound/PlayTiming.h"
#include "sound/players/StreamTimeline.h"

#include <QTest>

#include <functional>

using namespace tessary;
using namespace std::chrono_literals;
using Write = StreamTimeline::Write;
using From = StreamTimeline::From;
using Clock = StreamTimeline::Clock;

namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kLead = kRate * PlayTiming::kLead.count() / 1000; // 882 frames
const Clock::time_point t0 = Clock::time_point{} + 1000s;

// A script's last write; the timeline was opened and asked at t0.
using Script = std::function<std::optional<Write>(StreamTimeline&)>;

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(std::optional<Write>)

class TestStreamTimeline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writes_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<std::optional<Write>>("expected");

        QTest::newRow("a click goes to the read position")
            << Script([](StreamTimeline& t) { return t.playNow(100, t0); })
            << std::optional<Write>({0, From::ReadPosition, 100});
        QTest::newRow("a click over a longer sample zeroes its rest")
            << Script([](StreamTimeline& t) {
                   t.playNow(kRate, t0); // one second
                   return t.playNow(100, t0 + 100ms);
               })
            << std::optional<Write>({0, From::ReadPosition, kRate * 9 / 10, kRate * 9 / 10});
        QTest::newRow("a run starts the lead past the read position")
            << Script([](StreamTimeline& t) { return t.playAt(100, t0, t0 + 2ms); })
            << std::optional<Write>({kLead, From::ReadPosition, 100});
        QTest::newRow("the next step lands at its frame, whatever its lateness")
            << Script([](StreamTimeline& t) {
                   t.playAt(100, t0, t0);
                   return t.playAt(100, t0 + 50ms, t0 + 50ms + 14ms);
               })
            << std::optional<Write>({2205 - 100, From::WriteIndex, 100});
        QTest::newRow("a step due before the last one ends cuts it there")
            << Script([](StreamTimeline& t) {
                   t.playAt(4410, t0, t0); // 100 ms
                   return t.playAt(100, t0 + 50ms, t0 + 50ms);
               })
            << std::optional<Write>({2205 - 4410, From::WriteIndex, 2205, 2205});
        QTest::newRow("a late first step shifts the run, not the limit")
            << Script([](StreamTimeline& t) {
                   t.playAt(100, t0, t0 + 3ms);
                   return t.playAt(100, t0 + 50ms, t0 + 50ms + 17ms);
               })
            << std::optional<Write>({2205 - 100, From::WriteIndex, 100});
        QTest::newRow("a step past the late limit starts a new run")
            << Script([](StreamTimeline& t) {
                   t.playAt(100, t0, t0);
                   return t.playAt(100, t0 + 50ms, t0 + 50ms + PlayTiming::kLateLimit + 1ms);
               })
            << std::optional<Write>({kLead, From::ReadPosition, 100});
        QTest::newRow("a click ends the run") << Script([](StreamTimeline& t) {
            t.playAt(100, t0, t0);
            t.playNow(100, t0 + 10ms);
            return t.playAt(100, t0 + 50ms, t0 + 50ms);
        }) << std::optional<Write>({kLead, From::ReadPosition, 100});
        QTest::newRow("a new stream forgets the run") << Script([](StreamTimeline& t) {
            t.playAt(100, t0, t0);
            t.open(t0 + 10ms);
            return t.playAt(100, t0 + 50ms, t0 + 50ms);
        }) << std::optional<Write>({kLead, From::ReadPosition, 100});
        QTest::newRow("the hole reaches 1.5 s past the close")
            << Script([](StreamTimeline& t) {
                   t.playNow(100, t0);
                   return t.tail();
               })
            // Closes 1 s after the sample's end; the write index was at its end.
            << std::optional<Write>({kRate * 5 / 2 - 1, From::WriteIndex, 1});
        QTest::newRow("no hole while the write index is far enough ahead")
            << Script([](StreamTimeline& t) {
                   t.playNow(100, t0);
                   t.tail();
                   t.noteActivity(t0 + 1s);
                   return t.tail();
               })
            << std::optional<Write>();
        QTest::newRow("a step after the hole seeks back over it") << Script([](StreamTimeline& t) {
            t.playAt(100, t0, t0);
            const std::int64_t hole = t.tail()->seek + 1;
            const Write w = t.playAt(100, t0 + 50ms, t0 + 50ms);
            return std::optional<Write>({w.seek + hole, w.from, w.frames, w.over});
        }) << std::optional<Write>({2205 - 100, From::WriteIndex, 100});
    }

    void writes()
    {
        QFETCH(Script, script);
        QFETCH(std::optional<Write>, expected);
        StreamTimeline timeline(kRate, 1000ms);
        timeline.open(t0);
        timeline.noteActivity(t0);
        const std::optional<Write> got = script(timeline);
        QVERIFY2(got.has_value() == expected.has_value(), got ? "a write" : "no write");
        if (got) {
            QCOMPARE(got->seek, expected->seek);
            QCOMPARE(got->from, expected->from);
            QCOMPARE(got->frames, expected->frames);
            QCOMPARE(got->over, expected->over); // what the write cuts off, to fade it
        }
    }

    void the_stream_closes_after_the_last_sound_or_play()
    {
        StreamTimeline timeline(kRate, 1000ms);
        timeline.open(t0);
        timeline.noteActivity(t0);
        timeline.playNow(kRate * 2, t0); // two seconds of sound
        QCOMPARE(timeline.closesAt(), t0 + 3s);
        timeline.noteActivity(t0 + 2500ms);
        QCOMPARE(timeline.closesAt(), t0 + 3500ms);
    }
};

QTEST_APPLESS_MAIN(TestStreamTimeline)
#include "tst_streamtimeline.moc"
