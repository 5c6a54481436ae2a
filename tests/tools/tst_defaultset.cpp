// The default sample set the build generates: names, format, lengths, levels, and that a second
// run of the generator writes the very same bytes.
#include "catalogue/AllophoneTable.h"
#include "speech/Speaker.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

using tessary::AllophoneTable;

namespace {

struct Wav
{
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<qint16> samples;
    bool valid = false;
};

quint32 le(const QByteArray& b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

Wav parse(const QByteArray& b)
{
    Wav w;
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE" ||
        le(b, 4, 4) != quint32(b.size() - 8))
        return w;
    bool haveFmt = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const qsizetype size = le(b, at + 4, 4);
        if (at + 8 + size > b.size())
            return w;
        if (id == "fmt ") {
            w.format = int(le(b, at + 8, 2));
            w.channels = int(le(b, at + 10, 2));
            w.rate = int(le(b, at + 12, 4));
            w.bits = int(le(b, at + 22, 2));
            haveFmt = true;
        } else if (id == "data" && haveFmt) {
            for (qsizetype i = 0; i + 1 < size; i += 2)
                w.samples.push_back(qint16(le(b, at + 8 + i, 2)));
            w.valid = true;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

double loudest10msDb(const std::vector<qint16>& s, int rate)
{
    const size_t win = size_t(rate / 100);
    double best = 0;
    for (size_t i = 0; i + win <= s.size(); i += win / 4) {
        double sum = 0;
        for (size_t k = 0; k < win; ++k)
            sum += double(s[i + k]) * s[i + k];
        best = std::max(best, std::sqrt(sum / double(win)));
    }
    return best > 0 ? 20 * std::log10(best / 32768.0) : -INFINITY;
}

std::map<QString, double> chipMs()
{
    QFile f(TESSARY_DURATIONS);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no durations table");
    std::map<QString, double> ms;
    f.readLine();
    while (!f.atEnd()) {
        const QList<QByteArray> cols = f.readLine().trimmed().split('\t');
        if (cols.size() == 4)
            ms[QString(cols[1])] = cols[3].toDouble();
    }
    return ms;
}

const QStringList kVowels{"aa", "ae", "eh", "iy", "uw2", "ao", "ow", "ay"};
const QStringList kWeak{"hh1", "hh2", "ff", "th", "ss", "dh1"};

} // namespace

class TestDefaultSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void namesAreTheMnemonics();
    void eachSample_data();
    void eachSample();
    void oneGainForTheSet();
    void weakSoundsStayWeakerThanVowels();
    void sdlDecodesEveryFile();
    void generatorIsDeterministic();
    void listenPlaysWhatRenderWrites_data();
    void listenPlaysWhatRenderWrites();

private:
    Wav load(const QString& mnemonic) const
    {
        QFile f(m_dir.filePath(mnemonic + ".wav"));
        return f.open(QIODevice::ReadOnly) ? parse(f.readAll()) : Wav{};
    }
    QDir m_dir{TESSARY_SET_DIR};
};

void TestDefaultSet::initTestCase()
{
    QVERIFY2(m_dir.exists(), TESSARY_SET_DIR);
}

void TestDefaultSet::namesAreTheMnemonics()
{
    QStringList expected;
    for (const auto& e : AllophoneTable::all())
        expected << QString::fromStdString(e.sampleFile);
    expected.sort();
    QCOMPARE(m_dir.entryList(QDir::Files, QDir::Name), expected);
}

void TestDefaultSet::eachSample_data()
{
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<double>("ms");
    const auto ms = chipMs();
    QCOMPARE(int(ms.size()), 64);
    for (const auto& e : AllophoneTable::all()) {
        const QString m = QString::fromStdString(e.mnemonic);
        QTest::newRow(qPrintable(m)) << m << ms.at(m);
    }
}

void TestDefaultSet::eachSample()
{
    QFETCH(QString, mnemonic);
    QFETCH(double, ms);
    const Wav w = load(mnemonic);
    QVERIFY(w.valid);
    QCOMPARE(w.format, 1); // PCM
    QCOMPARE(w.channels, 1);
    QCOMPARE(w.bits, 16);
    QCOMPARE(w.rate, 22050); // the set's one rate
    const double length = w.samples.size() * 1000.0 / w.rate;
    QVERIFY2(std::abs(length - ms) <= 1.0,
             qPrintable(QString("%1 ms, chip %2").arg(length).arg(ms)));

    const bool pause = mnemonic.startsWith("pa");
    if (pause) {
        QVERIFY(std::all_of(w.samples.begin(), w.samples.end(), [](qint16 s) { return s == 0; }));
        return;
    }
    const double loudest = loudest10msDb(w.samples, w.rate);
    QVERIFY2(loudest > -45.0, qPrintable(QString("loudest 10 ms %1 dBFS").arg(loudest)));
    const auto peak = *std::max_element(w.samples.begin(), w.samples.end(), [](qint16 a, qint16 b) {
        return std::abs(a) < std::abs(b);
    });
    QVERIFY2(std::abs(int(peak)) < 32767, "clipped");
    // Cuts are faded: the first and last samples are (near) silent, so nothing clicks.
    QVERIFY2(std::abs(w.samples.front()) < 200 && std::abs(w.samples.back()) < 200,
             qPrintable(QString("ends %1 %2").arg(w.samples.front()).arg(w.samples.back())));
}

void TestDefaultSet::oneGainForTheSet()
{
    int loudest = 0;
    for (const auto& e : AllophoneTable::all()) {
        const Wav w = load(QString::fromStdString(e.mnemonic));
        for (qint16 s : w.samples)
            loudest = std::max(loudest, std::abs(int(s)));
    }
    const double db = 20 * std::log10(loudest / 32768.0);
    QVERIFY2(std::abs(db + 3.0) < 0.2, qPrintable(QString("set peak %1 dBFS").arg(db)));
}

void TestDefaultSet::weakSoundsStayWeakerThanVowels()
{
    double quietestVowel = 0;
    for (const QString& v : kVowels)
        quietestVowel = std::min(quietestVowel, loudest10msDb(load(v).samples, 22050));
    for (const QString& c : kWeak) {
        const double level = loudest10msDb(load(c).samples, 22050);
        QVERIFY2(
            level < quietestVowel,
            qPrintable(
                QString("%1 at %2 dBFS, quietest vowel %3").arg(c).arg(level).arg(quietestVowel)));
    }
}

void TestDefaultSet::sdlDecodesEveryFile()
{
    for (const auto& e : AllophoneTable::all()) {
        SDL_AudioSpec spec{};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        const QByteArray path = m_dir.filePath(QString::fromStdString(e.sampleFile)).toLocal8Bit();
        QVERIFY2(SDL_LoadWAV(path.constData(), &spec, &buffer, &length), SDL_GetError());
        SDL_FreeWAV(buffer);
    }
}

void TestDefaultSet::generatorIsDeterministic()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess gen;
    gen.start(TESSARY_SAMPLEGEN, {"--durations", TESSARY_DURATIONS, "--out", out.path()});
    QVERIFY(gen.waitForFinished(120000));
    QCOMPARE(gen.exitCode(), 0);
    for (const auto& e : AllophoneTable::all()) {
        const QString name = QString::fromStdString(e.sampleFile);
        QFile a(m_dir.filePath(name)), b(QDir(out.path()).filePath(name));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), qPrintable(name));
    }
}

void TestDefaultSet::listenPlaysWhatRenderWrites_data()
{
    QTest::addColumn<QString>("spelling");
    QTest::newRow("hello") << "hh1 eh ll ow pa1";
    QTest::newRow("doubled vowel, stops") << "bb2 ae ae pa3 kk2 pa1";
    QTest::newRow("the door is open") << "dh1 ax pa1 dd2 or pa1 ih zz pa1 ow pa3 pp ax nn1 pa1";
}

// The window's Listen plays a spelling in shares, one file an allophone; back to back they are
// what `tessary render` writes of it, frame for frame: one timeline and one way of joining.
void TestDefaultSet::listenPlaysWhatRenderWrites()
{
    QFETCH(QString, spelling);
    QTemporaryDir tmp;
    std::vector<std::string> mnemonics;
    for (const QString& m : spelling.split(' '))
        mnemonics.push_back(m.toStdString());
    const tessary::Speaker speaker(tessary::SampleSet(TESSARY_SET_DIR "/"), nullptr);
    const std::vector<std::string> files = speaker.joinedFiles(mnemonics, tmp.path().toStdString());
    QCOMPARE(files.size(), mnemonics.size());
    std::vector<qint16> listened;
    for (const std::string& f : files) {
        QFile file(QString::fromStdString(f));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Wav w = parse(file.readAll());
        QVERIFY(w.valid);
        listened.insert(listened.end(), w.samples.begin(), w.samples.end());
    }
    QProcess render;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", "/nonexistent");
    env.insert("XDG_DATA_DIRS", QFileInfo(TESSARY_SET_DIR "/../..").absoluteFilePath());
    render.setProcessEnvironment(env);
    const QString out = tmp.filePath("render.wav");
    render.start(TESSARY_CLI, QStringList{"render", "--output", out} + spelling.split(' '));
    QVERIFY(render.waitForFinished(30000));
    QCOMPARE(render.exitCode(), 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Wav rendered = parse(file.readAll());
    QVERIFY(rendered.valid);
    QCOMPARE(listened.size(), rendered.samples.size());
    QVERIFY(listened == rendered.samples);
}

QTEST_APPLESS_MAIN(TestDefaultSet)
#include "tst_defaultset.moc"
