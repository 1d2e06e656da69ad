// The on-screen keyboard: its layouts and keys, editing at the cursor, the
// suggestion, and the result handed back to the opening screen (opened
// through openDisplayKey, it is exercised by the language list's search).

#include "app/AppState.h"
#include "settings/DisplayKeyboard.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

QPushButton *button(DisplayKeyboard &k, const char *name)
{
    return k.findChild<QPushButton *>(QString::fromLatin1(name));
}

void click(DisplayKeyboard &k, const char *name)
{
    QPushButton *b = button(k, name);
    QVERIFY2(b, name);
    b->click();
}

// Presses the character keys that carry `text` on the current layout.
void type(DisplayKeyboard &k, const QString &text)
{
    for (const QChar c : text) {
        int found = -1;
        for (int i = 0; i < k.keys().size() && found < 0; ++i) {
            if (k.keyCharacter(i) == QString(c))
                found = i;
        }
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("no key for ") + c));
        k.keys().at(found)->click();
    }
}

QString labels(const DisplayKeyboard &k)
{
    QString s;
    for (QPushButton *b : k.keys()) {
        if (!b->isHidden())
            s += b->text() == QLatin1String("&&") ? QStringLiteral("&") : b->text();
    }
    return s;
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        keyboardStatus = 0;
        keyboardReturn = "untouched";
        promptListKeyboard.clear();
    }

    void layoutsCycleAndShiftOnlyWorksOnLetters()
    {
        DisplayKeyboard k;
        QCOMPARE(labels(k), QStringLiteral("1234567890qwertyuiopasdfghjklzxcvbnm"));

        click(k, "key_delete_2");
        QVERIFY(k.upperCase());
        QCOMPARE(labels(k), QStringLiteral("**********QWERTYUIOPASDFGHJKLZXCVBNM"));

        click(k, "key_second_function");
        QCOMPARE(k.layoutIndex(), 1);
        QVERIFY(!k.upperCase());
        QCOMPARE(labels(k), QStringLiteral("**********1234567890<>@_():;.!#=/-+?"));
        click(k, "key_delete_2"); // no capitals on a symbol layout
        QVERIFY(!k.upperCase());
        QCOMPARE(labels(k), QStringLiteral("**********1234567890<>@_():;.!#=/-+?"));

        // The second symbol layout has one character more: its last key appears.
        click(k, "key_second_function");
        QCOMPARE(labels(k), QStringLiteral("**********1234567890!\"#$%&/()*[]{}|?\\"));
        QVERIFY(!k.keys().last()->isHidden());

        click(k, "key_second_function");
        QCOMPARE(k.layoutIndex(), 0);
        QVERIFY(!k.upperCase());
        QCOMPARE(labels(k), QStringLiteral("1234567890qwertyuiopasdfghjklzxcvbnm"));
        QVERIFY(k.keys().last()->isHidden());
    }

    void keysEditAtTheCursor()
    {
        DisplayKeyboard k;
        k.setText("ac");
        click(k, "key_left");
        type(k, "b");
        QCOMPARE(k.text(), QStringLiteral("abc"));
        click(k, "key_right");
        click(k, "key_space");
        click(k, "key_delete_2");
        type(k, "D");
        QCOMPARE(k.text(), QStringLiteral("abc D"));
        click(k, "key_left");
        click(k, "key_left");
        click(k, "key_delete");
        QCOMPARE(k.text(), QStringLiteral("ab D"));

        // "&" shows doubled on its key (a single one would mark a shortcut)
        // but types once; the backslash is typed from the last key.
        k.setText(QString());
        click(k, "key_second_function");
        click(k, "key_second_function");
        type(k, "&\\");
        QCOMPARE(k.text(), QStringLiteral("&\\"));
    }

    void suggestionIsTheFirstWordStartingWithTheText()
    {
        DisplayKeyboard k;
        k.setPromptList({"Panna", "pane"});
        QCOMPARE(k.suggestion(), QString());
        type(k, "pa");
        QCOMPARE(k.suggestion(), QStringLiteral("Panna"));
        type(k, "ne");
        QCOMPARE(k.suggestion(), QStringLiteral("pane"));
        type(k, "x");
        QCOMPARE(k.suggestion(), QString());
        for (int i = 0; i < 5; ++i)
            click(k, "key_delete");
        QCOMPARE(k.text(), QString());
        QCOMPARE(k.suggestion(), QString());

        // Touching the suggestion takes it as the text.
        type(k, "p");
        QTest::mouseClick(k.findChild<QLabel *>("suggestion"), Qt::LeftButton);
        QCOMPARE(k.text(), QStringLiteral("Panna"));
    }

    void confirmHandsBackTheTextCancelLeavesIt()
    {
        {
            DisplayKeyboard k;
            k.setText(QStringLiteral("caffè"));
            click(k, "key_confirm");
            QCOMPARE(int(keyboardStatus), 1);
            QCOMPARE(keyboardReturn, QStringLiteral("caffè").toUtf8());
            QCOMPARE(k.result(), int(QDialog::Accepted));
        }
        keyboardReturn = "before";
        {
            DisplayKeyboard k;
            k.setText("other");
            click(k, "key_cancel");
            QCOMPARE(int(keyboardStatus), -1);
            QCOMPARE(keyboardReturn, QByteArray("before"));
        }
        // Closed without either key: never reads as confirmed.
        keyboardStatus = 1;
        {
            DisplayKeyboard k;
            k.show();
            k.close();
            QCOMPARE(int(keyboardStatus), -1);
        }
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
