// Presets from their CSV files and compiled-in defaults, the limit maps and
// their checks, the built-in programs and the factory reset. Stored presets
// are compared with hand-written bytes (main file order: portion dimension,
// pressure type, intensity, emulsion mode, 7 x (cut, immersion), 8 x (cut,
// immersion, intensity, type, pause), extra cycles, stock, beaker).

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/DataHooks.h"
#include "data/DataState.h"
#include "data/Presets.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "platform/log.h"

#include <QtTest>

#include <memory>

namespace {

// Emulsion steps in file order; "off" is a step as resetSettings() leaves it.
#define OFF "01 00 00 00 7f"

const char *const FROSTIZING_SOFT = "08 0f 0a 00  0302 0302 0302 0302 0101 0101 0101"
                                    "  03050a0f00 " OFF " 03050a0f00 " OFF " 03050a0f00 " OFF " 03050a0f00 " OFF
                                    "  00 00 00";
const char *const FROSTIZING_MEDIUM = "08 0f 0a 00  0403 0403 0403 0403 0101 0101 0101"
                                      "  04050a0f00 " OFF " 04050a0f00 " OFF " 04050a0f00 " OFF " 04050a0f00 " OFF
                                      "  00 00 00";
const char *const FROSTIZING_HARD = "08 0f 0a 00  0605 0605 0605 0605 0101 0101 0101"
                                    "  05050a0f00 " OFF " 05050a0f00 " OFF " 05050a0f00 " OFF " 05050a0f00 " OFF
                                    "  00 00 00";
// Cutting and whipping: step 1 climbs at the milling speeds, step 3 is off,
// steps 4 and 6 repeat step 0.
const char *const CW_SOFT = "08 00 00 7f  0302 0302 0302 0302 0101 0101 0101"
                            "  03050a0f00 03020a0f00 03050a0f00 " OFF " 03050a0f00 " OFF " 03050a0f00 " OFF
                            "  00 00 00";
const char *const CW_MEDIUM = "08 00 00 7f  0403 0403 0403 0403 0101 0101 0101"
                              "  04050a0f00 04030a0f00 04050a0f00 " OFF " 04050a0f00 " OFF " 04050a0f00 " OFF
                              "  00 00 00";
const char *const CW_HARD = "08 00 00 7f  0605 0605 0605 0605 0101 0101 0101"
                            "  05050a0f00 06050a0f00 05050a0f00 " OFF " 05050a0f00 " OFF " 05050a0f00 " OFF
                            "  00 00 00";
const char *const CLEANING = "08 00 00 7f  0605 0605 0605 0605 0101 0101 0101"
                             "  06050a0f0a 06050a0f0a 06050a0f0a " OFF " " OFF " " OFF " " OFF " " OFF
                             "  00 00 00";

struct PresetFile
{
    WorkSettings **preset;
    const char *name;
    const char *bytes;
};

const PresetFile DEFAULT_PRESETS[] = {
    {&frostizing_soft, "milling_soft", FROSTIZING_SOFT},
    {&frostizing_medium, "milling_medium", FROSTIZING_MEDIUM},
    {&frostizing_hard, "milling_hard", FROSTIZING_HARD},
    {&cutting_soft, "cutting_soft", CW_SOFT},
    {&cutting_medium, "cutting_medium", CW_MEDIUM},
    {&cutting_hard, "cutting_hard", CW_HARD},
    {&whipping_soft, "whipping_soft", CW_SOFT},
    {&whipping_medium, "whipping_medium", CW_MEDIUM},
    {&whipping_hard, "whipping_hard", CW_HARD},
};

QString presetFile(const char *name)
{
    return QStringLiteral("/home/root/recipes//%1_default.seq").arg(QLatin1String(name));
}

// One preset record of a CSV file: 45 fields, distinct per `tag` so that a
// misplaced read shows. Emulsion steps in CSV order: pause, cut, immersion,
// pressure type, pressure intensity.
QStringList record(int tag)
{
    QStringList f{QString::number(10 + 2 * tag), QString::number(tag + 2), QString::number(tag + 3),
                  QString::number(tag + 40), QString::number(tag + 50)};
    for (int step = 0; step < 8; ++step) {
        for (int field = 0; field < 5; ++field)
            f << QString::number(100 + 20 * tag + 5 * step + field);
    }
    return f;
}

// The three records with a marker between them (fields 45, 91 and 137),
// spread over lines the way a hand-edited file may be, then `tail`.
QByteArray presetCsv(const QStringList &tail = {}, int fieldCount = 138)
{
    QStringList fields;
    for (int tag = 0; tag < 3; ++tag)
        fields << record(tag) << QStringLiteral("99");
    fields = fields.mid(0, fieldCount);
    fields << tail;
    QByteArray csv;
    for (int i = 0; i < fields.size(); ++i) {
        csv += fields[i].toLatin1();
        if (i + 1 < fields.size())
            csv += (i % 23 == 22) ? "\n" : ",";
    }
    return csv + "\n";
}

// Checks that `w` holds record(tag) as read from a CSV file.
void verifyRecord(const WorkSettings &w, int tag)
{
    QCOMPARE(int(w.getPortionDimension()), 10 + 2 * tag);
    for (int i = 0; i < MILLING_STEPS; ++i) {
        const MillingStep s = w.getMillingSteps(i);
        const bool used = i < (10 + 2 * tag) / 2;
        QCOMPARE(int(s.CutSpeed), used ? tag + 2 : 1);
        QCOMPARE(int(s.ImmersionSpeed), used ? tag + 3 : 1);
    }
    QCOMPARE(int(w.getMillingPressionType()), tag + 40);
    QCOMPARE(int(w.getMillingPressionIntensity()), tag + 50);
    QCOMPARE(int(w.getEmulsionWorkingMode()), 0);
    for (int step = 0; step < 8; ++step) {
        const EmulsionStep s = w.getEmulsionSteps(step);
        const int first = 100 + 20 * tag + 5 * step;
        QCOMPARE(int(s.Pause), first % 256);
        QCOMPARE(int(s.CutSpeed), (first + 1) % 256);
        QCOMPARE(int(s.ImmersionSpeed), (first + 2) % 256);
        QCOMPARE(int(s.PressionType), (first + 3) % 256);
        QCOMPARE(int(s.PressionIntensity), (first + 4) % 256);
    }
}

void clearLimitMaps()
{
    frostizing_not_allow_setting.clear();
    cutting_not_allow_setting.clear();
    whipping_not_allow_setting.clear();
    frostizing_danegrous_settings.clear();
    cutting_danegrous_settings.clear();
    whipping_danegrous_settings.clear();
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
    void cleanup()
    {
        platform::setLogSink(nullptr);
        clearLimitMaps();
        root.reset();
    }

    void missingCsvGivesCompiledDefaults_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 9; ++i)
            QTest::newRow(DEFAULT_PRESETS[i].name) << i;
    }
    void missingCsvGivesCompiledDefaults()
    {
        QFETCH(int, index);
        const PresetFile &p = DEFAULT_PRESETS[index];
        (*p.preset)->setPortionDimension(20);
        (*p.preset)->path = "milling";

        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();

        WorkSettings *preset = *p.preset;
        QCOMPARE(preset->filename, QString::fromLatin1(p.name));
        QVERIFY(preset->path.isEmpty());
        QCOMPARE(saved(preset), hexBytes(p.bytes));
        QCOMPARE(preset->mainFilePath(), root->path(presetFile(p.name)));
        QVERIFY(frostizing_not_allow_setting.isEmpty());
        QVERIFY(cutting_not_allow_setting.isEmpty());
        QVERIFY(whipping_not_allow_setting.isEmpty());
    }

    void builtInPrograms()
    {
        cleaning->setPortionDimension(2);
        initCleaningDefaultSettings();
        QCOMPARE(cleaning->filename, QStringLiteral("cleaning"));
        QCOMPARE(saved(cleaning), hexBytes(CLEANING));
        QCOMPARE(cleaning->getEnabledEmulsionSteps(), 3);

        add_new->filename = "leftover";
        add_new->setEmulsionSteps(0, 1, 1, 0, 0);
        initAddNewDefaultSettings();
        QVERIFY(add_new->filename.isEmpty() && add_new->path.isEmpty());
        WorkSettings stored = *add_new; // the template itself has no file name
        stored.filename = "template";
        QCOMPARE(saved(&stored), hexBytes("08 0f 0a 00  0605 0605 0605 0605 0101 0101 0101"
                                          "  0500000f7f " OFF " " OFF " " OFF " " OFF " " OFF " " OFF " " OFF
                                          "  00 00 00"));
    }

    // Records are found by position in the flat list of fields, whatever the
    // line breaks, and the field after each record is never read. A file too
    // short for a record gives that preset (and the later ones) their defaults.
    void shortCsvFallsBackPerPreset_data()
    {
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("fromFile"); // presets read from the file
        QTest::newRow("137 fields") << 137 << 3;
        QTest::newRow("136 fields") << 136 << 2;
        QTest::newRow("91 fields") << 91 << 2;
        QTest::newRow("90 fields") << 90 << 1;
        QTest::newRow("45 fields") << 45 << 1;
        QTest::newRow("44 fields") << 44 << 0;
        QTest::newRow("empty file") << 0 << 0;
    }
    void shortCsvFallsBackPerPreset()
    {
        QFETCH(int, fields);
        QFETCH(int, fromFile);
        QVERIFY(root->writeFile("/home/root/milling.csv", fields ? presetCsv({}, fields) : QByteArray()));
        initMillingDefaultSettings();
        WorkSettings *presets[] = {frostizing_soft, frostizing_medium, frostizing_hard};
        const char *defaults[] = {FROSTIZING_SOFT, FROSTIZING_MEDIUM, FROSTIZING_HARD};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(presets[i]->filename, QString::fromLatin1(DEFAULT_PRESETS[i].name));
            if (i < fromFile)
                verifyRecord(*presets[i], i);
            else
                QCOMPARE(saved(presets[i]), hexBytes(defaults[i]));
        }
        QVERIFY(frostizing_not_allow_setting.isEmpty());
    }

    void csvFieldConversion()
    {
        // Soft record with awkward fields: CR LF line ends, blanks, a sign,
        // values above a byte, text, an empty field, a value out of int range.
        QStringList f = record(0);
        f[0] = " 268 ";       // 268 mod 256 = 12
        f[1] = "-1";          // 255
        f[2] = "x";           // not a number: 0
        f[3] = "";            // empty: 0
        f[4] = "+7";
        f[5] = "99999999999"; // beyond int: 0
        QByteArray csv = f.mid(0, 20).join(',').toLatin1() + "\r\n" + f.mid(20).join(',').toLatin1() + "\r\n";
        QVERIFY(root->writeFile("/home/root/whipping.csv", csv));
        initWhippingDefaultSettings();

        QCOMPARE(int(whipping_soft->getPortionDimension()), 12);
        QCOMPARE(int(whipping_soft->getMillingSteps(5).CutSpeed), 255);
        QCOMPARE(int(whipping_soft->getMillingSteps(5).ImmersionSpeed), 0);
        QCOMPARE(int(whipping_soft->getMillingSteps(6).CutSpeed), 1);
        QCOMPARE(int(whipping_soft->getMillingPressionType()), 0);
        QCOMPARE(int(whipping_soft->getMillingPressionIntensity()), 7);
        QCOMPARE(int(whipping_soft->getEmulsionWorkingMode()), 0);
        QCOMPARE(int(whipping_soft->getEmulsionSteps(0).Pause), 0);
        QCOMPARE(int(whipping_soft->getEmulsionSteps(0).CutSpeed), 101);
        // The pause that ended the first line still converts.
        QCOMPARE(int(whipping_soft->getEmulsionSteps(2).PressionIntensity), 114);
        QCOMPARE(int(whipping_soft->getEmulsionSteps(3).Pause), 115);
        // A file that fills only the soft record: the others are the defaults.
        QCOMPARE(saved(whipping_medium), hexBytes(CW_MEDIUM));
    }

    void notAllowedPairsFromCsvTail()
    {
        // Pairs (3, 7), (3, 8), (9, 0) and a lone final field.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "7", "3", " 8", "9", "0", "5"})));
        initMillingDefaultSettings();
        QVERIFY(checkNotAllowedSetting(3, 8, FUNCTION_FROSTIZING));
        QVERIFY(checkNotAllowedSetting(3, 7, FUNCTION_FROSTIZING));
        QVERIFY(checkNotAllowedSetting(9, 0, FUNCTION_FROSTIZING));
        QVERIFY(!checkNotAllowedSetting(3, 6, FUNCTION_FROSTIZING));
        QVERIFY(!checkNotAllowedSetting(7, 3, FUNCTION_FROSTIZING));
        QVERIFY(!checkNotAllowedSetting(5, 0, FUNCTION_FROSTIZING));
        QVERIFY(!frostizing_not_allow_setting.contains(5));
        // Another function's lists are its own; unknown codes forbid nothing.
        QVERIFY(!checkNotAllowedSetting(3, 8, FUNCTION_CUTTING));
        QVERIFY(!checkNotAllowedSetting(3, 8, FUNCTION_WHIPPING));
        QVERIFY(!checkNotAllowedSetting(3, 8, 0));
        QVERIFY(!checkNotAllowedSetting(3, 8, 4));

        // A later initialisation adds to the lists; it never takes pairs
        // away, and a pair read again is not listed twice.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "8", "4", "1"})));
        initMillingDefaultSettings();
        QVERIFY(checkNotAllowedSetting(3, 7, FUNCTION_FROSTIZING));
        QVERIFY(checkNotAllowedSetting(4, 1, FUNCTION_FROSTIZING));
        QCOMPARE(frostizing_not_allow_setting.value(3), (QList<uint8_t>{7, 8}));
        QVERIFY(QFile::remove(root->path("/home/root/milling.csv")));
        initMillingDefaultSettings();
        QVERIFY(checkNotAllowedSetting(4, 1, FUNCTION_FROSTIZING));
    }

    void dangerousSettingsFromLimitFile()
    {
        QVERIFY(root->writeFile("/home/root/cuttingLimit.csv", "1,5\n2,6\n1,9\n7"));
        initCuttingDefaultSettings();
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_CUTTING)), 9); // the later pair wins
        QCOMPARE(int(checkDangerousSetting(2, FUNCTION_CUTTING)), 6);
        QCOMPARE(int(checkDangerousSetting(7, FUNCTION_CUTTING)), 255); // lone field
        QCOMPARE(int(checkDangerousSetting(3, FUNCTION_CUTTING)), 255);
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_FROSTIZING)), 255);
        QCOMPARE(int(checkDangerousSetting(1, 4)), 255);
        QCOMPARE(int(checkDangerousSetting(1, 0)), 255);
        // Without the file the map stays as it was.
        QVERIFY(QFile::remove(root->path("/home/root/cuttingLimit.csv")));
        initCuttingDefaultSettings();
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_CUTTING)), 9);
    }

    void restoringOneFrostizingPreset()
    {
        initMillingDefaultSettings();
        frostizing_soft->setPortionDimension(4);
        frostizing_medium->setPortionDimension(4);
        frostizing_hard->setPortionDimension(4);
        QVERIFY(root->writeFile("/home/root/millingLimit.csv", "1,2"));

        // soft and medium defaults hold only their first emulsion step here
        initMillingDefaultSettings(1);
        QCOMPARE(saved(frostizing_soft), hexBytes("08 0f 0a 00  0302 0302 0302 0302 0101 0101 0101"
                                                  "  03050a0f00 " OFF " " OFF " " OFF " " OFF " " OFF " " OFF " " OFF
                                                  "  00 00 00"));
        QCOMPARE(int(frostizing_medium->getPortionDimension()), 4);
        initMillingDefaultSettings(3);
        QCOMPARE(saved(frostizing_hard), hexBytes(FROSTIZING_HARD));
        QCOMPARE(int(frostizing_medium->getPortionDimension()), 4);

        // From the file, with its pairs and limits left unread.
        QVERIFY(root->writeFile("/home/root/milling.csv", presetCsv({"3", "7"})));
        initMillingDefaultSettings(2);
        verifyRecord(*frostizing_medium, 1);
        QVERIFY(!checkNotAllowedSetting(3, 7, FUNCTION_FROSTIZING));
        QCOMPARE(int(checkDangerousSetting(1, FUNCTION_FROSTIZING)), 255);

        initMillingDefaultSettings(0);
        initMillingDefaultSettings(4);
        QCOMPARE(int(frostizing_hard->getPortionDimension()), 8);
    }

    // A preset whose stored file is missing is rebuilt from its CSV file
    // through the hook the work programs call.
    void missingStoredCuttingPresetRebuildsFromCsv()
    {
        QVERIFY(DataHooks::initCuttingDefaultSettings);
        initCuttingDefaultSettings();
        cutting_hard->setPortionDimension(12);
        QVERIFY(!cutting_medium->Load());
        QCOMPARE(saved(cutting_hard), hexBytes(CW_HARD));
    }

    void factoryResetRestoresDefaults()
    {
        QStringList log;
        platform::setLogSink([&log](const std::string &line) { log << QString::fromStdString(line); });
        // Operator changes stored before the reset.
        initMillingDefaultSettings();
        initCuttingDefaultSettings();
        initWhippingDefaultSettings();
        frostizing_soft->setPortionDimension(12);
        QVERIFY(frostizing_soft->setExtraEmulsionStep(3));
        QVERIFY(frostizing_soft->Save(QString()));
        frostizing_soft->ingredientList = QStringList{"acqua"};
        frostizing_soft->qtyList = QStringList{"1"};
        QVERIFY(frostizing_soft->SaveExtention(QString()));
        cutting_medium->setPortionDimension(6);
        settings.setLanguage("tedesco_de");
        QVERIFY(settings.save());
        add_new->setPortionDimension(2);

        int reloads = 0;
        log.clear();
        QVERIFY(factoryReset([&reloads] { ++reloads; }));

        QCOMPARE(reloads, 1);
        QVERIFY(!QFile::exists(root->path("/home/root/user_settings")));
        QCOMPARE(settings.getLanguage(), QStringLiteral("inglese_en"));
        for (const PresetFile &p : DEFAULT_PRESETS)
            QCOMPARE(root->readFile(presetFile(p.name)), hexBytes(p.bytes));
        QCOMPARE(int(frostizing_soft->getExtraEmulsionStep()), 0);
        QVERIFY(!QFile::exists(root->path("/mnt/mmc-memory/recipes//milling_soft_default.seq")));
        QCOMPARE(int(add_new->getPortionDimension()), 8);

        QVERIFY(log.size() >= 5);
        QCOMPARE(log.first(), QStringLiteral("SETTING FORM -> attivato FACTORY RESET "));
        const int init = log.indexOf("RESET -> initMillingDefaultSettings!! DONE ");
        const int saves = log.indexOf("RESET -> savePresets!! DONE ");
        const int end = log.indexOf("SETTING FORM -> Fine fase FACTORY RESET ");
        QVERIFY(init > 0 && init < saves && saves < end);
        QCOMPARE(log.mid(log.size() - 3),
                 (QStringList{"****************************************", "!! FACTORY RESET ESEGUITO !!",
                              "****************************************"}));
    }

    void factoryResetReportsPresetsNotStored()
    {
        OperatorMessages shown;
        QVERIFY(QDir(root->path("/home/root/recipes")).removeRecursively());
        int reloads = 0;
        QVERIFY(!factoryReset([&reloads] { ++reloads; }));
        QVERIFY(shown.messages.contains("Recipe Saving Error."));
        // The rest of the reset still ran.
        QCOMPARE(reloads, 1);
        QCOMPARE(saved(frostizing_soft), QByteArray("<not saved>"));
        root->mkpath("/home/root/recipes");
        QCOMPARE(saved(frostizing_soft), hexBytes(FROSTIZING_SOFT));
    }
};

QTEST_GUILESS_MAIN(TestPresets)
#include "tst_presets.moc"
