// The SDL player against real output: SDL's disk driver writes what the device plays to a file.
// Decoding is shared with the sound-server player, so the hostile files are tried here.
#include "sound/players/CutFade.h"
#include "sound/players/SampleDecoder.h"
#include "sound/players/SdlSamplePlayer.h"
#include "speech/Speaker.h"
#include "support/WavFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

using namespace tessary;
using namespace tessary::testing;

namespace {

using Samples = std::vector<std::int16_t>;

bool contains(const Samples& haystack, const Samples& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// One player writing to its own capture file.
class Capture
{
public:
    explicit Capture(const QString& dir,
                     std::chrono::milliseconds idleClose = std::chrono::seconds(10))
        : m_out((dir + "/out.raw").toStdString())
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QByteArray::fromStdString(m_out));
        m_player = std::make_unique<SdlSamplePlayer>(idleClose);
        m_player->openDevice();
    }

    SdlSamplePlayer& player() { return *m_player; }
    // Plays and waits for the sample to be decoded, which happens off the caller's thread.
    void play(const std::string& path)
    {
        m_player->play(path);
        m_player->waitDecoded();
    }

    long long capturedFrames() const { return QFileInfo(QString::fromStdString(m_out)).size() / 2; }

    // Lets the voice play out, closes the device and returns everything it was fed.
    Samples finish()
    {
        QDeadlineTimer deadline(10000);
        while (m_player->sounding() && !deadline.hasExpired())
            QTest::qWait(5);
        QTest::qWait(60); // the buffer holding the voice's last frames
        m_player.reset();
        return readRawS16(m_out);
    }

private:
    std::string m_out;
    std::unique_ptr<SdlSamplePlayer> m_player;
};

} // namespace

class TestSdlSamplePlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void playAppearsInOutput();
    void secondPlayCutsTheFirst();
    void unplayableFilesAreSilent_data();
    void unplayableFilesAreSilent();
    void changedFileIsDecodedAgain();
    void otherFormatsAreConverted();
    void stemWithSeparatorOpensNothing();
    void idleDeviceClosesAndReopens();
    void slowDeviceNeverHoldsAPlay();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->path() + "/" + name; }
};

void TestSdlSamplePlayer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSdlSamplePlayer::playAppearsInOutput()
{
    const Samples tone = toneBurst(100);
    QVERIFY(writeWav(path("tone.wav").toStdString(), tone));
    Capture cap(m_dir->path());
    QVERIFY2(cap.player().deviceOpen(), "the disk driver opens a device");
    cap.play(path("tone.wav").toStdString());
    QVERIFY(cap.player().sounding());
    const Samples out = cap.finish();
    QVERIFY2(contains(out, tone), "the whole sample reaches the device, unchanged");
}

void TestSdlSamplePlayer::secondPlayCutsTheFirst()
{
    const Samples first(22050, 3000); // one second of a level no other sample has
    const Samples second = toneBurst(100);
    QVERIFY(writeWav(path("first.wav").toStdString(), first));
    QVERIFY(writeWav(path("second.wav").toStdString(), second));

    Capture cap(m_dir->path());
    cap.play(path("first.wav").toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(cap.capturedFrames() > 2048, 10000);
    cap.play(path("second.wav").toStdString());
    const Samples out = cap.finish();

    const auto firstPlayed = std::count(out.begin(), out.end(), std::int16_t(3000));
    QVERIFY2(firstPlayed > 0 && firstPlayed < 22050, qPrintable(QString::number(firstPlayed)));
    // The second plays in full, from its onset; under its first frames the first fades out
    // (no step from 3000 to the second's level, the click a cut made).
    const std::size_t fade = tessary::CutFade::frames(22050);
    const auto rest = std::search(out.begin(), out.end(), second.begin() + fade, second.end());
    QVERIFY2(rest != out.end() && rest - out.begin() >= static_cast<long>(fade),
             "the second sample plays in full");
    const auto onset = rest - static_cast<long>(fade);
    for (std::size_t i = 0; i < fade; ++i)
        QCOMPARE(
            onset[static_cast<long>(i)],
            std::int16_t(second[i] + 3000 * static_cast<long>(fade - i) / static_cast<long>(fade)));
    QCOMPARE(onset[-1], std::int16_t(3000));
    QVERIFY2(std::find(rest, out.end(), std::int16_t(3000)) == out.end(),
             "the first sample does not come back");
}

void TestSdlSamplePlayer::unplayableFilesAreSilent_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("not a wave file") << "garbage";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("truncated data chunk") << "truncated";
    QTest::newRow("directory named like a sample") << "directory";
    QTest::newRow("FIFO named like a sample") << "fifo";
    QTest::newRow("larger than 8 MiB") << "huge";
    QTest::newRow("rate of 1 Hz") << "1 Hz";
    QTest::newRow("rate of 1,000,000 Hz") << "1 MHz";
    QTest::newRow("IMA ADPCM at 1 Hz") << "adpcm 1 Hz";
    QTest::newRow("A-law with an empty data chunk") << "empty a-law";
    QTest::newRow("mu-law with an empty data chunk") << "empty mu-law";
    QTest::newRow("data chunk declaring 4 GiB") << "4 GiB";
    QTest::newRow("longer than 30 s once decoded") << "31 s";
}

void TestSdlSamplePlayer::unplayableFilesAreSilent()
{
    QFETCH(QString, kind);
    const std::string file = path("x.wav").toStdString();
    if (kind == "garbage") {
        QVERIFY(writeBytes(file, std::string(4000, '\x5a')));
    } else if (kind == "empty") {
        QVERIFY(writeBytes(file, {}));
    } else if (kind == "truncated") {
        const std::string whole = wavBytes(toneBurst(200));
        QVERIFY(writeBytes(file, whole.substr(0, whole.size() / 2)));
    } else if (kind == "directory") {
        QVERIFY(QDir().mkpath(QString::fromStdString(file)));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(file.c_str(), 0600), 0);
    } else if (kind == "huge") {
        const int ms = int((SampleDecoder::kMaxFileBytes / 2) * 1000 / 22050) + 10;
        QVERIFY(writeWav(file, toneBurst(ms)));
    } else if (kind == "1 Hz") { // 17 KB of 8-bit mono: once 3 GB and a crash in conversion
        QVERIFY(writeBytes(file, wavWithHeader(1, 1, 1, 8, 1, 17000, std::string(17000, 'x'))));
    } else if (kind == "1 MHz") {
        QVERIFY(
            writeBytes(file, wavWithHeader(1, 1, 1000000, 16, 2, 2000, std::string(2000, 'x'))));
    } else if (kind == "adpcm 1 Hz") { // one 256-byte block of 505 samples
        const std::string extra = std::string("\x02\x00\xf9\x01", 4); // cbSize 2, 505 per block
        QVERIFY(writeBytes(file,
                           wavWithHeader(0x11, 1, 1, 4, 256, 256, std::string(256, '\0'), extra)));
    } else if (kind == "empty a-law" || kind == "empty mu-law") {
        QVERIFY(
            writeBytes(file, wavWithHeader(kind == "empty a-law" ? 6 : 7, 1, 8000, 8, 1, 0, {})));
    } else if (kind == "4 GiB") {
        QVERIFY(writeBytes(file,
                           wavWithHeader(1, 1, 22050, 16, 2, 0xFFFFFFF0u, std::string(4000, 'x'))));
    } else if (kind == "31 s") { // 8 kHz 8-bit: small on disk, long once decoded
        QVERIFY(writeBytes(
            file, wavWithHeader(1, 1, 8000, 8, 1, 8000 * 31, std::string(8000 * 31, '\x90'))));
    }

    Capture cap(m_dir->path());
    QElapsedTimer clock;
    clock.start();
    cap.player().play(file); // must return at once, and must not hang on the FIFO
    // A guard against a hang, not a measure of speed (bench/ has that): a play takes
    // microseconds, a wait for the FIFO for ever.
    const qint64 playNs = clock.nsecsElapsed();
    QVERIFY2(playNs < 500'000'000, qPrintable(QString("play took %1 us").arg(playNs / 1000)));
    cap.player().waitDecoded();
    QVERIFY(!cap.player().sounding());
    const bool remembered = kind != "missing" && kind != "directory" && kind != "fifo" &&
                            kind != "huge"; // the rest decode to "unplayable", once
    QCOMPARE(cap.player().cachedSamples(), std::size_t(remembered ? 1 : 0));
    QTest::qWait(50);
    const Samples out = cap.finish();
    QVERIFY(std::all_of(out.begin(), out.end(), [](std::int16_t s) { return s == 0; }));
}

void TestSdlSamplePlayer::changedFileIsDecodedAgain()
{
    const std::string file = path("s.wav").toStdString();
    const Samples before(441, 1234);
    const Samples after = toneBurst(60);
    QVERIFY(writeWav(file, before));

    Capture cap(m_dir->path());
    cap.play(file);
    QTRY_VERIFY_WITH_TIMEOUT(!cap.player().sounding(), 10000);
    QVERIFY(writeWav(file, after));
    cap.play(file);
    QCOMPARE(cap.player().cachedSamples(), std::size_t(1));
    const Samples out = cap.finish();
    QVERIFY(contains(out, before));
    QVERIFY2(contains(out, after), "the rewritten file is heard, not the cached one");
}

void TestSdlSamplePlayer::otherFormatsAreConverted()
{
    // 44.1 kHz stereo: SDL converts it to the device's 22.05 kHz mono.
    Samples stereo;
    for (std::int16_t s : toneBurst(200, 44100)) {
        stereo.push_back(s);
        stereo.push_back(s);
    }
    QVERIFY(writeWav(path("st.wav").toStdString(), stereo, 44100, 2));
    Capture cap(m_dir->path());
    cap.play(path("st.wav").toStdString());
    const Samples out = cap.finish();
    const auto loud =
        std::count_if(out.begin(), out.end(), [](std::int16_t s) { return std::abs(s) > 4000; });
    QVERIFY2(loud > 4410 * 8 / 10 && loud <= 4410, qPrintable(QString::number(loud)));
}

void TestSdlSamplePlayer::stemWithSeparatorOpensNothing()
{
    QVERIFY(QDir(m_dir->path()).mkpath("Set"));
    QVERIFY(writeWav(path("outside.wav").toStdString(), toneBurst(100)));
    QVERIFY(writeWav(path("Set/inside.wav").toStdString(), toneBurst(100)));

    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", path("out.raw").toLocal8Bit());
    auto owned = std::make_unique<SdlSamplePlayer>();
    SdlSamplePlayer* player = owned.get();
    Speaker speaker(SampleSet((m_dir->path() + "/Set/").toStdString()), std::move(owned));

    speaker.playStem("../outside");
    QVERIFY2(!player->sounding() && player->cachedSamples() == 0,
             "a file outside the set was opened");
    speaker.playStem("inside");
    QTRY_VERIFY_WITH_TIMEOUT(player->sounding(), 5000);
}

void TestSdlSamplePlayer::idleDeviceClosesAndReopens()
{
    const Samples tone = toneBurst(50);
    QVERIFY(writeWav(path("t.wav").toStdString(), tone));
    Capture cap(m_dir->path(), std::chrono::milliseconds(150));
    cap.play(path("t.wav").toStdString());
    QVERIFY(cap.player().deviceOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!cap.player().deviceOpen(), 10000);

    // The disk driver starts its file afresh when the device opens again.
    cap.play(path("t.wav").toStdString());
    QTRY_VERIFY2_WITH_TIMEOUT(cap.player().deviceOpen(), "the next play reopens it", 5000);
    QVERIFY(contains(cap.finish(), tone));
}

// SDL's disk driver opens its file for writing, which on a FIFO waits for a reader: a device
// whose open takes as long as the test likes.
void TestSdlSamplePlayer::slowDeviceNeverHoldsAPlay()
{
    const Samples tone = toneBurst(100);
    QVERIFY(writeWav(path("t.wav").toStdString(), tone));
    const QByteArray fifo = path("device.fifo").toLocal8Bit();
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", fifo);

    Samples heard;
    std::thread reader;
    {
        SdlSamplePlayer player(std::chrono::seconds(10));
        player.preload({path("t.wav").toStdString()});
        player.waitDecoded();
        for (int k = 0; k < 3; ++k) {
            QElapsedTimer took;
            took.start();
            player.play(path("t.wav").toStdString());
            // The device takes ten seconds to come: a play that waited for it would take them.
            QVERIFY2(took.nsecsElapsed() < 1'000'000'000, "a play waited for the device");
        }
        QVERIFY(!player.deviceOpen());
        // The device comes: the newest play sounds.
        reader = std::thread([&fifo, &heard] {
            const int fd = ::open(fifo.constData(), O_RDONLY);
            std::int16_t buffer[4096];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                heard.insert(heard.end(), buffer, buffer + n / 2);
            ::close(fd);
        });
        QTRY_VERIFY_WITH_TIMEOUT(player.deviceOpen() && player.sounding(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!player.sounding(), 5000);
        QTest::qWait(60); // the buffer holding the voice's last frames
    }
    reader.join();
    QVERIFY2(contains(heard, tone), "the play that waited for the device was not heard");

    // A device that never opens: the player still ends, within its grace of a second.
    QElapsedTimer took;
    took.start();
    {
        SdlSamplePlayer player;
        player.play(path("t.wav").toStdString());
        QTest::qWait(50);
    }
    QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));
    // Let the open that was left behind finish, so that nothing of it outlives the test.
    const int fd = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    QTest::qWait(200);
    ::close(fd);
}

QTEST_GUILESS_MAIN(TestSdlSamplePlayer)
#include "tst_sdlsampleplayer.moc"
