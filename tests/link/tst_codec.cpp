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

    void bigEndianReadsRespectBounds()
    {
        const B two{0x12, 0x34};
        uint32_t pos = 0;
        QCOMPARE(uint16FromByteArray(two, &pos), uint16_t(0x1234));
        QCOMPARE(pos, 2u);
        pos = 1;
        QCOMPARE(uint16FromByteArray(two, &pos), uint16_t(0));
        QCOMPARE(pos, 1u);
        pos = 7; // beyond the end must not wrap around
        QCOMPARE(uint32FromByteArray(two, &pos), 0u);
        QCOMPARE(pos, 7u);

        const B four = toByteArray(int(-2));
        QCOMPARE(four, (B{0xFF, 0xFF, 0xFF, 0xFE}));
        pos = 0;
        QCOMPARE(int32FromByteArray(four, &pos), -2);
        QCOMPARE(toByteArray(uint16_t(0xABCD)), (B{0xAB, 0xCD}));
    }

    void lengthPrefixedStrings()
    {
        QCOMPARE(toByteArray(std::string("abc")), (B{3, 'a', 'b', 'c'}));
        const B cut = toByteArray(std::string(300, 'x'));
        QCOMPARE(int(cut.size()), 256);
        QCOMPARE(int(cut[0]), 255);

        uint32_t pos = 0;
        QCOMPARE(stringFromByteArray(B{5, 'a', 'b'}, &pos), std::string());
        QCOMPARE(pos, 1u); // only past the length byte
        pos = 0;
        const B two{2, 'h', 'i', 1, 'z'};
        QCOMPARE(stringFromByteArray(two, &pos), std::string("hi"));
        QCOMPARE(stringFromByteArray(two, &pos), std::string("z"));
        QCOMPARE(stringFromByteArray(two, &pos), std::string());
        QCOMPARE(pos, 5u);
    }

    void hexText()
    {
        QCOMPARE(ByteToOctectString(B{0xF3, 0x70, 0x70, 0xFC}, 4), std::string("f37070fc"));
        QCOMPARE(ByteToOctectString(B{0x01, 0xAB}, 9), std::string("01ab")); // n past the end
        QCOMPARE(char2int('g'), 0);
        QCOMPARE(char2int('B'), 11);

        B out;
        OctectStringToByte(std::string("0FbB1"), &out); // odd tail ignored
        QCOMPARE(out, (B{0x0F, 0xBB}));
        out.clear();
        OctectStringToByte("0102", &out, 5); // asks for more than the text holds
        QCOMPARE(out, (B{0x01, 0x02}));
        unsigned char raw[3] = {0, 0, 0};
        OctectStringToByte("d0007f", raw, 3);
        QCOMPARE(int(raw[0]), 0xD0);
        QCOMPARE(int(raw[2]), 0x7F);
    }

    void buildingFrames()
    {
        QCOMPARE(ProtocolConversion::BuildCommand(112), (B{0xF3, 0x70, 0x70, 0xFC}));
        QCOMPARE(ProtocolConversion::BuildCommand(21, {0x7F}), (B{0xF3, 0x15, 0x7F, 0x6A, 0xFC}));
        QCOMPARE(ProtocolConversion::CalcCheckSum({}), uint8_t(0));
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
        QTest::newRow("empty") << QByteArray() << QByteArray() << 4 << false;
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

    void requestReplyKeepsChecksumOnlyWhenWrong()
    {
        QCOMPARE(ProtocolConversion::RequestResponse({0xF3, 0x71, 0x3C, 0x4D, 0xFC}), (B{0x71, 0x3C}));
        QCOMPARE(int(ProtocolConversion::error_occured), 0);
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
    }

    void shortStatusReplies()
    {
        // Two packet bytes carry no status: not decoded, not a first reply.
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x70, 0xFC});
        QVERIFY(!firstResponseHandshakeRecieved);

        // Three bytes before any other reply: only the missing-firmware bit.
        machineReady = true;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(fwNotFound);
        QVERIFY(machineReady);
        QVERIFY(firstResponseHandshakeRecieved);

        fwNotFound = false;
        ProtocolConversion::HandshakeResponse({0xF3, 0x70, 0x02, 0x72, 0xFC});
        QVERIFY(!fwNotFound); // afterwards ignored
    }

    void acknowledgementFlags()
    {
        QVERIFY(checkWaitStateVar());
        waitStateVar(3);
        QCOMPARE(int(startRunningFlag), 0);
        QVERIFY(!checkWaitStateVar());
        setStateVar(3, false);
        QCOMPARE(int(startRunningFlag), -1);
        QVERIFY(checkWaitStateVar());

        setStateVar(118, true); // no flag: nothing to change
        setStateVar(48, true);
        QVERIFY(checkWaitStateVar());

        waitStateVar(116);
        QCOMPARE(int(getBladeMountState), 0);
        QCOMPARE(int(bladeMountState), 0xFF00);
        setStateVar(116, true);

        bladeMountState = 5;
        waitStateVar(117);
        QCOMPARE(int(retrivedResidualStep), 0xC000);
        QCOMPARE(int(bladeMountState), 5);
        QVERIFY(checkWaitStateVar());

        waitStateVar(17);
        QVERIFY(!checkWaitStateVar()); // custom cleaning awaited
        setStateVar(17, false);
        QCOMPARE(int(setCustomClean), 255);
        QVERIFY(checkWaitStateVar());

        waitStateVar(48);
        QVERIFY(startUpdateFirmware == 0 && endUpdateFirmware == 0);
        resetStateVar();
        QVERIFY(checkWaitStateVar());
        QCOMPARE(int(retrivedResidualStep), 0xC000);
    }
};

QTEST_GUILESS_MAIN(TstCodec)
#include "tst_codec.moc"
