// The serial link thread against a scripted board on a real pseudo-terminal.

#include "link/LinkHooks.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "support_pty.h"
#include "TempRoot.h"

#include <QtTest>

#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

void queue(std::initializer_list<uint8_t> codes)
{
    FifoLock lock;
    for (uint8_t c : codes) {
        serialFifo.push(ProtocolConversion::BuildCommand(c));
        waitStateVar(c);
    }
}

size_t queued()
{
    FifoLock lock;
    return serialFifo.size();
}

// A board that answers everything sensibly; individual tests override codes.
Bytes healthyAnswer(const Bytes &f)
{
    switch (f[1]) {
    case 0x70: return FakeBoard::status(0x0B, 0x08, 0); // closed, gasket, ready, glass
    case 0x71: return FakeBoard::reply(0x71, {60});
    case 0x72: return FakeBoard::reply(0x72, {21});
    case 0x73: return FakeBoard::reply(0x73, {7});
    default: return FakeBoard::ack();
    }
}

} // namespace

class TstLinkThread : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempRoot> root;
    std::unique_ptr<FakeBoard> board;
    std::unique_ptr<SerialThreadComunication> link;

    void startLink()
    {
        link = std::make_unique<SerialThreadComunication>(10000);
        link->start();
    }

private slots:
    void init()
    {
        platform::setLogSink([](const std::string &) {});
        root = std::make_unique<TempRoot>();
        board = std::make_unique<FakeBoard>();
        QVERIFY(board->ok());
        qputenv("FROSTPANEL_SERIAL", QByteArray::fromStdString(board->device()));
        {
            FifoLock lock;
            serialFifo = {};
        }
        resetStateVar();
        ProtocolConversion::HandshakeResponse(FakeBoard::status(0, 0, 0)); // all flags down
        serialComunicationError = 0;
        firstResponseHandshakeRecieved = false;
        requestTreePosition = false;
        requestSensorState = false;
        actualTreePosition = 0;
        actualTemperature = 0;
        actualAbsorption = 0;
        fwVersion = "";
        fwFrequency = "";
        LinkHooks::temperatureRead = nullptr;
        LinkHooks::absorptionRead = nullptr;
        LinkHooks::errorCodeRead = nullptr;
        LinkHooks::storeMainsSetting = nullptr;
        board->setResponder(healthyAnswer);
    }

    void cleanup()
    {
        link.reset();
        board.reset();
        root.reset();
        platform::setLogSink(nullptr);
        qunsetenv("FROSTPANEL_SERIAL");
    }

    void pollsRotateThroughTelemetry()
    {
        std::vector<int> temps;
        std::mutex m;
        LinkHooks::temperatureRead = [&](uint8_t v) { std::lock_guard<std::mutex> l(m); temps.push_back(v); };
        startLink();
        QVERIFY(board->waitFor([&] { return board->count(0x70) >= 9; }, 15000));
        link->kill();
        link->join();

        // After every status poll: nothing, temperature, absorption, in turn.
        const auto frames = board->frames();
        std::vector<uint8_t> codes;
        for (const auto &f : frames)
            codes.push_back(f.bytes[1]);
        std::vector<uint8_t> expected;
        for (size_t i = 0; expected.size() < codes.size(); ++i) {
            expected.push_back(0x70);
            if (i % 3 == 1)
                expected.push_back(0x71);
            if (i % 3 == 2)
                expected.push_back(0x72);
        }
        expected.resize(codes.size());
        QCOMPARE(codes, expected);

        // Polls come about every 400 ms.
        std::vector<qint64> gaps;
        std::vector<ReceivedFrame> statusFrames;
        for (const auto &f : frames)
            if (f.bytes[1] == 0x70)
                statusFrames.push_back(f);
        for (size_t i = 1; i < statusFrames.size(); ++i)
            gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(statusFrames[i].at
                                                                                   - statusFrames[i - 1].at)
                               .count());
        std::sort(gaps.begin(), gaps.end());
        const qint64 median = gaps[gaps.size() / 2];
        QVERIFY2(median >= 380 && median < 700, qPrintable(QString::number(median)));

        QCOMPARE(int(actualTemperature), 60);
        QCOMPARE(int(actualAbsorption), 21);
        QVERIFY(machineReady && machineCloseOk && oringPresence && glassPresence && !machineOpen);
        QVERIFY(firstResponseHandshakeRecieved);
        std::lock_guard<std::mutex> l(m);
        QVERIFY(!temps.empty());
        QCOMPARE(temps.front(), 60);
    }

    void unansweredFrameIsTriedThreeTimesThenQueueCancelled()
    {
        board->setResponder([](const Bytes &f) { return f[1] == 4 ? Bytes() : healthyAnswer(f); });
        queue({4, 3, 10});
        startLink();
        QVERIFY(board->waitFor([] { return stopRunningFlag != 0; }, 10000));
        QCOMPARE(int(stopRunningFlag), -1);
        QCOMPARE(int(startRunningFlag), -1);
        QCOMPARE(int(cutReleaseCmdSend), -1);
        QCOMPARE(board->count(4), 3);
        QCOMPARE(board->count(3), 0);
        QCOMPARE(queued(), size_t(0));
        QCOMPARE(link->errorOccuredCommand.load(), 0);

        // The link carries on: the next frame goes through.
        queue({3});
        QVERIFY(board->waitFor([] { return startRunningFlag != 0; }, 5000));
        QCOMPARE(int(startRunningFlag), 1);
    }

    void refusalCancelsEverythingQueued()
    {
        board->setResponder([](const Bytes &f) { return f[1] == 1 ? FakeBoard::refusal() : healthyAnswer(f); });
        queue({1, 2, 3});
        startLink();
        QVERIFY(board->waitFor([] { return checkWaitStateVar(); }, 5000));
        QCOMPARE(int(setMillingFlag), -1);
        QCOMPARE(int(setEmulsionFlag), -1);
        QCOMPARE(int(startRunningFlag), -1);
        QCOMPARE(board->count(1), 1);
        QCOMPARE(board->count(2), 0);
        QCOMPARE(board->count(3), 0);
        QCOMPARE(queued(), size_t(0));
    }

    void acknowledgedSequenceRunsInOrder()
    {
        queue({1, 2, 20, 3});
        startLink();
        QVERIFY(board->waitFor([] { return checkWaitStateVar(); }, 5000));
        QVERIFY(setMillingFlag == 1 && setEmulsionFlag == 1 && startRunningFlag == 1);
        std::vector<uint8_t> order;
        for (const auto &f : board->frames())
            if (f.bytes[1] != 0x70 && f.bytes[1] != 0x71 && f.bytes[1] != 0x72)
                order.push_back(f.bytes[1]);
        QCOMPARE(order, (std::vector<uint8_t>{1, 2, 20, 3}));
    }

    void corruptStatusReplyCountsAsContactButChangesNothing()
    {
        serialComunicationError = 5;
        board->setResponder([](const Bytes &f) {
            if (f[1] == 0x70)
                return Bytes{0xF3, 0x70, 0x7F, 0x7F, 0x00, 0x00, 0xFC}; // bad checksum
            return healthyAnswer(f);
        });
        startLink();
        QVERIFY(board->waitFor([&] { return board->count(0x70) >= 2; }, 5000));
        QCOMPARE(int(serialComunicationError), 0);
        QVERIFY(!machineReady && !working && !machineOpen);
        QVERIFY(!firstResponseHandshakeRecieved);
    }

    void deadBoardIsCountedAndComesBack()
    {
        std::atomic<bool> alive{false};
        board->setResponder([&](const Bytes &f) { return alive ? healthyAnswer(f) : Bytes(); });
        startLink();
        QVERIFY(board->waitFor([] { return serialComunicationError >= 3; }, 15000));
        QVERIFY(!machineReady);
        const uint32_t before = serialComunicationError;
        QVERIFY(board->waitFor([&] { return serialComunicationError > before; }, 5000));

        alive = true;
        QVERIFY(board->waitFor([] { return serialComunicationError == 0 && machineReady; }, 5000));
    }

    void lingeringRepliesDoNotShiftLaterExchanges()
    {
        // Each status poll is answered with a stray acknowledgement behind the
        // real reply, and the board refuses command 3. Read out of step, the
        // stray bytes would be taken for the next exchange's answer.
        board->setResponder([](const Bytes &f) {
            if (f[1] == 0x70) {
                Bytes r = FakeBoard::status(0x0B, 0x08, 0);
                const Bytes extra = FakeBoard::ack();
                r.insert(r.end(), extra.begin(), extra.end());
                return r;
            }
            if (f[1] == 3)
                return FakeBoard::refusal();
            return healthyAnswer(f);
        });
        startLink();
        QVERIFY(board->waitFor([&] { return board->count(0x71) >= 1 && board->count(0x72) >= 1; }, 10000));
        usleep(100000);
        QCOMPARE(int(actualTemperature), 60);
        QCOMPARE(int(actualAbsorption), 21);

        queue({3});
        QVERIFY(board->waitFor([] { return startRunningFlag != 0; }, 5000));
        QCOMPARE(int(startRunningFlag), -1);
    }

    void tornReplyIsRetried()
    {
        std::atomic<int> attempts{0};
        board->setResponder([&](const Bytes &f) {
            if (f[1] == 4 && attempts++ == 0)
                return Bytes{0xF3, 0x7F}; // cut short
            return healthyAnswer(f);
        });
        queue({4});
        startLink();
        QVERIFY(board->waitFor([] { return stopRunningFlag != 0; }, 6000));
        QCOMPARE(int(stopRunningFlag), 1);
        QCOMPARE(board->count(4), 2);
    }

    void sendFailureReopensThePort()
    {
        const QString linkPath = root->path("/dev/board");
        QVERIFY(QFile::link(QString::fromStdString(board->device()), linkPath));
        qputenv("FROSTPANEL_SERIAL", linkPath.toLocal8Bit());
        startLink();
        QVERIFY(board->waitFor([&] { return board->count(0x70) >= 1; }, 5000));

        // The line goes away; a second board appears behind the same path.
        auto second = std::make_unique<FakeBoard>();
        second->setResponder(healthyAnswer);
        board->closeLine();
        QFile::remove(linkPath);
        QVERIFY(QFile::link(QString::fromStdString(second->device()), linkPath));

        queue({4});
        QVERIFY(second->waitFor([] { return stopRunningFlag != 0; }, 5000));
        QCOMPARE(int(stopRunningFlag), -1); // the frame that could not be sent
        QVERIFY(second->waitFor([&] { return second->count(0x70) >= 2; }, 5000));

        queue({4});
        QVERIFY(second->waitFor([] { return stopRunningFlag != 0; }, 5000));
        QCOMPARE(int(stopRunningFlag), 1);
        link.reset();
    }

    void versionReplyIsDecodedAndStored()
    {
        int stored = 0;
        LinkHooks::storeMainsSetting = [&] { ++stored; };
        board->setResponder([](const Bytes &f) {
            if (f[1] == 118)
                return FakeBoard::reply(0x76, {0x51, 0x04, 0x05});
            return healthyAnswer(f);
        });
        queue({118});
        startLink();
        QVERIFY(board->waitFor([] { return !fwVersion.empty(); }, 5000));
        QVERIFY(board->waitFor([&] { return QFile::exists(root->path("/home/root/version")); }, 2000));
        QCOMPARE(QString::fromStdString(fwVersion), QStringLiteral("2.00.05"));
        QCOMPARE(QString::fromStdString(fwFrequency), QStringLiteral("110V50Hz"));
        QCOMPARE(root->readFile("/home/root/version"), QByteArray("SW: 1.01.01 - FW: 2.00.05 - 110V50Hz"));
        QCOMPARE(stored, 1);

        // 230 V, 60 Hz, version 0x1AB.
        board->setResponder([](const Bytes &f) {
            if (f[1] == 118)
                return FakeBoard::reply(0x76, {0x60, 0x03, 0x2B});
            return healthyAnswer(f);
        });
        queue({118});
        QVERIFY(board->waitFor([] { return fwVersion.get() == "1.10.11"; }, 5000));
        QCOMPARE(QString::fromStdString(fwFrequency), QStringLiteral("230V 60Hz"));
        QVERIFY(board->waitFor([&] { return root->readFile("/home/root/version").endsWith("230V 60Hz"); }, 2000));

        // A reply too short for a version leaves it as it was.
        board->setResponder([](const Bytes &f) {
            if (f[1] == 118)
                return FakeBoard::reply(0x76, {0x51});
            return healthyAnswer(f);
        });
        queue({118});
        QVERIFY(board->waitFor([] { return queued() == 0; }, 5000));
        QCOMPARE(QString::fromStdString(fwVersion), QStringLiteral("1.10.11"));
    }

    void requestRepliesFillTheirResults()
    {
        board->setResponder([](const Bytes &f) {
            if (f[1] == 116)
                return FakeBoard::reply(0x74, {0x03});
            if (f[1] == 117)
                return FakeBoard::reply(0x75, {0x02, 0x05});
            return healthyAnswer(f);
        });
        {
            FifoLock lock;
            serialFifo.push(ProtocolConversion::BuildCommand(116));
            waitStateVar(116);
            serialFifo.push(ProtocolConversion::BuildCommand(117));
            waitStateVar(117);
        }
        startLink();
        QVERIFY(board->waitFor([] { return queued() == 0 && retrivedResidualStep != 0xC000; }, 5000));
        QCOMPARE(int(getBladeMountState), 1);
        QCOMPARE(int(bladeMountState), 3);
        QCOMPARE(int(retrivedResidualStep), 2 * 128 + 5);

        // A blade-state reply without data is a failed request.
        board->setResponder([](const Bytes &f) {
            return f[1] == 116 ? FakeBoard::reply(0x74, {}) : healthyAnswer(f);
        });
        queue({116});
        QVERIFY(board->waitFor([] { return getBladeMountState != 0; }, 5000));
        QCOMPARE(int(getBladeMountState), -1);
    }

    void axisPositionAndSensors()
    {
        std::atomic<int> positionReplies{0};
        std::atomic<uint8_t> low{0x1E};
        board->setResponder([&](const Bytes &f) {
            if (f[1] == 120)
                return (positionReplies++ % 2 == 0) ? FakeBoard::reply(0x78, {0x00, 0x00})
                                                    : FakeBoard::reply(0x78, {0x06, low.load()});
            if (f[1] == 119)
                return FakeBoard::reply(0x77, {0x01, 0x02});
            return healthyAnswer(f);
        });
        requestTreePosition = true;
        requestSensorState = true;
        startLink();
        QVERIFY(board->waitFor([] { return actualTreePosition == 399; }, 8000));
        QVERIFY(board->waitFor([] { return actualSensorState == 0x0102; }, 8000));

        low = 0x20; // 800 / 2 = 400: out of range, kept at 399
        const int seen = board->count(120);
        QVERIFY(board->waitFor([&] { return board->count(120) >= seen + 4; }, 8000));
        QCOMPARE(int(actualTreePosition), 399);
    }

    void boardErrorCodeIsHandedOnEveryPoll()
    {
        std::vector<int> codes;
        std::mutex m;
        LinkHooks::errorCodeRead = [&](uint8_t c) { std::lock_guard<std::mutex> l(m); codes.push_back(c); };
        board->setResponder([](const Bytes &f) {
            if (f[1] == 0x70)
                return FakeBoard::status(0x4B, 0x08, 0); // error bit set
            return healthyAnswer(f);
        });
        startLink();
        QVERIFY(board->waitFor([&] { std::lock_guard<std::mutex> l(m); return codes.size() >= 2; }, 6000));
        QVERIFY(hardwareMachineError);
        std::lock_guard<std::mutex> l(m);
        QCOMPARE(codes[0], 7);
    }

    void idleAndExit()
    {
        startLink();
        QVERIFY(board->waitFor([&] { return board->count(0x70) >= 1; }, 5000));
        QVERIFY(board->waitFor([&] { return link->getStatus() == Manager::Working; }, 1000));
        link->stop();
        QCOMPARE(link->getStatus(), Manager::Idle);
        usleep(100000);
        const int polls = board->count(0x70);
        usleep(1000000);
        QCOMPARE(board->count(0x70), polls); // idle: no traffic at all
        link->start();
        QVERIFY(board->waitFor([&] { return board->count(0x70) > polls; }, 3000));
        link->kill();
        link->join();
        QCOMPARE(link->getStatus(), Manager::Exit);
    }

    void firmwareRequestIsAnsweredUntilSupported()
    {
        {
            FifoLock lock;
            serialFifo.push(ProtocolConversion::BuildCommand(48));
            waitStateVar(48);
        }
        startLink();
        QVERIFY(board->waitFor([] { return checkWaitStateVar(); }, 5000));
        QCOMPARE(queued(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(TstLinkThread)
#include "tst_linkthread.moc"
