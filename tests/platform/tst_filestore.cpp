// The stores' file operations: the store in memory must answer as the file
// system does, for every operation the stores use, or a test or fuzz run in
// memory would check something other than the program.

#include "platform/atomicfile.h"
#include "platform/filestore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Runs one line of a script ("op path [argument]") under `root` and returns
// what it gave: "1" or "0", and for a read what was read.
QString run(const QString &root, const QString &line)
{
    const QStringList w = line.split(' ');
    const std::string path = w.value(1).isEmpty() ? std::string() : (root + w.value(1)).toStdString();
    const QString op = w.front();
    if (op == "write")
        return platform::writeFileAtomic(path, w.value(2).toStdString()) ? "1" : "0";
    if (op == "read") {
        std::string out;
        const bool ok = platform::readFile(path, out, w.size() > 2 ? w[2].toUInt() : 100);
        return ok ? "1:" + QString::fromStdString(out) : (out.empty() ? "0" : "0 but read");
    }
    if (op == "exists")
        return platform::fileExists(path) ? "1" : "0";
    if (op == "remove")
        return platform::removeFile(path) ? "1" : "0";
    if (op == "mkdir")
        return platform::makeFolder(path) ? "1" : "0";
    if (op == "rename")
        return platform::renameFile(path, (root + w.value(2)).toStdString()) ? "1" : "0";
    return "unknown " + op;
}

} // namespace

class TstFileStore : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::useMemoryFilesForTests(false); }

    void memoryAnswersAsTheFileSystem_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("write, read back, replace")
            << QStringList{"write /a old", "read /a", "write /a new", "read /a", "exists /a"}
            << QStringList{"1", "1:old", "1", "1:new", "1"};
        QTest::newRow("read the start only") << QStringList{"write /a abcdef", "read /a 3", "read /a 0", "read /a 6"}
                                             << QStringList{"1", "1:abc", "1:", "1:abcdef"};
        QTest::newRow("a missing file") << QStringList{"read /x", "exists /x", "remove /x", "rename /x /y", "exists /y"}
                                        << QStringList{"0", "0", "1", "0", "0"};
        QTest::newRow("remove") << QStringList{"write /a x", "remove /a", "exists /a", "read /a", "remove /a"}
                                << QStringList{"1", "1", "0", "0", "1"};
        QTest::newRow("folders") << QStringList{"write /d/a x", "mkdir /d/e/", "write /d/a x", "write /d/e/b y",
                                                "exists /d", "read /d", "remove /d/e", "write /d/e z",
                                                "read /d/e/b", "mkdir /d/a/f", "mkdir /d/e", "mkdir /d/a"}
                                 << QStringList{"0", "1", "1", "1", "1", "0", "0", "0", "1:y", "0", "1", "0"};
        QTest::newRow("rename") << QStringList{"write /a 1", "write /b 2", "rename /a /b", "exists /a", "read /b",
                                               "rename /b /none/b", "read /b", "mkdir /d", "rename /b /d"}
                                << QStringList{"1", "1", "1", "0", "1:1", "0", "1:1", "1", "0"};
        QTest::newRow("paths as the file system resolves them")
            << QStringList{"mkdir /d/e", "write /d//a x", "read /d/./a", "read /d/e/../a", "exists /d/", "remove /./d/a",
                           "exists /d/a"}
            << QStringList{"1", "1", "1:x", "1:x", "1", "1", "0"};
        QTest::newRow("bytes kept as they are")
            << QStringList{"write /a \xc3\xa8\t\r", "read /a"} << QStringList{"1", "1:\xc3\xa8\t\r"};
    }
    // Every script against a fresh folder and then a fresh memory store.
    void memoryAnswersAsTheFileSystem()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        for (const bool inMemory : {false, true}) {
            platform::useMemoryFilesForTests(inMemory);
            const QString root = inMemory ? "/store" : dir.path();
            if (inMemory)
                QVERIFY(platform::makeFolder(root.toStdString()));
            QStringList got;
            for (const QString &line : script)
                got << run(root, line);
            QVERIFY2(got == expected, qPrintable((inMemory ? "memory: " : "disk: ") + got.join(" | ")));
        }
    }

    // The empty path names nothing, as a path whose parts were left empty.
    void emptyPath()
    {
        for (const bool inMemory : {false, true}) {
            platform::useMemoryFilesForTests(inMemory);
            std::string out;
            QVERIFY(!platform::readFile("", out, 10));
            QVERIFY(!platform::fileExists(""));
            QVERIFY(!platform::writeFileAtomic("", std::string("x")));
            QVERIFY(!platform::makeFolder(""));
        }
    }

    void memoryIsApartFromTheDisk()
    {
        QTemporaryDir dir;
        const std::string file = dir.filePath("a").toStdString();
        QVERIFY(platform::durableWrites());
        const std::uint64_t before = platform::memoryFileChanges();

        platform::useMemoryFilesForTests();
        QVERIFY(!platform::durableWrites()); // no "sync" for files in memory
        QVERIFY(!platform::fileExists(dir.path().toStdString()));
        QVERIFY(platform::makeFolder(dir.path().toStdString()));
        QVERIFY(platform::writeFileAtomic(file, std::string("memory")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(platform::memoryFileChanges() > before);

        // Reads and failed changes change nothing.
        const std::uint64_t written = platform::memoryFileChanges();
        std::string out;
        QVERIFY(platform::readFile(file, out, 100) && out == "memory");
        QVERIFY(!platform::writeFileAtomic(dir.filePath("none/a").toStdString(), std::string("x")));
        QVERIFY(platform::makeFolder(dir.path().toStdString()));
        QCOMPARE(platform::memoryFileChanges(), written);

        platform::clearMemoryFilesForTests();
        QVERIFY(!platform::fileExists(file));
        QVERIFY(platform::memoryFileChanges() > written);

        platform::useMemoryFilesForTests(false);
        QVERIFY(platform::durableWrites());
        QVERIFY(platform::writeFileAtomic(file, std::string("disk")));
        platform::useMemoryFilesForTests();
        QVERIFY(!platform::fileExists(file)); // each switch starts empty
        platform::useMemoryFilesForTests(false);
        QVERIFY(platform::readFile(file, out, 100) && out == "disk");
    }
};

QTEST_GUILESS_MAIN(TstFileStore)
#include "tst_filestore.moc"
