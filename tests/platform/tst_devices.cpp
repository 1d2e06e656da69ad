// The platform seams in their sandbox form: media found by their device
// files, mounting without mount, the clock as an offset; and the real clock
// calls failing cleanly on a missing or wrong device.

#include "TempRoot.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/paths.h"

#include <QtTest>

#include <ctime>

class DevicesTest : public QObject
{
    Q_OBJECT

private slots:
    void usbDeviceByPriority_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("sda before sdb1") << QStringList{"sdb1", "sda"} << "/dev/sda";
        QTest::newRow("partition first") << QStringList{"sda", "sda1", "sdb1"} << "/dev/sda1";
        QTest::newRow("other disks do not count") << QStringList{"sdc1", "mmcblk0p1"} << "";
    }

    void usbDeviceByPriority()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        TempRoot root;
        for (const QString &d : present)
            QVERIFY(root.writeFile("/dev/" + d, QByteArray()));
        const QString found = QString::fromStdString(platform::findUsbDevice());
        QCOMPARE(found, expected.isEmpty() ? QString() : root.path(expected));
    }

    void sandboxMountCreatesTheMountPointOnly()
    {
        TempRoot root;
        QVERIFY(platform::findSdDevice().empty());
        QVERIFY(root.writeFile("/dev/mmcblk0p1", QByteArray()));
        QCOMPARE(QString::fromStdString(platform::findSdDevice()), root.path("/dev/mmcblk0p1"));
        std::string error;
        QVERIFY(platform::mountVfat(platform::findSdDevice(), platform::path("/mnt/sd"), &error)
                == platform::MountResult::Mounted);
        QVERIFY(QFileInfo(root.path("/mnt/sd")).isDir());
        QCOMPARE(QFileInfo(root.path("/mnt/sd")).permissions() & QFile::WriteOther, QFile::Permissions());

        // A mount point that cannot be a folder fails.
        QVERIFY(root.writeFile("/mnt/usb-memory", "a file"));
        QVERIFY(platform::mountVfat(platform::findSdDevice(), platform::path("/mnt/usb-memory"), &error)
                == platform::MountResult::Failed);
        QVERIFY(!error.empty());
    }

    void clockSetIsKeptAsAnOffset()
    {
        TempRoot root;
        // One day ahead, in local time like the board's clock.
        const std::time_t target = std::time(nullptr) + 86400;
        std::tm local{};
        localtime_r(&target, &local);
        platform::ClockTime t{local.tm_mday, local.tm_mon, local.tm_year, local.tm_hour, local.tm_min, local.tm_sec};
        std::string error;
        QVERIFY2(platform::setClock(t, &error), error.c_str());
        QVERIFY(qAbs(platform::nowSeconds() - int64_t(target)) <= 2);
        platform::ClockTime back;
        QVERIFY(platform::readClock(back) && back.day == t.day && back.month == t.month && back.year == t.year);
        // Not a calendar time: refused, the offset stays.
        t.month = 12;
        QVERIFY(!platform::setClock(t, &error));
        QVERIFY(qAbs(platform::clockOffset() - 86400) <= 2);
    }

    void clockFailuresAreReported()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/dev/rtc", "12abc\n")); // a damaged offset counts as none
        QCOMPARE(platform::clockOffset(), int64_t(0));
        platform::ClockTime t;
        std::string error;
        QVERIFY(!platform::readClockDevice(root.path("/dev/no-rtc").toStdString(), t, &error));
        QVERIFY(QString::fromStdString(error).contains("/dev/no-rtc"));
        // A file that is not a clock refuses the requests.
        QVERIFY(root.writeFile("/dev/not-a-clock", "x"));
        QVERIFY(!platform::setClockDevice(root.path("/dev/not-a-clock").toStdString(), t, &error));
        QVERIFY(QString::fromStdString(error).startsWith("ioctl"));
    }
};

QTEST_GUILESS_MAIN(DevicesTest)
#include "tst_devices.moc"
