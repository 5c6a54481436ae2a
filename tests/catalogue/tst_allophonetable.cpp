#include "catalogue/AllophoneTable.h"

#include <QTest>

#include <algorithm>
#include <set>
#include <vector>

using tessary::AllophoneEntry;
using tessary::AllophoneTable;

class TestAllophoneTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findByMnemonic_data();
    void findByMnemonic();
    void codeText_data();
    void codeText();
    void auditionLabel_data();
    void auditionLabel();
    void auditionOrderIsAlphabeticalWithThAfterTt();
    void entriesAreWellFormed();
    void outOfRangeGivesNothing();
};

void TestAllophoneTable::findByMnemonic_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("code"); // -1: no entry
    QTest::addColumn<QString>("codeText");

    QTest::newRow("pa1 is $00") << QByteArray("pa1") << 0 << "$00";
    QTest::newRow("bb2 is $3F") << QByteArray("bb2") << 63 << "$3F";
    QTest::newRow("oy is $05 though it sits at Label44") << QByteArray("oy") << 5 << "$05";
    QTest::newRow("jh is $0A") << QByteArray("jh") << 10 << "$0A";
    QTest::newRow("hh1 is $1B") << QByteArray("hh1") << 27 << "$1B";
    QTest::newRow("upper case PA1") << QByteArray("PA1") << -1 << "";
    QTest::newRow("mixed case Pa1") << QByteArray("Pa1") << -1 << "";
    QTest::newRow("leading space") << QByteArray(" pa1") << -1 << "";
    QTest::newRow("trailing space") << QByteArray("pa1 ") << -1 << "";
    QTest::newRow("cut short pa") << QByteArray("pa") << -1 << "";
    QTest::newRow("longer pa11") << QByteArray("pa11") << -1 << "";
    QTest::newRow("empty") << QByteArray("") << -1 << "";
    QTest::newRow("embedded NUL") << QByteArray("pa1\0", 4) << -1 << "";
    QTest::newRow("caption text") << QByteArray("PA1 - PAUSE") << -1 << "";
}

void TestAllophoneTable::findByMnemonic()
{
    QFETCH(QByteArray, text);
    QFETCH(int, code);
    QFETCH(QString, codeText);

    const AllophoneEntry* e =
        AllophoneTable::FindByMnemonic(std::string_view(text.constData(), size_t(text.size())));
    if (code < 0) {
        QVERIFY2(!e, qPrintable("found " + QString::fromStdString(e ? e->mnemonic : "")));
        return;
    }
    QVERIFY(e);
    QCOMPARE(e->code, code);
    QCOMPARE(QString::fromStdString(e->codeText), codeText);
    QCOMPARE(e, AllophoneTable::EntryByCode(code));
}

void TestAllophoneTable::codeText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "$00";
    QTest::newRow("9") << 9 << "$09";
    QTest::newRow("10 is two digits, upper case") << 10 << "$0A";
    QTest::newRow("26") << 26 << "$1A";
    QTest::newRow("47") << 47 << "$2F";
    QTest::newRow("63") << 63 << "$3F";
    QTest::newRow("-1 has none") << -1 << "";
    QTest::newRow("64 has none") << 64 << "";
}

void TestAllophoneTable::codeText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(AllophoneTable::CodeText(code)), text);
}

void TestAllophoneTable::auditionLabel_data()
{
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("code");

    QTest::newRow("Label1 PA1") << 1 << "pa1"
                                << "PA1 - PAUSE" << 0;
    QTest::newRow("Label5 PA5") << 5 << "pa5"
                                << "PA5 - PAUSE" << 4;
    QTest::newRow("Label6 AA") << 6 << "aa"
                               << "AA - Hot" << 24;
    QTest::newRow("Label13 BB1") << 13 << "bb1"
                                 << "BB1 - Business" << 28;
    QTest::newRow("Label14 BB2 shares the word") << 14 << "bb2"
                                                 << "BB2 - Business" << 63;
    QTest::newRow("Label29 HH1") << 29 << "hh1"
                                 << "HH1 - He" << 27;
    QTest::newRow("Label34 apostrophe") << 34 << "kk1"
                                        << "KK1 - Can't" << 42;
    QTest::newRow("Label44 OY") << 44 << "oy"
                                << "OY - Boy" << 5;
    QTest::newRow("Label49 SS") << 49 << "ss"
                                << "SS - Vest" << 55;
    QTest::newRow("Label50 TT1") << 50 << "tt1"
                                 << "TT1 - Part" << 17;
    QTest::newRow("Label51 TT2") << 51 << "tt2"
                                 << "TT2 - To" << 13;
    QTest::newRow("Label52 TH after TT") << 52 << "th"
                                         << "TH - Thin" << 29;
    QTest::newRow("Label53 UH") << 53 << "uh"
                                << "UH - Book" << 30;
    QTest::newRow("Label64 ZZ") << 64 << "zz"
                                << "ZZ - Zoo" << 43;
}

void TestAllophoneTable::auditionLabel()
{
    QFETCH(int, label);
    QFETCH(QString, mnemonic);
    QFETCH(QString, caption);
    QFETCH(int, code);

    const AllophoneEntry* e = AllophoneTable::EntryByAuditionLabel(label);
    QVERIFY(e);
    QCOMPARE(QString::fromStdString(e->mnemonic), mnemonic);
    QCOMPARE(QString::fromStdString(e->caption), caption);
    QCOMPARE(e->code, code);
    QCOMPARE(e->auditionLabel, label);
    QCOMPARE(QString::fromStdString(e->sampleFile), mnemonic + ".wav");
}

// The label numbering is stored, not computed; check it against the rule it follows.
void TestAllophoneTable::auditionOrderIsAlphabeticalWithThAfterTt()
{
    std::vector<std::string> expected;
    std::vector<std::string> others;
    for (const AllophoneEntry& e : AllophoneTable::all())
        (e.code < 5 ? expected : others).push_back(e.mnemonic);
    std::sort(others.begin(), others.end());
    auto th = std::find(others.begin(), others.end(), "th");
    others.erase(th);
    others.insert(std::find(others.begin(), others.end(), "tt2") + 1, "th");
    expected.insert(expected.end(), others.begin(), others.end());

    QCOMPARE(int(expected.size()), AllophoneTable::kSize);
    for (int k = 1; k <= AllophoneTable::kSize; ++k) {
        const AllophoneEntry* e = AllophoneTable::EntryByAuditionLabel(k);
        QVERIFY2(e && e->mnemonic == expected[size_t(k - 1)], qPrintable(QString::number(k)));
    }
}

void TestAllophoneTable::entriesAreWellFormed()
{
    std::set<std::string> mnemonics;
    std::set<int> labels;
    int code = 0;
    for (const AllophoneEntry& e : AllophoneTable::all()) {
        QCOMPARE(e.code, code++); // iteration is in code order
        const std::string& m = e.mnemonic;
        const bool letters =
            m.size() >= 2 && std::islower(uchar(m[0])) && std::islower(uchar(m[1]));
        const bool tail = m.size() == 2 || (m.size() == 3 && m[2] >= '1' && m[2] <= '5');
        QVERIFY2(letters && tail, m.c_str());
        QVERIFY2(mnemonics.insert(m).second, m.c_str());
        QVERIFY(labels.insert(e.auditionLabel).second);
        const std::string word = e.caption.substr(e.caption.find(" - ") + 3);
        QVERIFY2(e.code < 5 ? word == "PAUSE"
                            : (std::isupper(uchar(word[0])) &&
                               std::none_of(word.begin() + 1, word.end(),
                                            [](char c) { return std::isupper(uchar(c)); })),
                 e.caption.c_str());
    }
    QCOMPARE(int(labels.size()), AllophoneTable::kSize);
    QCOMPARE(*labels.begin(), 1);
    QCOMPARE(*labels.rbegin(), 64);
}

void TestAllophoneTable::outOfRangeGivesNothing()
{
    QVERIFY(!AllophoneTable::EntryByCode(-1));
    QVERIFY(!AllophoneTable::EntryByCode(64));
    QVERIFY(!AllophoneTable::EntryByAuditionLabel(0));
    QVERIFY(!AllophoneTable::EntryByAuditionLabel(65));
}

QTEST_APPLESS_MAIN(TestAllophoneTable)
#include "tst_allophonetable.moc"
