// Beaker registry: the beaker and registry files against hand-written bytes,
// code validation, content rules, synchronisation times and damaged files.

#include "TempRoot.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "platform/clock.h"
#include "platform/report.h"

#include <QtTest>

#include <memory>

namespace {

constexpr uint32_t T0 = 0x65000000; // 2023-09-12

// "AB.123456" in the stream's string encoding.
const char *const kCodeHex = "00000012"
                             "00410042002e003100320033003400350036";

QByteArray beakerFile()
{
    // code, type "2", created T0, expires 0x65100000, 65 portions left,
    // recipe 10000, recipe type 1 (milling).
    return QByteArray::fromHex(QByteArray(kCodeHex) + "000000020032" "65000000" "65100000" "41" "00002710" "01");
}

GlassElement bigBeaker()
{
    GlassElement g;
    g.setGlassCode("AB.123456");
    g.setGlassType("2");
    g.setCreationDate(T0);
    g.setDeadLineDate(0x65100000);
    g.setRecipeCode(10000);
    g.setRecipeType(1);
    g.initResidualContent();
    return g;
}

QString beakerPath(const TempRoot &root, const QString &code)
{
    return root.path("/home/root/glasses/" + code + ".cont");
}

} // namespace

class TestBeakers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GlassElementsList> registry;
    GlassElementsList *savedRegistry = nullptr;
    QStringList reports;

private slots:
    void init()
    {
        savedRegistry = glassList;
        registry = std::make_unique<GlassElementsList>();
        glassList = registry.get();
        platform::setFixedNow(T0);
        reports.clear();
        platform::setOperatorReporter([this](const std::string &m) { reports << QString::fromStdString(m); });
    }
    void cleanup()
    {
        glassList = savedRegistry;
        registry.reset();
        platform::clearFixedNow();
        platform::setOperatorReporter(nullptr);
    }

    void codeValidation_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("valid");
        QTest::newRow("two letters, six digits") << "AB.123456" << true;
        QTest::newRow("leading zeros") << "AB.000001" << true;
        QTest::newRow("short number") << "ABCDEFG.1" << true;
        QTest::newRow("empty first part") << ".00012345" << true;
        QTest::newRow("blank and non-ASCII") << QString::fromUtf8("a é.12345") << true;
        QTest::newRow("8 characters") << "A.123456" << false;
        QTest::newRow("10 characters") << "ABC.123456" << false;
        QTest::newRow("number 0") << "AB.000000" << false;
        QTest::newRow("number 1000000") << "A.1000000" << false;
        QTest::newRow("no dot") << "AB1234567" << false;
        QTest::newRow("letter in number") << "AB.12345a" << false;
        QTest::newRow("second dot") << "AB.12.456" << false;
        QTest::newRow("signed number") << "AB.+12345" << false;
        QTest::newRow("blank in number") << "AB. 12345" << false;
        QTest::newRow("slash") << "A/.123456" << false;
        QTest::newRow("backslash") << "A\\.123456" << false;
        QTest::newRow("up a folder") << "../123456" << false;
        QTest::newRow("line end") << "A\n.123456" << false;
        QTest::newRow("nul") << QString::fromLatin1("A\0.123456", 9) << false;
        QTest::newRow("delete character") << "A\x7f.123456" << false;
    }
    void codeValidation()
    {
        QFETCH(QString, code);
        QFETCH(bool, valid);
        GlassElement g;
        QVERIFY(g.setGlassCode("ZZ.999999"));
        QCOMPARE(g.setGlassCode(code), valid);
        QCOMPARE(g.getGlassCode(), valid ? code : QStringLiteral("ZZ.999999"));
        QCOMPARE(g.setGlassCode(code.toStdString()), valid);
    }

    void typeAndFullContent()
    {
        GlassElement g;
        for (const char *bad : {"", "0", "3", "12", " 1", "a", "002"})
            QVERIFY2(!g.setGlassType(bad), bad);
        QVERIFY(g.getGlassType().isEmpty());
        QVERIFY(g.setGlassType("2"));
        QVERIFY(g.initResidualContent());
        QCOMPARE(int(g.getResidualContent()), 65);
        QVERIFY(g.setGlassType(std::string("01")));
        QVERIFY(g.initResidualContent());
        QCOMPARE(int(g.getResidualContent()), 40);
        QVERIFY(g.setGlassType("02"));
        QCOMPARE(int(g.getFullContent()), 65);
    }

    void fieldRules()
    {
        GlassElement g;
        QVERIFY(!g.setCreationDate(T0 - 366u * 86400u));
        QVERIFY(!g.setCreationDate(T0 - GlassElement::ONE_YEAR));
        QCOMPARE(g.getCreationDate(), 0u);
        QVERIFY(g.setCreationDate(T0 - GlassElement::ONE_YEAR + 1));
        QVERIFY(g.setCreationDate());
        QCOMPARE(g.getCreationDate(), T0);
        QVERIFY(!g.setDeadLineDate(T0));
        QVERIFY(g.setDeadLineDate(T0 + 1));
        QVERIFY(!g.setRecipeCode(0));
        QVERIFY(g.setRecipeCode(42));
        QVERIFY(!g.setRecipeType(0));
        QVERIFY(!g.setRecipeType(4));
        QVERIFY(g.setRecipeType(3));
        QCOMPARE(int(g.getRecipeType()), 3);
        QVERIFY(!g.isLoad());
    }

    void saveWritesBeakerAndRegistry()
    {
        TempRoot root;
        GlassElement g = bigBeaker();
        QVERIFY(g.Save("op"));
        QCOMPARE(root.readFile("/home/root/glasses/AB.123456.cont").toHex(), beakerFile().toHex());

        const QByteArray code = QByteArray::fromHex(kCodeHex);
        const QByteArray expected = QByteArray::fromHex("00000001" "65000000") + code // updateList
                                    + QByteArray::fromHex("00000001") + code + QByteArray::fromHex("65000000")
                                    + QByteArray::fromHex("00000001") + code
                                    + QByteArray::fromHex("00000004006f0070") // userUpdateList
                                    + QByteArray::fromHex("00000000" "00000000"); // no deletions
        QCOMPARE(root.readFile("/home/root/glasses//glass.list").toHex(), expected.toHex());

        GlassElementsList reread;
        QVERIFY(reread.Load());
        QCOMPARE(reread.getGlassCodeList(), QStringList{"AB.123456"});
        QCOMPARE(reread.getGlassUpdate("AB.123456"), T0);
        QCOMPARE(reread.getUser("AB.123456"), QStringLiteral("op"));
    }

    void loadReadsTheHandWrittenFile()
    {
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/glasses/AB.123456.cont", beakerFile()));
        GlassElement g;
        QVERIFY(g.setGlassCode("AB.123456"));
        QVERIFY(g.Load());
        QVERIFY(g.isLoad());
        QCOMPARE(g.getGlassType(), QStringLiteral("2"));
        QCOMPARE(g.getCreationDate(), T0);
        QCOMPARE(g.getDeadLineDate(), 0x65100000u);
        QCOMPARE(int(g.getResidualContent()), 65);
        QCOMPARE(g.getRecipeCode(), 10000u);
        QCOMPARE(int(g.getRecipeType()), 1);
    }

    void damagedBeakerFilesLeaveAnEmptyElement_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut before the recipe type") << beakerFile().left(beakerFile().size() - 1);
        QTest::newRow("cut inside the code") << beakerFile().left(7);
        QTest::newRow("huge code length") << QByteArray::fromHex("7ffffff000410042");
        QTest::newRow("garbage") << QByteArray(64, '\xee');
        // A stored code that would point the next save outside the folder.
        QTest::newRow("stored code leaves the folder")
            << QByteArray::fromHex("00000012002e002e002f002e00310032003300340035" "000000020032"
                                   "65000000" "65100000" "41" "00002710" "01");
    }
    void damagedBeakerFilesLeaveAnEmptyElement()
    {
        QFETCH(QByteArray, content);
        TempRoot root;
        QVERIFY(root.writeFile("/home/root/glasses/AB.123456.cont", content));
        GlassElement g;
        QVERIFY(g.setGlassCode("AB.123456"));
        QVERIFY(!g.Load());
        QVERIFY(!g.isLoad());
        QVERIFY(g.getGlassCode().isEmpty());
        QCOMPARE(g.getRecipeCode(), 0u);
    }

    void missingBeakerFile()
    {
        TempRoot root;
        GlassElement g;
        QVERIFY(g.setGlassCode("AB.123456"));
        QVERIFY(!g.Load());
        QVERIFY(!g.isLoad());
        GlassElement empty;
        QVERIFY(!empty.Load());
    }

    void elementWithoutCodeTouchesNoFile()
    {
        TempRoot root;
        GlassElement g;
        QVERIFY(g.setGlassType("1"));
        QVERIFY(!g.Save("op"));
        QVERIFY(!g.Delete("op"));
        g.decreaseGlassContent(1);
        QVERIFY(!QFile::exists(root.path("/home/root/glasses/.cont")));
        QVERIFY(!QFile::exists(root.path("/home/root/glasses//glass.list")));
        QCOMPARE(glassList->getLastUpdate(), 0u);
    }

    void emptyingABeakerDeletesIt()
    {
        TempRoot root;
        GlassElement g = bigBeaker();
        QVERIFY(g.setResidualContent(7));
        QCOMPARE(int(g.getResidualContent()), 7);
        QVERIFY(QFile::exists(beakerPath(root, "AB.123456")));

        platform::advanceFixedNow(60);
        QVERIFY(g.decreaseGlassContent(5)); // 2 left: the beaker is used up
        QVERIFY(!QFile::exists(beakerPath(root, "AB.123456")));
        QVERIFY(!g.isLoad());
        QVERIFY(!glassList->contains("AB.123456"));
        QCOMPARE(glassList->getAllDeleteGlass(T0 + 60), QStringList{"AB.123456"});
        QCOMPARE(glassList->getGlassUpdate("AB.123456"), T0 + 60);
        GlassElementsList reread;
        QVERIFY(reread.Load());
        QCOMPARE(reread.getAllDeleteGlass(0), QStringList{"AB.123456"});
    }

    void contentAboveTwoIsKept()
    {
        TempRoot root;
        GlassElement g = bigBeaker();
        QVERIFY(g.setResidualContent(8));
        QVERIFY(g.decreaseGlassContent(5));
        QCOMPARE(int(g.getResidualContent()), 3);
        GlassElement reread;
        QVERIFY(reread.setGlassCode("AB.123456"));
        QVERIFY(reread.Load());
        QCOMPARE(int(reread.getResidualContent()), 3);

        QVERIFY(g.decreaseGlassContent(-200)); // cannot overfill
        QCOMPARE(int(g.getResidualContent()), 65);
        QVERIFY(g.setResidualContent(65));
        QVERIFY(QFile::exists(beakerPath(root, "AB.123456")));
        QVERIFY(g.setResidualContent(66)); // more than a big beaker holds
        QVERIFY(!QFile::exists(beakerPath(root, "AB.123456")));

        GlassElement small = bigBeaker();
        QVERIFY(small.setGlassType("1"));
        QVERIFY(small.setResidualContent(41));
        QVERIFY(!small.isLoad());
        GlassElement low = bigBeaker();
        QVERIFY(low.setResidualContent(2));
        QVERIFY(!low.isLoad());
    }

    void synchronisationTimes()
    {
        TempRoot root;
        GlassElement a = bigBeaker();
        QVERIFY(a.Save("op"));
        GlassElement b = bigBeaker();
        QVERIFY(b.setGlassCode("CD.000002"));
        platform::advanceFixedNow(10);
        QVERIFY(b.Save("remote"));
        QCOMPARE(glassList->getAllUpdateGlass(T0), (QStringList{"CD.000002", "AB.123456"}));
        QCOMPARE(glassList->getAllUpdateGlass(T0 + 1), QStringList{"CD.000002"});
        QCOMPARE(glassList->getAllUpdateGlass(T0 + 11), QStringList());
        QCOMPARE(glassList->getLastUpdate(), T0 + 10);
        QCOMPARE(glassList->getGlassCodeList(), (QStringList{"AB.123456", "CD.000002"}));

        platform::advanceFixedNow(10);
        QVERIFY(a.Save("op")); // moves to the newest time
        QCOMPARE(glassList->getAllUpdateGlass(T0 + 15), QStringList{"AB.123456"});
        QCOMPARE(a.getUpdate(), T0 + 20);
        QCOMPARE(glassList->getAllUpdateGlass(0).size(), 2);

        platform::advanceFixedNow(10);
        QVERIFY(a.Delete("op"));
        QCOMPARE(glassList->getLastUpdate(), T0 + 30);
        QCOMPARE(glassList->getGlassUpdate("AB.123456"), T0 + 30);
        QCOMPARE(glassList->getGlassUpdate("XX.000001"), 0u);
    }

    void changesInTheSameSecondKeepOtherBeakers()
    {
        TempRoot root;
        GlassElement a = bigBeaker();
        GlassElement b = bigBeaker();
        QVERIFY(b.setGlassCode("CD.000002"));
        QVERIFY(a.Save("op"));
        QVERIFY(b.Save("op")); // same second: only b keeps the time slot
        platform::advanceFixedNow(5);
        // Moving a away from that time must not take b's entry with it.
        QVERIFY(a.Save("op"));
        QCOMPARE(glassList->getAllUpdateGlass(T0), (QStringList{"AB.123456", "CD.000002"}));
    }

    void reusedCodeIsNoLongerReportedDeleted()
    {
        TempRoot root;
        GlassElement g = bigBeaker();
        QVERIFY(g.Save("op"));
        platform::advanceFixedNow(5);
        QVERIFY(g.Delete("op"));
        QCOMPARE(glassList->getAllDeleteGlass(0), QStringList{"AB.123456"});
        platform::advanceFixedNow(5);
        GlassElement again = bigBeaker();
        QVERIFY(again.Save("op"));
        QCOMPARE(glassList->getAllDeleteGlass(0), QStringList());
        QCOMPARE(glassList->getAllUpdateGlass(0), QStringList{"AB.123456"});
        QCOMPARE(glassList->getGlassUpdate("AB.123456"), T0 + 10);
    }

    void damagedRegistryIsNotLoaded()
    {
        TempRoot root;
        GlassElementsList list;
        QVERIFY(!list.Load()); // missing
        for (const QByteArray &bad :
             {QByteArray::fromHex("000000"), QByteArray::fromHex("ffffffff" "65000000"),
              QByteArray::fromHex("00000001" "65000000" "7ffffff0"), QByteArray(100, '\x41')}) {
            QVERIFY(root.writeFile("/home/root/glasses//glass.list", bad));
            QVERIFY(!list.Load());
            QCOMPARE(list.getLastUpdate(), 0u);
            QVERIFY(list.getGlassCodeList().isEmpty());
        }
    }

    void failedSaveIsReported()
    {
        TempRoot root;
        // A file where the beakers' folder should be: nothing can be written.
        QVERIFY(root.writeFile("/home/root/glasses", "not a folder"));
        GlassElement g = bigBeaker();
        QVERIFY(!g.Save("op"));
        QCOMPARE(reports, QStringList{"Recipe Saving Error."});
        QVERIFY(!glassList->contains("AB.123456"));
    }

    void byteFormForTheRemoteApplication()
    {
        TempRoot root;
        GlassElement g = bigBeaker();
        QVERIFY(g.Save("op"));
        const ByteVector bytes = g.toByte();
        const QByteArray expected = QByteArray::fromHex("09" "41422e313233343536" // code
                                                        "01" "32"                 // type
                                                        "65000000" "65100000"     // created, expires
                                                        "00002710" "01"           // recipe code, type
                                                        "00000041"                // portions left
                                                        "65000000");              // last change
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())).toHex(),
                 expected.toHex());
    }
};

QTEST_GUILESS_MAIN(TestBeakers)
#include "tst_beakers.moc"
