// Beaker registry: the beaker and registry files against hand-written bytes,
// code validation, content rules, synchronisation times and damaged files.

#include "TempRoot.h"
#include "workprogram_helpers.h"

#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "platform/clock.h"

#include <QtTest>

#include <memory>

namespace {

constexpr uint32_t T0 = 0x65000000; // 2023-09-12
const char *const BEAKER = "/home/root/glasses/AB.123456.cont";
const char *const REGISTRY = "/home/root/glasses//glass.list";

// "AB.123456" in the stream's string encoding.
const char *const CODE_HEX = "00000012 00410042002e003100320033003400350036";

// bigBeaker() created at T0: code, type "2", created T0, expires 0x65100000,
// 65 portions left, recipe 10000, recipe type 1 (milling).
QByteArray beakerFile()
{
    return hexBytes(QByteArray(CODE_HEX) + "00000002 0032  65000000 65100000 41 00002710 01");
}

} // namespace

class TestBeakers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempRoot> root;
    std::unique_ptr<FreshStores> stores;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        stores = std::make_unique<FreshStores>();
        platform::setFixedNowForTests(T0);
    }
    void cleanup()
    {
        stores.reset();
        root.reset();
        platform::clearFixedNowForTests();
    }

    // Nine characters, a number from 1 to 999999 after the first dot, and
    // nothing that could leave the beakers' folder.
    void codeValidation()
    {
        GlassElement g;
        for (const QString &code : QStringList{"AB.123456", ".00012345", QString::fromUtf8("a é.12345")})
            QVERIFY2(g.setGlassCode(code) && g.getGlassCode() == code, qPrintable(code));
        for (const QString &code :
             QStringList{"A.123456", "AB.000000", "A.1000000", "AB1234567", "AB.12345a", "AB.+12345", "A/.123456",
                         "A\\.123456", "../123456", "A\n.123456", QString::fromLatin1("A\0.123456", 9)}) {
            QVERIFY2(!g.setGlassCode(code), qPrintable(code));
            QCOMPARE(g.getGlassCode(), QString::fromUtf8("a é.12345"));
        }
    }

    void fieldRules()
    {
        GlassElement g;
        for (const char *bad : {"", "0", "3", "12", " 1", "002"})
            QVERIFY2(!g.setGlassType(bad), bad);
        QVERIFY(g.setGlassType("01"));

        QVERIFY(!g.setCreationDate(T0 - GlassElement::ONE_YEAR)); // at most a year old
        QVERIFY(g.setCreationDate(T0 - GlassElement::ONE_YEAR + 1));
        QVERIFY(!g.setDeadLineDate(T0 - GlassElement::ONE_YEAR + 1)); // after the creation
        QVERIFY(!g.setRecipeCode(0));
        QVERIFY(!g.setRecipeType(4));
    }

    void beakerAndRegistryFiles()
    {
        GlassElement g = bigBeaker();
        QVERIFY(g.Save("op"));
        QCOMPARE(root->readFile(BEAKER).toHex(), beakerFile().toHex());
        const QByteArray code = hexBytes(CODE_HEX);
        const QByteArray expected = hexBytes("00000001 65000000") + code // time -> code
                                    + hexBytes("00000001") + code + hexBytes("65000000") // code -> time
                                    + hexBytes("00000001") + code + hexBytes("00000004 006f0070") // code -> user "op"
                                    + hexBytes("00000000 00000000"); // no deletions
        QCOMPARE(root->readFile(REGISTRY).toHex(), expected.toHex());

        // The hand-written file loads field by field: the remote protocol's
        // form (code, type, created, expires, recipe, type, portions, change).
        const QByteArray remote = hexBytes("0941422e313233343536 0132 65000000 65100000 0000271001 00000041 65000000");
        QCOMPARE(toQByteArray(g.toByte()).toHex(), remote.toHex());
        QVERIFY(root->writeFile(BEAKER, beakerFile()));
        GlassElement l;
        QVERIFY(l.setGlassCode("AB.123456"));
        QVERIFY(l.Load());
        QCOMPARE(toQByteArray(l.toByte()).toHex(), remote.toHex());
    }

    void damagedFilesAreNotLoaded()
    {
        // The last one holds a code that would point the next save outside the folder.
        for (const QByteArray &content :
             {QByteArray(), beakerFile().chopped(1), beakerFile().left(7), hexBytes("7ffffff000410042"),
              QByteArray(64, '\xee'), hexBytes("00000012 002e002e002f002e003100320033003400") + beakerFile().mid(21)}) {
            QVERIFY(root->writeFile(BEAKER, content));
            GlassElement g;
            QVERIFY(g.setGlassCode("AB.123456"));
            QVERIFY2(!g.Load() && !g.isLoad(), content.toHex().constData());
            QCOMPARE(g.getRecipeCode(), 0u);
        }
        GlassElementsList list;
        for (const QByteArray &bad : {hexBytes("000000"), hexBytes("ffffffff 65000000"),
                                      hexBytes("00000001 65000000 7ffffff0"), QByteArray(100, '\x41')}) {
            QVERIFY(root->writeFile(REGISTRY, bad));
            QVERIFY(!list.Load());
            QCOMPARE(list.getLastUpdate(), 0u);
        }
    }

    void failedOrPointlessSaves()
    {
        GlassElement g; // without a code no file is touched
        QVERIFY(g.setGlassType("1"));
        QVERIFY(!g.Save("op"));
        QVERIFY(!g.Delete("op"));
        g.decreaseGlassContent(1);
        QVERIFY(!QFile::exists(root->path("/home/root/glasses/.cont")));
        QCOMPARE(glassList->getLastUpdate(), 0u);

        // A file where the beakers' folder should be: nothing can be written.
        OperatorMessages shown;
        QVERIFY(root->writeFile("/home/root/glasses", "not a folder"));
        QVERIFY(!bigBeaker().Save("op"));
        QCOMPARE(shown.messages, QStringList{"Recipe Saving Error."});
        QVERIFY(!glassList->contains("AB.123456"));
    }

    // A beaker is kept while more than two portions are left.
    void residualContent()
    {
        GlassElement g = bigBeaker();
        QVERIFY(g.setResidualContent(8));
        QVERIFY(g.decreaseGlassContent(5));
        QCOMPARE(int(root->readFile(BEAKER).at(36)), 3); // the portions left, stored
        QVERIFY(g.decreaseGlassContent(-200)); // cannot overfill
        QCOMPARE(int(g.getResidualContent()), 65);
        QVERIFY(g.setResidualContent(66)); // more than a big beaker holds
        QVERIFY(!QFile::exists(root->path(BEAKER)));

        GlassElement e = bigBeaker();
        QVERIFY(e.setResidualContent(7));
        platform::advanceFixedNowForTests(60);
        QVERIFY(e.decreaseGlassContent(5)); // 2 left: used up
        QVERIFY(!QFile::exists(root->path(BEAKER)));
        QCOMPARE(glassList->getAllDeleteGlass(T0 + 60), QStringList{"AB.123456"});
    }

    // Of several beakers changed in one second none is lost: all are listed
    // (the later change first), stored and read back, and moving or deleting
    // one leaves the others where they were. Deleted codes are listed until
    // used again.
    void changesInOneSecondAllCount()
    {
        const QStringList codes{"AB.000001", "AB.000002", "AB.000003"};
        for (const QString &code : codes)
            QVERIFY(bigBeaker(code).Save("op"));
        QCOMPARE(glassList->getAllUpdateGlass(T0), (QStringList{"AB.000003", "AB.000002", "AB.000001"}));
        GlassElementsList back;
        QVERIFY(back.Load());
        QCOMPARE(back.getAllUpdateGlass(T0), (QStringList{"AB.000003", "AB.000002", "AB.000001"}));

        platform::advanceFixedNowForTests(10);
        QVERIFY(bigBeaker("AB.000002").Save("op"));
        QCOMPARE(glassList->getAllUpdateGlass(0), (QStringList{"AB.000002", "AB.000003", "AB.000001"}));
        QCOMPARE(glassList->getAllUpdateGlass(T0 + 1), QStringList{"AB.000002"});
        for (const char *code : {"AB.000001", "AB.000003"}) {
            GlassElement g;
            QVERIFY(g.setGlassCode(code) && g.Load());
            QVERIFY(g.Delete("op"));
        }
        QCOMPARE(glassList->getAllDeleteGlass(T0 + 10), (QStringList{"AB.000003", "AB.000001"}));
        QCOMPARE(glassList->getAllUpdateGlass(0), QStringList{"AB.000002"});

        // A code used again is no longer reported deleted.
        platform::advanceFixedNowForTests(5);
        QVERIFY(bigBeaker("AB.000001").Save("op"));
        QCOMPARE(glassList->getAllDeleteGlass(0), QStringList{"AB.000003"});
        QCOMPARE(glassList->getGlassUpdate("AB.000001"), T0 + 15);
    }

    // Equal times are stored as repeated keys, the earlier change first (the
    // stream's order for a map with several values under one key); such a
    // file reads back whole and is written again unchanged.
    void repeatedTimesInTheRegistryFile()
    {
        QVERIFY(bigBeaker("AB.000001").Save("op"));
        QVERIFY(bigBeaker("AB.000002").Save("op"));
        const QByteArray one = hexBytes("00000012 00410042002e003000300030003000300031");
        const QByteArray two = hexBytes("00000012 00410042002e003000300030003000300032");
        const QByteArray user = hexBytes("00000004 006f0070");
        const QByteArray expected = hexBytes("00000002 65000000") + one + hexBytes("65000000") + two
                                    + hexBytes("00000002") + two + hexBytes("65000000") + one + hexBytes("65000000")
                                    + hexBytes("00000002") + two + user + one + user + hexBytes("00000000 00000000");
        QCOMPARE(root->readFile(REGISTRY).toHex(), expected.toHex());
        GlassElementsList back;
        QVERIFY(back.Load());
        QCOMPARE(back.getAllUpdateGlass(0), (QStringList{"AB.000002", "AB.000001"}));
        QVERIFY(back.Save());
        QCOMPARE(root->readFile(REGISTRY).toHex(), expected.toHex());
    }

    // A registered beaker whose file is already gone is deleted: the registry
    // records it, and the answer says so. Nothing left to delete is refused.
    void deletingABeakerWhoseFileIsGone()
    {
        QVERIFY(bigBeaker().Save("op"));
        QVERIFY(QFile::remove(root->path(BEAKER)));
        platform::advanceFixedNowForTests(5);
        GlassElement g = bigBeaker();
        QVERIFY(g.Delete("op"));
        QCOMPARE(glassList->getAllDeleteGlass(T0 + 5), QStringList{"AB.123456"});
        QVERIFY(!glassList->contains("AB.123456"));
        QVERIFY(!bigBeaker().Delete("op"));
    }
};

QTEST_GUILESS_MAIN(TestBeakers)
#include "tst_beakers.moc"
