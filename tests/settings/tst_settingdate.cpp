// The clock page: the date arithmetic of its keys, and what confirming
// writes. The sandbox clock keeps what setting it stored in <root>/dev/rtc.

#include "support_settings.h"
#include "TableRows.h"

#include "app/DialogMessage.h"
#include "app/Utils.h"
#include "settings/SettingDate.h"

#include <QDateTime>

namespace {

const QString kReminder = QStringLiteral("/home/root/reminder");

QPushButton *key(QWidget *w, const QString &name) { return w->findChild<QPushButton *>(name); }
QString value(QWidget *w, const QString &field) { return w->findChild<QLabel *>(field + "_value")->text(); }

// The five values as the page shows them: "day.month.year hour:minute".
QString shown(QWidget *w)
{
    return QStringLiteral("%1.%2.%3 %4:%5")
        .arg(value(w, "day"), value(w, "month"), value(w, "year"), value(w, "hour"), value(w, "minute"));
}

// Pins "now" (local time) for the page to read when it opens.
void pinClock(int year, int month, int day, int hour, int minute)
{
    platform::setFixedNowForTests(QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch());
}

// The clock as it runs now, through the same reading the program uses.
QString clockNow()
{
    platform::clearFixedNowForTests();
    uint8_t d = 0, mo = 0, h = 0, mi = 0;
    uint16_t y = 0;
    if (!readToRtc(&d, &mo, &y, &h, &mi))
        return QStringLiteral("unreadable");
    return QStringLiteral("%1.%2.%3 %4:%5").arg(d).arg(mo + 1).arg(y + 1900).arg(h).arg(mi);
}

DialogMessage *question() { return shownWindow<DialogMessage>(); }

// Start (local time), keys pressed in order, what the page shows after them.
const struct KeyRow
{
    const char *name;
    int year, month, day, hour, minute;
    const char *keys;
    const char *expected;
} kKeyRows[] = {
    {"31 Jan + month, common year", 2025, 1, 31, 10, 0, "month_plus", "28.2.2025 10:0"},
    {"31 Jan + month, leap year", 2024, 1, 31, 10, 0, "month_plus", "29.2.2024 10:0"},
    {"29 Feb - year lowers the day", 2024, 2, 29, 8, 30, "year_minus", "28.2.2023 8:30"},
    {"day - on the 1st of a 30-day month", 2025, 4, 1, 12, 0, "day_minus", "30.4.2025 12:0"},
    {"day - on the 1st of February", 2024, 2, 1, 12, 0, "day_minus", "29.2.2024 12:0"},
    {"day + wraps at the month's end", 2025, 4, 30, 12, 0, "day_plus", "1.4.2025 12:0"},
    {"month + wraps December, year kept", 2025, 12, 15, 12, 0, "month_plus", "15.1.2025 12:0"},
    {"month - wraps January, year kept", 2025, 1, 15, 12, 0, "month_minus", "15.12.2025 12:0"},
    {"year has no bound", 2025, 6, 15, 12, 0, "year_plus year_plus", "15.6.2027 12:0"},
    {"hour + wraps 23, day kept", 2025, 6, 15, 23, 5, "hour_plus", "15.6.2025 0:5"},
    {"hour - wraps 0", 2025, 6, 15, 0, 5, "hour_minus", "15.6.2025 23:5"},
    {"minute + wraps 59, hour kept", 2025, 6, 15, 7, 59, "minute_plus", "15.6.2025 7:0"},
    {"minute - wraps 0", 2025, 6, 15, 7, 0, "minute_minus", "15.6.2025 7:59"},
};

} // namespace

class TestSettingDate : public QObject
{
    Q_OBJECT

    // What the reminder file looked like at each sync.
    QList<bool> reminderAtSync;
    TempRoot *currentRoot = nullptr;

private slots:
    void initTestCase()
    {
        syscmd::setSyncRunnerForTests([this] {
            reminderAtSync << (currentRoot && QFile::exists(currentRoot->path(kReminder)));
        });
    }
    void cleanup()
    {
        closeWindows();
        platform::clearFixedNowForTests();
        reminderAtSync.clear();
        currentRoot = nullptr;
    }

    void keysFollowTheCalendar_data() { addRows(kKeyRows); }
    void keysFollowTheCalendar()
    {
        const KeyRow &row = currentRow(kKeyRows);
        TempRoot root;
        pinClock(row.year, row.month, row.day, row.hour, row.minute);
        SettingDate page(nullptr, false);
        for (const QString &k : QString(row.keys).split(' '))
            key(&page, k)->click();
        QCOMPARE(shown(&page), QString(row.expected));
    }

    void confirmWithoutChangeWritesNothing_data()
    {
        QTest::addColumn<bool>("firstStart");
        QTest::newRow("from the settings") << false;
        QTest::newRow("first start") << true;
    }
    void confirmWithoutChangeWritesNothing()
    {
        QFETCH(bool, firstStart);
        TempRoot root;
        currentRoot = &root;
        QVERIFY(root.writeFile(kReminder, "reminder"));
        const auto before = root.files();
        pinClock(2025, 6, 15, 9, 41);
        QPointer<SettingDate> page = new SettingDate(nullptr, firstStart);
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        QCOMPARE(key(page, "back")->isVisible(), !firstStart);
        key(page, "confirm")->click();
        QTRY_VERIFY(page.isNull());
        QVERIFY(!question());
        QCOMPARE(root.files(), before); // no clock offset, the reminders kept
        QVERIFY(reminderAtSync.isEmpty());
    }

    void confirmedChangeSetsTheClockAndDropsTheReminders_data()
    {
        QTest::addColumn<bool>("firstStart");
        QTest::addColumn<QString>("answer"); // the question's key, empty when not asked
        QTest::addColumn<bool>("written");
        QTest::newRow("yes") << false << "okKey" << true;
        QTest::newRow("no") << false << "cancelKey" << false;
        QTest::newRow("first start asks nothing") << true << "" << true;
    }
    void confirmedChangeSetsTheClockAndDropsTheReminders()
    {
        QFETCH(bool, firstStart);
        QFETCH(QString, answer);
        QFETCH(bool, written);
        TempRoot root;
        currentRoot = &root;
        QVERIFY(root.writeFile(kReminder, "reminder"));
        pinClock(2025, 1, 31, 10, 0);
        QPointer<SettingDate> page = new SettingDate(nullptr, firstStart);
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        key(page, "month_plus")->click();
        key(page, "hour_plus")->click();
        key(page, "confirm")->click();
        if (!answer.isEmpty()) {
            // Asked without blocking: the page is still there, waiting.
            QVERIFY(question() && page && page->question() == question());
            key(page, "confirm")->click(); // a second touch asks nothing more
            QCOMPARE(visibleWindows<DialogMessage>().size(), 1);
            QVERIFY(root.files().value("/dev/rtc").isNull());
            key(question(), answer)->click();
        } else {
            QVERIFY(!question());
        }
        QTRY_VERIFY(page.isNull());
        if (written) {
            QCOMPARE(clockNow(), QString("28.2.2025 11:0"));
            QVERIFY(!QFile::exists(root.path(kReminder)));
            // The last sync came after the reminders went.
            QVERIFY(!reminderAtSync.isEmpty() && !reminderAtSync.last());
        } else {
            QVERIFY(!QFile::exists(root.path("/dev/rtc")));
            QCOMPARE(root.readFile(kReminder), QByteArray("reminder"));
            QVERIFY(reminderAtSync.isEmpty());
        }
    }

    // A clock that refuses the time must not pass for set: the operator is
    // told, the page stays for another try and the reminders stay.
    void refusedClockWriteIsReportedAndThePageStays()
    {
        TempRoot root;
        currentRoot = &root;
        QVERIFY(root.writeFile(kReminder, "reminder"));
        QVERIFY(root.mkpath("/dev/rtc")); // a folder: the clock cannot be written
        pinClock(2025, 1, 31, 10, 0);
        QPointer<SettingDate> page = new SettingDate(nullptr, true);
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        key(page, "day_minus")->click();
        key(page, "confirm")->click();
        QTRY_COMPARE(shownErrors(), QStringList{"The clock could not be set."});
        QVERIFY(page && page->isVisible());
        QCOMPARE(root.readFile(kReminder), QByteArray("reminder"));
        QVERIFY(reminderAtSync.isEmpty());
    }
};

QTEST_MAIN(TestSettingDate)
#include "tst_settingdate.moc"
