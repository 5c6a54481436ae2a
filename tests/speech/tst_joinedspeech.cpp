#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "speech/JoinedSpeech.h"
#include "speech/TimeStretch.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>

using namespace tessary;

namespace {

constexpr int kRate = 22050;

long long chipFrames(const std::string& m)
{
    return std::llround(ChipDurations::chipMs(AllophoneTable::FindByMnemonic(m)->code) * kRate /
                        1000);
}

// A tone as the set cuts a sample: `frames` long, faded in and out over 4 ms.
std::vector<float> tone(double hz, long long frames, double level = 8000)
{
    std::vector<float> s(static_cast<std::size_t>(frames));
    const long long fade = kRate * 4 / 1000;
    for (long long i = 0; i < frames; ++i) {
        double g = 1;
        if (i < fade)
            g = 0.5 - 0.5 * std::cos(std::numbers::pi * double(i) / double(fade));
        if (frames - 1 - i < fade)
            g = 0.5 - 0.5 * std::cos(std::numbers::pi * double(frames - 1 - i) / double(fade));
        s[std::size_t(i)] =
            float(level * g * std::sin(2 * std::numbers::pi * hz * double(i) / kRate));
    }
    return s;
}

std::shared_ptr<const JoinedSpeech::Pcm> pcm(const std::vector<float>& s)
{
    return std::make_shared<const JoinedSpeech::Pcm>(s.begin(), s.end());
}

// The RMS of the 10 ms around each frame from `from` to `to`, least and most.
std::pair<double, double> envelope(const std::vector<float>& s, long long from, long long to)
{
    const long long w = kRate / 100;
    double least = 1e300, most = 0;
    for (long long c = std::max(from, w / 2); c + w / 2 < std::min<long long>(to, std::ssize(s));
         c += 11) {
        double sum = 0;
        for (long long i = c - w / 2; i < c + w / 2; ++i)
            sum += double(s[std::size_t(i)]) * s[std::size_t(i)];
        const double rms = std::sqrt(sum / double(w));
        least = std::min(least, rms);
        most = std::max(most, rms);
    }
    return {least, most};
}

// Crossings of zero upwards per second from `from` to `to`: a tone's frequency.
double frequency(const std::vector<float>& s, long long from, long long to)
{
    int ups = 0;
    for (long long i = from + 1; i < to; ++i)
        ups += s[std::size_t(i - 1)] < 0 && s[std::size_t(i)] >= 0;
    return ups * double(kRate) / double(to - from);
}

} // namespace

class TestJoinedSpeech : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stretchKeepsPitchAndLevel_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("half as long") << 0.5;
        QTest::newRow("a third longer") << 1.33;
        QTest::newRow("twice as long") << 2.0;
        QTest::newRow("three times as long") << 3.0;
    }
    void stretchKeepsPitchAndLevel()
    {
        QFETCH(double, ratio);
        const std::vector<float> in = tone(180, kRate / 5, 10000);
        const auto length = static_cast<std::size_t>(std::lround(double(in.size()) * ratio));
        const std::vector<float> out = TimeStretch::stretch(in, length, kRate);
        QCOMPARE(out.size(), length);
        // Between the fades: the tone's pitch, and no frame lines up against another out of
        // phase (which would show as a dip).
        const long long margin = std::lround(kRate / 50 * std::max(1.0, ratio));
        QVERIFY(std::abs(frequency(out, margin, std::ssize(out) - margin) - 180) < 6);
        const auto [least, most] = envelope(out, margin, std::ssize(out) - margin);
        QVERIFY2(least > 0.85 * 10000 / std::sqrt(2.0), std::to_string(least).c_str());
        QVERIFY(most < 1.1 * 10000 / std::sqrt(2.0));
    }

    void anchorsGiveEachStretchItsLength()
    {
        // 100 ms at 200 Hz, then 100 ms at 500 Hz; the first made 300 ms, the second 50.
        std::vector<float> in = tone(200, kRate / 10);
        const std::vector<float> high = tone(500, kRate / 10);
        in.insert(in.end(), high.begin(), high.end());
        const double tenth = kRate / 10.0;
        const std::vector<float> out =
            TimeStretch::stretch(in, {{0, 0}, {tenth, 3 * tenth}, {2 * tenth, 3.5 * tenth}}, kRate);
        QCOMPARE(out.size(), std::size_t(3.5 * tenth));
        QVERIFY(std::abs(frequency(out, kRate / 50, 2 * kRate / 10) - 200) < 10);
        QVERIFY(std::abs(frequency(out, 31 * kRate / 100, 34 * kRate / 100) - 500) < 40);
    }

    void joins_data()
    {
        QTest::addColumn<QString>("spelling");
        QTest::addColumn<bool>("dipAtJoins"); // the old way: every join fades through silence
        QTest::newRow("vowel into vowel") << "ih eh" << false;
        QTest::newRow("doubled vowel") << "ae ae" << false;
        QTest::newRow("vowel nasal vowel") << "aa mm iy" << false;
        QTest::newRow("fricative into vowel") << "ss iy" << false;
        QTest::newRow("a pause between") << "ih pa2 eh" << true;
        QTest::newRow("a run far longer than a word")
            << QString("aa ").repeated(60).trimmed() << false;
    }
    void joins()
    {
        QFETCH(QString, spelling);
        QFETCH(bool, dipAtJoins);
        std::istringstream words(spelling.toStdString());
        JoinedSpeech joined(kRate);
        JoinedSpeech::Pcm out;
        std::vector<long long> joins;
        long long at = 0;
        double hz = 150;
        for (std::string m; words >> m;) {
            const long long chip = chipFrames(m);
            const auto sample = AllophoneTable::isPause(m) ? nullptr : pcm(tone(hz += 20, chip));
            joined.add(m, sample, at, chip, out);
            at += chip;
            joins.push_back(at);
        }
        joins.pop_back();
        joined.finish(out);
        // Every allophone keeps its chip time: the whole is as long as their sum.
        QCOMPARE(std::ssize(out), at);
        const std::vector<float> sound(out.begin(), out.end());
        const double level = 8000 / std::sqrt(2.0);
        for (long long j : joins) {
            const double least = envelope(sound, j - kRate / 100, j + kRate / 100).first;
            if (dipAtJoins)
                QVERIFY2(least < 0.2 * level, std::to_string(least).c_str());
            else
                QVERIFY2(least > 0.6 * level, std::to_string(least).c_str());
        }
    }

    void aStopKeepsItsSampleAndALongOneFadesUnderTheNext()
    {
        // A user's stop twice its chip time: as it is until the pause starts, then faded out.
        JoinedSpeech joined(kRate);
        JoinedSpeech::Pcm out;
        const long long pp = chipFrames("pp"), fade = kRate * JoinedSpeech::kCutFadeMs / 1000;
        const auto burst = pcm(tone(900, 2 * pp));
        joined.add("pp", burst, 0, pp, out);
        joined.add("pa5", nullptr, pp, chipFrames("pa5"), out);
        joined.finish(out);
        QCOMPARE(std::ssize(out), pp + chipFrames("pa5"));
        QVERIFY(std::equal(out.begin(), out.begin() + pp, burst->begin()));
        double under = 0;
        for (long long i = pp; i < pp + fade; ++i)
            under += std::abs(out[std::size_t(i)]);
        QVERIFY(under > 0);
        QVERIFY(std::all_of(out.begin() + pp + fade, out.end(), [](auto v) { return v == 0; }));
    }

    void aGapIsSilenceAndNoJoin()
    {
        // The firmware fell behind: the chip was silent between the two.
        JoinedSpeech joined(kRate);
        JoinedSpeech::Pcm out;
        const long long ih = chipFrames("ih");
        joined.add("ih", pcm(tone(200, ih)), 0, ih, out);
        joined.add("ih", pcm(tone(200, ih)), ih + kRate / 10, ih, out);
        joined.finish(out);
        QCOMPARE(std::ssize(out), 2 * ih + kRate / 10);
        for (long long i = ih; i < ih + kRate / 10; ++i)
            QCOMPARE(out[std::size_t(i)], 0);
    }
};

QTEST_GUILESS_MAIN(TestJoinedSpeech)
#include "tst_joinedspeech.moc"
