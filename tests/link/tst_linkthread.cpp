// The serial link thread against a scripted board on a real pseudo-terminal.

#include "link/LinkHooks.h"
#include "link/ProtocolConversion.h"
#include "link/SerialThreadComunication.h"
#include "link/SharedState.h"
#include "platform/log.h"
#include "support_pty.h"
#include "TempRoot.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

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

// Waits for a queued frame's flag: 1 acknowledged, -1 failed, 0 still waiting.
template <typename Flag>
int outcome(const Flag &flag, int timeoutMs = 5000)
{
    waitFor([&] { return flag != 0; }, timeoutMs);
    return int(flag);
}

// A board that answers everything sensibly.
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

// The healthy board, but `code` is answered with `answer`.
FakeBoard::Responder except(uint8_t code, const Bytes &answer)
{
    return [=](const Bytes &f) { return f[1] == code ? answer : healthyAnswer(f); };
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
        board->setResponder(healthyAnswer);
        qputenv("FROSTPANEL_SERIAL", QByteArray::fromStdString(board->device()));
        serialFifo = {};
        resetStateVar();
        ProtocolConversion::HandshakeResponse(FakeBoard::status(0, 0, 0)); // all flags down
        serialComunicationError = 0;
        firstResponseHandshakeRecieved = requestTreePosition = requestSensorState = false;
        actualTreePosition = actualTemperature = actualAbsorption = 0;
        LinkHooks::temperatureRead = nullptr;
        LinkHooks::errorCodeRead = nullptr;
        LinkHooks::storeMainsSetting = nullptr;
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
        std::atomic<int> firstTemperature{-1};
        LinkHooks::temperatureRead = [&](uint8_t v) {
            int none = -1;
            firstTemperature.compare_exchange_strong(none, v);
        };
        QElapsedTimer t;
        t.start();
        startLink();
        QVERIFY(waitFor([&] { return board->count(0x70) >= 7; }, 15000));
        // A status poll about every 400 ms, the first one 400 ms in.
        QVERIFY2(t.elapsed() >= 7 * 380 && t.elapsed() < 7 * 700, qPrintable(QString::number(t.elapsed())));
        link.reset();

        // After every status poll: nothing, temperature, absorption, in turn.
        std::vector<uint8_t> codes, expected;
        for (const Bytes &f : board->frames())
            codes.push_back(f[1]);
        for (size_t i = 0; expected.size() < codes.size(); ++i) {
            expected.push_back(0x70);
            if (i % 3)
                expected.push_back(i % 3 == 1 ? 0x71 : 0x72);
        }
        expected.resize(codes.size());
        QCOMPARE(codes, expected);
        QVERIFY(machineReady && machineCloseOk && oringPresence && glassPresence && !machineOpen);
        QVERIFY(actualTemperature == 60 && actualAbsorption == 21 && firstTemperature == 60);
    }

    void unansweredFrameIsTriedThreeTimesThenQueueCancelled()
    {
        board->setResponder(except(4, {}));
        queue({4, 3, 10});
        startLink();
        QCOMPARE(outcome(stopRunningFlag, 10000), -1);
        QVERIFY(startRunningFlag == -1 && cutReleaseCmdSend == -1);
        QCOMPARE(board->count(4), 3);
        QCOMPARE(board->count(3), 0);
        QCOMPARE(queued(), size_t(0));

        // The link carries on: the next frame goes through.
        queue({3});
        QCOMPARE(outcome(startRunningFlag), 1);
    }

    void refusalCancelsEverythingQueued()
    {
        board->setResponder(except(1, FakeBoard::refusal()));
        queue({1, 2, 3});
        startLink();
        QVERIFY(waitFor([] { return checkWaitStateVar(); }, 5000));
        QVERIFY(setMillingFlag == -1 && setEmulsionFlag == -1 && startRunningFlag == -1);
        QCOMPARE(board->count(1), 1);
        QCOMPARE(board->count(2) + board->count(3), 0);
        QCOMPARE(queued(), size_t(0));
    }

    void corruptStatusReplyCountsAsContactButChangesNothing()
    {
        serialComunicationError = 5;
        board->setResponder(except(0x70, {0xF3, 0x70, 0x7F, 0x7F, 0x00, 0x00, 0xFC}));
        startLink();
        QVERIFY(waitFor([&] { return board->count(0x70) >= 2; }, 5000));
        QCOMPARE(int(serialComunicationError), 0);
        QVERIFY(!machineReady && !working && !machineOpen && !firstResponseHandshakeRecieved);
    }

    void deadBoardIsCountedAndComesBack()
    {
        std::atomic<bool> alive{false};
        board->setResponder([&](const Bytes &f) { return alive ? healthyAnswer(f) : Bytes(); });
        startLink();
        QVERIFY(waitFor([] { return serialComunicationError >= 3; }, 15000));
        QVERIFY(!machineReady);
        const uint32_t before = serialComunicationError;
        QVERIFY(waitFor([&] { return serialComunicationError > before; }, 5000));
        alive = true;
        QVERIFY(waitFor([] { return serialComunicationError == 0 && machineReady; }, 5000));
    }

    void lingeringRepliesDoNotShiftLaterExchanges()
    {
        // Each status reply is followed by a stray acknowledgement; read out of
        // step, it would be taken for the next exchange's answer.
        board->setResponder([](const Bytes &f) {
            Bytes r = f[1] == 3 ? FakeBoard::refusal() : healthyAnswer(f);
            if (f[1] == 0x70)
                r.insert(r.end(), {0xF3, 0x7F, 0x7F, 0xFC});
            return r;
        });
        startLink();
        QVERIFY(waitFor([&] { return actualTemperature == 60 && actualAbsorption == 21; }, 10000));
        queue({3});
        QCOMPARE(outcome(startRunningFlag), -1);
        QCOMPARE(int(actualTemperature), 60);
    }

    void tornReplyIsRetried()
    {
        std::atomic<int> attempts{0};
        board->setResponder([&](const Bytes &f) {
            return f[1] == 4 && attempts++ == 0 ? Bytes{0xF3, 0x7F} : healthyAnswer(f);
        });
        queue({4});
        startLink();
        QCOMPARE(outcome(stopRunningFlag, 6000), 1);
        QCOMPARE(board->count(4), 2);
    }

    void sendFailureReopensThePort()
    {
        const QString linkPath = root->path("/dev/board");
        QVERIFY(QFile::link(QString::fromStdString(board->device()), linkPath));
        qputenv("FROSTPANEL_SERIAL", linkPath.toLocal8Bit());
        startLink();
        QVERIFY(waitFor([&] { return board->count(0x70) >= 1; }, 5000));

        // The line goes away; a second board appears behind the same path.
        FakeBoard second;
        second.setResponder(healthyAnswer);
        board->closeLine();
        QFile::remove(linkPath);
        QVERIFY(QFile::link(QString::fromStdString(second.device()), linkPath));
        queue({4});
        QCOMPARE(outcome(stopRunningFlag), -1); // the frame that could not be sent
        QVERIFY(waitFor([&] { return second.count(0x70) >= 2; }, 5000));
        queue({4});
        QCOMPARE(outcome(stopRunningFlag), 1);
        link.reset();
    }

    void versionReplyIsDecodedAndStored()
    {
        int stored = 0;
        LinkHooks::storeMainsSetting = [&] { ++stored; };
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51, 0x04, 0x05})));
        queue({118});
        startLink();
        QVERIFY(waitFor([&] { return root->readFile("/home/root/version").size() > 0; }, 5000));
        QCOMPARE(root->readFile("/home/root/version"), QByteArray("SW: 1.01.01 - FW: 2.00.05 - 110V50Hz"));
        QCOMPARE(stored, 1);

        // 230 V, 60 Hz, version 0x1AB.
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x60, 0x03, 0x2B})));
        queue({118});
        QVERIFY(waitFor([&] { return root->readFile("/home/root/version").endsWith("1.10.11 - 230V 60Hz"); }, 5000));

        // A reply too short for a version leaves it as it was.
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51})));
        queue({118});
        QVERIFY(waitFor([] { return queued() == 0; }, 5000));
        QCOMPARE(QString::fromStdString(fwVersion), QStringLiteral("1.10.11"));
        QCOMPARE(QString::fromStdString(fwFrequency), QStringLiteral("230V 60Hz"));
    }

    void requestRepliesFillTheirResults()
    {
        board->setResponder([](const Bytes &f) {
            return f[1] == 116 ? FakeBoard::reply(0x74, {0x03})
                               : f[1] == 117 ? FakeBoard::reply(0x75, {0x02, 0x05}) : healthyAnswer(f);
        });
        queue({116, 117, 48});
        startLink();
        QVERIFY(waitFor([] { return queued() == 0; }, 5000));
        QVERIFY(getBladeMountState == 1 && bladeMountState == 3);
        QCOMPARE(int(retrivedResidualStep), 2 * 128 + 5);
        // The firmware update is not built: answered as not started.
        QCOMPARE(int(startUpdateFirmware), -1);
        QCOMPARE(board->count(48), 0);

        // A blade-state reply without data is a failed request.
        board->setResponder(except(116, FakeBoard::reply(0x74, {})));
        queue({116});
        QCOMPARE(outcome(getBladeMountState), -1);
    }

    void axisPositionAndSensors()
    {
        std::atomic<int> positionReplies{0};
        std::atomic<uint8_t> low{0x1E};
        board->setResponder([&](const Bytes &f) {
            if (f[1] == 120) // two replies: the top bits, then the value
                return positionReplies++ % 2 == 0 ? FakeBoard::reply(0x78, {0x00, 0x00})
                                                  : FakeBoard::reply(0x78, {0x06, low.load()});
            return f[1] == 119 ? FakeBoard::reply(0x77, {0x01, 0x02}) : healthyAnswer(f);
        });
        requestTreePosition = requestSensorState = true;
        startLink();
        QVERIFY(waitFor([] { return actualTreePosition == 399 && actualSensorState == 0x0102; }, 8000));

        low = 0x20; // 800 / 2 = 400: out of range, kept at 399
        const int seen = board->count(120);
        QVERIFY(waitFor([&] { return board->count(120) >= seen + 4; }, 8000));
        QCOMPARE(int(actualTreePosition), 399);
    }

    void boardErrorCodeIsHandedOn()
    {
        std::atomic<int> code{0};
        LinkHooks::errorCodeRead = [&](uint8_t c) { code = c; };
        board->setResponder(except(0x70, FakeBoard::status(0x4B, 0x08, 0))); // error bit set
        startLink();
        QVERIFY(waitFor([&] { return code != 0; }, 6000));
        QCOMPARE(code.load(), 7);
        QVERIFY(hardwareMachineError);
    }
};

QTEST_GUILESS_MAIN(TstLinkThread)
#include "tst_linkthread.moc"
