// What the programs read and write of the user's: text in pieces, files written whole or not at
// all, the config folder and the remembered port.
#include "chip/PortChoice.h"
#include "files/AtomicFile.h"
#include "files/TextSource.h"
#include "files/UserFile.h"
#include "files/UserFolders.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

using namespace tessary;
namespace fs = std::filesystem;

class TestFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textInPieces_data();
    void textInPieces();
    void linesOfText();
    void atomicFile();
    void configFolder_data();
    void configFolder();
    void portChoice();
};

namespace {

std::string contents(const fs::path& file)
{
    std::stringstream s;
    s << std::ifstream(file).rdbuf();
    return s.str();
}

} // namespace

void TestFiles::textInPieces_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("first"); // the first piece's length, less a piece
    // A word of 100 characters ends past the first piece.
    const auto text = [](const char* end) {
        return QByteArray(TextSource::kPiece - 100, 'a') + end + QByteArray(200, 'b');
    };
    QTest::newRow("at a sentence's end, a line's end after it") << text(". \nx ") << -98;
    QTest::newRow("at a line's end, a word's end after it") << text("\nx ") << -99;
    QTest::newRow("at a word's end") << text(" x ") << -97;
    QTest::newRow("one word longer than a piece, cut")
        << QByteArray(TextSource::kPiece + 10, 'a') << 0;
}

// A piece ends where a sentence, a line or a word ends, and the pieces make the whole text.
void TestFiles::textInPieces()
{
    QFETCH(QByteArray, text);
    QFETCH(int, first);
    std::istringstream in(text.toStdString());
    TextSource source(in);
    std::string piece, all;
    QVERIFY(source.next(piece));
    QCOMPARE(int(piece.size()), int(TextSource::kPiece) + first);
    all = piece;
    while (source.next(piece))
        all += piece;
    QCOMPARE(QByteArray::fromStdString(all), text);
}

void TestFiles::linesOfText()
{
    std::istringstream in("one\r\ntwo\n\nthree");
    TextSource source(in);
    std::vector<std::string> lines;
    for (std::string line; source.nextLine(line);)
        lines.push_back(line);
    QCOMPARE(lines, (std::vector<std::string>{"one", "two", "", "three"}));
}

// Written whole or not at all: the old file stays until the new one is complete, keeps its
// permissions, and a link is followed to the file it names.
void TestFiles::atomicFile()
{
    QTemporaryDir dir;
    const fs::path old = dir.filePath("old.h").toStdString();
    const fs::path link = dir.filePath("link.h").toStdString();
    std::ofstream(old) << "old";
    ::chmod(old.c_str(), 0640);
    fs::create_symlink(old, link);
    {
        AtomicFile f;
        QCOMPARE(f.open(link), std::string());
        QVERIFY(f.write("new, half"));
        QCOMPARE(contents(old), std::string("old")); // abandoned: never committed
    }
    QCOMPARE(UserFile::write(link, "new"), std::string());
    QCOMPARE(contents(old), std::string("new"));
    QVERIFY(fs::is_symlink(link));
    QCOMPARE(fs::status(old).permissions() & fs::perms::all,
             fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    QCOMPARE(std::distance(fs::directory_iterator(dir.path().toStdString()), {}), 2);
    const std::string refused = UserFile::write(dir.path().toStdString(), "x");
    QVERIFY2(refused.find("is a directory, not a file to write") != std::string::npos,
             refused.c_str());
    QVERIFY(UserFile::sameFile(link, old));
    QVERIFY(!UserFile::sameFile(old, dir.filePath("none").toStdString()));
}

void TestFiles::configFolder_data()
{
    QTest::addColumn<QString>("xdg");  // "-": unset
    QTest::addColumn<QString>("home"); // "-": unset
    QTest::addColumn<QString>("folder");
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"XDG_CONFIG_HOME first", "/x", "/h", "/x/quorlin-tessary"},
        {"HOME's .config without it", "-", "/h", "/h/.config/quorlin-tessary"},
        {"a relative XDG_CONFIG_HOME is ignored", "rel", "/h", "/h/.config/quorlin-tessary"},
        {"an empty one too", "", "/h", "/h/.config/quorlin-tessary"},
        {"nothing known", "-", "rel", ""},
    };
    for (const auto& [name, xdg, home, folder] : rows)
        QTest::newRow(name) << xdg << home << folder;
}

void TestFiles::configFolder()
{
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, folder);
    const std::map<std::string, QString> values = {{"XDG_CONFIG_HOME", xdg}, {"HOME", home}};
    const auto env = [&](const char* name) -> std::optional<std::string> {
        const auto v = values.find(name);
        if (v == values.end() || v->second == "-")
            return std::nullopt;
        return v->second.toStdString();
    };
    QCOMPARE(QString::fromStdString(UserFolders::config(env).string()), folder);
}

// The environment's port first, else the one remembered in the config folder.
void TestFiles::portChoice()
{
    QTemporaryDir dir;
    std::optional<std::string> device;
    const auto env = [&](const char* name) -> std::optional<std::string> {
        if (std::string(name) == "TESSARY_DEVICE")
            return device;
        if (std::string(name) == "XDG_CONFIG_HOME")
            return dir.path().toStdString();
        return std::nullopt;
    };
    QCOMPARE(PortChoice::current(env), std::string());
    QCOMPARE(PortChoice::remember("/dev/ttyACM0", env), std::string());
    QCOMPARE(PortChoice::current(env), std::string("/dev/ttyACM0"));
    device = "/dev/ttyUSB1";
    QCOMPARE(PortChoice::current(env), std::string("/dev/ttyUSB1"));
}

QTEST_APPLESS_MAIN(TestFiles)
#include "tst_files.moc"
