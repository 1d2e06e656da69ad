// Kills a copy of this program that saves every kind of stored file in a loop
// (SIGKILL after a random short delay, FROSTPANEL_CRASH_KILLS times, 300 by
// default; the seed comes from FROSTPANEL_CRASH_SEED or is printed) and checks
// after each kill that every file holds one of its two complete versions and
// reads back as that version, and that anything else is a temporary file next
// to a real one.

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/Presets.h"
#include "data/Reminder.h"
#include "data/StoredFile.h"
#include "data/SystemCommand.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr const char *FUNCTIONS[] = {"milling", "cutting", "whipping"};
constexpr const char *GLASS_CODE = "FRZ01.001";

// Folders, no debug lines, no system "sync" (a killed process loses nothing
// the kernel already holds).
void prepare()
{
    for (const char *f : FUNCTIONS) {
        storedfile::makeFolder(platform::path(std::string("/home/root/recipes/") + f));
        storedfile::makeFolder(platform::path(std::string("/mnt/mmc-memory/recipes/") + f));
    }
    storedfile::makeFolder(platform::path("/home/root/glasses"));
    platform::setLogSink([](const std::string &) {});
    syscmd::setSyncRunnerForTests([] {});
}

QList<WorkSettings *> storedPresets()
{
    return {frostizing_soft, frostizing_medium, frostizing_hard, cutting_soft, cutting_medium,
            cutting_hard,    whipping_soft,     whipping_medium,  whipping_hard, cleaning};
}

// Saves every file once, in version 0 or 1; objects are built afresh, so
// what lands in a file depends on the version alone.
void saveAll(int version)
{
    const QString tag = version ? "B" : "A";
    const QString user = "operatore " + tag;
    platform::setFixedNowForTests(1700000000 + 1000 * version);

    // Recipes: main file, details file, both index lists of each function.
    replaceRecipeLists();
    for (const char *function : FUNCTIONS) {
        WorkSettings recipe;
        recipe.path = function;
        recipe.filename = recipe.path + " " + tag;
        recipe.setPortionDimension(uint8_t(8 + 2 * version));
        recipe.Save(user);
        recipe.ingredientList = QStringList{"farina " + tag, "zucchero"};
        recipe.qtyList = QStringList{QString::number(100 + version), "5"};
        recipe.SaveExtention(user);
        recipeListForFolder(recipe.path)->insertNewElementDefault(recipe.path + " base " + tag, user);
        recipeListForFolder(recipe.path)->SaveDefault();
    }

    // Presets and the cleaning program, as the defaults or with extra cycles.
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    initCleaningDefaultSettings();
    for (WorkSettings *preset : storedPresets()) {
        preset->setExtraEmulsionStep(uint8_t(2 * version));
        preset->Save(user);
    }

    // User settings, mains and Wi-Fi files, life counters, filter reminder.
    UserSettings s;
    s.setMyBrightness(60 + 10 * version);
    s.save();
    s.set_rete_setting(version ? "60" : "50", "1");
    s.createWifiConfig("rete " + tag, "chiave segreta " + tag, 2);
    WorkingTimer counters;
    counters.addTimeAcMotor(uint64_t(1000 + version));
    counters.save();
    write_warning_reminder(date{1, 2, uint16_t(version ? 130 : 100)}, WRNG_FILTRO); // years since 1900

    // A beaker and a fresh registry.
    static GlassElementsList *registry = nullptr;
    delete registry;
    glassList = registry = new GlassElementsList();
    GlassElement glass;
    glass.setGlassCode(GLASS_CODE);
    glass.setGlassType(version ? "2" : "1");
    glass.Save(user);
}

using Files = QMap<QString, QByteArray>; // path below the root -> content

// What the program's own readers make of each file ("?" when one fails).
QMap<QString, QString> readBack()
{
    QMap<QString, QString> r;
    const auto put = [&r](const QString &file, const QString &value) { r["/home/root/" + file] = value; };
    for (const char *function : FUNCTIONS) {
        const QString dir = QStringLiteral("recipes/") + function + "/";
        WorkSettings recipe;
        recipe.path = function;
        recipe.filename = "10000";
        const bool loaded = recipe.Load();
        put(dir + "10000.seq", loaded ? QString::number(recipe.getPortionDimension()) : "?");
        r["/mnt/mmc-memory/" + dir + "10000.seq"] = loaded ? recipe.ingredientList.join('|') : "?";
        RecipeElementList list(function);
        list.Load();
        put(dir + "recipes.list", list.getRecipeName(10000u));
        put(dir + "recipes_default.list", list.getDefaultRecipesNameList().join('|'));
    }
    for (WorkSettings *preset : storedPresets()) {
        WorkSettings w;
        w.filename = preset->filename;
        put("recipes/" + w.filename + "_default.seq", w.Load() ? QString::number(w.getExtraEmulsionStep()) : "?");
    }
    UserSettings s;
    put("user_settings", s.load() ? QString::number(s.getBrightness()) : "?");
    put("rete_setting", s.read_rete_setting() ? s.getHz() : "?");
    QByteArray wifi; // read by the Wi-Fi daemon, not by the program: its network name
    storedfile::readAll(platform::path("/home/root/wifi.conf"), wifi);
    put("wifi.conf", QString::fromUtf8(wifi).section('"', 1, 1));
    WorkingTimer counters;
    counters.load();
    put("working", QString::number(counters.getAcMotor()));
    // Due between the two reminded years.
    put("reminder", check_warning_remainder(date{1, 2, 115}, WRNG_FILTRO, date{}) ? "due" : "not due");
    GlassElement glass;
    glass.setGlassCode(GLASS_CODE);
    put(QStringLiteral("glasses/") + GLASS_CODE + ".cont", glass.Load() ? glass.getGlassType() : "?");
    GlassElementsList registry;
    put("glasses/glass.list", registry.Load() ? registry.getUser(GLASS_CODE) : "?");
    return r;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSavingLeavesOldOrNew()
    {
        TempRoot root;
        prepare();

        // The two versions, from rounds run here (the last leaves version 0):
        // every file differs between them and the readers tell them apart.
        Files version[2];
        QMap<QString, QString> read[2];
        QElapsedTimer timer;
        QList<qint64> roundNs;
        for (int round = 0; round < 4; ++round) {
            const int v = (round + 1) % 2;
            timer.start();
            saveAll(v);
            roundNs << timer.nsecsElapsed();
            version[v] = root.files();
            read[v] = readBack();
        }
        QCOMPARE(version[0].keys(), version[1].keys());
        QCOMPARE(read[0].keys(), version[0].keys());
        for (const QString &file : version[0].keys()) {
            QVERIFY2(version[0][file] != version[1][file], qPrintable(file));
            QVERIFY2(read[0][file] != read[1][file] && read[0][file] != "?" && read[1][file] != "?", qPrintable(file));
        }

        const auto setting = [](const char *name, qint64 fallback) {
            bool ok = false;
            const qint64 value = qEnvironmentVariable(name).toLongLong(&ok);
            return ok ? value : fallback;
        };
        const int kills = int(setting("FROSTPANEL_CRASH_KILLS", 300));
        const auto seed = quint32(setting("FROSTPANEL_CRASH_SEED", QRandomGenerator::system()->generate()));
        QRandomGenerator random(seed);
        // Kills spread over two whole rounds of saves (the median round: a
        // first round slowed by a cold disk must not stretch the test).
        std::sort(roundNs.begin(), roundNs.end());
        const int maxDelayUs = int(qBound<qint64>(2000, (roundNs[1] + roundNs[2]) / 1000, 400000));
        // "x.tmpAbC123" next to x (the crash-safe writer's) and the reminder's working copy.
        const QRegularExpression temporary("\\.tmp[A-Za-z0-9]{6}$");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FROSTPANEL_ROOT");
        QMap<QString, QSet<int>> versionsSeen;
        const auto everyFileSeenTwice = [&] {
            for (const QString &file : version[0].keys())
                if (versionsSeen[file].size() < 2)
                    return false;
            return true;
        };
        // Random delays may miss the last file of a round for a while: go on
        // killing (up to three times as often) until each was caught in both.
        int kill = 0;
        for (; kill < kills || (!everyFileSeenTwice() && kill < 3 * kills); ++kill) {
            const QString at = QString("kill %1: ").arg(kill);
            QProcess p;
            p.setProcessEnvironment(env);
            // Alternate the version written first, so that the last file of
            // a round also changes between kills.
            p.start(QCoreApplication::applicationFilePath(), {"--save", root.root(), QString::number(kill % 2)});
            QVERIFY2(p.waitForReadyRead(20000) && p.readLine() == "ready\n", qPrintable(at + p.readAllStandardError()));
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(maxDelayUs)));
            QVERIFY2(p.state() == QProcess::Running, qPrintable(at + p.readAllStandardError()));
            p.kill();
            QVERIFY(p.waitForFinished(10000));

            const Files now = root.files();
            const QMap<QString, QString> loaded = readBack();
            for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
                const QString &file = it.key();
                if (!version[0].contains(file)) {
                    const QString real = QString(file).remove(temporary);
                    QVERIFY2(version[0].contains(real) || real == "/home/root/reminder_rd",
                             qPrintable(at + "unexpected file " + file));
                    continue;
                }
                const int v = it.value() == version[0][file] ? 0 : it.value() == version[1][file] ? 1 : -1;
                QVERIFY2(v >= 0, qPrintable(at + file + " holds neither version"));
                QVERIFY2(loaded.value(file) == read[v][file], qPrintable(at + file + " reads as " + loaded[file]));
                versionsSeen[file].insert(v);
            }
            for (const QString &file : version[0].keys())
                QVERIFY2(now.contains(file), qPrintable(at + file + " is missing"));
        }
        // Every file was caught in both versions: the kills did land inside the rounds.
        for (const QString &file : version[0].keys())
            QVERIFY2(versionsSeen[file].size() == 2, qPrintable(file));
        qInfo("seed %u: %d kills, %d files checked after each, kills within %d us", seed, kill,
              int(version[0].size()), maxDelayUs);
    }
};

// With "--save ROOT FIRST" the program saves every file over and over,
// alternating the versions from FIRST on, until it is killed. The root is set only then, after the static
// objects exist, so that none of them sees a root it was not built for.
int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--save") == 0) {
        qputenv("FROSTPANEL_ROOT", argv[2]);
        prepare();
        std::printf("ready\n");
        std::fflush(stdout);
        for (int version = qstrcmp(argv[3], "0") == 0 ? 0 : 1;; version = 1 - version)
            saveAll(version);
    }
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
