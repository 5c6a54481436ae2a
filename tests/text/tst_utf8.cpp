// UTF-8 as it is checked before text reaches JSON, a terminal or espeak-ng.
#include "text/JsonText.h"
#include "text/Utf8.h"

#include <QTest>

using namespace tessary;

class TestUtf8 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesOnlyValidSequences_data();
    void decodesOnlyValidSequences();
    void printableForATerminal_data();
    void printableForATerminal();
};

void TestUtf8::decodesOnlyValidSequences_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("point"); // -1: not a sequence
    QTest::addColumn<int>("length");
    const QList<std::tuple<const char*, QByteArray, int, int>> rows = {
        {"ASCII", "A", 'A', 1},
        {"two bytes", "\xc3\xa9", 0xe9, 2},
        {"three bytes", "\xe2\x82\xac", 0x20ac, 3},
        {"four bytes, the last point", "\xf4\x8f\xbf\xbf", 0x10ffff, 4},
        {"past U+10FFFF", "\xf4\x90\x80\x80", -1, 1},
        {"lead byte F5", "\xf5\x80\x80\x80", -1, 1},
        {"lead byte FF", "\xff", -1, 1},
        {"overlong slash", "\xc0\xaf", -1, 1},
        {"overlong in three", "\xe0\x80\xaf", -1, 1},
        {"a surrogate", "\xed\xa0\x80", -1, 1},
        {"a stray continuation", "\x80", -1, 1},
        {"cut short", "\xe2\x82", -1, 1},
    };
    for (const auto& [name, bytes, point, length] : rows)
        QTest::newRow(name) << bytes << point << length;
}

void TestUtf8::decodesOnlyValidSequences()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, point);
    QFETCH(int, length);
    std::size_t n = 0;
    const std::optional<char32_t> c =
        Utf8::decode(std::string_view(bytes.constData(), std::size_t(bytes.size())), 0, n);
    QCOMPARE(c ? int(*c) : -1, point);
    QCOMPARE(int(n), length);
    // JSON keeps a valid sequence as it is and shows each bad byte as U+FFFD.
    const std::string quoted = JsonText::quote(bytes.toStdString());
    if (point < 0)
        QVERIFY(QByteArray::fromStdString(quoted).startsWith("\"\\ufffd"));
    else if (point >= 0x80)
        QCOMPARE(QByteArray::fromStdString(quoted), '"' + bytes + '"');
}

void TestUtf8::printableForATerminal_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("a product name") << QByteArray("Arduino Uno") << QByteArray("Arduino Uno");
    QTest::newRow("UTF-8 letters") << QByteArray("M\xc3\xbcller") << QByteArray("M\xc3\xbcller");
    QTest::newRow("an escape sequence")
        << QByteArray("\x1b]0;owned\x07Uno") << QByteArray("\\x1b]0;owned\\x07Uno");
    QTest::newRow("a C1 control, as UTF-8 and raw")
        << QByteArray("\xc2\x9b\x9b") << QByteArray("\\xc2\\x9b\\x9b");
    QTest::newRow("DEL, a line end, a backslash")
        << QByteArray("a\x7f\nb\\") << QByteArray("a\\x7f\\x0ab\\\\");
}

void TestUtf8::printableForATerminal()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    QCOMPARE(QByteArray::fromStdString(Utf8::printable(text.toStdString())), shown);
}

QTEST_APPLESS_MAIN(TestUtf8)
#include "tst_utf8.moc"
