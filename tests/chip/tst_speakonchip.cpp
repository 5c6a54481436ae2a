// "Speak on Chip" in the window, against the simulated board: the slots' codes reach the
// modelled chip in order, empty slots left out, and the menu says when it has spoken.
#include "support/RecordingPlayer.h"
#include "support/WindowTest.h"
#include "window/MainWindow.h"

#include "catalogue/AllophoneTable.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <pty.h>
#include <unistd.h>

using namespace tessary;
using tessary::testing::RecordingPlayer;

class TestSpeakOnChip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void speaksWhatTheSlotsHold_data();
    void speaksWhatTheSlotsHold();
    void closesWhileABoardBoots();
    void hardwareSpeaksOnTheChip();
    void hardwareWithoutAPort_data();
    void hardwareWithoutAPort();

private:
    QList<int> spoken() const;

    QTemporaryDir m_dir;
    QProcess m_board;
    QStringList m_plays;
};

void TestSpeakOnChip::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_board.start(qEnvironmentVariable("CHIP_SIM"),
                  {qEnvironmentVariable("BRIDGE_ELF"), m_dir.filePath("chip.log")});
    QString pty;
    while (pty.isEmpty() && m_board.waitForReadyRead(10000)) {
        while (m_board.canReadLine()) {
            const QString line = QString::fromUtf8(m_board.readLine()).trimmed();
            if (line.startsWith("pty "))
                pty = line.mid(4);
        }
    }
    QVERIFY2(!pty.isEmpty(), "chip_sim gave no pty");
    qputenv("TESSARY_DEVICE", pty.toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
}

void TestSpeakOnChip::cleanupTestCase()
{
    m_board.kill();
    m_board.waitForFinished();
}

QList<int> TestSpeakOnChip::spoken() const
{
    QFile log(m_dir.filePath("chip.log"));
    QList<int> codes;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.startsWith("start "))
                codes << line.split(' ').at(1).toInt();
        }
    }
    return codes;
}

void TestSpeakOnChip::speaksWhatTheSlotsHold_data()
{
    QTest::addColumn<QStringList>("slots");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QString>("said");
    const QString said = "The chip said it";
    QTest::newRow("hello, a gap left out")
        << QStringList{"hh1", "eh", "", "ll", "ow", "pa1"} << QList<int>{27, 7, 45, 53, 0} << said;
    QTest::newRow("texts that name no allophone left out")
        << QStringList{"hh1", "EH", "xx", "$07", "ow"} << QList<int>{27, 53} << said;
    // Said at once: the bridge is not even asked.
    QTest::newRow("every slot empty")
        << QStringList{} << QList<int>{} << "Nothing to say: every slot is empty";
}

void TestSpeakOnChip::speaksWhatTheSlotsHold()
{
    QFETCH(QStringList, slots);
    QFETCH(QList<int>, codes);
    QFETCH(QString, said);
    MainWindow window(SampleSet("/set/"), std::make_unique<RecordingPlayer>(&m_plays));
    window.show();
    for (int n = 0; n < slots.size(); ++n)
        tessary::testing::control<QLineEdit>(&window, QString("Text%1").arg(n + 1))
            ->setText(slots[n]);
    const int before = static_cast<int>(spoken().size());
    auto* speak = tessary::testing::control<QPushButton>(&window, "Speak");
    speak->findChild<QAction*>("speakOnChip")->trigger();
    auto* status = speak->findChild<QAction*>("chipStatus");
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), said, codes.isEmpty() ? 100 : 60000);
    QCOMPARE(spoken().mid(before), codes);
}

// A port where nothing answers yet (a board in its boot loader): closing the window gives up
// the wait at once instead of sitting out the 3 s a bridge may take.
void TestSpeakOnChip::closesWhileABoardBoots()
{
    int master = -1, slave = -1;
    QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
    const QByteArray device = qgetenv("TESSARY_DEVICE");
    qputenv("TESSARY_DEVICE", ::ttyname(slave));
    QElapsedTimer closing;
    {
        MainWindow window(SampleSet("/set/"), std::make_unique<RecordingPlayer>(&m_plays));
        window.show();
        tessary::testing::control<QLineEdit>(&window, "Text1")->setText("hh1");
        auto* speak = tessary::testing::control<QPushButton>(&window, "Speak");
        speak->findChild<QAction*>("speakOnChip")->trigger();
        QTest::qWait(300); // the hello is out, no answer yet
        closing.start();
    }
    const qint64 took = closing.elapsed();
    qputenv("TESSARY_DEVICE", device);
    ::close(slave);
    ::close(master);
    // The board never answers: a close that waited for it would not end at all.
    QVERIFY2(took < 10000, qPrintable(QString("closing took %1 ms").arg(took)));
}

// With a port known, Hardware can be chosen: SPEAK and an allophone's label then speak on the
// chip (the label's allophone with PA1 after it), and the samples stay quiet; Emulate goes back.
void TestSpeakOnChip::hardwareSpeaksOnTheChip()
{
    MainWindow window(SampleSet("/set/"), std::make_unique<RecordingPlayer>(&m_plays));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* hardware = tessary::testing::control<QRadioButton>(&window, "Hardware");
    QVERIFY(hardware->isEnabled());
    hardware->click();
    for (const auto& [n, text] : {std::pair{1, "hh1"}, std::pair{2, "eh"}, std::pair{3, "pa1"}})
        tessary::testing::control<QLineEdit>(&window, QString("Text%1").arg(n))->setText(text);
    m_plays.clear();
    const int before = static_cast<int>(spoken().size());
    tessary::testing::control<QPushButton>(&window, "Speak")->click();
    QTRY_COMPARE_WITH_TIMEOUT(spoken().mid(before), (QList<int>{27, 7, 0}), 60000);
    auto* label1 = tessary::testing::control<QLabel>(&window, "Label1");
    const int code = AllophoneTable::EntryByAuditionLabel(1)->code;
    QTest::mouseClick(label1, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(spoken().mid(before + 3), (QList<int>{code, 0}), 60000);
    QVERIFY2(m_plays.isEmpty(), qPrintable(m_plays.join(' ')));
    QVERIFY(window.lastChipProblem().isEmpty());

    tessary::testing::control<QRadioButton>(&window, "Emulate")->click();
    QTest::mouseClick(label1, Qt::LeftButton);
    QTRY_COMPARE(m_plays.size(), 1);
}

void TestSpeakOnChip::hardwareWithoutAPort_data()
{
    QTest::addColumn<QString>("device"); // TESSARY_DEVICE; the config folder holds no port
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no port known: greyed, Emulate selected") << "" << false;
    QTest::newRow("a port known that has gone: a failure where the user clicked")
        << "/nonexistent/tty" << true;
}

void TestSpeakOnChip::hardwareWithoutAPort()
{
    QFETCH(QString, device);
    QFETCH(bool, enabled);
    const QByteArray had = qgetenv("TESSARY_DEVICE");
    qputenv("TESSARY_DEVICE", device.toUtf8());
    {
        MainWindow window(SampleSet("/set/"), std::make_unique<RecordingPlayer>(&m_plays));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* hardware = tessary::testing::control<QRadioButton>(&window, "Hardware");
        QCOMPARE(hardware->isEnabled(), enabled);
        QVERIFY(tessary::testing::control<QRadioButton>(&window, "Emulate")->isChecked());
        if (enabled) {
            hardware->click();
            tessary::testing::control<QLineEdit>(&window, "Text1")->setText("hh1");
            tessary::testing::control<QPushButton>(&window, "Speak")->click();
            QTRY_VERIFY(window.lastChipProblem().contains("/nonexistent/tty"));
            QTRY_VERIFY(QToolTip::isVisible());
            // Beside SPEAK, with the ways out.
            QVERIFY(QToolTip::text().startsWith(window.lastChipProblem()));
            QVERIFY(QToolTip::text().contains("Choose Emulate"));
            QVERIFY(QToolTip::text().contains("Choose Another Port"));
        }
    }
    qputenv("TESSARY_DEVICE", had);
}

QTEST_MAIN(TestSpeakOnChip)
#include "tst_speakonchip.moc"
