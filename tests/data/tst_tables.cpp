// Speed and conversion tables: the calibrated entries, the shape of the
// temperature curve, absorption values as the screens print and compare them,
// the generator that rebuilds both, the speed file and the extra settings.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/Tables.h"

#include <QtTest>

#include <algorithm>
#include <cstring>

class TestTables : public QObject
{
    Q_OBJECT

private:
    int savedRpm[RPM_SPEED_TABLE_SIZE] = {};
    int savedMax = 0;

private slots:
    void init()
    {
        std::copy(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), std::begin(savedRpm));
        savedMax = cutspeed_max;
    }
    void cleanup()
    {
        std::copy(std::begin(savedRpm), std::end(savedRpm), std::begin(rpmSpeedTable));
        cutspeed_max = savedMax;
    }

    void temperatureCurve()
    {
        // Calibration points, to the last bit.
        const struct
        {
            int raw;
            double celsius;
        } points[] = {{0, 345.499383860625},   {1, 194.233083661695},    {10, 92.42715620549},
                      {64, 24.9564281996148},  {99, -0.148180021456767}, {126, -46.3463437836309},
                      {127, -55.8621708031496}};
        for (const auto &p : points)
            QVERIFY2(temperatureConversionTable[p.raw] == p.celsius, qPrintable(QString::number(p.raw)));

        // Strictly falling, 0 degrees between 98 and 99.
        for (int i = 1; i < CONVERSION_TABLE_SIZE; ++i)
            QVERIFY2(temperatureConversionTable[i] < temperatureConversionTable[i - 1], qPrintable(QString::number(i)));
        QVERIFY(temperatureConversionTable[98] > 0.0);
        QVERIFY(temperatureConversionTable[99] < 0.0);

        // A thermistor through a divider: steep at the ends, flattest in the
        // middle, with no ripple in between - the fall per sample shrinks to
        // one lowest point and grows from there on.
        int flattest = 0;
        double smallestFall = 1e9;
        for (int i = 0; i + 1 < CONVERSION_TABLE_SIZE; ++i) {
            const double fall = temperatureConversionTable[i] - temperatureConversionTable[i + 1];
            if (fall < smallestFall) {
                smallestFall = fall;
                flattest = i;
            }
        }
        QVERIFY(flattest > 20 && flattest < 100);
        for (int i = 0; i + 2 < CONVERSION_TABLE_SIZE; ++i) {
            const double fall = temperatureConversionTable[i] - temperatureConversionTable[i + 1];
            const double next = temperatureConversionTable[i + 1] - temperatureConversionTable[i + 2];
            QVERIFY2(i < flattest ? next < fall : next > fall, qPrintable(QString::number(i)));
        }
    }

    void absorptionInHundredths()
    {
        for (int i = 0; i < CONVERSION_TABLE_SIZE; ++i) {
            // i * 27.44 / 127 cut to hundredths, in whole numbers.
            int hundredths = i * 2744 / 127;
            if (i == 0)
                hundredths = 1;
            if (i == 61)
                hundredths = 1318;
            const double v = absorptionConversionTable[i];
            QVERIFY2(v == hundredths / 100.0, qPrintable(QString::number(i)));
            // Printed with two decimals, from the double or from a float, the
            // screens show exactly the hundredths.
            const QString text = QString::asprintf("%d.%02d", hundredths / 100, hundredths % 100);
            QCOMPARE(QString::number(v, 'f', 2), text);
            QCOMPARE(QString::asprintf("%.2f", double(float(v))), text);
            if (i > 0)
                QVERIFY(v > absorptionConversionTable[i - 1]);
        }
        QVERIFY(absorptionConversionTable[3] == 0.64 && absorptionConversionTable[127] == 27.44);
    }

    // 13.18 is where a value one hundredth low would show: every way a screen
    // may turn it into text or compare it must give 13.18.
    void absorption61IsExactly1318()
    {
        const double v = absorptionConversionTable[61];
        QVERIFY(v == 13.18 && float(v) == 13.18f);
        QCOMPARE(int(v * 100), 1318);
        QCOMPARE(int(float(v) * 100), 1318);
        QCOMPARE(QString::number(v, 'f', 2), QStringLiteral("13.18"));
        QCOMPARE(QString::number(v), QStringLiteral("13.18"));
        QCOMPARE(QString::asprintf("%.2f", double(float(v))), QStringLiteral("13.18"));
    }

    // The generator under tools/ still prints the tables the program holds.
    void generatorReproducesTables()
    {
        const QByteArray tool = qgetenv("FROSTPANEL_CONVERSION_TABLES");
        if (tool.isEmpty())
            QSKIP("FROSTPANEL_CONVERSION_TABLES not set");
        QProcess p;
        p.start(QString::fromLocal8Bit(tool), {"--values"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 2 * CONVERSION_TABLE_SIZE);
        const int calibrated[] = {0, 1, 10, 64, 99, 126, 127};
        for (int i = 0; i < CONVERSION_TABLE_SIZE; ++i) {
            bool ok = false;
            const double t = lines[i].toDouble(&ok);
            QVERIFY(ok);
            const bool exact = std::find(std::begin(calibrated), std::end(calibrated), i) != std::end(calibrated);
            const double table = temperatureConversionTable[i];
            QVERIFY2(exact ? t == table : qAbs(t - table) <= 1e-12 * qAbs(table) + 1e-12,
                     qPrintable(QString("%1: %2 / %3").arg(i).arg(t, 0, 'g', 17).arg(table, 0, 'g', 17)));
            const double a = lines[CONVERSION_TABLE_SIZE + i].toDouble(&ok);
            QVERIFY(ok);
            QVERIFY2(a == absorptionConversionTable[i], qPrintable(QString::number(i)));
        }
    }

    void speedFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("max");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("one line") << QByteArray("0, 300, 600\n") << true << 2 << QList<int>{0, 300, 600};
        QTest::newRow("lines and blanks")
            << QByteArray("100,\r\n\n, 200 ,300\n400") << true << 3 << QList<int>{100, 200, 300, 400};
        QTest::newRow("no values") << QByteArray(" , \n\n") << false << 8 << QList<int>{};
        QTest::newRow("no file") << QByteArray() << false << 8 << QList<int>{};
        QList<int> many;
        QByteArray line;
        for (int i = 0; i < 25; ++i) {
            line += QByteArray::number(100 * i) + ",";
            if (i < RPM_SPEED_TABLE_SIZE)
                many << 100 * i;
        }
        QTest::newRow("more than the table holds") << line << true << 19 << many;
    }
    void speedFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, loaded);
        QFETCH(int, max);
        QFETCH(QList<int>, values);
        TempRoot root;
        if (!content.isNull())
            QVERIFY(root.writeFile("/home/root/rpmspeed.csv", content));
        for (int i = 0; i < RPM_SPEED_TABLE_SIZE; ++i)
            rpmSpeedTable[i] = -1;

        QCOMPARE(loadRpmSpeedTable(), loaded);
        QCOMPARE(cutspeed_max, max);
        for (int i = 0; i < RPM_SPEED_TABLE_SIZE; ++i)
            QCOMPARE(rpmSpeedTable[i], i < values.size() ? values[i] : -1);
    }

    void extraSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("unit");
        QTest::newRow("grams") << QByteArray("g\n") << 1;
        QTest::newRow("ounces, no line end") << QByteArray("oz") << 2;
        QTest::newRow("ounces, CR LF") << QByteArray("oz\r\nignored") << 2;
        QTest::newRow("first line only") << QByteArray("g\noz\n") << 1;
        QTest::newRow("other unit") << QByteArray("kg\n") << -1;
        QTest::newRow("padded") << QByteArray(" g\n") << -1;
        QTest::newRow("empty line") << QByteArray("\ng\n") << -1;
        QTest::newRow("no file") << QByteArray() << -1;
    }
    void extraSettings()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, unit);
        TempRoot root;
        if (!content.isNull())
            QVERIFY(root.writeFile("/home/root/extra_settings", content));
        portionMeasureUnit = -1;
        loadExtraSettings();
        QCOMPARE(portionMeasureUnit, unit);
    }
};

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
