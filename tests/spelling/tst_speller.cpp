// English to allophones: the variant each position asks for, on the chip table's own example
// words; the pauses; the word lists. Needs espeak-ng's English data.
#include "spelling/Alternatives.h"
#include "spelling/Speller.h"
#include "spelling/WordCutter.h"
#include "spelling/WordList.h"

#include <QTest>

#include <tuple>

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
    void savedPicksKeepTheFile_data();
    void savedPicksKeepTheFile();
    void alternatives_data();
    void alternatives();
    void wordsAsCut_data();
    void wordsAsCut();

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
    // The example word of the chip's table, or a word of the same position:
    // row name, text, the allophone it must hold, one it must not.
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"Comb: KK3 before a back vowel", "Comb", "kk3", "kk1"},
        {"Can't: KK1 before a front vowel", "Can't", "kk1", "kk3"},
        {"Sky: KK2 after S", "Sky", "kk2", "kk1"},
        {"six: KK3 before a consonant, as in sixteen", "six", "kk3", "kk2"},
        {"Got: GG1 before a back vowel", "Got", "gg1", "gg2"},
        {"Guest: GG2 before a front vowel", "Guest", "gg2", "gg1"},
        {"Wig: GG3 at the end", "Wig", "gg3", "gg1"},
        {"Could: DD1 at the end", "Could", "dd1", "dd2"},
        {"Do: DD2 at the start", "Do", "dd2", "dd1"},
        {"Part: TT1 at the end", "Part", "tt1", "tt2"},
        {"To: TT2 at the start", "To", "tt2", "tt1"},
        {"He: HH1 before a front vowel", "He", "hh1", "hh2"},
        {"Hoe: HH2 before a back vowel", "Hoe", "hh2", "hh1"},
        {"Thin: NN1 at the end", "Thin", "nn1", "nn2"},
        {"No: NN2 at the start", "No", "nn2", "nn1"},
        {"Rural: RR1 at the start", "Rural", "rr1", "rr2"},
        {"Brain: RR2 in an initial cluster", "Brain", "rr2", "rr1"},
        {"hundred: RR2 after a consonant inside a word", "hundred", "rr2", "rr1"},
        {"Yes: YY2 at the start", "Yes", "yy2", "yy1"},
        {"cute: YY1 in a cluster", "cute", "yy1", "yy2"},
        {"They: DH1 at the start", "They", "dh1", "dh2"},
        {"bathe: DH2 at the end", "bathe", "dh2", "dh1"},
        {"Fir: ER2 stressed", "Fir", "er2", "er1"},
        {"letter: ER1 unstressed", "letter", "er1", "er2"},
        {"Food: UW2 in a monosyllable", "Food", "uw2", "uw1"},
        {"computer: UW1 after YY", "computer", "uw1", "uw2"},
        {"Business: BB2 at the start", "Business", "bb2", "bb1"},
        {"rib: BB1 at the end", "rib", "bb1", "bb2"},
        {"Lake: LL", "Lake", "ll", "el"},
        {"Saddle: EL, a syllabic l", "Saddle", "el", "ll"},
        {"Store: OR holds its r", "Store", "or", "rr1"},
    };
    for (const auto& [name, text, allophone, notThis] : rows)
        QTest::newRow(name) << text << allophone << notThis;
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
    QTest::newRow("PA1 between words and before a voiced stop")
        << "hello world"
        << "hh1 eh ll ow pa1 ww er2 ll pa1 dd1 pa1";
    QTest::newRow("PA3 before an unvoiced stop, a stressed vowel doubled") << "apple"
                                                                           << "ae ae pa3 pp el pa1";
    QTest::newRow("initial TH and FF single") << "thin fin"
                                              << "th ih ih nn1 pa1 ff ih ih nn1 pa1";
    QTest::newRow("no pause after a nasal, PA3 before a word with an unvoiced stop")
        << "send pink"
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

// A word picked in Spell Text replaces the word's older lines; every other line, and every line
// ending, stays as the file had it.
void TestSpeller::savedPicksKeepTheFile_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after"); // with "cat kk1 ae tt1" saved
    QTest::newRow("a new list") << ""
                                << "cat kk1 ae tt1\n";
    QTest::newRow("CR LF, the old cat gone") << "# mine\r\nCat kk3 ae tt1\r\nno nn2 ow\r\n"
                                             << "# mine\r\nno nn2 ow\r\ncat kk1 ae tt1\r\n";
    QTest::newRow("CR alone") << "no nn2 ow\rso ss ow\r"
                              << "no nn2 ow\rso ss ow\rcat kk1 ae tt1\r";
    QTest::newRow("no final line end") << "no nn2 ow"
                                       << "no nn2 ow\ncat kk1 ae tt1";
}

void TestSpeller::savedPicksKeepTheFile()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(QString::fromStdString(
                 WordList::withSpellings(before.toStdString(), {{"cat", "kk1 ae tt1"}})),
             after);
    WordList words;
    std::vector<WordList::Problem> problems;
    words.add(before.toStdString(), problems);
    QVERIFY(problems.empty()); // CR alone ends a line
}

void TestSpeller::alternatives_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("among"); // one spelling that must be offered
    QTest::newRow("another K") << "cat"
                               << "kk3 ae ae pa3 tt1 pa1";
    QTest::newRow("the other reading of live") << "live"
                                               << "ll ih ih vv pa1";
    QTest::newRow("a single vowel doubled") << "hello"
                                            << "hh1 eh eh ll ow pa1";
    QTest::newRow("the other reading of wind") << "wind"
                                               << "ww ay nn1 dd1 pa1";
    QTest::newRow("a flapped t as a real TT, with its closure") << "heating"
                                                                << "hh1 iy pa3 tt2 ih ng pa1";
}

// The rules' spelling first, then others, each a valid one, none twice, at most kMost.
void TestSpeller::alternatives()
{
    QFETCH(QString, word);
    QFETCH(QString, among);
    const std::vector<std::string> rules = m_speller.spell(word.toStdString());
    const auto all = Alternatives::of(word.toStdString(), rules);
    QCOMPARE(all.front(), rules);
    QVERIFY(all.size() <= Alternatives::kMost);
    QStringList shown;
    for (const auto& a : all) {
        QStringList s;
        for (const std::string& m : a)
            s << QString::fromStdString(m);
        QVERIFY2(!shown.contains(s.join(' ')), qPrintable(s.join(' ')));
        shown << s.join(' ');
    }
    QVERIFY2(shown.contains(among), qPrintable(shown.join(" | ")));
}

void TestSpeller::wordsAsCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cut"); // word/trailing, | between chunks
    QTest::newRow("punctuation after a word") << "Hello, world!"
                                              << "Hello/,|world/!";
    QTest::newRow("apostrophe and hyphen inside") << "don't well-known"
                                                  << "don't/|well-known/";
    QTest::newRow("leading punctuation: no word") << "\"quoted\" (x)"
                                                  << "/\"|/)";
    QTest::newRow("white space of any kind") << " a\tb\r\nc "
                                             << "a/|b/|c/";
}

void TestSpeller::wordsAsCut()
{
    QFETCH(QString, text);
    QFETCH(QString, cut);
    const std::string t = text.toStdString();
    QStringList got;
    for (const WordCutter::Word& w : WordCutter::cut(t))
        got << QString::fromStdString(std::string(w.word) + "/" + std::string(w.trailing));
    QCOMPARE(got.join('|'), cut);
}

QTEST_APPLESS_MAIN(TestSpeller)
#include "tst_speller.moc"
