// The Spell Text dialog where espeak-ng's data is missing: the program goes on, and the dialog
// says why nothing spells.
#include "spelling/Speller.h"
#include "window/SpellDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace tessary;

class TestSpellWithoutData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saysWhyNothingSpells();
};

void TestSpellWithoutData::saysWhyNothingSpells()
{
    // ESPEAK_DATA_PATH (set by CTest) names an empty folder: espeak-ng finds no data there.
    const Speller speller(WordList::builtIn());
    QVERIFY(!speller.available());
    SpellDialog dialog(speller, 30);
    dialog.show();
    auto* fit = dialog.findChild<QLabel*>("spellFit");
    dialog.findChild<QPlainTextEdit*>("spellText")->setPlainText("good morning");
    QTRY_VERIFY(fit->text().contains("Nothing spells: espeak-ng's English data could not be"));
    QVERIFY(dialog.spelling().empty());
}

QTEST_MAIN(TestSpellWithoutData)
#include "tst_spellwithoutdata.moc"
