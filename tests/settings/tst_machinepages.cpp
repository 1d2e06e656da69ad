// The machine information, service counters and service pages: what they
// show of the life counters and the link statistics, paging, the export to
// the USB stick, and the counter reset that only service mode offers.

#include "support_settings.h"

#include "app/DialogMessage.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "data/WorkingTimer.h"
#include "link/LinkStatistics.h"
#include "settings/MachineInfo.h"
#include "settings/ServiceCounters.h"
#include "settings/ServicePage.h"

namespace {

QPushButton *key(QWidget *w, const QString &name) { return w->findChild<QPushButton *>(name); }
QString text(QWidget *w, const QString &name) { return w->findChild<QLabel *>(name)->text(); }

// Rows shown on every page, paged through with the down key: "name|value".
QStringList shownRows(QWidget *page, int rowsPerPage)
{
    QStringList rows;
    for (;;) {
        for (int i = 0; i < rowsPerPage; ++i) {
            QLabel *name = page->findChild<QLabel *>(QStringLiteral("name_%1").arg(i));
            if (name->isVisible())
                rows << name->text() + "|" + text(page, QStringLiteral("value_%1").arg(i));
        }
        if (!key(page, "down")->isEnabled())
            return rows;
        key(page, "down")->click();
    }
}

QStringList stickFiles(const TempRoot &root)
{
    return QDir(root.path("/mnt/usb-memory")).entryList({"system_state_*"}, QDir::Files);
}

QStringList shownMessages()
{
    QStringList out;
    for (DialogMessage *d : visibleWindows<DialogMessage>())
        out << d->displayMessage();
    return out;
}

// Counters with a different value each, so a reset of the wrong one shows.
void fillCounters()
{
    machineLife.addTimeAcMotor(3725);
    machineLife.addTimeStepperMotor(7200);
    machineLife.addTimePump(600, WorkingTimer::PRESSION_PUMP);
    machineLife.addTimePump(60, WorkingTimer::VACUUM_PUMP);
    machineLife.addMaxTemperature(66.5);
    machineLife.addMaxAbsorption(31.0);
    machineLife.addPortionMilling(42);
    for (int f = 0; f < 3; ++f)
        for (int s = 0; s < 2; ++s)
            for (int n = 0; n <= f + 3 * s; ++n)
                machineLife.increaseGlassWorked(f, s);
    machineLife.increaseGlassClean();
    machineLife.increaseGlassClean();
}

// Every stored counter, named by its resetCounter() index (15 and 16: the countdowns).
QMap<int, double> counters(const WorkingTimer &w)
{
    return {{0, double(w.getAcMotor())},
            {2, w.getMaxTemperature()},
            {3, w.getMaxAbsorption()},
            {4, double(w.getStepperMotor())},
            {5, double(w.getPressionPump())},
            {6, double(w.getFilter())},
            {7, double(w.getTotalMillingPortion())},
            {8, double(w.getGlassWorked(0, 0))},
            {9, double(w.getGlassWorked(0, 1))},
            {10, double(w.getGlassWorked(1, 0))},
            {11, double(w.getGlassWorked(1, 1))},
            {12, double(w.getGlassWorked(2, 0))},
            {13, double(w.getGlassWorked(2, 1))},
            {14, double(w.getTotalGlassClean())},
            {15, double(w.getRevisionPortion())},
            {16, double(w.getRevisionDate())},
            {-1, double(w.getVacuumPump())}};
}

} // namespace

class TestMachinePages : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;

private slots:
    void initTestCase()
    {
        initAppResources();
        syscmd::setSyncRunnerForTests([] {});
    }
    void init()
    {
        root = std::make_unique<TempRoot>();
        root->mkpath("/mnt/usb-memory");
        machineLife.load();
        for (int index = 0; index <= 16; ++index)
            machineLife.resetCounter(index);
        fillCounters();
        LinkStatistics::reset();
        usbMount = true;
        serviceEnable = false;
        serialNumber = std::string("FP2-TEST-01");
        ScreenHooks::openSensorPage = nullptr;
    }
    void cleanup()
    {
        closeWindows();
        root.reset();
    }

    void machineInfoPagesThroughTheLifeCounters()
    {
        QPointer<MachineInfo> page = new MachineInfo;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        QVERIFY(!key(page, "up")->isEnabled() && key(page, "down")->isEnabled());
        QCOMPARE(text(page, "page_number"), QString("1 / 4"));

        QStringList expected;
        for (const QString &line : machineLife.getListInfo()) {
            const int at = line.indexOf(": ");
            expected << line.left(at).trimmed() + "|" + line.mid(at + 2).trimmed();
        }
        QCOMPARE(expected.size(), 16);
        QCOMPARE(shownRows(page, MachineInfo::kRowsPerPage), expected);
        QVERIFY(key(page, "up")->isEnabled() && !key(page, "down")->isEnabled());
        QCOMPARE(text(page, "page_number"), QString("4 / 4"));
        key(page, "up")->click();
        QCOMPARE(page->page(), 2);
        key(page, "back")->click();
        QTRY_VERIFY(page.isNull());
    }

    // Both pages export the same file through the same code: the life
    // counters, then the link; the stick's failures once.
    void exportToTheStick_data()
    {
        QTest::addColumn<bool>("servicePage");
        QTest::addColumn<QString>("stick"); // mounted, absent, broken
        QTest::newRow("machine information, stick mounted") << false << "mounted";
        QTest::newRow("service page, stick mounted") << true << "mounted";
        QTest::newRow("no stick") << false << "absent";
        QTest::newRow("write fails") << false << "broken";
    }
    void exportToTheStick()
    {
        QFETCH(bool, servicePage);
        QFETCH(QString, stick);
        for (int i = 0; i < 7; ++i)
            LinkStatistics::countExchange(BoardReply::Outcome::Acknowledged, false);
        LinkStatistics::countExchange(BoardReply::Outcome::NoAnswer, false);
        LinkStatistics::countExchange(BoardReply::Outcome::Corrupt, true);
        LinkStatistics::countExchange(BoardReply::Outcome::Refused, false);
        LinkStatistics::countPortReopen();
        usbMount = stick != "absent";
        if (stick == "broken") { // a stick whose folder cannot take files
            QDir(root->path("/mnt/usb-memory")).removeRecursively();
            QVERIFY(root->writeFile("/mnt/usb-memory", "not a folder"));
        }

        QWidget *page = servicePage ? static_cast<QWidget *>(new ServicePage) : new MachineInfo;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        key(page, "export_data")->click();

        if (stick != "mounted") {
            QVERIFY(shownMessages().isEmpty());
            QCOMPARE(shownErrors(), QStringList{stick == "absent" ? "Restart Machine With Usb Device Mounted."
                                                                  : "The file could not be saved on the Usb Device."});
            if (stick == "absent")
                QVERIFY(stickFiles(*root).isEmpty());
            return;
        }
        QCOMPARE(shownMessages(), QStringList{"File Saved on Usb Device."});
        QVERIFY(shownErrors().isEmpty());
        const QStringList files = stickFiles(*root);
        QCOMPARE(files.size(), 1);
        const QByteArray content = root->readFile("/mnt/usb-memory/" + files.first());
        QVERIFY2(content.startsWith("SYSTEM STATE\nSN: FP2-TEST-01\nName;Info\nWORKING TIME BLADE MOTOR;1:02:05\n"),
                 content.constData());
        for (const char *row : {"MILLING PORTION;42\n", "MILLING BIG GLASS;4\n", "CLEANING PERFORMED;2\n"})
            QVERIFY2(content.contains(row), row);
        // The link after the life counters' last row, to the end of the file.
        QVERIFY2(content.endsWith("REVISION COUNTER;125:00:00\nLINK\nEXCHANGES;10\nREPLIES MISSING;1\n"
                                  "CORRUPT REPLIES;1\nREFUSALS;1\nRETRIES;1\nPORT RE-OPENS;1\n"
                                  "FAILED EXCHANGES;30.0 %\n"),
                 content.constData());
    }

    void serviceCountersOfferResetsOnlyInServiceMode()
    {
        for (bool service : {false, true}) {
            serviceEnable = service;
            auto *page = new ServiceCounters;
            page->setAttribute(Qt::WA_DeleteOnClose);
            page->show();
            int keysShown = 0, rows = 0;
            for (;;) {
                for (int i = 0; i < ServiceCounters::kRowsPerPage; ++i) {
                    rows += page->findChild<QLabel *>(QStringLiteral("name_%1").arg(i))->isVisible();
                    keysShown += key(page, QStringLiteral("reset_%1").arg(i))->isVisible();
                }
                if (!key(page, "down")->isEnabled())
                    break;
                key(page, "down")->click();
            }
            QCOMPARE(rows, ServiceCounters::counterIndexes().size());
            QCOMPARE(keysShown, service ? rows : 0);
            page->close();
        }
        // Every counter that resetCounter() clears has its row, once.
        QVector<int> indexes = ServiceCounters::counterIndexes();
        std::sort(indexes.begin(), indexes.end());
        QCOMPARE(indexes, (QVector<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    }

    // The row's reset key asks first; "NO" leaves everything, "YES" clears
    // that counter alone, on screen and in the stored file.
    void resetAfterConfirmationClearsThatCounterOnly_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("blade motor, no") << 0 << false;
        QTest::newRow("blade motor, yes") << 0 << true;
        QTest::newRow("big whipping glasses, yes") << 11 << true;
        QTest::newRow("service countdown, yes") << 16 << true;
    }
    void resetAfterConfirmationClearsThatCounterOnly()
    {
        QFETCH(int, index);
        QFETCH(bool, confirm);
        serviceEnable = true;
        // Both countdowns below their start.
        machineLife.addPortionMilling(10);
        platform::setFixedNowForTests(1700000000);
        machineLife.startTimeStepperMotor();
        platform::advanceFixedNowForTests(90);
        machineLife.stopTimeStepperMotor();
        platform::clearFixedNowForTests();
        const QMap<int, double> before = counters(machineLife);

        auto *page = new ServiceCounters;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        const int at = ServiceCounters::counterIndexes().indexOf(index);
        for (int p = 0; p < at / ServiceCounters::kRowsPerPage; ++p)
            key(page, "down")->click();
        const QString row = QString::number(at % ServiceCounters::kRowsPerPage);
        const QString shownBefore = text(page, "value_" + row);
        key(page, "reset_" + row)->click();
        key(page, "reset_" + row)->click(); // one question at a time
        QCOMPARE(visibleWindows<DialogMessage>().size(), 1);
        QCOMPARE(counters(machineLife), before); // nothing before the answer
        QVERIFY(clickKey(shownWindow<DialogMessage>(), confirm ? "YES" : "NO"));
        QTRY_VERIFY(visibleWindows<DialogMessage>().isEmpty());

        QMap<int, double> expected = before;
        if (confirm && index >= 15) {
            expected[15] = WorkingTimer::REVISION_PORTION;
            expected[16] = WorkingTimer::REVISION_DATE;
        } else if (confirm) {
            expected[index] = 0;
        }
        QCOMPARE(counters(machineLife), expected);
        WorkingTimer stored;
        stored.load();
        QCOMPARE(counters(stored), expected);
        QCOMPARE(text(page, "value_" + row) != shownBefore, confirm);
    }

    void servicePageShowsTheLinkStatistics()
    {
        auto *page = new ServicePage;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        // Nothing exchanged yet: no share to divide out.
        QCOMPARE(text(page, "exchanges_value"), QString("0"));
        QCOMPARE(text(page, "share_value"), QString("0.0 %"));
        QVERIFY(!key(page, "sensors")->isEnabled());

        for (int i = 0; i < 5; ++i)
            LinkStatistics::countExchange(BoardReply::Outcome::Acknowledged, false);
        LinkStatistics::countExchange(BoardReply::Outcome::NoAnswer, false);
        LinkStatistics::countExchange(BoardReply::Outcome::NoAnswer, true);
        LinkStatistics::countExchange(BoardReply::Outcome::Corrupt, true);
        LinkStatistics::countExchange(BoardReply::Outcome::Refused, false);
        LinkStatistics::countPortReopen();
        LinkStatistics::countPortReopen();
        // Refreshed while open.
        QTRY_COMPARE_WITH_TIMEOUT(text(page, "exchanges_value"), QString("9"), 2500);
        const QMap<QString, QString> shown = {{"no_answer_value", "2"}, {"corrupt_value", "1"},
                                              {"refused_value", "1"},   {"retries_value", "2"},
                                              {"reopens_value", "2"},   {"share_value", "44.4 %"}};
        for (auto it = shown.begin(); it != shown.end(); ++it)
            QCOMPARE(text(page, it.key()), it.value());
        page->close();

        // With the sensor page wired, the key opens it over this page.
        SensorPageStandIn sensors;
        page = new ServicePage;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        QVERIFY(key(page, "sensors")->isEnabled());
        key(page, "sensors")->click();
        QVERIFY(sensors.opened == 1 && sensors.page && sensors.page->parentWidget() == page);
    }
};

QTEST_MAIN(TestMachinePages)
#include "tst_machinepages.moc"
