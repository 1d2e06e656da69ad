// The on-screen keyboard (its layouts and keys, editing at the cursor, the
// suggestion) and the language list: the translation files present, paged
// four at a time, narrowed by a search typed on the keyboard, and the choice
// stored and applied.

#include "support_settings.h"

#include "data/UserSettings.h"
#include "settings/DisplayKeyboard.h"
#include "settings/LanguageList.h"
#include "settings/translator.h"

namespace {

void press(QWidget &w, const QStringList &names)
{
    for (const QString &name : names) {
        QPushButton *b = w.findChild<QPushButton *>(name);
        QVERIFY2(b, qPrintable(name));
        b->click();
    }
}

// Presses the character keys that carry `text` on the current layout.
void type(DisplayKeyboard &k, const QString &text)
{
    for (const QChar c : text)
        for (int i = 0; i < k.keys().size(); ++i)
            if (k.keyCharacter(i) == QString(c)) {
                k.keys().at(i)->click();
                break;
            }
}

QString labels(const DisplayKeyboard &k)
{
    QString s;
    for (QPushButton *b : k.keys())
        if (!b->isHidden())
            s += b->text() == QLatin1String("&&") ? QStringLiteral("&") : b->text();
    return s;
}

// The texts of the language keys shown on the current page.
QStringList shownNames(LanguageList &l)
{
    QStringList names;
    for (int i = 1; i <= LanguageList::kPerPage; ++i)
        if (!l.languageButton(i)->isHidden())
            names << l.languageButton(i)->text();
    return names;
}

// Answers the keyboard the search key opens: types `text` (after `deletes`
// backspaces) and confirms, or cancels when `text` is null.
void answerKeyboard(const QString &text, int deletes = 0, QString *suggestion = nullptr)
{
    whenModal<DisplayKeyboard>([=](DisplayKeyboard *k) {
        press(*k, QVector<QString>(deletes, "key_delete").toList());
        type(*k, text);
        if (suggestion)
            *suggestion = k->suggestion();
        press(*k, {text.isNull() ? "key_cancel" : "key_confirm"});
    });
}

} // namespace

class TestKeyboardAndLanguages : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        transLanguage.LoadLanguage(QStringLiteral("no_language_at_all"));
        settings.setLanguage(QString::fromLatin1(UserSettings::kDefaultLanguage));
    }

    void layoutsCycleAndShiftOnlyWorksOnLetters()
    {
        DisplayKeyboard k;
        const QString letters = QStringLiteral("1234567890qwertyuiopasdfghjklzxcvbnm");
        QCOMPARE(labels(k), letters);
        press(k, {"key_delete_2"});
        QCOMPARE(labels(k), QStringLiteral("**********QWERTYUIOPASDFGHJKLZXCVBNM"));
        press(k, {"key_second_function", "key_delete_2"}); // no capitals on a symbol layout
        QCOMPARE(labels(k), QStringLiteral("**********1234567890<>@_():;.!#=/-+?"));
        // The second symbol layout has one character more: its last key appears.
        press(k, {"key_second_function"});
        QCOMPARE(labels(k), QStringLiteral("**********1234567890!\"#$%&/()*[]{}|?\\"));
        press(k, {"key_second_function"});
        QCOMPARE(labels(k), letters);
        QVERIFY(k.keys().last()->isHidden());
    }

    void keysEditAtTheCursor()
    {
        DisplayKeyboard k;
        k.setText("ac");
        press(k, {"key_left"});
        type(k, "b");
        press(k, {"key_right", "key_space", "key_delete_2"});
        type(k, "D");
        press(k, {"key_left", "key_left", "key_delete"});
        QCOMPARE(k.text(), QStringLiteral("ab D"));
        // "&" shows doubled on its key (a single one marks a shortcut) but types once.
        k.setText(QString());
        press(k, {"key_second_function", "key_second_function"});
        type(k, "&\\");
        QCOMPARE(k.text(), QStringLiteral("&\\"));
    }

    void suggestionIsTheFirstWordStartingWithTheText()
    {
        DisplayKeyboard k;
        k.setPromptList({"Panna", "pane"});
        type(k, "pa");
        QCOMPARE(k.suggestion(), QStringLiteral("Panna"));
        type(k, "ne");
        QCOMPARE(k.suggestion(), QStringLiteral("pane"));
        type(k, "x");
        QCOMPARE(k.suggestion(), QString());
        // Touching the suggestion takes it as the text.
        press(k, {"key_delete", "key_delete", "key_delete"});
        QTest::mouseClick(k.findChild<QLabel *>("suggestion"), Qt::LeftButton);
        QCOMPARE(k.text(), QStringLiteral("Panna"));
    }

    void closedWithoutEitherKeyNeverReadsAsConfirmed()
    {
        keyboardStatus = 1;
        DisplayKeyboard k;
        k.show();
        k.close();
        QCOMPARE(int(keyboardStatus), -1);
    }

    void nineLanguagesMakeThreePages()
    {
        TempRoot root;
        const QStringList names = {"arabo_ar", "ceco_cs", "danese_da", "francese_fr", "greco_el",
                                   "inglese_en", "italiano_it", "olandese_nl", "tedesco_de"};
        for (const QString &n : names)
            QVERIFY(root.writeFile("/home/root/languages/" + n + ".qm", "x"));
        QVERIFY(root.writeFile("/home/root/languages/readme.txt", "not a language")
                && root.writeFile("/home/root/languages/info_lang.txt", ">italiano_it\n>>Italiano\n"));
        QVERIFY(transLanguage.LoadInfoLang());
        LanguageList l;
        QCOMPARE(l.shownLanguages(), names);
        // It opens on the page of the language in force (inglese_en), each name in its own font.
        QCOMPARE(shownNames(l), QStringList({"greco_el", "inglese_en", "Italiano", "olandese_nl"}));
        QCOMPARE(l.languageButton(1)->font().family(), translator::FindFont("greco_el"));
        press(l, {"next"});
        QCOMPARE(shownNames(l), QStringList({"tedesco_de"}));
        QVERIFY(!l.findChild<QPushButton *>("next")->isEnabled());
        press(l, {"previous", "previous"});
        QCOMPARE(shownNames(l), QStringList({"arabo_ar", "ceco_cs", "danese_da", "francese_fr"}));
        QVERIFY(!l.findChild<QPushButton *>("previous")->isEnabled());
    }

    void searchThroughTheKeyboardThenConfirmStoresAndApplies()
    {
        TempRoot root;
        QVERIFY(installBuiltLanguages(root) && transLanguage.LoadInfoLang());
        LanguageList l;
        l.show();
        QCOMPARE(l.shownLanguages(), QStringList({"inglese_en", "italiano_it"}));
        // A search that matches nothing leaves an empty page, not a broken one.
        l.setSearchText("zz");
        QVERIFY(shownNames(l).isEmpty());
        QCOMPARE(l.pageCount(), 1);
        // An empty search shows everything; cancelling keeps the search.
        answerKeyboard("", 2);
        press(l, {"search"});
        QCOMPARE(l.shownLanguages().size(), 2);
        // "it" matches the display name "Italiano" before the file name "italiano_it".
        QString suggestion;
        answerKeyboard("it", 0, &suggestion);
        press(l, {"search"});
        QCOMPARE(suggestion, QStringLiteral("Italiano"));
        answerKeyboard(QString());
        press(l, {"search"});
        QCOMPARE(l.shownLanguages(), QStringList({"italiano_it"}));

        press(l, {"lang_1", "confirm"});
        QCOMPARE(l.result(), int(QDialog::Accepted));
        QCOMPARE(transLanguage.loadedLanguage(), QStringLiteral("italiano_it"));
        QTRY_COMPARE(l.findChild<QLabel *>("title")->text(), QStringLiteral("LINGUA"));
        UserSettings stored;
        QVERIFY(stored.load());
        QCOMPARE(stored.getLanguage(), QStringLiteral("italiano_it"));
    }
};

QTEST_MAIN(TestKeyboardAndLanguages)
#include "tst_languagelist.moc"
