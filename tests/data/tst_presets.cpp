// Presets from their CSV files and compiled-in defaults, the limit maps and
// their checks, the built-in programs, the factory reset, the speed and
// conversion tables and the small settings files. Stored presets are compared
// with hand-written bytes (main file order: portion dimension, pressure type,
// intensity, emulsion mode, 7 x (cut, immersion), 8 x (cut, immersion,
// intensity, type, pause), extra cycles, stock, beaker).

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/Tables.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "platform/log.h"

#include <QtTest>

#include <memory>

namespace {

// Emulsion steps in file order; "off" is a step as resetSettings() leaves it.
#define OFF " 01 00 00 00 7f "

const char *const FROSTIZING_SOFT = "08 0f 0a 00  0302 0302 0302 0302 0101 0101 0101"
                                    "  03050a0f00" OFF "03050a0f00" OFF "03050a0f00" OFF "03050a0f00" OFF "00 00 00";
const char *const FROSTIZING_MEDIUM = "08 0f 0a 00  0403 0403 0403 0403 0101 0101 0101"
                                      "  04050a0f00" OFF "04050a0f00" OFF "04050a0f00" OFF "04050a0f00" OFF "00 00 00";
const char *const FROSTIZING_HARD = "08 0f 0a 00  0605 0605 0605 0605 0101 0101 0101"
                                    "  05050a0f00" OFF "05050a0f00" OFF "05050a0f00" OFF "05050a0f00" OFF "00 00 00";
// Cutting and whipping: step 1 climbs at the milling speeds, step 3 is off,
// steps 4 and 6 repeat step 0.
const char *const CW_SOFT = "08 00 00 7f  0302 0302 0302 0302 0101 0101 0101"
                            "  03050a0f00 03020a0f00 03050a0f00" OFF "03050a0f00" OFF "03050a0f00" OFF "00 00 00";
const char *const CW_MEDIUM = "08 00 00 7f  0403 0403 0403 0403 0101 0101 0101"
                              "  04050a0f00 04030a0f00 04050a0f00" OFF "04050a0f00" OFF "04050a0f00" OFF "00 00 00";
const char *const CW_HARD = "08 00 00 7f  0605 0605 0605 0605 0101 0101 0101"
                            "  05050a0f00 06050a0f00 05050a0f00" OFF "05050a0f00" OFF "05050a0f00" OFF "00 00 00";

const struct
{
    WorkSettings **preset;
    const char *name;
    const char *bytes;
} PRESETS[] = {
    {&frostizing_soft, "milling_soft", FROSTIZING_SOFT},   {&frostizing_medium, "milling_medium", FROSTIZING_MEDIUM},
    {&frostizing_hard, "milling_hard", FROSTIZING_HARD},   {&cutting_soft, "cutting_soft", CW_SOFT},
    {&cutting_medium, "cutting_medium", CW_MEDIUM},        {&cutting_hard, "cutting_hard", CW_HARD},
    {&whipping_soft, "whipping_soft", CW_SOFT},            {&whipping_medium, "whipping_medium", CW_MEDIUM},
    {&whipping_hard, "whipping_hard", CW_HARD},
};

// One preset record of a CSV file: 45 fields, distinct per `tag` so that a
// misplaced read shows, every value within its limits. Emulsion steps in CSV
// order: pause, cut, immersion, pressure type, pressure intensity.
QStringList record(int tag)
{
    QStringList f{QString::number(10 + 2 * tag), QString::number(tag + 2), QString::number(tag + 3),
                  QString::number(tag + 40), QString::number(tag + 50)};
    for (int step = 0; step < 8; ++step)
        for (int value : {10 * tag + step, (tag + step) % 9, (tag + step + 1) % 9, 15 + tag, 20 + 5 * step + tag})
            f << QString::number(value);
    return f;
}

// The three records with a marker between them (fields 45, 91 and 137),
// spread over lines the way a hand-edited file may be, then `tail`.
QByteArray presetCsv(const QStringList &tail = {}, int fieldCount = 138)
{
    QStringList fields;
    for (int tag = 0; tag < 3; ++tag)
        fields << record(tag) << QStringLiteral("99");
    fields = fields.mid(0, fieldCount) + tail;
    QByteArray csv;
    for (int i = 0; i < fields.size(); ++i)
        csv += fields[i].toLatin1() + (i + 1 == fields.size() ? "\n" : i % 23 == 22 ? "\n" : ",");
    return csv;
}

// Checks that `w` holds record(tag) as read from a CSV file.
void verifyRecord(const WorkSettings &w, int tag)
{
    QCOMPARE(int(w.getPortionDimension()), 10 + 2 * tag);
    QCOMPARE(int(w.getMillingSteps(4 + tag).CutSpeed), tag + 2); // the last step in use
    QCOMPARE(int(w.getMillingSteps(5).ImmersionSpeed), tag ? tag + 3 : 1); // in use from medium on
    QCOMPARE(int(w.getMillingPressionType()), tag + 40);
    QCOMPARE(int(w.getMillingPressionIntensity()), tag + 50);
    for (int step = 0; step < 8; ++step) {
        const EmulsionStep s = w.getEmulsionSteps(step);
        QCOMPARE((QList<int>{s.Pause, s.CutSpeed, s.ImmersionSpeed, s.PressionType, s.PressionIntensity}),
                 (QList<int>{10 * tag + step, (tag + step) % 9, (tag + step + 1) % 9, 15 + tag, 20 + 5 * step + tag}));
    }
}

void clearLimitMaps()
{
    for (auto *m : {&frostizing_not_allow_setting, &cutting_not_allow_setting, &whipping_not_allow_setting})
        m->clear();
    for (auto *m : {&frostizing_danegrous_settings, &cutting_danegrous_settings, &whipping_danegrous_settings})
        m->clear();
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempRoot> root;

    QByteArray saved(WorkSettings *preset)
    {
        if (!preset->Save(QString()))
            return "<not saved>";
        return root->readFile(preset->mainFilePath().mid(root->root().size()));
    }

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        root->mkpath("/home/root/recipes");
        root->mkpath("/mnt/mmc-memory/recipes");
        clearLimitMaps();
    }
    void cleanup() { root.reset(); }

    void builtInPrograms()
    {
        cleaning->setPortionDimension(2);
        initCleaningDefaultSettings();
        QCOMPARE(saved(cleaning), hexBytes("08 00 00 7f  0605 0605 0605 0605 0101 0101 0101"
                                           "  06050a0f0a 06050a0f0a 06050a0f0a" OFF OFF OFF OFF OFF "00 00 00"));

        add_new->filename = "leftover";
        initAddNewDefaultSettings();
        WorkSettings stored = *add_new; // the template itself has no file name
        QVERIFY(stored.filename.isEmpty());
        stored.filename = "template";
        QCOMPARE(saved(&stored), hexBytes("08 0f 0a 00  0605 0605 0605 0605 0101 0101 0101"
                                          "  0500000f7f" OFF OFF OFF OFF OFF OFF OFF "00 00 00"));
    }

    // Records are found by position in the flat list of fields, whatever the
    // line breaks, and the field after each record is never read. A file too
    // short for a record gives that preset (and the later ones) their defaults.
    void shortCsvFallsBackPerPreset()
    {
        for (const auto &c : {qMakePair(137, 3), qMakePair(136, 2), qMakePair(45, 1), qMakePair(44, 0)}) {
            QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({}, c.first)));
            initMillingDefaultSettings();
            for (int i = 0; i < 3; ++i) {
                QCOMPARE((*PRESETS[i].preset)->filename, QString::fromLatin1(PRESETS[i].name));
                if (i < c.second)
                    verifyRecord(**PRESETS[i].preset, i);
                else
                    QCOMPARE(saved(*PRESETS[i].preset), hexBytes(PRESETS[i].bytes));
            }
        }
        QVERIFY(frostizing_not_allow_setting.isEmpty());
    }

    void csvFieldConversion()
    {
        // CR LF line ends, blanks, a sign, values above a byte, text, an empty
        // field, a value out of int range.
        QStringList f = record(0);
        f[0] = " 268 ";       // 268 mod 256 = 12
        f[1] = "-250";        // 6
        f[2] = "x";           // not a number: 0
        f[3] = "";            // empty: 0
        f[4] = "+7";
        f[5] = "99999999999"; // beyond int: 0
        QVERIFY(root->writeFile("/home/root/whipping.csv",
                                f.mid(0, 20).join(',').toLatin1() + "\r\n" + f.mid(20).join(',').toLatin1() + "\r\n"));
        initWhippingDefaultSettings();
        QCOMPARE(int(whipping_soft->getPortionDimension()), 12);
        QCOMPARE(int(whipping_soft->getMillingSteps(5).CutSpeed), 6);
        QCOMPARE(int(whipping_soft->getMillingSteps(5).ImmersionSpeed), 0);
        QCOMPARE(int(whipping_soft->getMillingPressionType()), 0);
        QCOMPARE(int(whipping_soft->getMillingPressionIntensity()), 7);
        QCOMPARE(int(whipping_soft->getEmulsionSteps(0).Pause), 0);
        QCOMPARE(int(whipping_soft->getEmulsionSteps(2).PressionIntensity), 30); // the field before a CR LF
    }

    void limitMaps()
    {
        // Pairs (3, 7), (3, 8), (9, 0) and a lone final field.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "7", "3", " 8", "9", "0", "5"})));
        initMillingDefaultSettings();
        QVERIFY(checkNotAllowedSetting(3, 8, FUNCTION_FROSTIZING));
        QVERIFY(checkNotAllowedSetting(9, 0, FUNCTION_FROSTIZING));
        QVERIFY(!frostizing_not_allow_setting.contains(5));
        // A later initialisation adds to the lists; it never takes pairs
        // away, and a pair read again is not listed twice.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "8", "4", "1"})));
        initMillingDefaultSettings();
        QCOMPARE(frostizing_not_allow_setting.value(3), (QList<uint8_t>{7, 8}));
        QVERIFY(checkNotAllowedSetting(4, 1, FUNCTION_FROSTIZING));

        QVERIFY(root->writeFile("/home/root/cuttingLimit.csv", "1,5\n2,6\n1,9\n7"));
        initCuttingDefaultSettings();
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_CUTTING)), 9); // the later pair wins
        QCOMPARE(int(checkDangerousSetting(7, FUNCTION_CUTTING)), 255); // lone field
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_FROSTIZING)), 255); // each function has its own
        QVERIFY(QFile::remove(root->path("/home/root/cuttingLimit.csv")));
        initCuttingDefaultSettings(); // without the file the map stays as it was
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_CUTTING)), 9);
    }

    void restoringOneFrostizingPreset()
    {
        // The soft default holds only its first emulsion step here.
        initMillingDefaultSettings(1);
        QCOMPARE(saved(frostizing_soft), hexBytes("08 0f 0a 00  0302 0302 0302 0302 0101 0101 0101"
                                                  "  03050a0f00" OFF OFF OFF OFF OFF OFF OFF "00 00 00"));
        // From the file, with its pairs left unread.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "7"})));
        initMillingDefaultSettings(2);
        verifyRecord(*frostizing_medium, 1);
        QVERIFY(!checkNotAllowedSetting(3, 7, FUNCTION_FROSTIZING));
    }

    // A record holding a value the program could not run gives that preset
    // its default; the records before and after it still count.
    void outOfRangeCsvRecordFallsBack_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("portion dimension") << 0 << 16;
        QTest::newRow("milling cut speed") << 1 << 9;
        QTest::newRow("milling immersion") << 2 << 9;
        QTest::newRow("milling pressure type") << 3 << 128;
        QTest::newRow("milling intensity") << 4 << 200;
        QTest::newRow("pause") << 5 << 128;
        QTest::newRow("emulsion cut speed") << 6 << 9;
        QTest::newRow("emulsion immersion") << 7 << 255;
        QTest::newRow("emulsion pressure type") << 8 << 128;
        QTest::newRow("last emulsion intensity") << 44 << 128;
    }
    void outOfRangeCsvRecordFallsBack()
    {
        QFETCH(int, field);
        QFETCH(int, value);
        QStringList fields;
        for (int tag = 0; tag < 3; ++tag)
            fields << record(tag) << QStringLiteral("99");
        fields[46 + field] = QString::number(value);
        QVERIFY(root->writeFile("/home/root/milling.csv", fields.join(',').toLatin1()));
        initMillingDefaultSettings();
        verifyRecord(*frostizing_soft, 0);
        QCOMPARE(saved(frostizing_medium), hexBytes(FROSTIZING_MEDIUM));
        verifyRecord(*frostizing_hard, 2);
    }

    // A preset whose stored file is missing or damaged goes back to its own
    // CSV record; the other presets keep what was loaded for them, and the
    // limit maps do not grow. Other names rebuild nothing.
    void missingOrDamagedStoredPresetRebuildsItself()
    {
        QStringList log;
        platform::setLogSink([&log](const std::string &line) { log << QString::fromStdString(line); });
        for (const char *function : {"milling", "cutting", "whipping"})
            QVERIFY(root->writeFile(QStringLiteral("/home/root/%1.csv").arg(function), presetCsv({"3", "7"})));
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        for (const auto &p : PRESETS)
            (*p.preset)->setPortionDimension(4); // as loaded from the operator's files

        for (const int i : {1, 5, 8}) { // milling medium, cutting hard, whipping hard
            QVERIFY(!(*PRESETS[i].preset)->Load());
            verifyRecord(**PRESETS[i].preset, i % 3);
        }
        for (const int i : {0, 2, 3, 4, 6, 7})
            QCOMPARE(int((*PRESETS[i].preset)->getPortionDimension()), 4);
        QCOMPARE(cutting_not_allow_setting.value(3), QList<uint8_t>{7});

        // A stored cut speed beyond the table is damage, and is logged.
        QByteArray damaged = hexBytes(CW_HARD);
        damaged[4] = 25;
        QVERIFY(root->writeFile("/home/root/recipes//whipping_soft_default.seq", damaged));
        QVERIFY(!whipping_soft->Load());
        verifyRecord(*whipping_soft, 0);
        QVERIFY(log.filter("whipping_soft_default.seq").size() == 1);

        WorkSettings other;
        other.filename = "cutting";
        QVERIFY(!other.Load());
        QCOMPARE(int(cutting_soft->getPortionDimension()), 4);
        platform::setLogSink(nullptr);
    }

    // Without CSV files every preset goes back to its compiled-in default.
    void factoryResetRestoresDefaults()
    {
        initMillingDefaultSettings();
        frostizing_soft->setPortionDimension(12);
        QVERIFY(frostizing_soft->Save(QString()));
        settings.setLanguage("tedesco_de");
        QVERIFY(settings.save());

        int reloads = 0;
        QVERIFY(factoryReset([&reloads] { ++reloads; }));
        QCOMPARE(reloads, 1);
        QCOMPARE(settings.getLanguage(), QStringLiteral("inglese_en")); // the settings file is gone
        for (const auto &p : PRESETS)
            QCOMPARE(root->readFile(QStringLiteral("/home/root/recipes//%1_default.seq").arg(p.name)),
                     hexBytes(p.bytes));

        // Presets that cannot be stored are reported; the rest of the reset runs.
        OperatorMessages shown;
        QVERIFY(QDir(root->path("/home/root/recipes")).removeRecursively());
        QVERIFY(!factoryReset([&reloads] { ++reloads; }));
        QVERIFY(shown.messages.contains("Recipe Saving Error."));
        QCOMPARE(reloads, 2);
    }

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
            QVERIFY2(next > 0 && (i < flattest ? next < fall : next > fall), qPrintable(QString::number(i)));
        }
    }

    // Absorption values print with two decimals, from the double or from a
    // float, as exactly their hundredths, and rise with the sample. 13.18 is
    // where a value one hundredth low would show: every way a screen may turn
    // it into text or compare it must give 13.18.
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
        const double v = absorptionConversionTable[61];
        QVERIFY(v == 13.18 && float(v) == 13.18f);
        QCOMPARE(int(v * 100), 1318);
        QCOMPARE(int(float(v) * 100), 1318);
        QCOMPARE(QString::number(v, 'f', 2), QStringLiteral("13.18"));
        QCOMPARE(QString::number(v), QStringLiteral("13.18"));
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

    // The CSV files a new machine gets from the package (resources/presets)
    // hold the compiled-in presets and speed table: installing them changes
    // no program (cutting and whipping read from a file keep emulsion mode 0,
    // their start screen sets 127) and forbids no combination.
    void shippedPresetFilesHoldTheDefaults()
    {
        const QString shipped = qEnvironmentVariable("FROSTPANEL_SOURCE_DIR") + "/resources/presets/";
        QVERIFY2(QFile::exists(shipped + "milling.csv"), "FROSTPANEL_SOURCE_DIR does not lead to the presets");
        for (const char *f : {"milling.csv", "cutting.csv", "whipping.csv", "rpmspeed.csv"}) {
            QFile in(shipped + f);
            QVERIFY(in.open(QIODevice::ReadOnly));
            QVERIFY(root->writeFile(QStringLiteral("/home/root/") + f, in.readAll()));
        }
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        for (const auto &p : PRESETS) {
            WorkSettings *preset = *p.preset;
            QCOMPARE(preset->filename, QString::fromLatin1(p.name));
            if (!QByteArray(p.name).startsWith("milling")) {
                QCOMPARE(int(preset->getEmulsionWorkingMode()), 0);
                preset->setEmulsionWorkingMode(127);
            }
            QCOMPARE(saved(preset), hexBytes(p.bytes));
        }
        QVERIFY(frostizing_not_allow_setting.isEmpty());
        QVERIFY(cutting_not_allow_setting.isEmpty());
        QVERIFY(whipping_not_allow_setting.isEmpty());

        int before[RPM_SPEED_TABLE_SIZE];
        std::copy(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), before);
        std::fill(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), -1);
        QVERIFY(loadRpmSpeedTable());
        QCOMPARE(cutspeed_max, 8);
        const int defaults[] = {0, 200, 500, 1000, 1500, 2000, 2500, 3000, 3500};
        QVERIFY(std::equal(std::begin(defaults), std::end(defaults), rpmSpeedTable));
        std::copy(before, before + RPM_SPEED_TABLE_SIZE, rpmSpeedTable);
    }

    // The speed file: values in any lines, blanks around them, at most the
    // table's size; none leaves the table untouched. The unit of the extra
    // settings: the first line exactly.
    void smallSettingsFiles()
    {
        int saved[RPM_SPEED_TABLE_SIZE];
        std::copy(std::begin(rpmSpeedTable), std::end(rpmSpeedTable), saved);
        QVERIFY(root->writeFile("/home/root/rpmspeed.csv", " , \n\n"));
        QVERIFY(!loadRpmSpeedTable());
        QVERIFY(std::equal(saved, saved + RPM_SPEED_TABLE_SIZE, rpmSpeedTable));
        QVERIFY(root->writeFile("/home/root/rpmspeed.csv", "100,\r\n\n, 200 ,300\n400"));
        QVERIFY(loadRpmSpeedTable());
        QCOMPARE(rpmSpeedTable[cutspeed_max], 400);
        QVERIFY(root->writeFile("/home/root/rpmspeed.csv", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22"));
        QVERIFY(loadRpmSpeedTable());
        QCOMPARE(rpmSpeedTable[cutspeed_max], 20);
        std::copy(saved, saved + RPM_SPEED_TABLE_SIZE, rpmSpeedTable);
        cutspeed_max = 8;

        for (const auto &c : {qMakePair(QByteArray("g\n"), 1), qMakePair(QByteArray("oz\r\nignored"), 2),
                              qMakePair(QByteArray(" g\n"), -1), qMakePair(QByteArray("\ng\n"), -1)}) {
            QVERIFY(root->writeFile("/home/root/extra_settings", c.first));
            portionMeasureUnit = -1;
            loadExtraSettings();
            QCOMPARE(portionMeasureUnit, c.second);
        }
    }
};

QTEST_GUILESS_MAIN(TestPresets)
#include "tst_presets.moc"
