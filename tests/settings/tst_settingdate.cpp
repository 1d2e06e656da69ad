// The clock page: the date arithmetic of its keys, and what confirming
// writes. The sandbox clock keeps what setting it stored in <root>/dev/rtc.

#include "support_settings.h"

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

    // Start date, keys pressed in order, what the page shows after them.
    void keysFollowTheCalendar_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("expected");
        const auto at = [](int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi)); };
        QTest::newRow("31 Jan + month, common year") << at(2025, 1, 31, 10, 0) << QStringList{"month_plus"}
                                                     << "28.2.2025 10:0";
        QTest::newRow("31 Jan + month, leap year") << at(2024, 1, 31, 10, 0) << QStringList{"month_plus"}
                                                   << "29.2.2024 10:0";
        QTest::newRow("29 Feb - year lowers the day") << at(2024, 2, 29, 8, 30) << QStringList{"year_minus"}
                                                      << "28.2.2023 8:30";
        QTest::newRow("31 Mar - month lands on 28 Feb") << at(2025, 3, 31, 0, 0) << QStringList{"month_minus"}
                                                        << "28.2.2025 0:0";
        QTest::newRow("day - on the 1st of a 30-day month") << at(2025, 4, 1, 12, 0) << QStringList{"day_minus"}
                                                            << "30.4.2025 12:0";
        QTest::newRow("day - on the 1st of February") << at(2024, 2, 1, 12, 0) << QStringList{"day_minus"}
                                                      << "29.2.2024 12:0";
        QTest::newRow("day + wraps at the month's end") << at(2025, 4, 30, 12, 0) << QStringList{"day_plus"}
                                                        << "1.4.2025 12:0";
        QTest::newRow("day + on 28 Feb, common year") << at(2025, 2, 28, 12, 0) << QStringList{"day_plus"}
                                                      << "1.2.2025 12:0";
        QTest::newRow("month + wraps December, year kept") << at(2025, 12, 15, 12, 0) << QStringList{"month_plus"}
                                                           << "15.1.2025 12:0";
        QTest::newRow("month - wraps January, year kept") << at(2025, 1, 15, 12, 0) << QStringList{"month_minus"}
                                                          << "15.12.2025 12:0";
        QTest::newRow("year has no bound") << at(2025, 6, 15, 12, 0) << QStringList{"year_plus", "year_plus"}
                                           << "15.6.2027 12:0";
        QTest::newRow("hour + wraps 23, day kept") << at(2025, 6, 15, 23, 5) << QStringList{"hour_plus"}
                                                   << "15.6.2025 0:5";
        QTest::newRow("hour - wraps 0") << at(2025, 6, 15, 0, 5) << QStringList{"hour_minus"} << "15.6.2025 23:5";
        QTest::newRow("minute + wraps 59, hour kept") << at(2025, 6, 15, 7, 59) << QStringList{"minute_plus"}
                                                      << "15.6.2025 7:0";
        QTest::newRow("minute - wraps 0") << at(2025, 6, 15, 7, 0) << QStringList{"minute_minus"}
                                          << "15.6.2025 7:59";
    }
    void keysFollowTheCalendar()
    {
        QFETCH(QDateTime, start);
        QFETCH(QStringList, keys);
        QFETCH(QString, expected);
        TempRoot root;
        platform::setFixedNowForTests(start.toSecsSinceEpoch());
        SettingDate page(nullptr, false);
        for (const QString &k : keys)
            key(&page, k)->click();
        QCOMPARE(shown(&page), expected);
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
        QCOMPARE(key(page, "confirm")->text(), firstStart ? QString("OK") : QString("CONFIRM"));
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
            QCOMPARE(question()->displayMessage(), QString("Do you want to update the date?"));
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
