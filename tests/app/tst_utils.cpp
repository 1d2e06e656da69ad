// Screen utilities without dialogs: rolling text, theming, backlight, clock,
// serial number, text export and the temperature text.

#include "TempRoot.h"
#include "app/AppState.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/SystemCommand.h"
#include "data/Tables.h"
#include "platform/clock.h"
#include "platform/devices.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class UtilsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void rollingOnlyTextsLongerThanTheLimit();
    void rollingRotatesByOneCharacter();
    void rollingSurvivesDeletedAndRepeatedWidgets();

    void customColorFromFile_data();
    void customColorFromFile();
    void changeColorReplacesOnlyTheExactThemeText();

    void brightnessOnlyWithinRange();
    void clockSetMovesNowAndReadsBack();

    void serialNumberFile_data();
    void serialNumberFile();
    void serialNumberSave();

    void textExportAppendsOrOverwrites();
    void textExportToAMissingFolderFails();

    void temperatureTextStaysInsideTheTable();

private:
    int syncs = 0;
};

void UtilsTest::initTestCase()
{
    syscmd::setSyncRunner([this] { ++syncs; });
}

void UtilsTest::cleanup()
{
    platform::clearFixedNow();
    customColor = kThemeColor;
    RollingLock lock;
    listRollingObject.clear();
    listRollingObjectButton.clear();
}

void UtilsTest::rollingOnlyTextsLongerThanTheLimit()
{
    QLabel exact("SETTINGS");  // 8 characters
    QLabel longer("CLEANING!"); // 9
    addRollingObject(&exact, 8);
    addRollingObject(&longer, 8);
    QCOMPARE(exact.text(), QString("SETTINGS"));
    QCOMPARE(longer.text(), QString("CLEANING!     "));
    QCOMPARE(listRollingObject.size(), size_t(1));

    QPushButton button("A very long key label");
    addRollingObject(&button, 10);
    QCOMPARE(listRollingObjectButton.size(), size_t(1));
    removeRollingObject(&button);
    removeRollingObject(&longer);
    QVERIFY(listRollingObject.empty());
    QVERIFY(listRollingObjectButton.empty());
}

void UtilsTest::rollingRotatesByOneCharacter()
{
    QLabel label("ABCDEFGHIJ");
    QPushButton button(QString::fromUtf8("\xF0\x9F\x8D\xA8" "BCDEFGHIJKL")); // starts outside the BMP
    addRollingObject(&label, 8);
    addRollingObject(&button, 8);
    const QString start = label.text();
    rollRollingObjects();
    QCOMPARE(label.text(), QString("BCDEFGHIJ     A"));
    QVERIFY(button.text().startsWith("BCDEF"));
    QVERIFY(button.text().endsWith(QString::fromUtf8("\xF0\x9F\x8D\xA8")));
    // A full turn brings the text back.
    for (int i = 1; i < start.size(); ++i)
        rollRollingObjects();
    QCOMPARE(label.text(), start);
}

void UtilsTest::rollingSurvivesDeletedAndRepeatedWidgets()
{
    auto *gone = new QLabel("A label of a closed screen");
    QLabel kept("Another long label text");
    addRollingObject(gone, 8);
    addRollingObject(&kept, 8);
    addRollingObject(&kept, 8); // once only: no second gap, no double speed
    QCOMPARE(kept.text(), QString("Another long label text     "));
    delete gone;
    rollRollingObjects();
    QCOMPARE(kept.text(), QString("nother long label text     A"));
    QCOMPARE(listRollingObject.size(), size_t(1));
}

void UtilsTest::customColorFromFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const QString theme = kThemeColor;
    QTest::newRow("rgba, CRLF") << QByteArray("rgba(200, 30, 30, 255)\r\nrest\n") << "rgba(200, 30, 30, 255)";
    QTest::newRow("hex") << QByteArray("#20a040") << "#20a040";
    QTest::newRow("name") << QByteArray("orange\n") << "orange";
    QTest::newRow("empty line") << QByteArray("\nrgb(1, 2, 3)\n") << theme;
    QTest::newRow("style sheet injection") << QByteArray("red; } QWidget { background-image: url(x)") << theme;
    QTest::newRow("binary") << QByteArray("\x01\x02\xff", 3) << theme;
}

void UtilsTest::customColorFromFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    TempRoot root;
    QVERIFY(root.writeFile("/home/root/color_settings", content));
    loadCusotmColor();
    QCOMPARE(customColor, expected);
}

void UtilsTest::changeColorReplacesOnlyTheExactThemeText()
{
    TempRoot root;
    loadCusotmColor(); // no file: the default stays
    QCOMPARE(customColor, QString(kThemeColor));

    customColor = "#20a040";
    QWidget w;
    w.setStyleSheet("QLabel { background-color: rgba(126, 191, 255, 255); } "
                    "QPushButton { border: 2px solid rgba(126, 191, 255, 255); color: RGBA(126, 191, 255, 255); }");
    changeColor(&w);
    QCOMPARE(w.styleSheet(), QString("QLabel { background-color: #20a040; } "
                                     "QPushButton { border: 2px solid #20a040; color: RGBA(126, 191, 255, 255); }"));
    changeColorTo(&w, "#20a040", "white");
    QVERIFY(!w.styleSheet().contains("#20a040"));
}

void UtilsTest::brightnessOnlyWithinRange()
{
    TempRoot root;
    const QString file = QString::fromStdString(platform::backlightPath()).mid(root.root().size());
    setBrightness(4);
    setBrightness(101);
    QVERIFY(!QFile::exists(root.path(file)));
    syncs = 0;
    setBrightness(5);
    QCOMPARE(root.readFile(file), QByteArray("5\n"));
    QCOMPARE(syncs, 1);
    setBrightness(100);
    QCOMPARE(root.readFile(file), QByteArray("100\n"));
    setBrightness(0);
    QCOMPARE(root.readFile(file), QByteArray("100\n"));
}

void UtilsTest::clockSetMovesNowAndReadsBack()
{
    TempRoot root;
    // 2031-03-04 05:06 local time, as the settings screen would set it.
    QVERIFY(saveToRtc(4, 2, 131, 5, 6));
    uint8_t day = 0, month = 0, hour = 0, minute = 0;
    uint16_t year = 0;
    QVERIFY(readToRtc(&day, &month, &year, &hour, &minute));
    QCOMPARE(int(day), 4);
    QCOMPARE(int(month), 2);
    QCOMPARE(int(year), 131);
    QCOMPARE(int(hour), 5);
    QVERIFY(minute == 6 || minute == 7);

    // Stored data is stamped with the clock that was set.
    std::tm wanted{};
    wanted.tm_mday = 4;
    wanted.tm_mon = 2;
    wanted.tm_year = 131;
    wanted.tm_hour = 5;
    wanted.tm_min = 6;
    wanted.tm_isdst = -1;
    const int64_t expected = static_cast<int64_t>(std::mktime(&wanted));
    QVERIFY(qAbs(platform::nowSeconds() - expected) < 120);

    const date d = readClockDate();
    QCOMPARE(int(d.year), 131);

    // A pinned test clock stays pinned.
    platform::setFixedNow(1000);
    QCOMPARE(platform::nowSeconds(), int64_t(1000));
}

void UtilsTest::serialNumberFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing") << false << QByteArray() << kDefaultSerialNumber;
    QTest::newRow("empty") << true << QByteArray() << kDefaultSerialNumber;
    QTest::newRow("empty first line") << true << QByteArray("\nFP-0001\n") << kDefaultSerialNumber;
    QTest::newRow("first line only") << true << QByteArray("FP-2024-0042\nsecond\n") << "FP-2024-0042";
    QTest::newRow("CRLF") << true << QByteArray("FP-77\r\n") << "FP-77";
    QTest::newRow("no line end") << true << QByteArray("FP-78") << "FP-78";
}

void UtilsTest::serialNumberFile()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    TempRoot root;
    if (present)
        QVERIFY(root.writeFile("/home/root/info", content));
    serviceEnable = true;
    costructorEnable = true;
    loadSerialNumber();
    QCOMPARE(QString::fromStdString(serialNumber.get()), expected);
    QVERIFY(!serviceEnable);
    QVERIFY(!costructorEnable);
}

void UtilsTest::serialNumberSave()
{
    TempRoot root;
    QVERIFY(saveSerialNumber("FP-2025-0001"));
    QCOMPARE(root.readFile("/home/root/info"), QByteArray("FP-2025-0001\n"));
    QCOMPARE(QString::fromStdString(serialNumber.get()), QString("FP-2025-0001"));
    loadSerialNumber();
    QCOMPARE(QString::fromStdString(serialNumber.get()), QString("FP-2025-0001"));

    // What would not read back the same is refused and changes nothing.
    QVERIFY(!saveSerialNumber("FP\nX"));
    QVERIFY(!saveSerialNumber(""));
    QCOMPARE(root.readFile("/home/root/info"), QByteArray("FP-2025-0001\n"));
}

void UtilsTest::textExportAppendsOrOverwrites()
{
    TempRoot root;
    QVERIFY(root.mkpath("/mnt/usb-memory"));
    // 2024-05-06 07:08:09 in local time.
    std::tm when{};
    when.tm_year = 124;
    when.tm_mon = 4;
    when.tm_mday = 6;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    platform::setFixedNow(static_cast<int64_t>(std::mktime(&when)));

    syncs = 0;
    QVERIFY(writeToTxtFile("start;P1", "/mnt/usb-memory/work_log_", ".txt", false));
    platform::advanceFixedNow(61);
    QVERIFY(writeToTxtFile("end;P1", "/mnt/usb-memory/work_log_", ".txt", false));
    QCOMPARE(root.readFile("/mnt/usb-memory/work_log_2024-05-06.txt"),
             QByteArray("2024-05-06 07:08:09;start;P1\n2024-05-06 07:09:10;end;P1\n"));
    QCOMPARE(syncs, 2);

    QVERIFY(writeToTxtFile("fresh", "/mnt/usb-memory/work_log_", ".txt", true));
    QCOMPARE(root.readFile("/mnt/usb-memory/work_log_2024-05-06.txt"), QByteArray("2024-05-06 07:09:10;fresh\n"));
}

void UtilsTest::textExportToAMissingFolderFails()
{
    TempRoot root;
    QVERIFY(!writeToTxtFile("x", "/mnt/usb-memory/none/log_", ".txt", false));
    QVERIFY(!writeToTxtFile("x", "/mnt/usb-memory/none/log_", ".txt", true));
}

void UtilsTest::temperatureTextStaysInsideTheTable()
{
    const double saved = temperatureConversionTable[5];
    temperatureConversionTable[5] = -12.34;
    QCOMPARE(convertTemperature(5), QString::fromUtf8("-12.3 \u00B0C"));
    QCOMPARE(convertTemperature(5 | 0x80), QString::fromUtf8("-12.3 \u00B0C")); // 7-bit code
    temperatureConversionTable[5] = saved;
}

QTEST_MAIN(UtilsTest)
#include "tst_utils.moc"
