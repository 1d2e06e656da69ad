// Crash-safe replacement of stored files and the clean-up of what a power cut
// leaves behind.

#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void replacesWholeFileOrNothing_data()
    {
        QTest::addColumn<bool>("durable");
        QTest::newRow("forced to storage") << true;
        QTest::newRow("not forced (tests and fuzzing)") << false;
    }
    void replacesWholeFileOrNothing()
    {
        QFETCH(bool, durable);
        platform::setDurableWritesForTests(durable);
        QTemporaryDir dir;
        const std::string path = dir.filePath("settings").toStdString();
        QVERIFY(platform::writeFileAtomic(path, std::string("old")));
        QVERIFY(platform::writeFileAtomic(path, std::string("new content")));
        QFile f(QString::fromStdString(path));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("new content"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"settings"}); // no temporaries left

        std::string error;
        QVERIFY(!platform::writeFileAtomic(dir.filePath("missing/x").toStdString(), std::string("x"), &error));
        QVERIFY(!error.empty());
        platform::setDurableWritesForTests(true);
    }

    void staleTemporariesAreRemovedAndNothingElse()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("recipes/milling"));
        const QStringList stale{"recipes.list.tmpAb12Cd", "recipes/milling/10001.seq.tmpZZ9xy0"};
        const QStringList kept{"recipes.list", "notes.tmp", "a.tmpABC", "recipes/milling/10001.seq", ".tmpabcdef"};
        for (const QString &name : stale + kept) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(platform::removeStaleTemporaries(dir.path().toStdString()), 2);
        for (const QString &name : stale)
            QVERIFY2(!QFile::exists(dir.filePath(name)), qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFile::exists(dir.filePath(name)), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TstAtomicFile)
#include "tst_atomicfile.moc"
