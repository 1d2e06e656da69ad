// Language switching and fonts: the font chosen per language name, the
// language table, the embedded fonts, switching the whole program's language
// with the screens that are open, and long language names.

#include "support_settings.h"

#include "app/Utils.h"
#include "data/UserSettings.h"
#include "settings/LanguageList.h"
#include "settings/SettingsResources.h"
#include "settings/mainline.h"
#include "settings/translator.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>

namespace {

struct LanguageChangeCounter : QWidget {
    int count = 0;
    void changeEvent(QEvent *e) override { count += e->type() == QEvent::LanguageChange; }
};

} // namespace

class TestTranslator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initSettingsResources();
        transLanguage.LoadAllFontDataBase();
    }
    void cleanup()
    {
        transLanguage.LoadLanguage(QStringLiteral("no_language_at_all"));
        settings.setLanguage(QString::fromLatin1(UserSettings::kDefaultLanguage));
    }

    void fontFollowsTheFirstCodeFoundInTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        // The word counts as much as the code, and the table's order decides between two codes.
        QTest::newRow("ne in the word") << "danese_da" << "Gotu";
        QTest::newRow("ka before ne") << "kannada_ne" << "AcadNusx";
    }
    void fontFollowsTheFirstCodeFoundInTheName()
    {
        QFETCH(QString, name);
        QTEST(translator::FindFont(name), "family");
    }

    // What is drawn, not what was asked for: this process sees no system
    // fonts (main below), so only a font the program loaded can answer.
    void embeddedFontsAreTheFontsShown()
    {
        translator t;
        t.LoadAllFontDataBase(); // fonts that are not shipped are skipped
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(QFontDatabase().styles(QStringLiteral("DejaVu Sans")).contains(QStringLiteral("Bold")));
        // A font that is not there is told apart: the script fonts are not shipped,
        QVERIFY(QFontInfo(QFont(translator::FindFont("giapponese_ja"))).family() != translator::FindFont("giapponese_ja"));
        // and the embedded one is gone once unloaded (asked at a size asked
        // nowhere else: the toolkit remembers what a request found).
        t.UnLoadAllFontDataBase();
        QVERIFY(QFontInfo(QFont(QStringLiteral("DejaVu Sans"), 21)).family() != QStringLiteral("DejaVu Sans"));
        t.LoadAllFontDataBase();
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
    }

    void languageTableSkipsCommentsAndStrayLines()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/languages/info_lang.txt",
                               "# table\r\n>inglese_en\r\n>>English\r\n>>orphan name\n"
                               ">tedesco_de\n" // no display name line
                               ">italiano_it\n>>Italiano\n>francese_fr # comment\n>>Francais\n"));
        translator t;
        QVERIFY(t.LoadInfoLang());
        QCOMPARE(t.languages().size(), 3);
        QCOMPARE(QStringList({t.displayName("inglese_en"), t.displayName("tedesco_de"), t.displayName("italiano_it")}),
                 QStringList({"English", "", "Italiano"}));
        QVERIFY(QFile::remove(root.path("/home/root/languages/info_lang.txt")));
        QVERIFY(!t.LoadInfoLang());
        QVERIFY(t.languages().isEmpty());
    }

    void switchingLanguageRetranslatesOpenScreens()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        mainline screen;
        screen.show();
        QLabel *title = screen.findChild<QLabel *>(QStringLiteral("title"));
        QVERIFY(transLanguage.LoadLanguage("italiano_it"));
        // Qt posts the LanguageChange events to the open windows.
        QTRY_COMPARE(title->text(), QStringLiteral("IMPOSTAZIONI RETE ELETTRICA"));
        QCOMPARE(QLocale().name(), QStringLiteral("it_IT"));
        QCOMPARE(QFontInfo(title->font()).family(), QStringLiteral("DejaVu Sans"));
        // A language whose file is missing drops the translation in force.
        QVERIFY(!transLanguage.LoadLanguage("tedesco_de"));
        QTRY_COMPARE(title->text(), QStringLiteral("MAIN LINE SETTINGS"));
        // A name without a code gives the C locale.
        transLanguage.LoadLanguage("x");
        QCOMPARE(QLocale().name(), QStringLiteral("C"));
        // A stored name never reaches a translation outside the languages folder.
        QVERIFY(QFile::copy(builtLanguagesDir() + "/italiano_it.qm", root.path("/home/root/escaped_it.qm")));
        QVERIFY(!transLanguage.LoadLanguage("../escaped_it"));
        QVERIFY(!transLanguage.LoadLanguage(root.path("/home/root/escaped_it")));
    }

    void applyingTheLanguageInForceChangesNothing()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        LanguageChangeCounter w;
        QVERIFY(transLanguage.applyLanguage("italiano_it"));
        QTRY_VERIFY(w.count > 0);
        QTest::qWait(50);
        const int after = w.count;
        // The home screen applies the stored language on every poll.
        for (int i = 0; i < 5; ++i)
            QVERIFY(transLanguage.applyLanguage("italiano_it"));
        QTest::qWait(50);
        QCOMPARE(w.count, after);
        QVERIFY(transLanguage.applyLanguage("inglese_en"));
        QTRY_VERIFY(w.count > after);
    }

    void longLanguageNamesShrinkInsteadOfBeingCut()
    {
        TempRoot root;
        for (const char *n : {"inglese_en", "portoghese_pt", "lussemburghese_lb"})
            QVERIFY(root.writeFile(QStringLiteral("/home/root/languages/%1.qm").arg(n), "x"));
        QVERIFY(root.writeFile("/home/root/languages/info_lang.txt",
                               ">portoghese_pt\n>>Português (Brasil e Portugal)\n"
                               ">lussemburghese_lb\n>>Lëtzebuergesch Sprooch an Dialekter\n"));
        QVERIFY(transLanguage.LoadInfoLang());
        LanguageList l;
        l.show();
        // The longest name is too long even at the smallest size: it rolls.
        QPushButton *longest = l.languageButton(2);
        QCOMPARE(longest->font().pointSize(), 11);
        rollRollingObjects();
        QVERIFY(longest->text().startsWith(QStringLiteral("ëtzebuergesch")));
    }
};

// The board has no system fonts: what the program shows is written in the
// fonts it loads itself. The test runs the same way, so that no installed
// copy can stand in for a font that failed to load.
int main(int argc, char *argv[])
{
    QTemporaryDir fontconfig;
    const QString conf = fontconfig.filePath(QStringLiteral("fonts.conf"));
    QFile file(conf);
    if (!fontconfig.isValid() || !file.open(QIODevice::WriteOnly))
        return 1;
    file.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><cachedir>"
               + fontconfig.filePath(QStringLiteral("cache")).toUtf8() + "</cachedir></fontconfig>\n");
    file.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(conf));
    QApplication app(argc, argv);
    TestTranslator test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_translator.moc"
