// Remote frames: cipher, checksum, stuffing, opening, and the splitting of a
// byte stream into frames.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"

#include "support_remote.h"

#include <QtTest>

#include <random>

using remotetest::bytes;

namespace {

const std::string kKey = "AB12CD34";

ByteVector key(const std::string &k, std::size_t n)
{
    ByteVector out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(static_cast<uint8_t>(k[i % k.size()]));
    return out;
}

} // namespace

class TstFrames : public QObject
{
    Q_OBJECT

private slots:
    void frameLayout()
    {
        // 0x01 0x7F: checksum 0x7E, sent after the enciphered payload.
        const ByteVector f = ProtocolTCP::buildFrame(bytes({0x01, 0x7F}), kKey);
        const uint8_t e0 = 0x01 ^ 'A', e1 = 0x7F ^ 'B';
        QCOMPARE(f, bytes({0xF1, e0, e1, 0x7E, 0xFF}));
        QCOMPARE(ProtocolTCP::ByteUnstuffing(f, kKey), bytes({0x01, 0x7F, 0x7E}));

        // An empty payload is the frame F1 00 FF.
        QCOMPARE(ProtocolTCP::buildFrame(ByteVector(), kKey), bytes({0xF1, 0x00, 0xFF}));
        QCOMPARE(ProtocolTCP::BuildCommand(ByteVector()), bytes({0xF1, 0x00, 0xFF}));
    }

    void specialBytesAreEscaped()
    {
        // Enciphered byte equal to F1, checksum equal to FF, checksum equal to F4.
        const ByteVector a = ProtocolTCP::buildFrame(bytes({0xF1 ^ 'A', 0x00}), kKey);
        QCOMPARE(ByteVector(a.begin(), a.begin() + 3), bytes({0xF1, 0xF4, 0xF1}));

        const ByteVector b = ProtocolTCP::buildFrame(bytes({0xFF}), kKey);
        QCOMPARE(b, bytes({0xF1, 0xFF ^ 'A', 0xF4, 0xFF, 0xFF}));

        const ByteVector c = ProtocolTCP::buildFrame(bytes({0xF4}), kKey);
        QCOMPARE(c, bytes({0xF1, 0xF4 ^ 'A', 0xF4, 0xF4, 0xFF}));
        QCOMPARE(ProtocolTCP::ByteUnstuffing(c, kKey), bytes({0xF4, 0xF4}));
    }

    void cipherRepeatsTheKey()
    {
        ByteVector twenty(20, 0x00);
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(twenty, kKey), key(kKey, 20));
        // Byte 8 is combined with the first character again.
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(twenty, kKey)[8], uint8_t('A'));
        // A one-character key combines every byte with it.
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(bytes({1, 2, 3}), "Z"), bytes({1 ^ 'Z', 2 ^ 'Z', 3 ^ 'Z'}));
        // Twice gives the bytes back; a longer key uses only its beginning.
        const ByteVector p = bytes({9, 8, 7});
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(ProtocolTCP::EncryptDecryptMsg(p, kKey), kKey), p);
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p, kKey), bytes({9 ^ 'A', 8 ^ 'B', 7 ^ '1'}));
    }

    void emptySerialNumberUsesThePlaceholder()
    {
        // No key would leave frames unciphered (and the cipher without end).
        const ByteVector p = bytes({0x01, 0x02});
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p, ""), ProtocolTCP::EncryptDecryptMsg(p, kPlaceholderSerialNumber));

        serialNumber = std::string();
        QCOMPARE(remoteCipherKey(), std::string(kPlaceholderSerialNumber));
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), ProtocolTCP::EncryptDecryptMsg(p, kPlaceholderSerialNumber));
        serialNumber = std::string("SN-42");
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), ProtocolTCP::EncryptDecryptMsg(p, "SN-42"));
        serialNumber = std::string();
    }

    void openingQuirks()
    {
        // Body F4 FF, one more byte, end: the escaped FF is data, the last
        // byte is kept as the checksum.
        QCOMPARE(ProtocolTCP::ByteUnstuffing(bytes({0xF1, 0xF4, 0xFF, 0x33, 0xFF}), kKey),
                 bytes({0xFF ^ 'A', 0x33}));
        // Leading garbage is ignored; bytes after the end are not read.
        QCOMPARE(ProtocolTCP::ByteUnstuffing(bytes({0x10, 0x20, 0xF1, 0x01 ^ 'A', 0x01, 0xFF, 0x55}), kKey),
                 bytes({0x01, 0x01}));
        // No start byte, or nothing between start and end: no payload.
        QVERIFY(ProtocolTCP::ByteUnstuffing(bytes({0x01, 0x02, 0xFF}), kKey).empty());
        QVERIFY(ProtocolTCP::ByteUnstuffing(bytes({0xF1, 0xFF}), kKey).empty());
        QVERIFY(ProtocolTCP::ByteUnstuffing(ByteVector(), kKey).empty());
        // An escape before the start leaves every later byte skipped.
        QVERIFY(ProtocolTCP::ByteUnstuffing(bytes({0xF4, 0xF1, 0x01, 0x01, 0xFF}), kKey).empty());
        // A second start byte inside a frame is dropped.
        QCOMPARE(ProtocolTCP::ByteUnstuffing(bytes({0xF1, 0x01 ^ 'A', 0xF1, 0x05, 0xFF}), kKey), bytes({0x01, 0x05}));
    }

    void randomPayloadsSurviveTheTrip()
    {
        std::mt19937 rng(1234);
        for (int round = 0; round < 500; ++round) {
            ByteVector payload(rng() % 300);
            for (auto &b : payload)
                b = static_cast<uint8_t>(rng());
            std::string k(1 + rng() % 12, 'x');
            for (auto &c : k)
                c = static_cast<char>(rng());
            const ByteVector f = ProtocolTCP::buildFrame(payload, k);
            // Exactly one unescaped start and end byte.
            QCOMPARE(f.front(), RemoteFrame::Start);
            QCOMPARE(f.back(), RemoteFrame::End);
            ByteVector opened = ProtocolTCP::ByteUnstuffing(f, k);
            if (payload.empty()) {
                QCOMPARE(opened, bytes({0x00}));
                continue;
            }
            QVERIFY(ProtocolTCP::VerifyCheckSum(opened));
            opened.pop_back();
            QCOMPARE(opened, payload);
        }
    }

    void streamIsSplitIntoFrames()
    {
        std::mt19937 rng(99);
        std::vector<ByteVector> sent;
        ByteVector stream = bytes({0x00, 0x42}); // garbage before the first frame
        for (int i = 0; i < 40; ++i) {
            ByteVector payload(1 + rng() % 200);
            for (auto &b : payload)
                b = static_cast<uint8_t>(rng());
            sent.push_back(ProtocolTCP::buildFrame(payload, kKey));
            stream.insert(stream.end(), sent.back().begin(), sent.back().end());
        }
        // Feed it in random pieces: every frame comes out whole, in order.
        FrameAssembler a;
        std::vector<ByteVector> got;
        std::size_t at = 0;
        while (at < stream.size()) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 37, stream.size() - at);
            a.append(stream.data() + at, n);
            at += n;
            ByteVector f;
            while (a.next(&f) == FrameAssembler::Frame)
                got.push_back(f);
        }
        QCOMPARE(got.size(), sent.size());
        for (std::size_t i = 0; i < sent.size(); ++i)
            QCOMPARE(got[i], sent[i]);
        QCOMPARE(a.pending(), std::size_t(0));
    }

    void oversizedFrameIsDroppedWhole()
    {
        FrameAssembler a(100);
        ByteVector big{0xF1};
        for (int i = 0; i < 300; ++i) {
            // Escaped start and end bytes inside must not resynchronise.
            big.push_back(0xF4);
            big.push_back(i % 2 ? 0xF1 : 0xFF);
        }
        big.push_back(0xFF);
        const ByteVector good = ProtocolTCP::buildFrame(bytes({0x01}), kKey);
        a.append(big);
        a.append(good);
        ByteVector f;
        QCOMPARE(a.next(&f), FrameAssembler::Overflow);
        QCOMPARE(a.next(&f), FrameAssembler::Frame);
        QCOMPARE(f, good);
        QCOMPARE(a.next(&f), FrameAssembler::Incomplete);
    }
};

QTEST_GUILESS_MAIN(TstFrames)
#include "tst_frames.moc"
