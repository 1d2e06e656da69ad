// Two threads changing and saving one store at once, as the screens and the
// remote interpreter do: no change is lost or handed the same code twice, and
// the file left behind always holds the final state (a save never lands
// after a later one).

#include "SmallDisk.h"
#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "platform/clock.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <thread>

namespace {

constexpr uint32_t T0 = 1700000000;
constexpr int ROUNDS = 60; // each from an empty store
constexpr int CHANGES = 40; // per thread and round

void inTwoThreads(const std::function<void(int thread)> &work)
{
    std::thread a(work, 0);
    std::thread b(work, 1);
    a.join();
    b.join();
}

// The file the threads left holds the final state: saving it once more
// changes nothing.
bool holdsTheFinalState(const QString &file, const std::function<bool()> &save)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray left = f.readAll();
    f.close();
    return save() && f.open(QIODevice::ReadOnly) && f.readAll() == left;
}

QString beakerCode(int thread, int i)
{
    return QString("%1X.%2").arg(char('A' + thread)).arg(1 + i, 6, 10, QChar('0'));
}

} // namespace

class TestConcurrentSaves : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;
    std::unique_ptr<SmallDisk> ram;
    std::unique_ptr<FreshStores> stores;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        // In memory where that can be had: without waits for the disk the two
        // threads' saves overlap far more often.
        ram = std::make_unique<SmallDisk>(root->path("/home/root"), "64m");
        root->mkpath("/home/root/recipes/milling");
        root->mkpath("/home/root/glasses");
        stores = std::make_unique<FreshStores>();
        platform::setFixedNowForTests(T0);
    }
    void cleanup()
    {
        platform::clearFixedNowForTests();
        stores.reset();
        ram.reset();
        root.reset();
    }

    void beakerRegistryKeepsTheNewestState()
    {
        const QString file = QString::fromStdString(GlassElementsList::filePath());
        for (int round = 0; round < ROUNDS; ++round) {
            stores->freshRegistry();
            inTwoThreads([](int thread) {
                for (int i = 0; i < CHANGES; ++i) {
                    GlassElement g;
                    g.setGlassCode(beakerCode(thread, i));
                    g.setGlassType("1");
                    g.setRecipeCode(10000);
                    g.Save(QString::number(thread));
                }
            });
            QVERIFY2(holdsTheFinalState(file, [] { return glassList->Save(); }),
                     qPrintable(QString("round %1").arg(round)));
            QCOMPARE(glassList->getGlassCodeList().size(), 2 * CHANGES);
        }
    }

    void recipeListKeepsTheNewestState()
    {
        for (int round = 0; round < ROUNDS; ++round) {
            replaceRecipeLists();
            RecipeElementList &list = *recipesMillingList;
            inTwoThreads([&list](int thread) {
                for (int i = 0; i < CHANGES; ++i) {
                    list.generateId(QString("%1-%2").arg(thread).arg(i), false, "op");
                    list.Save();
                }
            });
            QVERIFY2(holdsTheFinalState(list.userFilePath(), [&list] { return list.Save(); }),
                     qPrintable(QString("round %1").arg(round)));
            // Every name got a code of its own.
            QList<uint> codes = list.getAllUpdateRecipe(0);
            std::sort(codes.begin(), codes.end());
            QCOMPARE(codes.size(), 2 * CHANGES);
            QCOMPARE(codes.last(), 10000u + 2 * CHANGES - 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestConcurrentSaves)
#include "tst_concurrentsaves.moc"
