// The custom cleaning cycle table: how the machine's CSV file is read (it is
// hand-edited, so anything may be in it), and how the selection screen
// picks the first cycle the table offers.

#include "../app/support_app.h"

#include "cleaning/CleaningResources.h"
#include "cleaning/CustomCleaning.h"
#include "data/CleaningCycles.h"

using cleancycles::CycleTable;
using cleancycles::kDefaultCycleSeconds;

class TestCleaningCycles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initCleaningResources(); }

    void tableText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("entry");
        QTest::addColumn<double>("seconds"); // -1: the default stays
        QTest::addColumn<int>("rejected");
        QTest::addColumn<int>("ignored");
        QTest::newRow("two decimals as written") << QByteArray("24.3,26.25") << 1 << 26.25 << 0 << 0;
        QTest::newRow("one decimal") << QByteArray("24.3, 26.2") << 1 << 26.2 << 0 << 0;
        QTest::newRow("decimals after a zero") << QByteArray("24.3,26.05") << 1 << 26.05 << 0 << 0;
        QTest::newRow("whole, blanks, CRLF") << QByteArray(" 30 \r\n") << 0 << 30.0 << 0 << 0;
        QTest::newRow("negative: not offered") << QByteArray("1,2,-5") << 2 << 0.0 << 0 << 0;
        QTest::newRow("lines go on, blank lines hold no field")
            << QByteArray("24.3\n\n26.25,28\n") << 2 << 28.0 << 0 << 0;
        for (const char *junk : {"abc", "1e3", "nan", "inf", "0x1F", "", "26.2.3", "3600.5", "9999999", "1.1234567"})
            QTest::newRow(qPrintable(QString("junk '%1' keeps the default").arg(junk)))
                << QByteArray("24.3,") + junk + ",30" << 1 << -1.0 << 1 << 0;
        QTest::newRow("a huge field") << QByteArray(200000, '9') << 0 << -1.0 << 1 << 0;
        QByteArray many = "1";
        for (int i = 1; i < 40; ++i)
            many += "," + QByteArray::number(i + 1);
        QTest::newRow("fields beyond the table") << many << 36 << 37.0 << 0 << 3;
    }
    void tableText()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, entry);
        QFETCH(double, seconds);
        QFETCH(int, rejected);
        QFETCH(int, ignored);
        CycleTable table = kDefaultCycleSeconds;
        const cleancycles::TableReading r = cleancycles::parseCycleTable(text, table);
        QCOMPARE(r.rejected, rejected);
        QCOMPARE(r.ignored, ignored);
        const double expected = seconds < 0 ? kDefaultCycleSeconds[entry] : seconds;
        QCOMPARE(double(table[std::size_t(entry)]), double(float(expected)));
        for (float s : table)
            QVERIFY(std::isfinite(s) && s >= 0 && s <= cleancycles::kMaxCycleSeconds);
    }

    // The file replaces the defaults; a missing or oversized one leaves them.
    void tableFile()
    {
        TempRoot root;
        QCOMPARE(cleancycles::loadCycleTable(), kDefaultCycleSeconds);
        QVERIFY(root.writeFile("/home/root/customcleaning.csv", "24.3,40.5\n"));
        QCOMPARE(cleancycles::loadCycleTable()[1], 40.5f);
        QVERIFY(root.writeFile("/home/root/customcleaning.csv", "24.3,40.5," + QByteArray(70000, ' ')));
        QCOMPARE(cleancycles::loadCycleTable(), kDefaultCycleSeconds);
    }

    // The selection starts on its first key (blades, quick); when the table
    // does not offer that for the glass in place, on the first cycle it does
    // offer, and the keys of cycles not offered take no touch.
    void firstOfferedCycle_data()
    {
        QTest::addColumn<bool>("big");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("intensity");
        QTest::addColumn<QString>("time");
        QTest::newRow("big glass: blades, light") << true << 0 << 2 << "30";
        QTest::newRow("small glass: first key") << false << 0 << 1 << "28";
    }
    void firstOfferedCycle()
    {
        QFETCH(bool, big);
        QFETCH(int, program);
        QFETCH(int, intensity);
        QFETCH(QString, time);
        TempRoot root;
        // Blades on a big glass: only the light intensities and up.
        QVERIFY(root.writeFile("/home/root/customcleaning.csv", "24.3,0,-1,30.2\n"));
        glassBigPresence = big;
        CustomCleaning screen;
        QCOMPARE(screen.program(), program);
        QCOMPARE(screen.intensity(), intensity);
        QCOMPARE(screen.findChild<QLabel *>("time_value")->text(), time);
        QCOMPARE(screen.findChild<QPushButton *>("program_type_1")->isEnabled(), !big);
        QVERIFY(screen.findChild<QPushButton *>("program_type_4")->isEnabled());
        QVERIFY(screen.findChild<QPushButton *>("start_work")->isEnabled());
        glassBigPresence = false;
    }
};

QTEST_MAIN(TestCleaningCycles)
#include "tst_cleaningcycles.moc"
