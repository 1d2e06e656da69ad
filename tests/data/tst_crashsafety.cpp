// Kills a program that saves every kind of stored file in a loop (SIGKILL,
// after a random short delay, a few hundred times) and checks after each kill
// that every file holds one of its two complete versions, loads through the
// program's own readers to that version, and that anything else in the folders
// is a leftover temporary file next to a real one.
//
// FROSTPANEL_CRASH_KILLS sets the number of kills (default 300) and
// FROSTPANEL_CRASH_SEED the random seed (printed at the start).

#include "TempRoot.h"
#include "crash_writes.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using Files = QMap<QString, QByteArray>; // path below the root -> content

// Points the program's paths at another root for one scope.
class RootScope
{
public:
    explicit RootScope(const QString &root) : previous(qgetenv("FROSTPANEL_ROOT"))
    {
        qputenv("FROSTPANEL_ROOT", root.toLocal8Bit());
    }
    ~RootScope() { qputenv("FROSTPANEL_ROOT", previous); }

private:
    QByteArray previous;
};

Files scan(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files.insert(path.mid(root.size()), f.readAll());
    }
    return files;
}

// What the program's readers make of each file, as a short text. A reader
// that fails gives "unreadable".
QMap<QString, QString> readBack(const QString &root)
{
    RootScope scope(root);
    QMap<QString, QString> read;
    const QString unreadable = QStringLiteral("unreadable");

    for (const char *function : crashwrites::FUNCTIONS) {
        const QString f = QString::fromLatin1(function);
        WorkSettings recipe;
        recipe.path = f;
        recipe.filename = "10000";
        const bool loaded = recipe.Load();
        read["/home/root/recipes/" + f + "/10000.seq"] =
            loaded ? QStringLiteral("%1 %2 %3")
                         .arg(recipe.getPortionDimension())
                         .arg(recipe.getMillingSteps(0).CutSpeed)
                         .arg(recipe.minStockQty)
                   : unreadable;
        read["/mnt/mmc-memory/recipes/" + f + "/10000.seq"] =
            loaded && !recipe.ingredientList.isEmpty() ? (recipe.ingredientList + recipe.qtyList).join('|')
                                                       : unreadable;
        RecipeElementList list(f);
        list.Load();
        const QString name = list.getRecipeName(10000u);
        read["/home/root/recipes/" + f + "/recipes.list"] =
            name.isEmpty() ? unreadable : name + "|" + list.userUpdateList.value(10000);
        read["/home/root/recipes/" + f + "/recipes_default.list"] =
            list.recipeNameListDefault.isEmpty() ? unreadable : QStringList(list.recipeNameListDefault.keys()).join('|');
    }

    for (WorkSettings *preset : crashwrites::storedPresets()) {
        WorkSettings w;
        w.filename = preset->filename;
        read["/home/root/recipes/" + w.filename + "_default.seq"] =
            w.Load() ? QStringLiteral("%1 %2").arg(w.getPortionDimension()).arg(w.getExtraEmulsionStep()) : unreadable;
    }

    UserSettings s;
    read["/home/root/user_settings"] =
        s.load() ? QStringLiteral("%1 %2 %3").arg(s.getLanguage()).arg(s.getBrightness()).arg(s.getWifiEssid())
                 : unreadable;
    read["/home/root/rete_setting"] = s.read_rete_setting() ? s.getHz() : unreadable;
    // The Wi-Fi client daemon reads this one; the network name is what matters.
    QByteArray wifi;
    storedfile::readAll(platform::path("/home/root/wifi.conf"), wifi);
    const QRegularExpressionMatch ssid =
        QRegularExpression("^network=\\{\n\tssid=\"([^\"]*)\"\n(.|\n)*\\}$").match(QString::fromUtf8(wifi));
    read["/home/root/wifi.conf"] = ssid.hasMatch() ? ssid.captured(1) : unreadable;

    if (storedfile::exists(platform::path("/home/root/working"))) {
        WorkingTimer counters;
        counters.load();
        read["/home/root/working"] = QStringLiteral("%1 %2").arg(counters.getAcMotor()).arg(counters.getMachine());
    }
    date now;
    now.year = 115; // between the two reminded years
    read["/home/root/reminder"] = check_warning_remainder(now, WRNG_FILTRO, date{}) ? "due" : "not due";

    GlassElement glass;
    glass.setGlassCode(crashwrites::GLASS_CODE);
    read["/home/root/glasses/" + QString(crashwrites::GLASS_CODE) + ".cont"] =
        glass.Load() ? glass.getGlassType() + " " + QString::number(glass.getCreationDate()) : unreadable;
    GlassElementsList registry;
    read["/home/root/glasses/glass.list"] =
        registry.Load() ? registry.getUser(crashwrites::GLASS_CODE) : unreadable;
    return read;
}

// "x.tmpAbC123" next to x (the crash-safe writer's temporary files) and the
// reminder's working copy.
const QRegularExpression TEMPORARY("^(.*)\\.tmp[A-Za-z0-9]{6}$");
const QString REMINDER_COPY = QStringLiteral("/home/root/reminder_rd");

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private:
    QString saver;
    Files version[2];               // every file as each version leaves it
    QMap<QString, QString> read[2]; // what the readers make of each version

    // Starts the saver on `root` with `args`; false when it did not come up.
    bool startSaver(QProcess &p, const QString &root, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("FROSTPANEL_ROOT");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(saver, QStringList{root} + args);
        if (!p.waitForStarted(10000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (!p.canReadLine() && waited.elapsed() < 20000 && p.state() == QProcess::Running)
            p.waitForReadyRead(1000);
        return p.canReadLine() && p.readLine() == "ready\n";
    }

private slots:
    void initTestCase()
    {
        saver = QString::fromLocal8Bit(qgetenv("FROSTPANEL_CRASH_SAVER"));
        QVERIFY2(!saver.isEmpty(), "FROSTPANEL_CRASH_SAVER not set");
        crashwrites::quietAndWithoutSync();
    }
    void cleanupTestCase()
    {
        platform::setLogSink(nullptr);
        syscmd::setSyncRunner(nullptr);
        platform::clearFixedNow();
    }

    // The two versions, from rounds run in this process: every file differs
    // between them, no save leaves a third content behind, and the readers
    // tell the versions apart.
    void versionsAreDistinctAndReadable()
    {
        TempRoot root;
        RootScope scope(root.root());
        crashwrites::makeFolders();
        QMap<QString, QSet<QByteArray>> seen;
        const auto record = [&] {
            const Files now = scan(root.root());
            for (auto it = now.constBegin(); it != now.constEnd(); ++it)
                seen[it.key()].insert(it.value());
        };
        for (int round = 0; round < 4; ++round) {
            const int v = round % 2;
            crashwrites::saveAll(v, record);
            version[v] = scan(root.root());
            read[v] = readBack(root.root());
        }

        QVERIFY(version[0].size() >= 25);
        QCOMPARE(version[0].keys(), version[1].keys());
        for (const QString &file : version[0].keys()) {
            QVERIFY2(!file.contains(".tmp") && file != REMINDER_COPY, qPrintable(file));
            QVERIFY2(version[0][file] != version[1][file], qPrintable(file));
            QVERIFY2(seen[file].size() == 2, qPrintable(file));
            QVERIFY2(read[0].contains(file), qPrintable(file));
            QVERIFY2(read[0][file] != "unreadable" && read[1][file] != "unreadable", qPrintable(file));
            QVERIFY2(read[0][file] != read[1][file], qPrintable(file));
        }
        QCOMPARE(read[0].keys(), version[0].keys());
    }

    void killedWhileSavingLeavesOldOrNew()
    {
        if (version[0].isEmpty())
            QSKIP("needs the versions of the previous test");
        const int kills = qEnvironmentVariableIsSet("FROSTPANEL_CRASH_KILLS")
                              ? qEnvironmentVariableIntValue("FROSTPANEL_CRASH_KILLS")
                              : 300;
        const quint32 seed = qEnvironmentVariableIsSet("FROSTPANEL_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("FROSTPANEL_CRASH_SEED"))
                                 : QRandomGenerator::system()->generate();
        QRandomGenerator random(seed);

        TempRoot root;
        {
            RootScope scope(root.root());
            crashwrites::makeFolders();
            crashwrites::saveAll(0);
        }
        QCOMPARE(scan(root.root()), version[0]);

        // Time a few rounds so that the kills spread over whole rounds.
        QElapsedTimer timer;
        QProcess timed;
        QVERIFY(startSaver(timed, root.root(), {"rounds", "4"}));
        timer.start();
        QVERIFY(timed.waitForFinished(60000));
        QCOMPARE(timed.exitCode(), 0);
        const qint64 roundUs = qMax<qint64>(timer.nsecsElapsed() / 4000, 1000);
        const qint64 maxDelayUs = qMin<qint64>(2 * roundUs, 400000);

        int mixed = 0;       // kills after which both versions were on disk
        int temporaries = 0; // leftover temporary files found after the kills
        QMap<QString, QSet<int>> versionsSeen;
        QElapsedTimer total;
        total.start();
        for (int kill = 0; kill < kills; ++kill) {
            QProcess p;
            QVERIFY2(startSaver(p, root.root(), {"loop"}), qPrintable(p.readAllStandardError()));
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(int(maxDelayUs))));
            QVERIFY2(p.state() == QProcess::Running, qPrintable(p.readAllStandardError()));
            p.kill();
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);

            const Files now = scan(root.root());
            const QMap<QString, QString> loaded = readBack(root.root());
            QSet<int> versionsNow;
            for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
                const QString &file = it.key();
                if (version[0].contains(file)) {
                    const int v = it.value() == version[0][file] ? 0 : it.value() == version[1][file] ? 1 : -1;
                    QVERIFY2(v >= 0, qPrintable(QString("kill %1: %2 holds neither version").arg(kill).arg(file)));
                    QVERIFY2(loaded.value(file) == read[v][file],
                             qPrintable(QString("kill %1: %2 reads as '%3'").arg(kill).arg(file, loaded.value(file))));
                    versionsNow.insert(v);
                    versionsSeen[file].insert(v);
                    continue;
                }
                const QRegularExpressionMatch temporary = TEMPORARY.match(file);
                const QString real = temporary.hasMatch() ? temporary.captured(1) : file;
                QVERIFY2(version[0].contains(real) || real == REMINDER_COPY,
                         qPrintable(QString("kill %1: unexpected file %2").arg(kill).arg(file)));
            }
            for (const QString &file : version[0].keys())
                QVERIFY2(now.contains(file), qPrintable(QString("kill %1: %2 is missing").arg(kill).arg(file)));
            if (versionsNow.size() == 2)
                ++mixed;
            temporaries = now.size() - version[0].size();
        }

        // Every file was caught in both versions, so the kills did land
        // inside the rounds.
        for (const QString &file : version[0].keys())
            QVERIFY2(versionsSeen[file].size() == 2, qPrintable(file));
        qInfo("seed %u: %d kills, %d files checked after each (%d checks), %d kills left a mix of versions, "
              "%d temporary files left behind; a round of saves takes %lld us, kills within %lld us; %lld ms",
              seed, kills, int(version[0].size()), kills * int(version[0].size()), mixed, temporaries, roundUs,
              maxDelayUs, total.elapsed());
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
