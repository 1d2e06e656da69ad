// Work programs: step editing rules, extra cycles, run statistics, time
// estimates, the work sequence frames sent to the board, the program files
// and the recipe index lists (code assignment, change and deletion history
// keyed by the pinned clock), the remote byte form and the work report,
// checked against layouts written out by hand.

#include "workprogram_helpers.h"

#include "TempRoot.h"
#include "data/GlassElementsList.h"
#include "data/SequenceMsg.h"
#include "data/Tables.h"
#include "data/WorkSettings.h"
#include "link/SharedState.h"
#include "platform/clock.h"

#include <QtTest>

#include <memory>

namespace {

// The cutting soft preset with minimum stock 12 and reference glass 3, as
// stored (61 bytes): four header bytes, 7 milling steps, 8 emulsion steps in
// the order cut, immersion, intensity, type, pause, then extra cycles, stock,
// glass.
const char *const CUTTING_SOFT_FILE = "08 00 00 7f"
                                      "0302 0302 0302 0302 0101 0101 0101"
                                      "03050a0f00 03020a0f00 03050a0f00 010000007f"
                                      "03050a0f00 010000007f 03050a0f00 010000007f"
                                      "00 0c 03";

// A guest program behind one command byte: name "Gelato", cutting, minimum
// stock 300 (only the low byte counts), glass 3, then the step bytes.
const char *const GUEST = "11  06 47656c61746f  02 0000012c 03  08 0f 0a 00"
                          "0302 0302 0302 0302 0101 0101 0101"
                          "03050a0f00 010000007f 010000007f 010000007f"
                          "010000007f 010000007f 010000007f 010000007f  02";

const char *const DETAILS = "/mnt/mmc-memory/recipes/milling/10000.seq";
const char *const LIST_FILE = "/home/root/recipes/milling/recipes.list";

// Two user recipes, "A" (10000, changed at 100) and "B" (10001, at 200 or,
// with sameSecond, at 100 too), both by "u"; nothing deleted. Maps go out
// largest key first (equal keys the earlier change first); the hash of users
// in either order.
QByteArray twoRecipeFile(bool hashInKeyOrder, bool sameSecond = false)
{
    return hexBytes(sameSecond ? "00002711  00000002 00000064 00002710 00000064 00002711  00000002 00002711 00000064 "
                                 "00002710 00000064  00000002"
                               : "00002711  00000002 000000c8 00002711 00000064 00002710  00000002 00002711 000000c8 "
                                 "00002710 00000064  00000002")
           + hexBytes(hashInKeyOrder ? "00002710 00000002 0075  00002711 00000002 0075"
                                     : "00002711 00000002 0075  00002710 00000002 0075")
           + hexBytes("00000002 00000002 0042 00002711  00000002 0041 00002710"
                      "00000002 00002711 00000002 0042  00002710 00000002 0041  00000000  00000000");
}

QList<QByteArray> drain(std::queue<ByteVector> frames)
{
    QList<QByteArray> out;
    for (; !frames.empty(); frames.pop())
        out << toQByteArray(frames.front());
    return out;
}

} // namespace

class TestWorkPrograms : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;

private slots:
    void init()
    {
        root = std::make_unique<TempRoot>();
        root->mkpath("/home/root/recipes/milling");
        root->mkpath("/mnt/mmc-memory/recipes/milling");
        replaceRecipeLists();
        platform::setFixedNowForTests(100);
    }
    void cleanup()
    {
        platform::clearFixedNowForTests();
        reworkSet = false;
        replaceRecipeLists(false);
        root.reset();
    }

    // Indexes and heights from damaged files or remote programs must not
    // reach past the seven milling and eight emulsion steps.
    void stepEditingStaysInsideTheSteps()
    {
        WorkSettings w;
        w.setPortionDimension(200);
        w.setMillingSteps(5, 4);
        QCOMPARE(w.millingStepsInUse(), 7);
        w.setMillingSteps(2, 2, 7);
        w.setMillingSteps(2, 2, -1);
        QCOMPARE(int(w.getMillingSteps(7).CutSpeed), 0);
        w.enableMillingSteps(6); // no step 7 to copy into
        QCOMPARE(int(w.getMillingSteps(6).CutSpeed), 5);

        w.setEmulsionSteps(0, 4, 5, 15, 10, 0);
        w.enableEmulsionSteps(1); // a copy of step 0, and step 3 follows
        QCOMPARE(int(w.getEmulsionSteps(3).CutSpeed), 4);
        QCOMPARE(w.getEnabledEmulsionSteps(), 2); // step 2 still off: step 3 does not count
        w.setEmulsionSteps(0, 2, 2, 0, 0, 6);
        w.enableEmulsionSteps(7); // nothing two places on
        QCOMPARE(int(w.getEmulsionSteps(7).CutSpeed), 2);
        w.setEmulsionSteps(30, 6, 2, 1, 1, 1);
        w.enableEmulsionStepsSimple(1, true); // nothing two steps back
        QCOMPARE(int(w.getEmulsionSteps(1).CutSpeed), 6);
        w.ingredientList = QStringList{"Caffè"};
        QCOMPARE(w.getQty(0), std::string()); // the parallel list may be short
    }

    void extraCyclesAndRepetitions()
    {
        WorkSettings l;
        QVERIFY(!l.setExtraEmulsionStep(7)); // ordinary programs: six at most
        QCOMPARE(int(l.getExtraEmulsionStep()), 6);
        l.setEmulsionWorkingMode(127); // built-in ones: seven
        QVERIFY(l.setExtraEmulsionStep(7));

        // Cycles run, and the repetitions the board is sent (one fewer).
        WorkSettings w;
        QCOMPARE(int(w.getTotalEmulsionCicle()), 1); // the milling climb is a cycle of its own
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{0});
        for (int i = 0; i < 3; ++i)
            w.setEmulsionSteps(0, 3, 5, 15, 10, i);
        w.setExtraEmulsionStep(2);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 4);
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{3});
        w.setEmulsionWorkingMode(127);
        QCOMPARE(int(w.getTotalEmulsionCicle()), 3);
        QCOMPARE(w.getEmulsionRepetionCmdByte(), ByteVector{2});
        l.setExtraEmulsionStep(0); // built-in, nothing to run: seven bits of -1
        QCOMPARE(l.getEmulsionRepetionCmdByte(), ByteVector{0x7f});
    }

    void statisticsTrackMinMaxAndMean()
    {
        const double *t = temperatureConversionTable;
        WorkSettings w;
        w.registerNewTemperature(128); // not a 7-bit sample
        w.registerNewTemperature(255);
        QCOMPARE(w.temperatureCount, uint32_t(0));
        for (const uint8_t raw : {64, 10, 99})
            w.registerNewTemperature(raw);
        QCOMPARE(w.temperatureMin, t[99]);
        QCOMPARE(w.temperatureMax, t[10]);
        QCOMPARE(w.temperatureMid, (t[64] + t[10] + t[99]) / 3);
    }

    // Speed index 0 (standstill) and indexes outside the table must add
    // nothing rather than divide by zero.
    void timeEstimates()
    {
        WorkSettings w; // portion height 8: four steps per portion
        w.setMillingSteps(1, 2, 0); // 2 / 0.56
        w.setMillingSteps(1, 4, 1); // 2 / 1.0
        w.setMillingSteps(1, 0, 2); // standstill
        w.setMillingSteps(1, 5, 3); // 2 / 1.6
        w.setMillingSteps(1, 0, 4); // not in use
        QCOMPARE(w.calculateMillingTime(3), 25); // 3 * 6.821 + 5
        w.setPortion(2);
        QCOMPARE(w.calculateMillingTime(-1), 18); // 2 * 6.821 + 5
        w.setMillingSteps(1, 200, 0); // a damaged file's index
        QCOMPARE(w.calculateMillingTime(1), 8); // 3.25 + 5

        WorkSettings b;
        b.setEmulsionWorkingMode(127);
        b.setEmulsionSteps(10, 6, 5, 15, 10, 0); // 1 s pause + 109 / 1.6
        b.setEmulsionSteps(0, 6, 2, 15, 10, 1);  // last step: climbs out at 5.65
        b.setEmulsionSteps(0, 6, 5, 15, 10, 2);
        QCOMPARE(b.calculateTotalWorkingTime(0), 88); // 69.125 + 19.29
        b.setExtraEmulsionStep(1); // steps 0, 1, 2, then 0 again climbing out
        QCOMPARE(b.calculateTotalWorkingTime(0), 352);

        // Ordinary programs travel the milled height instead of the beaker.
        WorkSettings m;
        m.setPortion(2);
        m.setEmulsionSteps(0, 3, 0, 15, 10, 0); // standstill: no travel
        m.setEmulsionSteps(5, 3, 5, 15, 10, 1);
        QCOMPARE(m.calculateMillingTime(0), 36); // 2 * 4 * 2 / 0.51 + 5
        QCOMPARE(m.calculateTotalWorkingTime(0), 36 + 36);

        m.numOfStepMilling = 9;
        m.setPortion(3);
        QVERIFY(m.enoughtPortion()); // 3 * 8 / 2 - 8 / 4 = 10
        m.numOfStepMilling = 10;
        QVERIFY(!m.enoughtPortion());
    }

    // Payloads as written out by hand: portion count, then (cut, immersion)
    // per milling step, inactive ones as 00 01; mode, then the emulsion steps.
    void stepPayloads()
    {
        WorkSettings w;
        w.setPortion(5);
        w.setPortionDimension(6); // three steps in use
        w.setMillingSteps(3, 2);
        w.setMillingSteps(4, 7, 2);
        w.setMillingSteps(9, 9, 3); // beyond the portion: sent as inactive
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0302 0302 0407 0001 0001 0001 0001"));
        w.setPortionDimension(40); // a height past the seven steps still yields seven
        w.setMillingSteps(2, 3);
        QCOMPARE(toQByteArray(w.getMillingCmdByte()), hexBytes("05 0203 0203 0203 0203 0203 0203 0203"));

        // Frostizing without emulsion: the milling pressure goes in slot 0.
        w.setMillingPressionType(2);
        w.setMillingPressionIntensity(3);
        QCOMPARE(toQByteArray(w.getEmulsionCmdByte()),
                 hexBytes("00 7f01000203 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000"
                          " 7f00000000"));
        // An enabled first step is sent as stored; the eighth step never is.
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.setEmulsionSteps(20, 4, 2, 1, 9, 6);
        w.setEmulsionSteps(30, 6, 6, 6, 6, 7);
        QCOMPARE(toQByteArray(w.getEmulsionCmdByte()),
                 hexBytes("00 0003050f0a 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000 1404020109"
                          " 7f00000000"));
        WorkSettings c; // built-in programs keep step 0 even when it is disabled
        c.setEmulsionWorkingMode(127);
        c.setMillingPressionType(2);
        QCOMPARE(toQByteArray(c.getEmulsionCmdByte()).left(6), hexBytes("7f 7f01000000"));
    }

    void sequenceFrames()
    {
        const WorkSettings w;
        const QByteArray milling = hexBytes("f3 01 00 0101 0101 0101 0101 0001 0001 0001 00 fc");
        const QByteArray emulsion = hexBytes("f3 02 00 7f01000000 7f01000000 7f01000000 7f01000000 7f01000000"
                                             " 7f01000000 7f01000000 7f00000000 03 fc");
        const QByteArray repetition = hexBytes("f3 14 00 14 fc");
        const QByteArray start = hexBytes("f3 03 03 fc");
        QCOMPARE(drain(BuildSequenceMsg(w)), (QList<QByteArray>{milling, emulsion, repetition, start}));
        reworkSet = true;
        QCOMPARE(drain(BuildSequenceMsg(w)),
                 (QList<QByteArray>{milling, emulsion, repetition, hexBytes("f3 12 12 fc"), start}));

        // A byte the frames cannot carry refuses the whole sequence: nothing
        // partial, and above all no start, may be queued.
        WorkSettings bad;
        bad.setPortion(0xF3);
        QVERIFY(BuildSequenceMsg(bad).empty());
        bad.setPortion(1);
        bad.setEmulsionWorkingMode(0xFC);
        QVERIFY(BuildSequenceMsg(bad).empty());
    }

    void presetFileLayout()
    {
        WorkSettings w = program("", "cutting_soft");
        w.setEmulsionWorkingMode(127);
        w.setMillingSteps(3, 2);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.setEmulsionSteps(0, 3, 2, 15, 10, 1);
        for (int step : {2, 4, 6})
            w.copyEmulsionStep(0, step);
        w.minStockQty = 12;
        w.referenceGlass = 3;
        QVERIFY(w.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//cutting_soft_default.seq"), hexBytes(CUTTING_SOFT_FILE));

        WorkSettings back = program("", "cutting_soft");
        QVERIFY(back.Load());
        back.filename = "copy";
        QVERIFY(back.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//copy_default.seq"), hexBytes(CUTTING_SOFT_FILE));

        // Files of 59 bytes (before stock and glass existed) still load;
        // shorter ones are damaged and leave the program as it was.
        QVERIFY(root->writeFile("/home/root/recipes//p59_default.seq", hexBytes(CUTTING_SOFT_FILE).left(59)));
        WorkSettings p = program("", "p59");
        p.minStockQty = 7;
        QVERIFY(p.Load());
        QCOMPARE(p.getEnabledEmulsionSteps(), 3);
        QCOMPARE(int(p.minStockQty), 7);
        QVERIFY(root->writeFile("/home/root/recipes//p58_default.seq", hexBytes(CUTTING_SOFT_FILE).left(58)));
        WorkSettings t = program("", "p58");
        QVERIFY(!t.Load());
        QCOMPARE(int(t.getEmulsionWorkingMode()), 0);
    }

    void userRecipeLifecycle()
    {
        WorkSettings w = program("milling", "Granita");
        w.minStockQty = 2;
        QVERIFY(w.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes/milling/10000.seq").size(), 61);
        QCOMPARE(toQByteArray(w.toByte()).left(22), hexBytes("00002710 01 07 4772616e697461 00000002 00 00000064"));
        platform::setFixedNowForTests(110);
        QVERIFY(w.Update("Granita al limone", "remote"));
        RecipeElementList reloaded("milling");
        reloaded.Load();
        QCOMPARE(reloaded.getRecipeName(10000u), QString("Granita al limone"));
        QCOMPARE(reloaded.getRecipeUpdate(10000u), uint32_t(110));
        QVERIFY(w.Delete("op"));
        QVERIFY(!QFile::exists(root->path("/home/root/recipes/milling/10000.seq")));
        QVERIFY(!recipesMillingList->contains(10000u));
    }

    void failedSaves()
    {
        OperatorMessages shown;
        WorkSettings w = program("whipping", "Panna"); // its folder is missing
        QVERIFY(!w.Save("op"));
        QCOMPARE(shown.messages, QStringList{"Recipe Saving Error."});
        QVERIFY(!recipesWhippingList->contains("Panna"));

        // An existing recipe keeps its list entry when its file cannot be replaced.
        recipesMillingList->generateId("Sorbetto", false, "op");
        root->mkpath("/home/root/recipes/milling/10000.seq");
        QVERIFY(!program("milling", "Sorbetto").Save("op"));
        QVERIFY(recipesMillingList->contains(10000u));

        // The rework folding is only kept when the file was written.
        WorkSettings r = program("whipping", "10001");
        r.setExtraEmulsionStep(3);
        r.setReworkAddStep(2);
        QVERIFY(!r.Update("x", "op"));
        QCOMPARE(int(r.getExtraEmulsionStep()), 3);

        // Names that would leave the recipe folder are refused.
        QVERIFY(!program("", "../escape").Save("remote"));
        QVERIFY(!QFile::exists(root->path("/home/root/escape_default.seq")));

        // Deleting a recipe whose main file is missing changes nothing.
        root->writeFile(DETAILS, hexBytes("00000000 00000000"));
        QDir(root->path("/home/root/recipes/milling/10000.seq")).removeRecursively();
        QVERIFY(!program("milling", "10000").Delete("op"));
        QVERIFY(QFile::exists(root->path(DETAILS)));
        QVERIFY(recipesMillingList->contains(10000u));
    }

    void reworkCyclesAreFoldedOnSave()
    {
        WorkSettings w = program("", "rework");
        w.setExtraEmulsionStep(3);
        w.setReworkAddStep(2);
        QVERIFY(w.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//rework_default.seq").at(58), char(5));
        QVERIFY(w.Save("op")); // folded once: saving again adds nothing
        QCOMPARE(root->readFile("/home/root/recipes//rework_default.seq").at(58), char(5));
        QCOMPARE(int(w.getReworkAddStep()), 0);
        WorkSettings u = program("milling", "Rework");
        QVERIFY(u.Save("op"));
        u.setExtraEmulsionStep(1);
        u.setReworkAddStep(1);
        for (int i = 0; i < 2; ++i)
            QVERIFY(u.Update("Rework", "op"));
        QCOMPARE(root->readFile("/home/root/recipes/milling/10000.seq").at(58), char(2));

        // Without extra cycles each added cycle enables the next (up, down)
        // pair after the first descent, taking over its pause.
        WorkSettings p = program("", "pairs");
        p.setEmulsionSteps(5, 3, 5, 15, 10, 0);
        p.setReworkAddStep(1);
        QVERIFY(p.Save("op"));
        QCOMPARE(root->readFile("/home/root/recipes//pairs_default.seq").mid(28, 5), hexBytes("0100000005"));
        p.setReworkAddStep(5); // only two more pairs fit; the rest is dropped, not kept for later saves
        QVERIFY(p.Save("op"));
        QCOMPARE(p.getEnabledEmulsionSteps(), 7);
        QCOMPARE(int(p.getReworkAddStep()), 0);
    }

    void ingredients()
    {
        WorkSettings w = program("milling", "Frappè");
        QVERIFY(w.Save("op"));
        QVERIFY(w.addIngredient("ab", "1", "op"));
        QCOMPARE(root->readFile(DETAILS), hexBytes("00000001 00000004 00610062  00000001 00000002 0031"));
        for (int i = 1; i < MAX_INGREDIENTS; ++i)
            QVERIFY(w.addIngredient(QString("i%1").arg(i), "1", "op"));
        const QByteArray full = root->readFile(DETAILS);
        QVERIFY(!w.addIngredient("one too many", "1", "op"));
        QVERIFY(!w.deleteIngredient(-1, "op"));
        QCOMPARE(root->readFile(DETAILS), full);
        QVERIFY(w.deleteAllIngredient("op"));

        // Without the SD card the edit is refused and undone.
        OperatorMessages shown;
        QVERIFY(QDir(root->path("/mnt/mmc-memory/recipes/milling")).removeRecursively());
        QVERIFY(!w.addIngredient("ab", "1", "op"));
        QCOMPARE(w.getIngredientNumber(), uint8_t(0));
        QCOMPARE(shown.messages, QStringList{"Recipe Dettails Saving Error."});

        // A damaged details file (huge count) gives no ingredients.
        root->writeFile(DETAILS, hexBytes("7fffffff 00000004 0061"));
        WorkSettings back = program("milling", "10000");
        back.ingredientList = QStringList{"stale"};
        QVERIFY(back.Load());
        QVERIFY(back.ingredientList.isEmpty());
    }

    void guestProgram()
    {
        const ByteVector guest = hexVector(GUEST);
        WorkSettings w;
        uint32_t pos = 1;
        QVERIFY(w.fromByteAsGuest(guest, &pos));
        QCOMPARE(pos, uint32_t(guest.size()));
        // The same program in the form the remote application reads.
        QCOMPARE(toQByteArray(w.toByte()), hexBytes("00000000 02 06 47656c61746f 0000002c 03 00000000  08 0f 0a 00"
                                                    "0302 0302 0302 0302 0101 0101 0101"
                                                    "03050a0f00 010000007f 010000007f 010000007f"
                                                    "010000007f 010000007f 010000007f 010000007f  02 00"));

        // Every shorter buffer is refused and changes nothing.
        for (std::size_t n = 0; n < guest.size(); ++n) {
            WorkSettings s;
            s.displayName = "keep";
            pos = 1;
            QVERIFY2(!s.fromByteAsGuest(ByteVector(guest.begin(), guest.begin() + std::ptrdiff_t(n)), &pos),
                     qPrintable(QString("length %1").arg(n)));
            QCOMPARE(pos, uint32_t(1));
            QCOMPARE(s.displayName, QString("keep"));
        }
        pos = 7;
        QVERIFY(!w.fromByteAsGuest(hexVector("00"), &pos));
    }

    // Every value is checked where a program enters: a guest from the remote
    // application is refused, a stored file counts as damaged and the program
    // keeps what it had. Offsets into GUEST; a stored file holds the same
    // step block 14 bytes earlier.
    void valuesBeyondTheirLimitsAreRefused_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char *name, int offset, int value, bool accepted) {
            QTest::newRow(name) << offset << value << accepted;
        };
        row("no recipe type", 8, 0, false);
        row("recipe type 4", 8, 4, false);
        row("portion 15", 14, 15, true);
        row("portion 16: an eighth milling step", 14, 16, false);
        row("pressure type 127", 15, 0x7f, true);
        row("pressure type 128", 15, 0x80, false);
        row("pressure intensity 128", 16, 0x80, false);
        row("mode 127", 17, 0x7f, true);
        row("mode 1", 17, 1, false);
        row("milling cut 8", 18, 8, true);
        row("milling cut 9", 18, 9, false);
        row("milling immersion 8", 19, 8, true);
        row("last milling immersion 9", 31, 9, false);
        row("emulsion cut 9", 32, 9, false);
        row("emulsion immersion 9", 33, 9, false);
        row("emulsion intensity 128", 34, 0x80, false);
        row("emulsion type 128", 35, 0x80, false);
        row("pause 128", 36, 0x80, false);
        row("last pause 255", 71, 0xff, false);
        row("extra cycles 6", 72, 6, true);
        row("extra cycles 7", 72, 7, false);
    }
    void valuesBeyondTheirLimitsAreRefused()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(bool, accepted);
        ByteVector guest = hexVector(GUEST);
        guest[std::size_t(offset)] = uint8_t(value);
        WorkSettings w;
        w.displayName = "keep";
        uint32_t pos = 1;
        QCOMPARE(w.fromByteAsGuest(guest, &pos), accepted);
        QCOMPARE(pos, accepted ? uint32_t(guest.size()) : 1u);
        QCOMPARE(w.displayName, QString(accepted ? "Gelato" : "keep"));
        if (offset < 14)
            return;
        QVERIFY(root->writeFile("/home/root/recipes//stored_default.seq",
                                toQByteArray(guest).mid(14, 59) + hexBytes("0c03")));
        WorkSettings s = program("", "stored");
        s.minStockQty = 7;
        QCOMPARE(s.Load(), accepted);
        QCOMPARE(int(s.minStockQty), accepted ? 12 : 7);
        QCOMPARE(int(s.getPortionDimension()), accepted ? int(guest[14]) : 8);
    }

    // The speed table holds 20 entries: a larger cutspeed_max does not let
    // an index past it through.
    void cutSpeedIndexStaysInsideTheTable()
    {
        cutspeed_max = 30;
        ByteVector guest = hexVector(GUEST);
        for (const int cut : {19, 20}) {
            guest[18] = uint8_t(cut);
            WorkSettings w;
            uint32_t pos = 1;
            QCOMPARE(w.fromByteAsGuest(guest, &pos), cut == 19);
        }
        cutspeed_max = 8;
    }

    void workReport()
    {
        WorkSettings w;
        w.displayName = "Gelato";
        w.startWork = 1000;
        w.endWork = 1125;
        w.setPortionDimension(4); // two milling steps in use
        w.setMillingSteps(3, 2, 0);
        w.setEmulsionSteps(0, 3, 5, 15, 10, 0);
        w.temperatureMin = -1.5;
        w.temperatureCount = 3;
        const QStringList lines = w.toString().split('\n');
        QCOMPARE(lines.size(), 13); // after a blank line and the column names
        QCOMPARE(lines[2], QString("Gelato;125;0;0;4;0;0;|;3;2;|;0;3;5;15;10;"));
        QCOMPARE(lines[4], QString(";;;;;;;|;-;-;|;-;-;-;-;-;")); // past the portion, step disabled
        QCOMPARE(lines[9], QString(";;;;;;;|;;;|;-;-;-;-;-;")); // the eighth has no milling step
        QCOMPARE(lines[11], QString(";Temperature:;-1,500000;0,000000;0,000000;3;"));
        w.endWork = 0; // asked for before the end: no wrapped difference
        QVERIFY(w.toString().contains("\nGelato;0;0;"));
    }

    void listHistoryFollowsThePinnedClock()
    {
        RecipeElementList l("milling");
        QCOMPARE(l.generateId("A", false, "op"), QString("10000")); // at 100
        QCOMPARE(l.generateId("Base", true, "factory"), QString("1"));
        QCOMPARE(l.generateId("B", false, "op"), QString("10001")); // the same second: shares A's time key
        QCOMPARE(l.getId("Nothing"), QString("0"));
        QVERIFY(!l.contains("Nothing")); // asking does not register it
        QCOMPARE(l.getAllUpdateRecipe(100), (QList<uint>{10001, 10000, 1})); // user set first
        platform::setFixedNowForTests(300);
        QCOMPARE(l.generateId("A", false, "remote"), QString("10000")); // same code, new time
        // Moving A must not take B's entry with it.
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{10000, 10001, 1}));
        QCOMPARE(l.getAllUpdateRecipe(250), (QList<uint>{10000}));
        QVERIFY(l.updateElement("A2", "op", 10000)); // renaming frees the old name
        QVERIFY(!l.contains("A"));

        platform::setFixedNowForTests(500);
        QVERIFY(l.removeElement(10000, "op"));
        QVERIFY(l.removeElement(10001, "op")); // the same second again
        QCOMPARE(l.getAllDeleteRecipe(0), (QList<uint>{10001, 10000}));
        QCOMPARE(l.getAllUpdateRecipe(0), (QList<uint>{1}));
        platform::setFixedNowForTests(600);
        QVERIFY(l.removeElementDefault(1, "factory"));
        QCOMPARE(l.getAllDeleteRecipe(550), (QList<uint>{1}));
        RecipeElementList m("cutting"); // a name in both sets is the factory recipe
        m.generateId("Base", false, "u");
        m.insertNewElementDefault("Base", "f");
        m.mergeList();
        QCOMPARE(m.getId("Base"), QString("1"));

        // The database time covers all three lists and the beakers.
        recipesCuttingList->generateId("Brunoise", false, "op");
        QCOMPARE(getLastUpdateDB(), uint32_t(600));
        GlassElementsList beakers;
        GlassElementsList *const registry = glassList;
        glassList = &beakers;
        platform::setFixedNowForTests(900);
        beakers.insertNewElement("AB.000001", "op");
        QCOMPARE(getLastUpdateDB(), uint32_t(900));
        glassList = registry;
    }

    // Changes in one second are all stored, as repeated time keys, and such
    // a file reads back whole; moving one recipe leaves the other's entry.
    // The default set has a file of its own, with its own counter.
    void listFileLayout()
    {
        RecipeElementList l("milling");
        l.generateId("A", false, "u");
        l.generateId("B", false, "u");
        QVERIFY(l.Save());
        const QByteArray written = root->readFile(LIST_FILE);
        QVERIFY2(written == twoRecipeFile(true, true) || written == twoRecipeFile(false, true),
                 written.toHex().constData());
        RecipeElementList back("milling");
        back.Load();
        QVERIFY(back.Save());
        QCOMPARE(root->readFile(LIST_FILE), written);

        platform::setFixedNowForTests(200);
        QVERIFY(back.updateElement("B", "u", 10001));
        QVERIFY(back.Save());
        const QByteArray moved = root->readFile(LIST_FILE);
        QVERIFY2(moved == twoRecipeFile(true) || moved == twoRecipeFile(false), moved.toHex().constData());

        back.generateId("Base", true, "f");
        QVERIFY(back.SaveDefault());
        QCOMPARE(root->readFile("/home/root/recipes/milling/recipes_default.list"),
                 hexBytes("00000001  00000001 000000c8 00000001  00000001 00000001 000000c8"
                          "00000001 00000001 00000002 0066  00000001 00000008 0042 0061 0073 0065 00000001"
                          "00000001 00000001 00000008 0042 0061 0073 0065  00000000  00000000"));
        RecipeElementList again("milling");
        again.Load();
        QCOMPARE(again.getAllUpdateRecipe(150), (QList<uint>{10001, 1}));
    }

    void damagedListsStaySafe()
    {
        // Counter lost but a recipe 10005 recorded: new codes must not reuse it.
        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00000000  00000001 00000064 00002715  00000001 00002715 00000064"
                                                    "00000000  00000001 00000002 0041 00002715"
                                                    "00000001 00002715 00000002 0041  00000000  00000000")));
        RecipeElementList l("milling");
        l.Load();
        QCOMPARE(l.generateId("New", false, "u"), QString("10006"));

        // Truncated inside the names: what came before is kept.
        QVERIFY(root->writeFile(LIST_FILE, twoRecipeFile(true).chopped(40)));
        RecipeElementList t("milling");
        t.Load();
        QCOMPARE(t.getRecipeUpdate(10000u), uint32_t(100));
        QCOMPARE(t.generateId("C", false, "u"), QString("10002"));

        QVERIFY(root->writeFile(LIST_FILE, hexBytes("00002711 ffffffff 00000001"))); // a count far too big
        RecipeElementList h("milling");
        h.Load();
        QCOMPARE(h.getLastUpdate(), 0u);
    }
};

QTEST_GUILESS_MAIN(TestWorkPrograms)
#include "tst_workprograms.moc"
