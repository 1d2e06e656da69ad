// Speed and conversion tables: the calibrated entries, the shape of the
// temperature curve, absorption values as the screens print and compare them,
// the generator that rebuilds both, the speed file and the extra settings.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/Tables.h"

#include <QtTest>

#include <algorithm>

class TestTables : public QObject
{
    Q_OBJECT

private slots:
    void temperatureCurve()
    {
        const double *t = temperatureConversionTable;
        // Calibration points, to the last bit.
        QCOMPARE((QList<double>{t[0], t[1], t[10], t[64], t[99], t[126], t[127]}),
                 (QList<double>{345.499383860625, 194.233083661695, 92.42715620549, 24.9564281996148,
                                -0.148180021456767, -46.3463437836309, -55.8621708031496}));
        QVERIFY(t[98] > 0.0 && t[99] < 0.0);
        // Strictly falling, steep at the ends and flattest in the middle with
        // no ripple: the fall per sample shrinks to one lowest point and grows
        // from there on.
        int flattest = 0;
        for (int i = 1; i + 1 < CONVERSION_TABLE_SIZE; ++i)
            flattest = t[i] - t[i + 1] < t[flattest] - t[flattest + 1] ? i : flattest;
        QVERIFY(flattest > 20 && flattest < 100);
        for (int i = 0; i + 2 < CONVERSION_TABLE_SIZE; ++i) {
            const double fall = t[i] - t[i + 1], next = t[i + 1] - t[i + 2];
            QVERIFY2(fall > 0 && next > 0 && (i < flattest ? next < fall : next > fall), qPrintable(QString::number(i)));
        }
    }

    // Every value must print with two decimals, from the double or from a
    // float, as exactly its hundredths, and rise with the sample.
    void absorptionInHundredths()
    {
        for (int i = 0; i < CONVERSION_TABLE_SIZE; ++i) {
            const int hundredths = i == 0 ? 1 : i == 61 ? 1318 : i * 2744 / 127;
            const double v = absorptionConversionTable[i];
            QVERIFY2(v == hundredths / 100.0, qPrintable(QString::number(i)));
            const QString text = QString::asprintf("%d.%02d", hundredths / 100, hundredths % 100);
            QCOMPARE(QString::asprintf("%.2f", double(float(v))), text);
            QVERIFY(i == 0 || v > absorptionConversionTable[i - 1]);
        }
        QVERIFY(absorptionConversionTable[127] == 27.44);
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

    // The generator under tools/ still prints the tables the program holds:
    // exactly at the calibration points, to rounding elsewhere.
    void generatorReproducesTables()
    {
        const QString tool = qEnvironmentVariable("FROSTPANEL_CONVERSION_TABLES");
        if (tool.isEmpty())
            QSKIP("FROSTPANEL_CONVERSION_TABLES not set");
        QProcess p;
        p.start(tool, {"--values"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 2 * CONVERSION_TABLE_SIZE);
        for (int i = 0; i < CONVERSION_TABLE_SIZE; ++i) {
            const double t = lines[i].toDouble(), table = temperatureConversionTable[i];
            const bool exact = QList<int>{0, 1, 10, 64, 99, 126, 127}.contains(i);
            QVERIFY2(exact ? t == table : qAbs(t - table) <= 1e-12 * qAbs(table) + 1e-12, qPrintable(lines[i]));
            QVERIFY2(lines[CONVERSION_TABLE_SIZE + i].toDouble() == absorptionConversionTable[i], qPrintable(lines[i]));
        }
    }

    void speedFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("max");
        QTest::addColumn<QList<int>>("values");
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
        int saved[RPM_SPEED_TABLE_SIZE];
        std::copy(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), saved);
        std::fill(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), -1);
        cutspeed_max = 8;
        QCOMPARE(loadRpmSpeedTable(), loaded);
        QCOMPARE(cutspeed_max, max);
        for (int i = 0; i < RPM_SPEED_TABLE_SIZE; ++i)
            QCOMPARE(rpmSpeedTable[i], i < values.size() ? values[i] : -1);
        std::copy(saved, saved + RPM_SPEED_TABLE_SIZE, rpmSpeedTable);
    }

    void extraSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("unit");
        QTest::newRow("grams") << QByteArray("g\n") << 1;
        QTest::newRow("ounces, CR LF") << QByteArray("oz\r\nignored") << 2;
        QTest::newRow("ounces, no line end") << QByteArray("oz") << 2;
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
