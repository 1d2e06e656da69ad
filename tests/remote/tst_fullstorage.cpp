// Remote changes on a full flash (a small RAM file system over the sandbox's
// /home/root, the SD card with room): a change whose recipe list cannot be
// written is answered 0xFE, not with an update time that was never stored.

#include "SmallDisk.h"
#include "support_remote.h"

#include "data/RecipeElementList.h"
#include "platform/clock.h"
#include "platform/log.h"

#include <QtTest>

using namespace remotetest;

namespace {

constexpr uint32_t T0 = 1700000000;

// The answer's payload, without the checksum that ends it.
ByteVector interpret(const ByteVector &payload)
{
    ByteVector answer =
        ProtocolTCP::ByteUnstuffing(ProtocolTCP::InterpretCommand(frame(payload)), kPlaceholderSerialNumber);
    if (!answer.empty())
        answer.pop_back();
    return answer;
}

} // namespace

class TstFullStorage : public QObject
{
    Q_OBJECT

private slots:
    void addIngredientOnAFullFlash()
    {
        TempRoot root;
        SmallDisk disk(root.path("/home/root"), "256k");
        if (!disk.mounted())
            QSKIP("a small file system cannot be mounted here");
        root.mkpath("/home/root/recipes/whipping");
        root.mkpath("/mnt/mmc-memory/recipes/whipping");
        platform::setLogSink([](const std::string &) {});
        platform::setFixedNowForTests(T0);
        serialNumber = std::string();
        createRecipeLists();
        WorkSettings recipe;
        recipe.path = "whipping";
        recipe.filename = "Gelato";
        QVERIFY(recipe.Save("op"));
        QCOMPARE(recipe.filename, QString("10000"));

        platform::setFixedNowForTests(T0 + 5);
        QVERIFY(disk.fill() > 0);
        const ByteVector add = Req(0x0D).u32(10000).byte(3).text("Limone").text("200 g").text("anna");
        QCOMPARE(interpret(add), bytes({0x0D, 0x70, 0xFE}));
        QVERIFY(!QFile::exists(root.path("/mnt/mmc-memory/recipes/whipping/10000.seq")));
        QCOMPARE(recipesWhippingList->getRecipeUpdate(10000u), T0);
        QCOMPARE(interpret(Req(0x8B).u32(10000).byte(3).byte(0)), bytes({0x8B, 0x7F, 0, 0}));

        // With room again the same request is taken, with its new time.
        disk.release(1000);
        QCOMPARE(interpret(add), bytes({0x0D, 0x7F}) + toByteArray(T0 + 5) + toByteArray(T0));
        platform::clearFixedNowForTests();
        platform::setLogSink(nullptr);
    }
};

QTEST_GUILESS_MAIN(TstFullStorage)
#include "tst_fullstorage.moc"
