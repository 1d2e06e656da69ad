// Byte helpers, board frames, status decoding and the acknowledgement flags.

#include "link/ByteUtils.h"
#include "link/ProtocolConversion.h"
#include "link/SharedState.h"

#include <QtTest>

using B = ByteVector;

class TstCodec : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetStateVar(); firstResponseHandshakeRecieved = false; actualStep = 0; }

    void byteHelpersRespectBounds()
    {
        uint32_t pos = 1;
        QCOMPARE(uint16FromByteArray(B{0x12, 0x34}, &pos), uint16_t(0)); // one byte left: nothing read
        QCOMPARE(pos, 1u);
        pos = 7; // beyond the end must not wrap around
        QCOMPARE(uint32FromByteArray(B{0x12, 0x34}, &pos), 0u);
        QCOMPARE(pos, 7u);
        QCOMPARE(toByteArray(int(-2)), (B{0xFF, 0xFF, 0xFF, 0xFE}));
        pos = 0;
        QCOMPARE(int32FromByteArray(toByteArray(int(-2)), &pos), -2);

        const B cut = toByteArray(std::string(300, 'x'));
        QVERIFY(cut.size() == 256 && cut[0] == 255);
        pos = 0;
        QCOMPARE(stringFromByteArray(B{5, 'a', 'b'}, &pos), std::string());
        QCOMPARE(pos, 1u); // only past the length byte
        pos = 0;
        const B two{2, 'h', 'i', 1, 'z'};
        QCOMPARE(stringFromByteArray(two, &pos), std::string("hi"));
        QCOMPARE(stringFromByteArray(two, &pos), std::string("z"));
        QCOMPARE(pos, 5u);

        QCOMPARE(ByteToOctectString(B{0x01, 0xAB}, 9), std::string("01ab")); // n past the end
        B out;
        OctectStringToByte(std::string("0FbB1"), &out); // odd tail ignored
        QCOMPARE(out, (B{0x0F, 0xBB}));
    }

    void parsingReplies_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("acknowledged");
        QTest::newRow("leading noise") << QByteArray("\x00\xF3\x7F\x7F\xFC", 5) << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("restart") << QByteArray("\xF3\x01\xF3\x7F\x7F\xFC\x99") << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("end before start") << QByteArray("\xFC\xF3\x7F\x7F\xFC") << QByteArray("\x7F\x7F") << 0 << true;
        QTest::newRow("no start") << QByteArray("\x7F\x7F\xFC") << QByteArray() << 4 << false;
        QTest::newRow("no end") << QByteArray("\xF3\x7F\x7F") << QByteArray() << 4 << false;
        QTest::newRow("refusal") << QByteArray("\xF3\x15\x15\xFC") << QByteArray("\x15\x15") << 0 << false;
        QTest::newRow("bad checksum") << QByteArray("\xF3\x7F\x00\xFC", 4) << QByteArray("\x7F\x00", 2) << 2 << false;
    }

    void parsingReplies()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, packet);
        QFETCH(int, error);
        QFETCH(bool, acknowledged);
        const B in(input.begin(), input.end());
        QCOMPARE(ProtocolConversion::GetPacket(in), B(packet.begin(), packet.end()));
        QCOMPARE(ProtocolConversion::CommandResponse(in), acknowledged);
        QCOMPARE(int(ProtocolConversion::error_occured), error);
    }

    void framesAndRequestReplies()
    {
        QCOMPARE(ProtocolConversion::BuildCommand(112), (B{0xF3, 0x70, 0x70, 0xFC}));
        QCOMPARE(ProtocolConversion::BuildCommand(21, {0x7F}), (B{0xF3, 0x15, 0x7F, 0x6A, 0xFC}));
        QCOMPARE(ProtocolConversion::RequestResponse({0xF3, 0x71, 0x3C, 0x4D, 0xFC}), (B{0x71, 0x3C}));
        QCOMPARE(int(ProtocolConversion::error_occured), 0);
        // A wrong checksum is kept, and reported.
        QCOMPARE(ProtocolConversion::RequestResponse({0xF3, 0x7F, 0x00, 0xFC}), (B{0x7F, 0x00}));
        QCOMPARE(int(ProtocolConversion::error_occured), 2);
        QVERIFY(ProtocolConversion::RequestResponse({0xF3, 0xFC}).empty());
    }

    void statusDecoding()
    {
        // Every second bit of each status byte, step 9.
        const uint8_t b1 = 0x55, b2 = 0x2A, step = 9;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, b1, b2, step, uint8_t(0x70 ^ b1 ^ b2 ^ step), 0xFC});
        QVERIFY(machineCloseOk && !oringPresence && hardContent && !machineReady && millingOn && !fullGlass
                && hardwareMachineError);
        QVERIFY(!working && cutRelease_flag_a && !cutRelease_flag_b && glassPresence && !machineOpen45
                && machineOpen && !glassBigPresence);
        QCOMPARE(int(actualStep), 9);
        QVERIFY(firstResponseHandshakeRecieved);

        // Four packet bytes: the flags change, the checksum is not taken as the step.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x08, 0x01, 0x79, 0xFC});
        QVERIFY(machineReady && working && !machineOpen);
        QCOMPARE(int(actualStep), 9);
        // A corrupt reply changes nothing.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x00, 0x00, 0x00, 0x71, 0xFC});
        QVERIFY(machineReady && working);

        // Two packet bytes carry no status: not decoded, not a first reply.
        firstResponseHandshakeRecieved = false;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x70, 0xFC});
        QVERIFY(!firstResponseHandshakeRecieved);
        // Three bytes before any other reply: only the missing-firmware bit.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(fwNotFound && machineReady && firstResponseHandshakeRecieved);
        fwNotFound = false;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(!fwNotFound); // afterwards ignored
    }

    void acknowledgementFlags()
    {
        // Residual steps have no flag to wait on; a failed custom cleaning is 255.
        waitStateVar(117);
        QVERIFY(checkWaitStateVar());
        waitStateVar(17);
        QVERIFY(!checkWaitStateVar());
        setStateVar(17, false);
        QCOMPARE(int(setCustomClean), 255);
        QVERIFY(checkWaitStateVar());
    }
};

QTEST_GUILESS_MAIN(TstCodec)
#include "tst_codec.moc"
