// Kills a program that saves every kind of stored file in a loop (SIGKILL after
// a random short delay, FROSTPANEL_CRASH_KILLS times, 300 by default; the seed
// comes from FROSTPANEL_CRASH_SEED or is printed) and checks after each kill
// that every file holds one of its two complete versions and reads back as
// that version, and that anything else is a temporary file next to a real one.

#include "TempRoot.h"
#include "crash_writes.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <chrono>
#include <thread>

namespace {

using Files = QMap<QString, QByteArray>; // path below the root -> content

Files scan(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            files.insert(f.fileName().mid(root.size()), f.readAll());
    }
    return files;
}

// What the program's own readers make of each file ("?" when one fails).
QMap<QString, QString> readBack()
{
    QMap<QString, QString> r;
    const auto put = [&r](const QString &file, const QString &value) { r["/home/root/" + file] = value; };
    for (const char *function : crashwrites::FUNCTIONS) {
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
        put(dir + "recipes_default.list", QStringList(list.recipeNameListDefault.keys()).join('|'));
    }
    for (WorkSettings *preset : crashwrites::storedPresets()) {
        WorkSettings w;
        w.filename = preset->filename;
        put("recipes/" + w.filename + "_default.seq", w.Load() ? QString::number(w.getExtraEmulsionStep()) : "?");
    }
    UserSettings s;
    put("user_settings", s.load() ? QString::number(s.getBrightness()) : "?");
    put("rete_setting", s.read_rete_setting() ? s.getHz() : "?");
    QByteArray wifi; // read by the Wi-Fi daemon, not by the program
    storedfile::readAll(platform::path("/home/root/wifi.conf"), wifi);
    const auto ssid = QRegularExpression("^network=\\{\n\tssid=\"([^\"]*)\"\n[^{]*\\}$").match(QString::fromUtf8(wifi));
    put("wifi.conf", ssid.hasMatch() ? ssid.captured(1) : "?");
    WorkingTimer counters;
    counters.load();
    put("working", QString::number(counters.getAcMotor()));
    date now;
    now.year = 115; // between the two reminded years
    put("reminder", check_warning_remainder(now, WRNG_FILTRO, date{}) ? "due" : "not due");
    GlassElement glass;
    glass.setGlassCode(crashwrites::GLASS_CODE);
    put(QStringLiteral("glasses/") + crashwrites::GLASS_CODE + ".cont", glass.Load() ? glass.getGlassType() : "?");
    GlassElementsList registry;
    put("glasses/glass.list", registry.Load() ? registry.getUser(crashwrites::GLASS_CODE) : "?");
    return r;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase()
    {
        platform::setLogSink(nullptr);
        syscmd::setSyncRunner(nullptr);
        platform::clearFixedNow();
    }

    void killedWhileSavingLeavesOldOrNew()
    {
        const QString saver = qEnvironmentVariable("FROSTPANEL_CRASH_SAVER");
        QVERIFY2(!saver.isEmpty(), "FROSTPANEL_CRASH_SAVER not set");
        TempRoot root;
        crashwrites::prepare();

        // The two versions, from rounds run here (the last leaves version 0):
        // a round's result depends on its version alone, every file differs
        // between the versions, and the readers tell them apart.
        Files version[2];
        QMap<QString, QString> read[2];
        QElapsedTimer timer;
        qint64 savingNs = 0;
        for (int round = 0; round < 4; ++round) {
            const int v = (round + 1) % 2;
            timer.start();
            crashwrites::saveAll(v);
            savingNs += timer.nsecsElapsed();
            if (round >= 2) {
                QCOMPARE(scan(root.root()), version[v]);
                continue;
            }
            version[v] = scan(root.root());
            read[v] = readBack();
        }
        QVERIFY(version[0].size() >= 25);
        QCOMPARE(version[0].keys(), version[1].keys());
        QCOMPARE(read[0].keys(), version[0].keys());
        for (const QString &file : version[0].keys()) {
            QVERIFY2(version[0][file] != version[1][file], qPrintable(file));
            QVERIFY2(read[0][file] != read[1][file] && read[0][file] != "?" && read[1][file] != "?", qPrintable(file));
        }

        const int kills = qEnvironmentVariableIsSet("FROSTPANEL_CRASH_KILLS")
                              ? qEnvironmentVariableIntValue("FROSTPANEL_CRASH_KILLS")
                              : 300;
        const quint32 seed = qEnvironmentVariableIsSet("FROSTPANEL_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("FROSTPANEL_CRASH_SEED"))
                                 : QRandomGenerator::system()->generate();
        QRandomGenerator random(seed);
        // Kills spread over two whole rounds of saves.
        const int maxDelayUs = int(qBound<qint64>(2000, savingNs / 2000, 400000));
        // "x.tmpAbC123" next to x (the crash-safe writer's) and the reminder's working copy.
        const QRegularExpression temporary("\\.tmp[A-Za-z0-9]{6}$");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FROSTPANEL_ROOT");
        QMap<QString, QSet<int>> versionsSeen;
        for (int kill = 0; kill < kills; ++kill) {
            const QString at = QString("kill %1: ").arg(kill);
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(saver, {root.root()});
            QVERIFY(p.waitForStarted(10000));
            QElapsedTimer waited;
            waited.start();
            while (!p.canReadLine() && p.state() == QProcess::Running && waited.elapsed() < 20000)
                p.waitForReadyRead(1000);
            QVERIFY2(p.readLine() == "ready\n", qPrintable(at + p.readAllStandardError()));
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(maxDelayUs)));
            QVERIFY2(p.state() == QProcess::Running, qPrintable(at + p.readAllStandardError()));
            p.kill();
            QVERIFY(p.waitForFinished(10000));

            const Files now = scan(root.root());
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
        qInfo("seed %u: %d kills, %d files checked after each, kills within %d us", seed, kills,
              int(version[0].size()), maxDelayUs);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
