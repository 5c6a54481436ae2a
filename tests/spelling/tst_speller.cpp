// English to allophones: the variant each position asks for, on the chip table's own example
// words; the pauses; the word lists. Needs espeak-ng's English data.
#include "spelling/Speller.h"
#include "spelling/WordList.h"

#include <QTest>

using namespace tessary;

namespace {

QString spelled(const Speller& speller, const QString& text)
{
    QStringList out;
    for (const std::string& m : speller.spell(text.toStdString()))
        out << QString::fromStdString(m);
    return out.join(' ');
}

} // namespace

class TestSpeller : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void variantByPosition_data();
    void variantByPosition();
    void pausesAndLength_data();
    void pausesAndLength();
    void userWordsOverrideTheRules();
    void malformedLinesAreReported_data();
    void malformedLinesAreReported();

private:
    Speller m_speller;
};

void TestSpeller::initTestCase()
{
    QVERIFY2(m_speller.available(), "espeak-ng's English data is missing");
}

void TestSpeller::variantByPosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("allophone");
    QTest::addColumn<QString>("notThis");
    // The example word of the chip's table, or a word of the same position.
    QTest::newRow("Comb: KK3 before a back vowel") << "Comb"
                                                   << "kk3"
                                                   << "kk1";
    QTest::newRow("Can't: KK1 before a front vowel") << "Can't"
                                                     << "kk1"
                                                     << "kk3";
    QTest::newRow("Sky: KK2 after S") << "Sky"
                                      << "kk2"
                                      << "kk1";
    QTest::newRow("six: KK3 before a consonant, as in sixteen") << "six"
                                                                << "kk3"
                                                                << "kk2";
    QTest::newRow("Got: GG1 before a back vowel") << "Got"
                                                  << "gg1"
                                                  << "gg2";
    QTest::newRow("Guest: GG2 before a front vowel") << "Guest"
                                                     << "gg2"
                                                     << "gg1";
    QTest::newRow("Wig: GG3 at the end") << "Wig"
                                         << "gg3"
                                         << "gg1";
    QTest::newRow("Could: DD1 at the end") << "Could"
                                           << "dd1"
                                           << "dd2";
    QTest::newRow("Do: DD2 at the start") << "Do"
                                          << "dd2"
                                          << "dd1";
    QTest::newRow("Part: TT1 at the end") << "Part"
                                          << "tt1"
                                          << "tt2";
    QTest::newRow("To: TT2 at the start") << "To"
                                          << "tt2"
                                          << "tt1";
    QTest::newRow("He: HH1 before a front vowel") << "He"
                                                  << "hh1"
                                                  << "hh2";
    QTest::newRow("Hoe: HH2 before a back vowel") << "Hoe"
                                                  << "hh2"
                                                  << "hh1";
    QTest::newRow("Thin: NN1 at the end") << "Thin"
                                          << "nn1"
                                          << "nn2";
    QTest::newRow("No: NN2 at the start") << "No"
                                          << "nn2"
                                          << "nn1";
    QTest::newRow("Rural: RR1 at the start") << "Rural"
                                             << "rr1"
                                             << "rr2";
    QTest::newRow("Brain: RR2 in an initial cluster") << "Brain"
                                                      << "rr2"
                                                      << "rr1";
    QTest::newRow("hundred: RR2 after a consonant inside a word") << "hundred"
                                                                  << "rr2"
                                                                  << "rr1";
    QTest::newRow("Yes: YY2 at the start") << "Yes"
                                           << "yy2"
                                           << "yy1";
    QTest::newRow("cute: YY1 in a cluster") << "cute"
                                            << "yy1"
                                            << "yy2";
    QTest::newRow("They: DH1 at the start") << "They"
                                            << "dh1"
                                            << "dh2";
    QTest::newRow("bathe: DH2 at the end") << "bathe"
                                           << "dh2"
                                           << "dh1";
    QTest::newRow("Fir: ER2 stressed") << "Fir"
                                       << "er2"
                                       << "er1";
    QTest::newRow("letter: ER1 unstressed") << "letter"
                                            << "er1"
                                            << "er2";
    QTest::newRow("Food: UW2 in a monosyllable") << "Food"
                                                 << "uw2"
                                                 << "uw1";
    QTest::newRow("computer: UW1 after YY") << "computer"
                                            << "uw1"
                                            << "uw2";
    QTest::newRow("Business: BB2 at the start") << "Business"
                                                << "bb2"
                                                << "bb1";
    QTest::newRow("rib: BB1 at the end") << "rib"
                                         << "bb1"
                                         << "bb2";
    QTest::newRow("Lake: LL") << "Lake"
                              << "ll"
                              << "el";
    QTest::newRow("Saddle: EL, a syllabic l") << "Saddle"
                                              << "el"
                                              << "ll";
    QTest::newRow("Store: OR holds its r") << "Store"
                                           << "or"
                                           << "rr1";
}

void TestSpeller::variantByPosition()
{
    QFETCH(QString, text);
    QFETCH(QString, allophone);
    QFETCH(QString, notThis);
    const QStringList got = spelled(m_speller, text).split(' ');
    QVERIFY2(got.contains(allophone) && !got.contains(notThis), qPrintable(got.join(' ')));
}

void TestSpeller::pausesAndLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spelling");
    QTest::newRow("the window's own spelling of hello, and a closing PA1") << "hello"
                                                                           << "hh1 eh ll ow pa1";
    QTest::newRow("PA3 between words, PA1 before a voiced stop")
        << "hello world"
        << "hh1 eh ll ow pa3 ww er2 ll pa1 dd1 pa1";
    QTest::newRow("PA3 before an unvoiced stop, a stressed vowel doubled") << "apple"
                                                                           << "ae ae pa3 pp el pa1";
    QTest::newRow("initial TH and FF single") << "thin fin"
                                              << "th ih ih nn1 pa3 ff ih ih nn1 pa1";
    QTest::newRow("no pause between a nasal and its stop") << "send pink"
                                                           << "ss eh eh nn1 dd1 pa3 pp ih ih ng "
                                                              "kk2 pa1";
    QTest::newRow("PA4 after a clause, PA5 after a sentence and at its end")
        << "No, he. No."
        << "nn2 ow pa4 hh1 iy pa5 nn2 ow pa5";
    QTest::newRow("numbers are read as words, a flapped t as DD2") << "42"
                                                                   << "ff or pa1 dd2 iy pa3 tt2 "
                                                                      "uw2 pa1";
    QTest::newRow("nothing to say") << " ,. "
                                    << "";
}

void TestSpeller::pausesAndLength()
{
    QFETCH(QString, text);
    QFETCH(QString, spelling);
    QCOMPARE(spelled(m_speller, text), spelling);
}

void TestSpeller::userWordsOverrideTheRules()
{
    WordList words = WordList::builtIn();
    std::vector<WordList::Problem> problems;
    words.add("# mine\nWorld  ww er1 ll dd1\nhello hh2 ax ll ow\n", problems);
    QVERIFY(problems.empty());
    const Speller speller(std::move(words));
    QCOMPARE(spelled(speller, "Hello, world!"), QString("hh2 ax ll ow pa4 ww er1 ll dd1 pa5"));
}

void TestSpeller::malformedLinesAreReported_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no allophones") << "world"
                                   << "'world' has no allophones";
    QTest::newRow("an unknown allophone") << "world ww xx ll"
                                          << "'xx' is not an allophone";
    QTest::newRow("not a word") << "w@rld ww er1"
                                << "'w@rld' is not a word";
}

void TestSpeller::malformedLinesAreReported()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    WordList words;
    std::vector<WordList::Problem> problems;
    words.add(("no nn2 ow\n\n" + line + "\nyes yy2 eh ss\n").toStdString(), problems);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].line, 3);
    QCOMPARE(QString::fromStdString(problems[0].message), message);
    QVERIFY2(words.size() == 2 && words.find("YES"), "the good lines are kept");
}

QTEST_APPLESS_MAIN(TestSpeller)
#include "tst_speller.moc"
