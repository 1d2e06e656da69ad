// Maintenance reminder file: six-character lines against hand-written bytes,
// dates whose fields are line-end characters, and when a reminder is due.

#include "TempRoot.h"

#include "data/Reminder.h"
#include "data/SystemCommand.h"
#include "platform/clock.h"

#include <QtTest>

namespace {

const char *const kReminder = "/home/root/reminder";

date at(uint8_t day, uint8_t month, uint16_t year, uint8_t hour, uint8_t minute)
{
    date d;
    d.day = day;
    d.month = month;
    d.year = year;
    d.hour = hour;
    d.minute = minute;
    return d;
}

date minutes(uint8_t n)
{
    return at(0, 0, 0, 0, n);
}

} // namespace

class TestReminder : public QObject
{
    Q_OBJECT

private:
    int syncs = 0;

private slots:
    void init()
    {
        syncs = 0;
        syscmd::setSyncRunner([this] { ++syncs; });
    }
    void cleanup() { syscmd::setSyncRunner(nullptr); }

    void firstReminderCreatesTheFile()
    {
        TempRoot root;
        // 14:35 on 3 June, clock year 124: minute, hour, day, month, 0, year.
        QVERIFY(write_warning_reminder(at(3, 6, 124, 14, 35), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), QByteArray("230e0306007c0a"));
        QVERIFY(!QFile::exists(root.path("/home/root/reminder_rd")));
        QVERIFY(syncs >= 1);
    }

    void onlyTheLowByteOfTheYearIsStored()
    {
        TempRoot root;
        QVERIFY(write_warning_reminder(at(1, 2, 2024, 3, 4), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), QByteArray("04030102" "00" "e8" "0a"));
    }

    void rewriteReplacesOnlyTheWarningsLine()
    {
        TempRoot root;
        // The filter line and a line of a later warning kind.
        const QByteArray other = QByteArray::fromHex("0102030400050a");
        QVERIFY(root.writeFile(kReminder, QByteArray::fromHex("0000000000000a") + other));
        QVERIFY(write_warning_reminder(at(9, 8, 125, 7, 6), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), (QByteArray::fromHex("06070908" "00" "7d" "0a") + other).toHex());
    }

    void damagedFileIsReplacedByAValidLine()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kReminder, QByteArray("\x01\x02\x03", 3)));
        QVERIFY(check_warning_remainder(at(1, 1, 124, 0, 0), WRNG_FILTRO, minutes(1)));
        QVERIFY(write_warning_reminder(at(1, 1, 124, 0, 0), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), QByteArray("00000101007c0a"));
    }

    void missingOrEmptyFileIsDue()
    {
        TempRoot root;
        QVERIFY(check_warning_remainder(at(1, 1, 124, 0, 0), WRNG_FILTRO, minutes(1)));
        QVERIFY(root.writeFile(kReminder, QByteArray()));
        QVERIFY(check_warning_remainder(at(1, 1, 124, 0, 0), WRNG_FILTRO, minutes(1)));
    }

    void dueOnceTheIntervalHasPassed()
    {
        TempRoot root;
        QVERIFY(write_warning_reminder(at(3, 6, 124, 14, 35), WRNG_FILTRO));
        QVERIFY(!check_warning_remainder(at(3, 6, 124, 14, 35), WRNG_FILTRO, minutes(1)));
        QVERIFY(check_warning_remainder(at(3, 6, 124, 14, 36), WRNG_FILTRO, minutes(1)));
        QVERIFY(!check_warning_remainder(at(3, 6, 124, 16, 34), WRNG_FILTRO, at(0, 0, 0, 2, 0)));
        QVERIFY(check_warning_remainder(at(3, 6, 124, 16, 35), WRNG_FILTRO, at(0, 0, 0, 2, 0)));
        QVERIFY(check_warning_remainder(at(3, 6, 125, 0, 0), WRNG_FILTRO, minutes(1)));
    }

    void fieldsEqualToALineEndAreReadBack()
    {
        TempRoot root;
        // 10:10 on 10 October: four of the six characters are line ends, and
        // the stored line must still be read as one date.
        QVERIFY(write_warning_reminder(at(10, 10, 124, 10, 10), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), QByteArray("0a0a0a0a007c0a"));
        QVERIFY(!check_warning_remainder(at(10, 10, 124, 10, 10), WRNG_FILTRO, minutes(1)));
        QVERIFY(check_warning_remainder(at(10, 10, 124, 10, 11), WRNG_FILTRO, minutes(1)));

        // Written over again, the line keeps its place and length.
        QVERIFY(write_warning_reminder(at(13, 10, 124, 13, 10), WRNG_FILTRO));
        QCOMPARE(root.readFile(kReminder).toHex(), QByteArray("0a0d0d0a007c0a"));
        QVERIFY(!check_warning_remainder(at(13, 10, 124, 13, 10), WRNG_FILTRO, minutes(1)));
    }

    void filterReminderWithThePinnedClock()
    {
        TempRoot root;
        qputenv("TZ", "UTC");
        platform::setFixedNow(1718881200); // 2024-06-20 11:00:00 UTC
        const date now = currentDate();
        QCOMPARE(int(now.day), 20);
        QCOMPARE(int(now.month), 5); // the clock counts months from 0
        QCOMPARE(int(now.year), 124); // and years from 1900
        QCOMPARE(int(now.hour), 11);
        QCOMPARE(int(now.minute), 0);

        QVERIFY(write_warning_reminder(currentDate(), WRNG_FILTRO));
        platform::advanceFixedNow(59);
        QVERIFY(!check_warning_remainder(currentDate(), WRNG_FILTRO, minutes(1)));
        platform::advanceFixedNow(1);
        QVERIFY(check_warning_remainder(currentDate(), WRNG_FILTRO, minutes(1)));
        platform::clearFixedNow();
    }

    void lastLineWithoutLineEndStillCounts()
    {
        TempRoot root;
        QVERIFY(root.writeFile(kReminder, QByteArray::fromHex("230e0306007c")));
        QVERIFY(!check_warning_remainder(at(3, 6, 124, 14, 35), WRNG_FILTRO, minutes(1)));
    }
};

QTEST_GUILESS_MAIN(TestReminder)
#include "tst_reminder.moc"
