// A vocabulary file read and written as a header, and code strings in each form, without the
// command line around them.
#include "composer/CodeFormat.h"
#include "vocabulary/NumberWords.h"
#include "vocabulary/Vocabulary.h"
#include "vocabulary/VocabularyFile.h"
#include "vocabulary/VocabularyHeader.h"

#include <QTest>

#include <tuple>

using namespace tessary;

class TestVocabulary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries_data();
    void entries();
    void problems_data();
    void problems();
    void headerNamesNeverClash();
    void codeForms_data();
    void codeForms();
    void numberWords_data();
    void numberWords();
    void phrases_data();
    void phrases();
    void editedFile_data();
    void editedFile();
};

namespace {

QString joined(const std::vector<int>& codes)
{
    QStringList out;
    for (int c : codes)
        out << QString::number(c);
    return out.join(' ');
}

} // namespace

void TestVocabulary::entries_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<bool>("text");
    QTest::addColumn<QString>("codes"); // for mnemonics; the text's source for text
    const std::tuple<const char*, const char*, const char*, bool, const char*> rows[] = {
        {"mnemonics", "hello = hh1 eh ll ow pa1", "hello", false, "27 7 45 53 0"},
        {"code texts, numbers, commas", "int = $1B, 7 0x2D", "w_int", false, "27 7 45"},
        {"text", "greeting: Good morning.", "greeting", true, "Good morning."},
        {"text alone names itself", "good night", "good_night", true, "good night"},
        {"a leading digit", "12 o'clock: twelve", "w_12_o_clock", true, "twelve"},
        {"a comment after a space", "x = hh1 # not eh", "x", false, "27"},
        {"another script", "\xe6\x97\xa5 = eh", "u65E5", false, "7"},
        {"no letter at all", "!!! = eh", "w", false, "7"},
    };
    for (const auto& [name, line, identifier, text, codes] : rows)
        QTest::newRow(name) << line << identifier << text << codes;
}

void TestVocabulary::entries()
{
    QFETCH(QString, line);
    QFETCH(QString, identifier);
    QFETCH(bool, text);
    QFETCH(QString, codes);
    std::vector<Vocabulary::Problem> problems;
    const Vocabulary v = Vocabulary::parse(line.toStdString(), problems);
    QVERIFY(problems.empty());
    QCOMPARE(v.entries().size(), std::size_t(1));
    const Vocabulary::Entry& e = v.entries()[0];
    QCOMPARE(QString::fromStdString(e.identifier), identifier);
    QCOMPARE(e.text, text);
    QCOMPARE(text ? QString::fromStdString(e.source) : joined(e.codes), codes);
}

void TestVocabulary::problems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << "hello = hh1\n= eh" << 2 << "the entry has no name";
    QTest::newRow("nothing after =") << "x =" << 1 << "'x' has nothing to say";
    QTest::newRow("not an allophone") << "\n\nx = hh1 xx9" << 3 << "'xx9' is not a mnemonic";
    QTest::newRow("not a directive") << "%number" << 1 << "is no directive";
    QTest::newRow("same name, other case") << "hello = hh1\nHello: hi" << 2
                                           << "makes the same C name, Hello, as the entry on "
                                              "line 1";
}

void TestVocabulary::problems()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, message);
    std::vector<Vocabulary::Problem> problems;
    Vocabulary::parse(text.toStdString(), problems);
    QCOMPARE(problems.size(), std::size_t(1));
    QCOMPARE(problems[0].line, line);
    QVERIFY2(QString::fromStdString(problems[0].message).contains(message),
             problems[0].message.c_str());
}

void TestVocabulary::headerNamesNeverClash()
{
    // Two entries may still make one name between them; the header's own names, never.
    std::vector<Vocabulary::Problem> problems;
    const Vocabulary v = Vocabulary::parse("hello = hh1\nhello_length = eh\n", problems);
    std::vector<Vocabulary::Problem> clashes;
    QVERIFY(VocabularyHeader::write(v, VocabularyHeader::Form::C, {"clock", "c.txt", "", {}, false},
                                    clashes)
                .empty());
    QCOMPARE(clashes.size(), std::size_t(1));
    QCOMPARE(clashes[0].line, 2);
    clashes.clear();
    const Vocabulary fine =
        Vocabulary::parse("hello = hh1\ncount = eh\ntable = eh\nh = eh\nindex = eh\n", problems);
    const std::string header = VocabularyHeader::write(
        fine, VocabularyHeader::Form::Arduino, {"clock", "c.txt", "a note", {}, false}, clashes);
    QVERIFY(clashes.empty());
    for (const char* part : {"#ifndef CLOCK_H", "clock_word_hello[] PROGMEM",
                             "clock_word_hello_length = 1", "CLOCK_WORD_HELLO", "CLOCK_WORD_COUNT",
                             "CLOCK_COUNT", "/* a note */", "clock_table[CLOCK_COUNT] PROGMEM"})
        QVERIFY2(header.find(part) != std::string::npos, part);
}

void TestVocabulary::codeForms_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("formatted");
    QTest::newRow("dollar") << "dollar"
                            << "$1B$07$2D";
    QTest::newRow("hex") << "hex"
                         << "0x1B, 0x07, 0x2D";
    QTest::newRow("dec") << "dec"
                         << "27, 7, 45";
    QTest::newRow("c") << "c"
                       << "const uint8_t word[] = { 0x1B, 0x07, 0x2D };";
    QTest::newRow("basic") << "basic"
                           << "DATA 27,7,45";
}

// Whole, and in pieces as a long input is written: the same text.
void TestVocabulary::codeForms()
{
    QFETCH(QString, style);
    QFETCH(QString, formatted);
    const CodeFormat::Style s = *CodeFormat::parseStyle(style.toStdString());
    QCOMPARE(QString::fromStdString(CodeFormat::format({27, 7, 45}, s)), formatted);
    const std::string pieces = CodeFormat::opening(s) + CodeFormat::run({27}, s) +
                               CodeFormat::separator(s) + CodeFormat::run({7, 45}, s) +
                               CodeFormat::closing(s);
    QCOMPARE(QString::fromStdString(pieces), formatted);
    for (const char* item : {"hh1", "HH1", "$1B", "27", "0x1B"})
        QCOMPARE(CodeFormat::parseCode(item), std::optional<int>(27));
    for (const char* bad : {"$40", "64", "0x", "hh9", "-1", "$1B$07"})
        QVERIFY2(!CodeFormat::parseCode(bad), bad);
}

void TestVocabulary::numberWords_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("british");
    QTest::addColumn<QString>("words");
    QTest::addColumn<bool>("lightLast"); // the last word is a unit in its lighter form
    const std::tuple<const char*, int, bool, const char*, bool> rows[] = {
        {"zero", 0, false, "zero", false},
        {"a unit alone", 7, false, "seven", false},
        {"a unit after tens", 41, false, "forty one", true},
        {"below zero", -13, false, "minus thirteen", true},
        {"hundreds, American", 105, false, "one hundred five", true},
        {"hundreds, British", 105, true, "one hundred and five", true},
        {"thousands, British", 1005, true, "one thousand and five", true},
        {"round thousands", 12000, false, "twelve thousand", false},
        {"the largest", 999999, false, "nine hundred ninety nine thousand nine hundred ninety nine",
         true},
    };
    for (const auto& [name, n, british, words, light] : rows)
        QTest::newRow(name) << n << british << words << light;
}

void TestVocabulary::numberWords()
{
    QFETCH(int, n);
    QFETCH(bool, british);
    QFETCH(QString, words);
    QFETCH(bool, lightLast);
    QCOMPARE(QString::fromStdString(NumberWords::text(n, british)), words);
    QCOMPARE(NumberWords::of(n, british).back() >= NumberWords::kFinal, lightLast);
    std::vector<Vocabulary::Problem> problems;
    const Vocabulary v = Vocabulary::parse(british ? "%numbers british" : "%numbers", problems);
    QCOMPARE(v.numbers(), british ? Vocabulary::Numbers::British : Vocabulary::Numbers::American);
}

void TestVocabulary::phrases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("codes");   // the phrase's, the last entry
    QTest::addColumn<QString>("problem"); // "" for none
    const QString entries = "a = hh1 pa1\nb = eh pa5 pa1\nt = tt2 uw2\n";
    QTest::newRow("pauses dropped, word gap between, PA1 after") << entries + "%phrase ab = a B"
                                                                 << "27 0 7 0"
                                                                 << "";
    QTest::newRow("PA3 before an unvoiced stop") << entries + "%phrase at = a t"
                                                 << "27 2 13 31 0"
                                                 << "";
    QTest::newRow("an entry twice") << entries + "%phrase aa = a a"
                                    << "27 0 27 0"
                                    << "";
    QTest::newRow("an entry it does not have") << entries + "%phrase ax = a x"
                                               << ""
                                               << "'x' is no entry of this vocabulary";
    QTest::newRow("a phrase inside") << entries + "%phrase ab = a b\n%phrase c = ab"
                                     << ""
                                     << "'ab' is a phrase, not an entry";
    QTest::newRow("no entries named") << "%phrase x ="
                                      << ""
                                      << "a phrase is %phrase NAME";
}

void TestVocabulary::phrases()
{
    QFETCH(QString, text);
    QFETCH(QString, codes);
    QFETCH(QString, problem);
    std::vector<Vocabulary::Problem> problems;
    Vocabulary v = Vocabulary::parse(text.toStdString(), problems);
    v.composePhrases(problems);
    if (problem.isEmpty()) {
        QVERIFY(problems.empty());
        QCOMPARE(joined(v.entries().back().codes), codes);
    } else {
        QCOMPARE(problems.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(problems[0].message).contains(problem),
                 problems[0].message.c_str());
    }
}

void TestVocabulary::editedFile_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("edit");  // add NAME|MNEMONICS, text NAME|TEXT, rename N|NAME,
                                        // set N|MNEMONICS, up N, down N, remove N; ';' between
    QTest::addColumn<QString>("after"); // "refused": the edit is refused, the file unchanged
    const QString mixed = "# mine\n%numbers\nhi = hh1 ay pa1\nbad = xx\ngreeting: Hello.\n";
    QTest::newRow("added at the end, comments and a bad line kept")
        << mixed << "add bye|bb2 ay pa1" << mixed + "bye = bb2 ay pa1\n";
    QTest::newRow("a text entry added") << ""
                                        << "text Warm|It is warm."
                                        << "Warm: It is warm.\n";
    QTest::newRow("renamed, its text kept")
        << mixed << "rename 1|hello"
        << "# mine\n%numbers\nhi = hh1 ay pa1\nbad = xx\nhello: Hello.\n";
    QTest::newRow("a name another entry makes, in other letters") << mixed << "rename 1|HI"
                                                                  << "refused";
    QTest::newRow("a name with a separator") << mixed << "add a=b|hh1"
                                             << "refused";
    QTest::newRow("a code that is none") << mixed << "add x|hh1 zz9"
                                         << "refused";
    QTest::newRow("text entry given the slots' allophones")
        << mixed << "set 1|hh1 eh ll ow pa1"
        << "# mine\n%numbers\nhi = hh1 ay pa1\nbad = xx\ngreeting = hh1 eh ll ow pa1\n";
    QTest::newRow("moved down over a bad line")
        << mixed << "down 0"
        << "# mine\n%numbers\ngreeting: Hello.\nbad = xx\nhi = hh1 ay pa1\n";
    QTest::newRow("the first cannot go up") << mixed << "up 0" << mixed;
    QTest::newRow("removed, a phrase renamed") << "a = hh1\n%phrase p = a a\n"
                                               << "remove 0;rename 0|q"
                                               << "%phrase q = a a\n";
    // Each line keeps its ending; a new one takes the file's own.
    QTest::newRow("CR LF kept, and given to a new line")
        << "# mine\r\nhi = hh1 ay pa1\r\n"
        << "rename 0|hey;add bye|bb2 ay"
        << "# mine\r\nhey = hh1 ay pa1\r\nbye = bb2 ay\r\n";
    QTest::newRow("CR alone: an old Mac's lines") << "# mine\rhi = hh1\rho = hh2\r"
                                                  << "down 0;add x|eh"
                                                  << "# mine\rho = hh2\rhi = hh1\rx = eh\r";
    QTest::newRow("no final line end, kept") << "hi = hh1\nho = hh2"
                                             << "add x|eh"
                                             << "hi = hh1\nho = hh2\nx = eh";
    QTest::newRow("the last line removed, its lack of an end kept") << "hi = hh1\r\nho = hh2"
                                                                    << "remove 1"
                                                                    << "hi = hh1";
    QTest::newRow("mixed endings stay on their lines") << "a = eh\r\nb = ay\nc = oy"
                                                       << "down 0"
                                                       << "b = ay\r\na = eh\nc = oy";
}

// Edits change the entries' lines only; a refused edit leaves the file as it was.
void TestVocabulary::editedFile()
{
    QFETCH(QString, before);
    QFETCH(QString, edit);
    QFETCH(QString, after);
    VocabularyFile file(before.toStdString());
    std::string problem;
    for (const QString& step : edit.split(';')) {
        const QString verb = step.section(' ', 0, 0);
        const QString rest = step.section(' ', 1);
        const QString first = rest.section('|', 0, 0), second = rest.section('|', 1);
        std::vector<std::string> mnemonics;
        for (const QString& m : second.split(' ', Qt::SkipEmptyParts))
            mnemonics.push_back(m.toStdString());
        const auto n = static_cast<std::size_t>(first.toInt());
        if (verb == "add")
            problem = file.add(first.toStdString(), mnemonics);
        else if (verb == "text")
            problem = file.addText(first.toStdString(), second.toStdString());
        else if (verb == "rename")
            problem = file.rename(n, second.toStdString());
        else if (verb == "set")
            problem = file.setMnemonics(n, mnemonics);
        else if (verb == "remove")
            file.remove(n);
        else
            file.move(n, verb == "up");
    }
    QCOMPARE(QString::fromStdString(problem.empty() ? file.text() : "refused"), after);
    if (!problem.empty())
        QCOMPARE(QString::fromStdString(file.text()), before);
}

QTEST_APPLESS_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
