// The language list: the translation files present, paged four at a time,
// narrowed by a search typed on the keyboard, and the choice stored and
// applied.

#include "TempRoot.h"
#include "support_settings.h"

#include "app/AppState.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "settings/DisplayKeyboard.h"
#include "settings/LanguageList.h"
#include "settings/translator.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QString::fromLatin1(name));
}

// The texts of the language keys shown on the current page.
QStringList shownNames(LanguageList &l)
{
    QStringList names;
    for (int i = 1; i <= LanguageList::kPerPage; ++i) {
        if (!l.languageButton(i)->isHidden())
            names << l.languageButton(i)->text();
    }
    return names;
}

void typeOnKeyboard(DisplayKeyboard *k, const QString &text)
{
    for (const QChar c : text) {
        for (int i = 0; i < k->keys().size(); ++i) {
            if (k->keyCharacter(i) == QString(c)) {
                k->keys().at(i)->click();
                break;
            }
        }
    }
}

} // namespace

class TestLanguageList : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        transLanguage.LoadLanguage(QStringLiteral("no_language_at_all"));
        settings.setLanguage(QString::fromLatin1(UserSettings::kDefaultLanguage));
        costructorEnable = false;
    }

    void nineLanguagesMakeThreePages()
    {
        TempRoot root;
        const QStringList names = {"arabo_ar", "ceco_cs", "danese_da", "francese_fr", "greco_el",
                                   "inglese_en", "italiano_it", "olandese_nl", "tedesco_de"};
        for (const QString &n : names)
            QVERIFY(root.writeFile("/home/root/languages/" + n + ".qm", "x"));
        QVERIFY(root.writeFile("/home/root/languages/readme.txt", "not a language"));
        QVERIFY(root.writeFile("/home/root/languages/info_lang.txt", ">italiano_it\n>>Italiano\n"));
        QVERIFY(transLanguage.LoadInfoLang());

        LanguageList l;
        QCOMPARE(l.shownLanguages(), names);
        QCOMPARE(l.pageCount(), 3);
        // The list opens on the page of the language in force (inglese_en).
        QCOMPARE(l.page(), 1);
        QCOMPARE(shownNames(l), QStringList({"greco_el", "inglese_en", "Italiano", "olandese_nl"}));
        QCOMPARE(l.languageButton(2)->property("selected").toBool(), true);
        QCOMPARE(l.findChild<QLabel *>("page")->text(), QStringLiteral("2/3"));
        // Each language is written in its own font.
        QCOMPARE(l.languageButton(1)->font().family(), translator::FindFont("greco_el"));

        button(l, "next")->click();
        QCOMPARE(shownNames(l), QStringList({"tedesco_de"}));
        QVERIFY(!button(l, "next")->isEnabled());
        button(l, "next")->click();
        QCOMPARE(l.page(), 2);

        button(l, "previous")->click();
        button(l, "previous")->click();
        QCOMPARE(shownNames(l), QStringList({"arabo_ar", "ceco_cs", "danese_da", "francese_fr"}));
        QVERIFY(!button(l, "previous")->isEnabled());
    }

    void searchThroughTheKeyboardNarrowsTheList()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        QVERIFY(transLanguage.LoadInfoLang());
        LanguageList l;
        QCOMPARE(l.shownLanguages(), QStringList({"inglese_en", "italiano_it"}));

        // The keyboard suggests the languages present; "It" matches the
        // display name "Italiano" before the file name "italiano_it".
        QString suggestion;
        whenModal<DisplayKeyboard>([&](DisplayKeyboard *k) {
            typeOnKeyboard(k, "it");
            suggestion = k->suggestion();
            k->findChild<QPushButton *>("key_confirm")->click();
        });
        button(l, "search")->click();
        QCOMPARE(suggestion, QStringLiteral("Italiano"));
        QCOMPARE(l.searchText(), QStringLiteral("it"));
        QCOMPARE(l.shownLanguages(), QStringList({"italiano_it"}));
        QVERIFY(promptListKeyboard.contains("inglese_en"));

        // Cancelling keeps the search; an empty search shows everything.
        whenModal<DisplayKeyboard>([](DisplayKeyboard *k) { k->findChild<QPushButton *>("key_cancel")->click(); });
        button(l, "search")->click();
        QCOMPARE(l.shownLanguages(), QStringList({"italiano_it"}));
        whenModal<DisplayKeyboard>([](DisplayKeyboard *k) {
            k->findChild<QPushButton *>("key_delete")->click();
            k->findChild<QPushButton *>("key_delete")->click();
            k->findChild<QPushButton *>("key_confirm")->click();
        });
        button(l, "search")->click();
        QCOMPARE(l.shownLanguages().size(), 2);

        // A search that matches nothing leaves an empty page, not a broken one.
        l.setSearchText("zz");
        QVERIFY(shownNames(l).isEmpty());
        QCOMPARE(l.pageCount(), 1);
    }

    void confirmingStoresAndAppliesTheLanguage()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        QVERIFY(transLanguage.LoadInfoLang());
        auto *l = new LanguageList;
        l->show();
        l->languageButton(2)->click(); // italiano_it
        QCOMPARE(l->selectedLanguage(), QStringLiteral("italiano_it"));
        button(*l, "confirm")->click();
        QCOMPARE(l->result(), int(QDialog::Accepted));

        QCOMPARE(transLanguage.loadedLanguage(), QStringLiteral("italiano_it"));
        QVERIFY(transLanguage.lastLoadSucceeded());
        QTRY_COMPARE(l->findChild<QLabel *>("title")->text(), QStringLiteral("LINGUA"));
        UserSettings stored;
        QVERIFY(stored.load());
        QCOMPARE(stored.getLanguage(), QStringLiteral("italiano_it"));
        delete l;
    }

    void firstStartMustChooseAndConfirmingKeepsTheLanguageInForce()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root));
        QVERIFY(transLanguage.LoadInfoLang());
        LanguageList l(nullptr, true);
        l.show();
        QVERIFY(!button(l, "back")->isVisible());
        button(l, "confirm")->click();
        UserSettings stored;
        QVERIFY(stored.load()); // the settings file now exists: no first start again
        QCOMPARE(stored.getLanguage(), QString::fromLatin1(UserSettings::kDefaultLanguage));
        QCOMPARE(transLanguage.loadedLanguage(), QString::fromLatin1(UserSettings::kDefaultLanguage));

        LanguageList later;
        later.show();
        QVERIFY(button(later, "back")->isVisible());
    }
};

QTEST_MAIN(TestLanguageList)
#include "tst_languagelist.moc"
