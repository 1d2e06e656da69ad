// Language switching and fonts: the font chosen per language name, the
// language table, the resource fonts, and switching the whole program's
// language with the screens that are open.

#include "TempRoot.h"
#include "support_settings.h"

#include "data/DataState.h"
#include "data/UserSettings.h"
#include "platform/log.h"
#include "settings/SettingsResources.h"
#include "settings/mainline.h"
#include "settings/translator.h"

#include <QLabel>
#include <QPointer>
#include <QtTest>

#include <vector>

namespace {

// Counts the LanguageChange events a widget receives.
class LanguageChangeCounter : public QWidget
{
public:
    int count = 0;

protected:
    void changeEvent(QEvent *e) override
    {
        if (e->type() == QEvent::LanguageChange)
            ++count;
        QWidget::changeEvent(e);
    }
};

QString titleOf(QWidget *screen)
{
    auto *title = screen->findChild<QLabel *>(QStringLiteral("title"));
    return title ? title->text() : QString();
}

} // namespace

class TestTranslator : public QObject
{
    Q_OBJECT

private:
    std::vector<std::string> logLines;

private slots:
    void initTestCase() { initSettingsResources(); }

    void init()
    {
        logLines.clear();
        platform::setLogSink([this](const std::string &l) { logLines.push_back(l); });
    }

    void cleanup()
    {
        platform::setLogSink(nullptr);
        transLanguage.LoadLanguage(QStringLiteral("no_language_at_all"));
        settings.setLanguage(QString::fromLatin1(UserSettings::kDefaultLanguage));
    }

    void fontFollowsTheFirstCodeFoundInTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::newRow("japanese") << "giapponese_ja" << "osaka_unicode";
        QTest::newRow("english") << "inglese_en" << "DejaVu Sans";
        QTest::newRow("italian") << "italiano_it" << "DejaVu Sans";
        QTest::newRow("greek code") << "greco_el" << "SBL Greek";
        // The word counts as much as the code: "ne" anywhere gives Gotu...
        QTest::newRow("ne in the word") << "danese_da" << "Gotu";
        // ...and the order of the table decides between two codes.
        QTest::newRow("ka before ne") << "kannada_ne" << "AcadNusx";
        QTest::newRow("zh before ka") << "kazako_zh" << "TsangerYuYangT";
    }
    void fontFollowsTheFirstCodeFoundInTheName()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        QCOMPARE(translator::FindFont(name), family);
    }

    void languageTableSkipsCommentsAndStrayLines()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/languages/info_lang.txt",
                               "# table\r\n"
                               ">inglese_en\r\n>>English\r\n"
                               ">>orphan name\n"
                               ">tedesco_de\n"       // no display name line
                               ">italiano_it\n>>Italiano\n"
                               ">francese_fr # comment\n>>Francais\n"));
        translator t;
        QVERIFY(t.LoadInfoLang());
        QCOMPARE(t.languages().size(), 3);
        QCOMPARE(t.displayName("inglese_en"), QStringLiteral("English"));
        QCOMPARE(t.displayName("tedesco_de"), QString());
        QCOMPARE(t.displayName("italiano_it"), QStringLiteral("Italiano"));
        // A commented line opens no entry, so its ">>" line is a stray one.
        QCOMPARE(t.displayName("francese_fr # comment"), QString());

        QVERIFY(QFile::remove(root.path("/home/root/languages/info_lang.txt")));
        QVERIFY(!t.LoadInfoLang());
        QVERIFY(t.languages().isEmpty());
        QVERIFY(std::find(logLines.begin(), logLines.end(), "File non esiste!!!") != logLines.end());
    }

    void resourceFontsAreRegisteredAndMissingOnesSkipped()
    {
        translator t;
        t.LoadAllFontDataBase();
        auto logged = [this](const std::string &part) {
            return std::any_of(logLines.begin(), logLines.end(),
                               [&](const std::string &l) { return l.find(part) != std::string::npos; });
        };
        QVERIFY(logged("://font/DejaVuSans.ttf -> DejaVu Sans"));
        QVERIFY(logged("://font/VeraIt.ttf -> Bitstream Vera Sans"));
        QVERIFY(logged("://font/DejaVuSans-Bold.ttf -> DejaVu Sans"));
        QVERIFY(logged("font non presente: ://font/cinese.ttf"));
        QVERIFY(logged("font non presente: ://font/greco.ttf"));
    }

    void switchingLanguageRetranslatesOpenScreens()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        QPointer<mainline> screen = new mainline;
        screen->show();
        QCOMPARE(titleOf(screen), QStringLiteral("MAIN LINE SETTINGS"));

        QVERIFY(transLanguage.LoadLanguage("italiano_it"));
        // Qt posts the LanguageChange events to the open windows.
        QTRY_COMPARE(titleOf(screen), QStringLiteral("IMPOSTAZIONI RETE ELETTRICA"));
        QCOMPARE(QLocale().name(), QStringLiteral("it_IT"));
        QCOMPARE(QApplication::font().family(), QStringLiteral("DejaVu Sans"));

        QVERIFY(transLanguage.LoadLanguage("inglese_en"));
        QTRY_COMPARE(titleOf(screen), QStringLiteral("MAIN LINE SETTINGS"));

        // A language whose file is missing drops the translation in force:
        // the texts fall back to the source language.
        QVERIFY(transLanguage.LoadLanguage("italiano_it"));
        QTRY_COMPARE(titleOf(screen), QStringLiteral("IMPOSTAZIONI RETE ELETTRICA"));
        QVERIFY(!transLanguage.LoadLanguage("tedesco_de"));
        QTRY_COMPARE(titleOf(screen), QStringLiteral("MAIN LINE SETTINGS"));
        QVERIFY(std::find(logLines.begin(), logLines.end(), " NON CARICATO") != logLines.end());
        delete screen;
    }

    void nameWithoutCodeUsesTheCLocale()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        transLanguage.LoadLanguage("x");
        QCOMPARE(QLocale().name(), QStringLiteral("C"));
        QVERIFY(std::find(logLines.begin(), logLines.end(), " ERRORE iso 639 non trovato ") != logLines.end());
    }

    void storedNameCannotReachOutsideTheLanguagesFolder()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        // A real translation one folder up must not be loaded through "..".
        QVERIFY(QFile::copy(builtLanguagesDir() + "/italiano_it.qm", root.path("/home/root/escaped_it.qm")));
        QVERIFY(!transLanguage.LoadLanguage("../escaped_it"));
        QVERIFY(!transLanguage.LoadLanguage(root.path("/home/root/escaped_it")));
        QVERIFY(transLanguage.LoadLanguage("italiano_it"));
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
};

QTEST_MAIN(TestTranslator)
#include "tst_translator.moc"
