// The settings screens as the operator sees them, in English and Italian:
// nothing off the display, no text cut. The pictures land in
// <build>/screenshots/.

#include "TempRoot.h"
#include "support_screencheck.h"
#include "support_settings.h"

#include "app/Utils.h"
#include "app/Dialog.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "link/SharedState.h"
#include "data/UserSettings.h"
#include "settings/DisplayKeyboard.h"
#include "settings/LanguageList.h"
#include "settings/SettingsResources.h"
#include "settings/mainline.h"
#include "settings/translator.h"

#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestScreens : public QObject
{
    Q_OBJECT

private:
    TempRoot root;

    void check(QWidget *screen, const QString &name)
    {
        screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen));
        const QStringList problems = checkScreen(screen, name);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

private slots:
    void initTestCase()
    {
        syscmd::setSyncRunner([] {});
        initSettingsResources();
        transLanguage.LoadAllFontDataBase();
        QVERIFY(installBuiltLanguages(root));
        QVERIFY(transLanguage.LoadInfoLang());
    }

    void screens_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "inglese_en";
        QTest::newRow("italian") << "italiano_it";
    }
    void screens()
    {
        QFETCH(QString, language);
        QVERIFY(transLanguage.LoadLanguage(language));
        const QString suffix = QLatin1Char('_') + language.section(QLatin1Char('_'), 1);

        {
            settings.setHz(QStringLiteral("50"));
            QPointer<mainline> m = new mainline;
            check(m, "mainline" + suffix);
            // Confirmed: the panel stays up while the board takes the command.
            m->findChild<QPushButton *>("confirm")->click();
            auto *panel = m->findChild<Dialog *>();
            QVERIFY(panel);
            check(panel, "mainline_sending" + suffix);
            QTRY_VERIFY(m.isNull());
            FifoLock lock;
            serialFifo = {};
        }
        {
            LanguageList l(nullptr, false);
            check(&l, "languagelist" + suffix);
            l.setSearchText(QStringLiteral("ita"));
            check(&l, "languagelist_search" + suffix);
        }
        {
            DisplayKeyboard k;
            k.setPromptList({"Margherita", "Marinara"});
            k.setText(QStringLiteral("Mar"));
            for (int i = 0; i < k.keys().size(); ++i) {
                if (k.keyCharacter(i) == QLatin1String("g"))
                    k.keys().at(i)->click();
            }
            QCOMPARE(k.suggestion(), QStringLiteral("Margherita"));
            check(&k, "keyboard_letters" + suffix);
            k.findChild<QPushButton *>("key_delete_2")->click();
            check(&k, "keyboard_capitals" + suffix);
            k.findChild<QPushButton *>("key_second_function")->click();
            check(&k, "keyboard_symbols" + suffix);
            k.findChild<QPushButton *>("key_second_function")->click();
            check(&k, "keyboard_symbols2" + suffix);
        }
    }

    void longLanguageNamesShrinkInsteadOfBeingCut()
    {
        TempRoot many;
        for (const char *n : {"inglese_en", "portoghese_pt", "lussemburghese_lb"})
            QVERIFY(many.writeFile(QStringLiteral("/home/root/languages/%1.qm").arg(n), "x"));
        QVERIFY(many.writeFile("/home/root/languages/info_lang.txt",
                               ">portoghese_pt\n>>Português (Brasil e Portugal)\n"
                               ">lussemburghese_lb\n>>Lëtzebuergesch Sprooch an Dialekter\n"));
        QVERIFY(transLanguage.LoadInfoLang());
        LanguageList l;
        check(&l, "languagelist_long_names");
        // The longest name is too long even at the smallest size: it rolls.
        QPushButton *longest = l.languageButton(2);
        QVERIFY(longest->text().startsWith(QStringLiteral("Lëtzebuergesch")));
        QCOMPARE(longest->font().pointSize(), 11);
        rollRollingObjects();
        QVERIFY(longest->text().startsWith(QStringLiteral("ëtzebuergesch")));
        QVERIFY(transLanguage.LoadInfoLang());
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
