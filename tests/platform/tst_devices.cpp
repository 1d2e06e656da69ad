// The platform seams in their sandbox form: media found by their device
// files, mounting without mount, backlight and clock as plain files; and the
// real clock calls failing cleanly on a missing or wrong device.

#include "TempRoot.h"
#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/paths.h"

#include <QDir>
#include <QtTest>

#include <ctime>

class DevicesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::clearFixedNow(); }

    void usbDeviceByPriority_data();
    void usbDeviceByPriority();
    void sdCard();
    void sandboxMountCreatesTheMountPointOnly();
    void backlightIsAPlainFile();
    void clockSetIsKeptAsAnOffset();
    void damagedOffsetFileIsIgnored();
    void clockDeviceFailuresAreReported();
};

void DevicesTest::usbDeviceByPriority_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << "";
    QTest::newRow("only sdb") << QStringList{"sdb"} << "/dev/sdb";
    QTest::newRow("sda before sdb1") << QStringList{"sdb1", "sda"} << "/dev/sda";
    QTest::newRow("partition first") << QStringList{"sda", "sda1", "sdb1"} << "/dev/sda1";
    QTest::newRow("other disks do not count") << QStringList{"sdc1", "mmcblk0p1"} << "";
}

void DevicesTest::usbDeviceByPriority()
{
    QFETCH(QStringList, present);
    QFETCH(QString, expected);
    TempRoot root;
    for (const QString &d : present)
        QVERIFY(root.writeFile("/dev/" + d, QByteArray()));
    const QString found = QString::fromStdString(platform::findUsbDevice());
    QCOMPARE(found, expected.isEmpty() ? QString() : root.path(expected));
}

void DevicesTest::sdCard()
{
    TempRoot root;
    QVERIFY(platform::findSdDevice().empty());
    QVERIFY(root.writeFile("/dev/mmcblk0p1", QByteArray()));
    QCOMPARE(QString::fromStdString(platform::findSdDevice()), root.path("/dev/mmcblk0p1"));
}

void DevicesTest::sandboxMountCreatesTheMountPointOnly()
{
    TempRoot root;
    QVERIFY(root.writeFile("/dev/sda1", QByteArray()));
    std::string error;
    const auto r = platform::mountVfat(platform::findUsbDevice(), platform::path("/mnt/usb-memory"), &error);
    QVERIFY(r == platform::MountResult::Mounted);
    QVERIFY(QFileInfo(root.path("/mnt/usb-memory")).isDir());
    QCOMPARE(QFileInfo(root.path("/mnt/usb-memory")).permissions() & QFile::WriteOther, QFile::Permissions());

    // A mount point that cannot be a folder fails.
    QVERIFY(root.writeFile("/mnt/mmc-memory", "a file"));
    QVERIFY(platform::mountVfat(platform::path("/dev/mmcblk0p1"), platform::path("/mnt/mmc-memory"), &error) ==
            platform::MountResult::Failed);
    QVERIFY(!error.empty());
}

void DevicesTest::backlightIsAPlainFile()
{
    TempRoot root;
    QVERIFY(QString::fromStdString(platform::backlightPath()).startsWith(root.root()));
    QVERIFY(platform::writeBacklight(42));
    QFile f(QString::fromStdString(platform::backlightPath()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("42\n"));
}

void DevicesTest::clockSetIsKeptAsAnOffset()
{
    TempRoot root;
    const int64_t before = platform::nowSeconds();
    QVERIFY(qAbs(before - int64_t(std::time(nullptr))) <= 1);

    // One day ahead, in local time like the board's clock.
    const std::time_t target = std::time(nullptr) + 86400;
    std::tm local{};
    localtime_r(&target, &local);
    platform::ClockTime t;
    t.day = local.tm_mday;
    t.month = local.tm_mon;
    t.year = local.tm_year;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    std::string error;
    QVERIFY2(platform::setClock(t, &error), error.c_str());
    QVERIFY(qAbs(platform::nowSeconds() - int64_t(target)) <= 2);
    QVERIFY(qAbs(platform::clockOffset() - 86400) <= 2);
    QVERIFY(root.readFile("/dev/rtc").trimmed().toLongLong() != 0);

    platform::ClockTime back;
    QVERIFY(platform::readClock(back));
    QCOMPARE(back.day, t.day);
    QCOMPARE(back.month, t.month);
    QCOMPARE(back.year, t.year);

    // The pinned test clock is not moved by the offset.
    platform::setFixedNow(5000);
    QCOMPARE(platform::nowSeconds(), int64_t(5000));
    platform::clearFixedNow();

    // A new root starts from the system time again.
    TempRoot other;
    QVERIFY(qAbs(platform::nowSeconds() - int64_t(std::time(nullptr))) <= 1);
}

void DevicesTest::damagedOffsetFileIsIgnored()
{
    for (const QByteArray &content : {QByteArray("12abc\n"), QByteArray(""), QByteArray("\xff\xfe", 2),
                                      QByteArray("99999999999999999999999\n")}) {
        TempRoot root;
        QVERIFY(root.writeFile("/dev/rtc", content));
        QCOMPARE(platform::clockOffset(), int64_t(0));
    }
}

void DevicesTest::clockDeviceFailuresAreReported()
{
    TempRoot root;
    platform::ClockTime t;
    std::string error;

    QVERIFY(!platform::readClockDevice(root.path("/dev/no-rtc").toStdString(), t, &error));
    QVERIFY(QString::fromStdString(error).contains("/dev/no-rtc"));
    error.clear();
    QVERIFY(!platform::setClockDevice(root.path("/dev/no-rtc").toStdString(), t, &error));
    QVERIFY(QString::fromStdString(error).contains("/dev/no-rtc"));

    // A file that is not a clock refuses the requests.
    QVERIFY(root.writeFile("/dev/not-a-clock", "x"));
    error.clear();
    QVERIFY(!platform::readClockDevice(root.path("/dev/not-a-clock").toStdString(), t, &error));
    QVERIFY(QString::fromStdString(error).startsWith("ioctl"));
    error.clear();
    QVERIFY(!platform::setClockDevice(root.path("/dev/not-a-clock").toStdString(), t, &error));
    QVERIFY(QString::fromStdString(error).startsWith("ioctl"));

    // The sandbox clock refuses what is not a calendar time.
    t.month = 12;
    QVERIFY(!platform::setClock(t, &error));
    QCOMPARE(platform::clockOffset(), int64_t(0));
    // ... and the process is still here.
}

QTEST_GUILESS_MAIN(DevicesTest)
#include "tst_devices.moc"
