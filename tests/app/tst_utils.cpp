// Screen utilities without dialogs: rolling text, theming, backlight,
// serial number, text export and the temperature text.

#include "support_app.h"

#include "app/Utils.h"
#include "data/Tables.h"
#include "platform/devices.h"

class UtilsTest : public QObject
{
    Q_OBJECT

    int syncs = 0;

private slots:
    void initTestCase() { syscmd::setSyncRunnerForTests([this] { ++syncs; }); }
    void cleanup()
    {
        platform::clearFixedNowForTests();
        RollingLock lock;
        listRollingObject.clear();
        listRollingObjectButton.clear();
    }

    void rollingLongTextsByOneCharacter()
    {
        QLabel exact("SETTINGS"); // 8 characters: stays
        auto *gone = new QLabel("A label of a closed screen");
        QLabel label("ABCDEFGHIJ");
        QPushButton button(QString::fromUtf8("\xF0\x9F\x8D\xA8" "BCDEFGHIJKL")); // starts outside the BMP
        for (QLabel *l : {&exact, gone, &label, &label}) // once only: no second gap, no double speed
            addRollingObject(l, 8);
        addRollingObject(&button, 8);
        delete gone;
        QCOMPARE(exact.text(), QString("SETTINGS"));
        rollRollingObjects();
        QCOMPARE(label.text(), QString("BCDEFGHIJ     A"));
        QVERIFY(button.text().startsWith("BCDEF"));
        QVERIFY(button.text().endsWith(QString::fromUtf8("\xF0\x9F\x8D\xA8")));
        QCOMPARE(listRollingObject.size(), size_t(1));
    }

    void customColorFromFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rgba, CRLF") << QByteArray("rgba(200, 30, 30, 255)\r\nrest\n") << "rgba(200, 30, 30, 255)";
        QTest::newRow("style sheet injection") << QByteArray("red; } QWidget { background-image: url(x)") << kThemeColor;
    }
    void customColorFromFile()
    {
        QFETCH(QByteArray, content);
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/color_settings", content));
        loadCusotmColor();
        QTEST(customColor, "expected");
        // Only the exact theme text is replaced.
        QWidget w;
        w.setStyleSheet("QLabel { color: rgba(126, 191, 255, 255); } QPushButton { color: RGBA(126, 191, 255, 255); }");
        changeColor(&w);
        QCOMPARE(w.styleSheet(), "QLabel { color: " + customColor + "; } QPushButton { color: RGBA(126, 191, 255, 255); }");
        customColor = kThemeColor;
    }

    void brightnessOnlyWithinRange()
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
    }

    void serialNumberFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QByteArray() << kDefaultSerialNumber;
        QTest::newRow("empty first line") << QByteArray("\nFP-0001\n") << kDefaultSerialNumber;
        QTest::newRow("first line, CRLF") << QByteArray("FP-77\r\nsecond\n") << "FP-77";
    }
    void serialNumberFile()
    {
        QFETCH(QByteArray, content);
        TempRoot root;
        QVERIFY(content.isNull() || root.writeFile("/home/root/info", content));
        loadSerialNumber();
        QTEST(QString::fromStdString(serialNumber.get()), "expected");
    }

    void serialNumberSaveRefusesWhatWouldNotReadBack()
    {
        TempRoot root;
        QVERIFY(saveSerialNumber("FP-2025-0001"));
        QVERIFY(!saveSerialNumber("FP\nX"));
        QVERIFY(!saveSerialNumber(""));
        QCOMPARE(root.readFile("/home/root/info"), QByteArray("FP-2025-0001\n"));
        QCOMPARE(QString::fromStdString(serialNumber.get()), QString("FP-2025-0001"));
    }

    void textExportAppendsOrOverwrites()
    {
        TempRoot root;
        QVERIFY(!writeToTxtFile("x", "/mnt/usb-memory/none/log_", ".txt", false));
        QVERIFY(root.mkpath("/mnt/usb-memory"));
        platform::setFixedNowForTests(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)).toSecsSinceEpoch());
        QVERIFY(writeToTxtFile("start;P1", "/mnt/usb-memory/work_log_", ".txt", false));
        platform::advanceFixedNowForTests(61);
        QVERIFY(writeToTxtFile("end;P1", "/mnt/usb-memory/work_log_", ".txt", false));
        QCOMPARE(root.readFile("/mnt/usb-memory/work_log_2024-05-06.txt"),
                 QByteArray("2024-05-06 07:08:09;start;P1\n2024-05-06 07:09:10;end;P1\n"));
        QVERIFY(writeToTxtFile("fresh", "/mnt/usb-memory/work_log_", ".txt", true));
        QCOMPARE(root.readFile("/mnt/usb-memory/work_log_2024-05-06.txt"), QByteArray("2024-05-06 07:09:10;fresh\n"));
    }

    void temperatureTextTakesTheSevenBitCode()
    {
        const double saved = temperatureConversionTable[5];
        temperatureConversionTable[5] = -12.34;
        QCOMPARE(convertTemperature(5 | 0x80), QString::fromUtf8("-12.3 \u00B0C"));
        temperatureConversionTable[5] = saved;
    }
};

QTEST_MAIN(UtilsTest)
#include "tst_utils.moc"
