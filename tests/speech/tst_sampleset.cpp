#include "speech/SampleSet.h"
#include "speech/Speaker.h"
#include "support/RecordingPlayer.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

using tessary::SamplePlayer;
using tessary::SampleSet;
using tessary::Speaker;

using tessary::testing::RecordingPlayer;

class TestSampleSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void locate_data();
    void locate();
    void samplePathIsVerbatim_data();
    void samplePathIsVerbatim();
    void speakerPlays_data();
    void speakerPlays();
    void noSampleSetPlaysNothing();
};

void TestSampleSet::locate_data()
{
    // Folders under the temporary root that get a quorlin-tessary/Set/ inside.
    QTest::addColumn<QStringList>("withSet");
    // Environment values; "@" stands for the temporary root; "-" for unset.
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("dataDirs");
    QTest::addColumn<QString>("expected"); // relative to the root, "" for none

    QTest::newRow("user's own set comes first")
        << QStringList{"user", "sys", "build/share"} << "@/user"
        << "@/home"
        << "@/sys"
        << "user/quorlin-tessary/Set/";
    QTest::newRow("XDG_DATA_HOME unset falls back to ~/.local/share")
        << QStringList{"home/.local/share", "sys"} << "-"
        << "@/home"
        << "@/sys"
        << "home/.local/share/quorlin-tessary/Set/";
    QTest::newRow("empty XDG_DATA_HOME counts as unset")
        << QStringList{"home/.local/share"} << ""
        << "@/home"
        << "-"
        << "home/.local/share/quorlin-tessary/Set/";
    QTest::newRow("first data dir that has it") << QStringList{"b", "c"} << "@/none"
                                                << "@/home"
                                                << "@/a:@/b:@/c"
                                                << "b/quorlin-tessary/Set/";
    QTest::newRow("relative entries are ignored") << QStringList{"c"} << "rel"
                                                  << "@/home"
                                                  << "rel:@/c"
                                                  << "c/quorlin-tessary/Set/";
    QTest::newRow("beside the executable last") << QStringList{"build/share"} << "@/none"
                                                << "@/home"
                                                << "@/none2"
                                                << "build/share/quorlin-tessary/Set/";
    QTest::newRow("nowhere") << QStringList{} << "@/none"
                             << "@/home"
                             << "@/none2"
                             << "";
}

void TestSampleSet::locate()
{
    QFETCH(QStringList, withSet);
    QFETCH(QString, dataHome);
    QFETCH(QString, home);
    QFETCH(QString, dataDirs);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString& d : withSet)
        QVERIFY(QDir(root.path()).mkpath(d + "/quorlin-tessary/Set"));
    QVERIFY(QDir(root.path()).mkpath("build/bin"));
    // A plain file where a set would be does not count.
    QVERIFY(QDir(root.path()).mkpath("none"));

    QHash<QString, QString> vars{
        {"XDG_DATA_HOME", dataHome}, {"HOME", home}, {"XDG_DATA_DIRS", dataDirs}};
    const auto env = [&](const char* name) -> std::optional<std::string> {
        const QString v = vars.value(name, "-");
        if (v == "-")
            return std::nullopt;
        return QString(v).replace("@", root.path()).toStdString();
    };
    const std::string found = SampleSet::locate(env, (root.path() + "/build/bin").toStdString());
    QCOMPARE(QString::fromStdString(found),
             expected.isEmpty() ? QString() : root.path() + "/" + expected);
}

void TestSampleSet::samplePathIsVerbatim_data()
{
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("path");
    QTest::newRow("mnemonic") << "hh1"
                              << "/d/Set/hh1.wav";
    QTest::newRow("empty stem") << ""
                                << "/d/Set/.wav";
    QTest::newRow("no case folding") << "HH1"
                                     << "/d/Set/HH1.wav";
    QTest::newRow("no trimming") << " hh1 "
                                 << "/d/Set/ hh1 .wav";
}

void TestSampleSet::samplePathIsVerbatim()
{
    QFETCH(QString, stem);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(SampleSet("/d/Set/").samplePath(stem.toStdString())), path);
}

void TestSampleSet::speakerPlays_data()
{
    QTest::addColumn<QByteArray>("stem"); // empty with audition set
    QTest::addColumn<int>("audition");    // 0: play the stem instead
    QTest::addColumn<QStringList>("plays");

    QTest::newRow("stem e") << QByteArray("e") << 0 << QStringList{"/d/Set/e.wav"};
    QTest::newRow("empty stem") << QByteArray("") << 0 << QStringList{"/d/Set/.wav"};
    QTest::newRow("slash") << QByteArray("../x") << 0 << QStringList{};
    QTest::newRow("absolute") << QByteArray("/etc/passwd") << 0 << QStringList{};
    QTest::newRow("backslash") << QByteArray("a\\b") << 0 << QStringList{};
    QTest::newRow("NUL") << QByteArray("hh1\0x", 5) << 0 << QStringList{};
    QTest::newRow("dots alone stay inside")
        << QByteArray("..") << 0 << QStringList{"/d/Set/...wav"};
    QTest::newRow("Label29 HH1") << QByteArray() << 29 << QStringList{"/d/Set/hh1.wav"};
    QTest::newRow("Label44 OY") << QByteArray() << 44 << QStringList{"/d/Set/oy.wav"};
    QTest::newRow("Label50 TT1") << QByteArray() << 50 << QStringList{"/d/Set/tt1.wav"};
    QTest::newRow("Label52 TH") << QByteArray() << 52 << QStringList{"/d/Set/th.wav"};
    QTest::newRow("Label65 is no audition label") << QByteArray() << 65 << QStringList{};
}

void TestSampleSet::speakerPlays()
{
    QFETCH(QByteArray, stem);
    QFETCH(int, audition);
    QFETCH(QStringList, plays);
    QStringList log;
    Speaker speaker(SampleSet("/d/Set/"), std::make_unique<RecordingPlayer>(&log));
    if (audition)
        speaker.audition(audition);
    else
        speaker.playStem(std::string_view(stem.constData(), size_t(stem.size())));
    QCOMPARE(log, plays);
}

void TestSampleSet::noSampleSetPlaysNothing()
{
    QStringList log;
    Speaker speaker(SampleSet(), std::make_unique<RecordingPlayer>(&log));
    speaker.playStem("hh1");
    speaker.audition(29);
    QVERIFY(log.isEmpty()); // not even a path relative to the working folder
}

QTEST_APPLESS_MAIN(TestSampleSet)
#include "tst_sampleset.moc"
