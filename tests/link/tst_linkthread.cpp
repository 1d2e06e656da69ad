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
        QTRY_VERIFY_WITH_TIMEOUT(board->count(0x70) >= 7, 15000);
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
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), -1, 10000);
        QVERIFY(startRunningFlag == -1 && cutReleaseCmdSend == -1);
        QCOMPARE(board->count(4), 3);
        QCOMPARE(board->count(3), 0);
        QCOMPARE(queued(), size_t(0));

        // The link carries on: the next frame goes through.
        queue({3});
        QTRY_COMPARE(int(startRunningFlag), 1);
    }

    void refusalCancelsEverythingQueued()
    {
        board->setResponder(except(1, FakeBoard::refusal()));
        queue({1, 2, 3});
        startLink();
        QTRY_VERIFY(checkWaitStateVar());
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
        QTRY_VERIFY(board->count(0x70) >= 2);
        QCOMPARE(int(serialComunicationError), 0);
        QVERIFY(!machineReady && !working && !machineOpen && !firstResponseHandshakeRecieved);
    }

    void deadBoardIsCountedAndComesBack()
    {
        std::atomic<bool> alive{false};
        board->setResponder([&](const Bytes &f) { return alive ? healthyAnswer(f) : Bytes(); });
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(serialComunicationError >= 3, 15000);
        QVERIFY(!machineReady);
        const uint32_t before = serialComunicationError;
        QTRY_VERIFY(serialComunicationError > before);
        alive = true;
        QTRY_VERIFY(serialComunicationError == 0 && machineReady);
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
        QTRY_VERIFY_WITH_TIMEOUT(actualTemperature == 60 && actualAbsorption == 21, 10000);
        queue({3});
        QTRY_COMPARE(int(startRunningFlag), -1);
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
        QTRY_COMPARE_WITH_TIMEOUT(int(stopRunningFlag), 1, 6000);
        QCOMPARE(board->count(4), 2);
    }

    void sendFailureReopensThePort()
    {
        const QString linkPath = root->path("/dev/board");
        QVERIFY(QFile::link(QString::fromStdString(board->device()), linkPath));
        qputenv("FROSTPANEL_SERIAL", linkPath.toLocal8Bit());
        startLink();
        QTRY_VERIFY(board->count(0x70) >= 1);

        // The line goes away; a second board appears behind the same path.
        FakeBoard second;
        second.setResponder(healthyAnswer);
        board->closeLine();
        QFile::remove(linkPath);
        QVERIFY(QFile::link(QString::fromStdString(second.device()), linkPath));
        queue({4});
        QTRY_COMPARE(int(stopRunningFlag), -1); // the frame that could not be sent
        QTRY_VERIFY(second.count(0x70) >= 2);
        queue({4});
        QTRY_COMPARE(int(stopRunningFlag), 1);
        link.reset();
    }

    void versionReplyIsDecodedAndStored()
    {
        int stored = 0;
        LinkHooks::storeMainsSetting = [&] { ++stored; };
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51, 0x04, 0x05})));
        queue({118});
        startLink();
        QTRY_COMPARE(root->readFile("/home/root/version"), QByteArray("SW: 1.01.01 - FW: 2.00.05 - 110V50Hz"));
        QCOMPARE(stored, 1);

        // 230 V, 60 Hz, version 0x1AB.
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x60, 0x03, 0x2B})));
        queue({118});
        QTRY_VERIFY(root->readFile("/home/root/version").endsWith("1.10.11 - 230V 60Hz"));

        // A reply too short for a version leaves it as it was.
        board->setResponder(except(118, FakeBoard::reply(0x76, {0x51})));
        queue({118});
        QTRY_VERIFY(queued() == 0);
        QCOMPARE(QString::fromStdString(fwVersion), QStringLiteral("1.10.11"));
        QCOMPARE(QString::fromStdString(fwFrequency), QStringLiteral("230V 60Hz"));
    }

    void requestRepliesFillTheirResults()
    {
        std::atomic<int> positionReplies{0}, errorCode{0};
        std::atomic<uint8_t> low{0x1E};
        std::atomic<bool> bladeEmpty{false};
        LinkHooks::errorCodeRead = [&](uint8_t c) { errorCode = c; };
        board->setResponder([&](const Bytes &f) {
            switch (f[1]) {
            case 0x70: return FakeBoard::status(0x4B, 0x08, 0); // the error bit set
            case 116: return FakeBoard::reply(0x74, bladeEmpty ? Bytes() : Bytes{0x03});
            case 117: return FakeBoard::reply(0x75, {0x02, 0x05});
            case 119: return FakeBoard::reply(0x77, {0x01, 0x02});
            case 120: // two replies: the top bits, then the value
                return FakeBoard::reply(0x78, positionReplies++ % 2 == 0 ? Bytes{0x00, 0x00} : Bytes{0x06, low});
            default: return healthyAnswer(f);
            }
        });
        requestTreePosition = requestSensorState = true;
        queue({116, 117, 48});
        startLink();
        QTRY_VERIFY_WITH_TIMEOUT(actualTreePosition == 399 && actualSensorState == 0x0102 && errorCode == 7, 8000);
        QVERIFY(getBladeMountState == 1 && bladeMountState == 3 && retrivedResidualStep == 2 * 128 + 5);
        // No loader yet: the firmware update is answered as not started.
        QVERIFY(startUpdateFirmware == -1 && board->count(48) == 0);

        low = 0x20; // 800 / 2 = 400: out of range, kept at 399
        const int seen = board->count(120);
        QTRY_VERIFY_WITH_TIMEOUT(board->count(120) >= seen + 4, 8000);
        QCOMPARE(int(actualTreePosition), 399);
        // A blade-state reply without data is a failed request.
        bladeEmpty = true;
        queue({116});
        QTRY_COMPARE(int(getBladeMountState), -1);
    }
};

QTEST_GUILESS_MAIN(TstLinkThread)
#include "tst_linkthread.moc"
