// The firmware update: the HEX file check, and the link thread's transfer
// against the simulated board's loader on a real pseudo-terminal.

#include "BoardSimProcess.h"
#include "HexFiles.h"
#include "TempRoot.h"

#include "link/FirmwareHex.h"
#include "link/FirmwareUpdate.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>
#include <mutex>

namespace {

// The record bytes of one HEX line.
ByteVector recordOf(const QByteArray &line)
{
    const QByteArray b = QByteArray::fromHex(line.trimmed().mid(1));
    return ByteVector(b.begin(), b.end());
}

QByteArray hexOf(const ByteVector &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())).toHex();
}

// What the program logged, kept for a test case.
struct LogCapture
{
    LogCapture()
    {
        platform::setLogSink([this](const std::string &line) {
            std::lock_guard<std::mutex> l(m);
            lines << QString::fromStdString(line);
        });
    }
    ~LogCapture() { platform::setLogSink(nullptr); }
    int count(const QString &line) const
    {
        std::lock_guard<std::mutex> l(m);
        return lines.count(line);
    }
    mutable std::mutex m;
    QStringList lines;
};

} // namespace

#define SIM_OK(line) QCOMPARE(sim.command(line), QStringLiteral("ok"))

class TestFirmware : public QObject
{
    Q_OBJECT

    BoardSimProcess sim;
    std::unique_ptr<TempRoot> root;
    std::unique_ptr<SerialThreadComunication> link;
    std::unique_ptr<LogCapture> log;

    QString stickFile(const QString &name = "fw-2.01.00-update.hex") const { return "/mnt/usb-memory/" + name; }

    void startLink()
    {
        link = std::make_unique<SerialThreadComunication>(10000);
        link->start();
        // The board answers polls: the link is up.
        QTRY_VERIFY_WITH_TIMEOUT(firstResponseHandshakeRecieved, 5000);
    }
    // Queues command 48 as the screens do.
    static void queueUpdate()
    {
        FifoLock lock;
        waitStateVar(BoardCmd::FirmwareUpdate);
        serialFifo.push(ProtocolConversion::BuildCommand(BoardCmd::FirmwareUpdate));
    }
    // ... and waits for both flags.
    bool runUpdate(int timeoutMs = 20000)
    {
        queueUpdate();
        return QTest::qWaitFor([] { return startUpdateFirmware != 0 && endUpdateFirmware != 0; }, timeoutMs);
    }
    int simCount(const QString &what) { return sim.value("count " + what).toInt(); }
    // The board frames and loader frames the board received, and its
    // replies, in order, as "rx <hex>" / "tx <hex>".
    // A command first: every traffic line printed before its answer is in.
    QStringList traffic()
    {
        sim.command("loader");
        return sim.takeTraffic();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(sim.start());
        qputenv("FROSTPANEL_SERIAL", sim.devicePath().toLocal8Bit());
    }
    void cleanupTestCase()
    {
        sim.stop();
        QVERIFY(!sim.crashed());
        QCOMPARE(sim.exitCode(), 0);
        FirmwareUpdate::setWaitsForTests(FirmwareUpdate::Waits());
    }
    void init()
    {
        SIM_OK("reset all");
        SIM_OK("log on");
        root = std::make_unique<TempRoot>();
        root->mkpath("/mnt/usb-memory");
        log = std::make_unique<LogCapture>();
        FirmwareUpdate::setWaitsForTests({50, 50, 5});
        serialFifo = {};
        resetStateVar();
        firstResponseHandshakeRecieved = false;
        forceFwUpdateSend = false;
        actualWaitProgress = 0;
    }
    void cleanup()
    {
        link.reset();
        log.reset();
        root.reset();
        traffic();
    }

    // ---- the file check ------------------------------------------------------------

    void filesAreCheckedWhole_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("badLine"); // with Malformed
        QTest::addColumn<int>("records"); // with Ok

        using S = FirmwareHex::Status;
        const QByteArray head = hexfiles::upperAddress(0) + hexfiles::line(0x0100, 0, "abcd");
        const QByteArray start = hexfiles::line(0xD000, 0, "\x12\x34");
        const QByteArray next = hexfiles::line(0xD002, 0, "\x56\x78");
        const QByteArray end = hexfiles::endOfFile();
        QByteArray badSum = next;
        badSum[badSum.size() - 3] = badSum[badSum.size() - 3] == '0' ? '1' : '0';
        QByteArray badCount = next;
        badCount[2] = '3'; // claims three data bytes, has two

        QTest::newRow("from D000 to the end") << head + start + next + end << int(S::Ok) << 0 << 3;
        QTest::newRow("LF line ends") << QByteArray(head + start + next + end).replace("\r\n", "\n") << int(S::Ok)
                                      << 0 << 3;
        QTest::newRow("lower-case digits") << head + start.toLower() + next + end << int(S::Ok) << 0 << 3;
        QTest::newRow("blank lines at the end") << head + start + next + end + "\r\n\r\n" << int(S::Ok) << 0 << 3;
        QTest::newRow("lines before D000 are not read") << "garbage\r\n:zz\r\n" + start + end << int(S::Ok) << 0 << 2;
        QTest::newRow("odd length") << head + start + next.left(next.size() - 3) + "\r\n" + end << int(S::Malformed)
                                    << 4 << 0;
        QTest::newRow("non-hex digit") << head + start + QByteArray(next).replace(9, 1, "G") + end
                                       << int(S::Malformed) << 4 << 0;
        QTest::newRow("record checksum") << head + start + badSum + end << int(S::Malformed) << 4 << 0;
        QTest::newRow("byte count") << head + start + badCount + end << int(S::Malformed) << 4 << 0;
        QTest::newRow("no colon") << head + start + next.mid(1) + end << int(S::Malformed) << 4 << 0;
        QTest::newRow("blank line inside") << head + start + "\r\n" + next + end << int(S::Malformed) << 4 << 0;
        QTest::newRow("record after the end") << head + start + end + next << int(S::Malformed) << 5 << 0;
        QTest::newRow("no D000 record") << head + next + end << int(S::NoStartRecord) << 0 << 0;
        QTest::newRow("empty") << QByteArray() << int(S::NoStartRecord) << 0 << 0;
        QTest::newRow("cut short, no end record") << head + start + next << int(S::NoEndRecord) << 0 << 0;
    }
    void filesAreCheckedWhole()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, status);
        QFETCH(int, badLine);
        QFETCH(int, records);
        const FirmwareHex::Image image = FirmwareHex::parse(text.toStdString());
        QCOMPARE(int(image.status), status);
        QCOMPARE(image.badLine, badLine);
        QCOMPARE(int(image.records.size()), records);
    }

    void recordsAndFrames()
    {
        // The record is the line's bytes; the frame adds the loader's markers only.
        const FirmwareHex::Image image = FirmwareHex::parse(":02D000001234E8\r\n:00000001FF\r\n");
        QVERIFY(image.ok());
        QCOMPARE(FirmwareHex::loaderFrame(image.records.front()),
                 ByteVector({0x0F, 0x0F, 0x02, 0xD0, 0x00, 0x00, 0x12, 0x34, 0xE8, 0x04, 0x04, 0x00}));
        QCOMPARE(FirmwareHex::recordLine(image.records.front()), std::string(":02D000001234E8\r\n"));
        // Too large a file is not read at all.
        QVERIFY(root->writeFile(stickFile(), QByteArray(int(FirmwareHex::kMaxFileBytes) + 1, '0')));
        QCOMPARE(FirmwareHex::load(root->path(stickFile()).toStdString()).status, FirmwareHex::Status::Unreadable);
    }

    void stickFileIsTheFirstByName()
    {
        QCOMPARE(FirmwareHex::findOnStick(), std::string());
        QVERIFY(root->mkpath(stickFile("fw-0-update.hex"))); // a folder is no file
        QVERIFY(root->writeFile(stickFile("fw-b-update.hex"), "x"));
        QVERIFY(root->writeFile(stickFile("fw-c-update.hex.txt"), "x"));
        QVERIFY(root->writeFile(stickFile("update.hex"), "x"));
        QCOMPARE(QString::fromStdString(FirmwareHex::findOnStick()), root->path(stickFile("fw-b-update.hex")));
        QVERIFY(root->writeFile(stickFile("FW-A-UPDATE.HEX"), "x"));
        QCOMPARE(QString::fromStdString(FirmwareHex::findOnStick()), root->path(stickFile("FW-A-UPDATE.HEX")));
    }

    // ---- the transfer ----------------------------------------------------------------

    // Only the lines from D000 on go out, each framed, each after the
    // previous one was acknowledged, nothing else between them; the board
    // ends up with the file's bytes, and the polls come back.
    void transferSendsTheLinesFromD000()
    {
        const QByteArray text = hexfiles::firmware(5, 12);
        const QByteArray sent = hexfiles::fromD000(text);
        const QList<QByteArray> lines = sent.split('\n').mid(0, hexfiles::lineCount(sent));
        QVERIFY(root->writeFile(stickFile(), text));
        // A slow loader: a frame sent before the previous reply would show
        // up ahead of that reply below.
        SIM_OK("late 30 loader");
        startLink();
        traffic();
        QVERIFY(runUpdate());
        QCOMPARE(int(startUpdateFirmware), 1);
        QCOMPARE(int(endUpdateFirmware), 1);
        QCOMPARE(actualWaitProgress.load(), lines.size());

        QStringList expected{"rx f33030fc", "tx 0fbb04"};
        for (const QByteArray &l : lines)
            expected << "rx " + hexOf(FirmwareHex::loaderFrame(recordOf(l))) << "tx 0faa04";
        QStringList seen = traffic();
        const int from = seen.indexOf("rx f33030fc");
        QVERIFY2(from >= 0, qPrintable(seen.join('\n')));
        seen = seen.mid(from, expected.size());
        QCOMPARE(seen, expected);

        const QString saved = root->path("/received.hex");
        QCOMPARE(sim.command("loader save " + saved), "ok " + QString::number(lines.size()));
        QCOMPARE(root->readFile("/received.hex"), sent);
        QCOMPARE(log->count("ACK_RECIVED"), lines.size());
        // The board's new firmware answers the polls again.
        const int polls = simCount("112");
        QTRY_VERIFY_WITH_TIMEOUT(simCount("112") >= polls + 2, 3000);
        QCOMPARE(serialComunicationError.load(), 0u);
    }

    // The screens queue their commands while the link waits for the loader:
    // the queue's lock is never held for the transfer.
    void queueStaysFreeDuringTheUpdate()
    {
        FirmwareUpdate::setWaitsForTests({1500, 500, 5});
        QVERIFY(root->writeFile(stickFile(), hexfiles::firmware(0, 4)));
        startLink();
        queueUpdate();
        QTest::qWait(300); // the link has taken the frame up by now
        QElapsedTimer t;
        t.start();
        pthread_mutex_lock(&serialFifoMutex);
        const qint64 waited = t.elapsed();
        const bool taken = serialFifo.empty();
        pthread_mutex_unlock(&serialFifoMutex);
        QVERIFY2(waited < 100, qPrintable(QString::number(waited)));
        QVERIFY(taken && startUpdateFirmware == 0); // still in the entry wait
        QTRY_VERIFY_WITH_TIMEOUT(endUpdateFirmware == 1, 10000);
    }

    // A link thread told to end does not finish the transfer first.
    void endingTheLinkEndsTheUpdate_data()
    {
        QTest::addColumn<bool>("inEntryWait");
        QTest::addColumn<int>("started");
        QTest::newRow("in the entry wait") << true << -1;
        QTest::newRow("during the records") << false << 1;
    }
    void endingTheLinkEndsTheUpdate()
    {
        QFETCH(bool, inEntryWait);
        QFETCH(int, started);
        if (inEntryWait)
            FirmwareUpdate::setWaitsForTests({5000, 5000, 5});
        QVERIFY(root->writeFile(stickFile(), hexfiles::firmware(0, 300)));
        SIM_OK("late 20 loader");
        startLink();
        queueUpdate();
        if (inEntryWait)
            QTest::qWait(300);
        else
            QTRY_VERIFY_WITH_TIMEOUT(actualWaitProgress >= 3, 5000);
        QElapsedTimer t;
        t.start();
        link.reset();
        QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(int(startUpdateFirmware), started);
        QCOMPARE(int(endUpdateFirmware), -1);
    }

    void failuresAreReportedWithBothFlags_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<int>("started");
        QTest::addColumn<int>("framesTaken"); // loader frames the board received
        QTest::addColumn<QString>("logged");
        QTest::newRow("entry refused (0F AA 04)") << "loader entry bad" << -1 << 0 << "";
        QTest::newRow("loader silent") << "loader entry silent" << -1 << 0 << "";
        QTest::newRow("third line refused") << "loader nack 3" << 1 << 3 << "NACK_RECIVED";
        QTest::newRow("third line unanswered") << "loader drop 3" << 1 << 3 << "RESPONSE NOT RECIEVED";
    }
    void failuresAreReportedWithBothFlags()
    {
        QFETCH(QString, board);
        QFETCH(int, started);
        QFETCH(int, framesTaken);
        QFETCH(QString, logged);
        QVERIFY(root->writeFile(stickFile(), hexfiles::firmware(2, 10)));
        SIM_OK(board);
        startLink();
        QVERIFY(runUpdate());
        QCOMPARE(int(startUpdateFirmware), started);
        QCOMPARE(int(endUpdateFirmware), -1);
        QCOMPARE(simCount("48"), 1);
        QCOMPARE(simCount("loader"), framesTaken); // none after the failing one
        if (!logged.isEmpty())
            QCOMPARE(log->count(logged), 1);
        QCOMPARE(actualWaitProgress.load(), framesTaken);
    }

    // A bad file, or none: the board is never told to enter its loader. The
    // kinds of damage are the parser's table; here one of each outcome.
    void badFilesSendNothing_data()
    {
        QTest::addColumn<QByteArray>("text"); // empty: no file
        const QByteArray good = hexfiles::firmware(1, 6);
        QByteArray sum = good;
        const int last = good.lastIndexOf(":10D0") + 12;
        sum[last] = sum[last] == '7' ? '8' : '7';
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("record checksum in the last line") << sum;
        QTest::newRow("cut short") << good.left(good.lastIndexOf(':'));
        QTest::newRow("no D000 record") << QByteArray(good).replace(":10D000", ":10C000");
    }
    void badFilesSendNothing()
    {
        QFETCH(QByteArray, text);
        if (!text.isEmpty())
            QVERIFY(root->writeFile(stickFile(), text));
        startLink();
        QVERIFY(runUpdate());
        QCOMPARE(int(startUpdateFirmware), -1);
        QCOMPARE(int(endUpdateFirmware), -1);
        QCOMPARE(simCount("48"), 0);
        QCOMPARE(simCount("loader"), 0);
        QCOMPARE(actualWaitProgress.load(), 0);
    }

    // The board's own copy is used once: after a good transfer it is put
    // aside, so it does not start again at the next start; after a failed one
    // it stays for the next try. The choice of source is for one update only.
    void boardCopyIsPutAsideOnceTaken_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("taken") << false;
        QTest::newRow("refused") << true;
    }
    void boardCopyIsPutAsideOnceTaken()
    {
        QFETCH(bool, refused);
        const QByteArray text = hexfiles::firmware(0, 5);
        QVERIFY(root->writeFile("/home/root/velt_fw", text));
        QVERIFY(root->writeFile(stickFile(), "not this one"));
        if (refused)
            SIM_OK("loader nack 2");
        forceFwUpdateSend = true;
        startLink();
        QVERIFY(runUpdate());
        QVERIFY(!forceFwUpdateSend);
        QCOMPARE(int(endUpdateFirmware), refused ? -1 : 1);
        QCOMPARE(QFile::exists(root->path("/home/root/velt_fw")), refused);
        if (!refused)
            QCOMPARE(root->readFile("/home/root/velt_fw.flashed"), text);
    }

};

QTEST_GUILESS_MAIN(TestFirmware)
#include "tst_firmware.moc"
