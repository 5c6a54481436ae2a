// The Vocabulary window over a real file: opened, edited from the slots, saved and read back by
// `tessary vocab` to the header the window exports; problems listed with their lines and kept.
#include "support/RecordingPlayer.h"
#include "support/WindowTest.h"
#include "window/MainWindow.h"
#include "window/SpellDialog.h"
#include "window/VocabularyWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tessary;
using tessary::testing::RecordingPlayer;

class TestVocabularyWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void editSaveAndReadBack();
    void problemsListedAndKept();
    void closingAsksAboutChanges_data();
    void closingAsksAboutChanges();
    void textTooLongForTheSlotsBecomesAnEntry();
    void everyEditUndoes_data();
    void everyEditUndoes();
    void longNamesLeaveEveryColumnInView();

private:
    QString write(const QString& name, const QByteArray& text) const;
    static QByteArray read(const QString& path);
    VocabularyWindow* openVocabulary();
    // Answers the next question (a name, or Save/Discard/Cancel) once it is up.
    void answer(const QString& text);
    void click(const char* name)
    {
        tessary::testing::control<QPushButton>(m_vocabulary, name)->click();
    }
    QString cell(int row, int column) const { return m_table->item(row, column)->text(); }

    QTemporaryDir m_dir;
    QStringList m_plays;
    std::unique_ptr<MainWindow> m_window;
    VocabularyWindow* m_vocabulary = nullptr;
    QTableWidget* m_table = nullptr;
};

void TestVocabularyWindow::init()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    m_plays.clear();
    m_window = std::make_unique<MainWindow>(SampleSet("/set/"),
                                            std::make_unique<RecordingPlayer>(&m_plays));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestVocabularyWindow::cleanup()
{
    m_window.reset();
    QFile::remove(m_dir.filePath("config/quorlin-tessary/vocabulary"));
}

QString TestVocabularyWindow::write(const QString& name, const QByteArray& text) const
{
    QFile f(m_dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return f.fileName();
}

QByteArray TestVocabularyWindow::read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unread>");
}

VocabularyWindow* TestVocabularyWindow::openVocabulary()
{
    // Ctrl+L in the main window, as a user opens it.
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::ControlModifier);
    m_vocabulary = m_window->findChild<VocabularyWindow*>("VocabularyWindow");
    if (m_vocabulary)
        m_table = m_vocabulary->findChild<QTableWidget*>("vocabularyEntries");
    return m_vocabulary;
}

void TestVocabularyWindow::answer(const QString& text)
{
    QTimer::singleShot(0, this, [text] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(text);
            input->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == text)
                    b->click();
        } else {
            QFAIL("no question was asked");
        }
    });
}

// Open, put the slots in as an entry, move it, take an entry into the slots and back, save:
// `tessary vocab` reads the saved file to the very header the window exports, and the window
// opens that file again next time.
void TestVocabularyWindow::editSaveAndReadBack()
{
    const QString path = write("clock.txt", "# a clock\n%numbers\nthe time is: The time is\n"
                                            "hi = hh1 ay pa1\n%phrase greet = hi the_time_is\n");
    QVERIFY(openVocabulary());
    QVERIFY(m_vocabulary->open(path.toStdString()));
    QCOMPARE(m_table->rowCount(), 3);
    QVERIFY(cell(0, 1).startsWith("The time is  (dh1 "));
    QCOMPARE(cell(1, 3), QString("$1B$06$00"));
    QVERIFY(cell(2, 2).endsWith(" ms"));

    for (const auto& [n, m] : {std::pair{1, "bb2"}, std::pair{2, "ay"}, std::pair{3, "pa1"}})
        tessary::testing::control<QLineEdit>(m_window.get(), QString("Text%1").arg(n))->setText(m);
    answer("bye");
    click("vocabularyAddSlots");
    QCOMPARE(m_table->rowCount(), 4);
    QCOMPARE(cell(3, 0), QString("bye"));
    m_vocabulary->findChild<QAction*>("vocabularyUp")->trigger();
    QCOMPARE(cell(2, 0), QString("bye"));

    m_table->selectRow(1); // hi into the slots, its vowel changed, and back
    click("vocabularyLoad");
    QCOMPARE(tessary::testing::control<QLineEdit>(m_window.get(), "Text2")->text(), QString("ay"));
    QCOMPARE(tessary::testing::control<QLineEdit>(m_window.get(), "Text4")->text(), QString());
    tessary::testing::control<QLineEdit>(m_window.get(), "Text2")->setText("iy");
    click("vocabularyPutBack");
    QCOMPARE(cell(1, 1), QString("hh1 iy pa1"));
    click("vocabularyListen");
    QTRY_COMPARE(m_plays, (QStringList{"/set/hh1.wav", "/set/iy.wav", "/set/pa1.wav"}));

    QVERIFY(m_vocabulary->modified());
    QVERIFY(m_vocabulary->saveAs(path.toStdString()));
    QCOMPARE(read(path), QByteArray("# a clock\n%numbers\nthe time is: The time is\n"
                                    "hi = hh1 iy pa1\nbye = bb2 ay pa1\n"
                                    "%phrase greet = hi the_time_is\n"));
    const QString exported = m_dir.filePath("clock.h");
    QVERIFY(m_vocabulary->exportTo("arduino", exported.toStdString()));
    QProcess cli;
    cli.start(qEnvironmentVariable("TESSARY_CLI"), {"vocab", "--format", "arduino", path});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.readAllStandardError(), QByteArray());
    QCOMPARE(cli.readAllStandardOutput(), read(exported));

    // The next window opens the same file.
    m_window = std::make_unique<MainWindow>(SampleSet("/set/"),
                                            std::make_unique<RecordingPlayer>(&m_plays));
    QCOMPARE(QString::fromStdString(m_window->vocabulary()->path().string()), path);
}

void TestVocabularyWindow::problemsListedAndKept()
{
    const QByteArray text = "hi = hh1 ay pa1\nbad = hh1 zz9\n%nonsense\n";
    const QString path = write("bad.txt", text);
    QVERIFY(openVocabulary());
    QVERIFY(m_vocabulary->open(path.toStdString()));
    auto* problems = m_vocabulary->findChild<QListWidget*>("vocabularyProblems");
    QCOMPARE(problems->count(), 2);
    QVERIFY(problems->item(0)->text().startsWith("Line 2: 'zz9'"));
    QVERIFY(problems->item(1)->text().startsWith("Line 3: "));
    QVERIFY(!m_vocabulary->exportTo("c", m_dir.filePath("bad.h").toStdString()));
    QVERIFY(!QFile::exists(m_dir.filePath("bad.h")));
    m_vocabulary->findChild<QAction*>("vocabularyDelete")->trigger();
    QVERIFY(m_vocabulary->saveAs(path.toStdString()));
    QCOMPARE(read(path), QByteArray("bad = hh1 zz9\n%nonsense\n"));
}

void TestVocabularyWindow::closingAsksAboutChanges_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("save") << "Save" << true << QByteArray("hi = hh1 ay pa1\n");
    QTest::newRow("discard") << "Discard" << true << QByteArray("hi = hh1 ay pa1\nbye = bb2 ay\n");
    QTest::newRow("cancel") << "Cancel" << false << QByteArray("hi = hh1 ay pa1\nbye = bb2 ay\n");
}

void TestVocabularyWindow::closingAsksAboutChanges()
{
    QFETCH(QString, button);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);
    const QString path = write("ask.txt", "hi = hh1 ay pa1\nbye = bb2 ay\n");
    QVERIFY(openVocabulary());
    QVERIFY(m_vocabulary->open(path.toStdString()));
    m_vocabulary->show();
    m_table->selectRow(1);
    m_vocabulary->findChild<QAction*>("vocabularyDelete")->trigger();
    answer(button);
    // Closing the main window closes the Vocabulary window first, with the same question.
    QCOMPARE(m_window->close(), closed);
    QCOMPARE(m_vocabulary->isVisible(), !closed);
    QCOMPARE(read(path), onDisk);
    QCOMPARE(m_vocabulary->modified(), !closed);
}

// Spell Text's "Add to Vocabulary…": a text the slots cannot hold is named and added as an
// entry of English text, and nothing goes into the slots.
void TestVocabularyWindow::textTooLongForTheSlotsBecomesAnEntry()
{
    const QString text = "the temperature is twenty one degrees";
    QTimer::singleShot(0, this, [this, text] {
        auto* dialog = qobject_cast<SpellDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QPlainTextEdit*>("spellText")->setPlainText(text);
        auto* fit = dialog->findChild<QLabel*>("spellFit");
        QTRY_VERIFY(fit->text().startsWith("Too long: needs "));
        answer("report");
        dialog->findChild<QPushButton*>("spellToVocabulary")->click();
    });
    auto* slot = tessary::testing::control<QLineEdit>(m_window.get(), "Text1");
    slot->setFocus();
    QTest::keyClick(slot, Qt::Key_T, Qt::ControlModifier);
    VocabularyWindow* vocabulary = m_window->vocabulary();
    QCOMPARE(QString::fromStdString(vocabulary->file().text()), "report: " + text + "\n");
    QVERIFY(vocabulary->modified());
    QVERIFY(slot->text().isEmpty());
}

void TestVocabularyWindow::everyEditUndoes_data()
{
    QTest::addColumn<QString>("edit"); // an action, or a button
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("delete asks nothing") << "vocabularyDelete"
                                         << "" << QByteArray("b = eh pa1\n");
    QTest::newRow("move down") << "vocabularyDown"
                               << "" << QByteArray("b = eh pa1\na = hh1 pa1\n");
    QTest::newRow("rename, made a C name")
        << "vocabularyRename"
        << "big bell\x07" << QByteArray("big_bell = hh1 pa1\nb = eh pa1\n");
    QTest::newRow("add the slots") << "vocabularyAddSlots"
                                   << "c" << QByteArray("a = hh1 pa1\nb = eh pa1\nc = ay\n");
    QTest::newRow("put the slots back") << "vocabularyPutBack"
                                        << "" << QByteArray("a = ay\nb = eh pa1\n");
    QTest::newRow("the clear style") << "vocabularyClearStyle"
                                     << "" << QByteArray("a = kk3 ae pa1 tt1 pa1\nb = eh pa1\n");
}

// Each edit, undone, leaves the file as it was opened and unchanged; redone, as the edit left it.
void TestVocabularyWindow::everyEditUndoes()
{
    QFETCH(QString, edit);
    QFETCH(QString, answer);
    QFETCH(QByteArray, after);
    const QByteArray before(edit == "vocabularyClearStyle" ? "a: cat\nb = eh pa1\n"
                                                           : "a = hh1 pa1\nb = eh pa1\n");
    QVERIFY(openVocabulary());
    QVERIFY(m_vocabulary->open(write("edits.txt", before).toStdString()));
    tessary::testing::control<QLineEdit>(m_window.get(), "Text1")->setText("ay");
    m_table->selectRow(0);
    if (!answer.isEmpty())
        this->answer(answer);
    if (auto* action = m_vocabulary->findChild<QAction*>(edit))
        action->trigger();
    else
        click(edit.toLatin1().constData());
    const auto text = [this] { return QByteArray::fromStdString(m_vocabulary->file().text()); };
    QCOMPARE(text(), after);
    m_vocabulary->findChild<QAction*>("vocabularyUndo")->trigger();
    QCOMPARE(text(), before);
    QVERIFY(!m_vocabulary->modified());
    m_vocabulary->findChild<QAction*>("vocabularyRedo")->trigger();
    QCOMPARE(text(), after);
    QVERIFY(m_vocabulary->modified());
}

void TestVocabularyWindow::longNamesLeaveEveryColumnInView()
{
    const QString name(60, 'w');
    QVERIFY(openVocabulary());
    m_vocabulary->resize(900, 440);
    m_vocabulary->show();
    QVERIFY(m_vocabulary->open(
        write("long.txt",
              (name + ": " + QString("the temperature is ").repeated(4) + "\n").toUtf8())
            .toStdString()));
    QCOMPARE(m_table->item(0, 0)->toolTip(), name);
    QCOMPARE(m_table->horizontalScrollBar()->maximum(), 0);
    QVERIFY(m_table->columnWidth(0) < m_table->fontMetrics().horizontalAdvance(name));
    int right = 0;
    for (int c = 0; c < 4; ++c)
        right = std::max(right, m_table->columnViewportPosition(c) + m_table->columnWidth(c));
    QVERIFY(right <= m_table->viewport()->width());
}

QTEST_MAIN(TestVocabularyWindow)
#include "tst_vocabularywindow.moc"
