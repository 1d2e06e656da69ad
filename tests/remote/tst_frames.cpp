// Remote frames: cipher, checksum, stuffing, opening, and the splitting of a
// byte stream into frames.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"

#include "support_remote.h"

#include <QtTest>

#include <algorithm>
#include <random>

using namespace remotetest;

namespace {

const std::string kKey = "AB12CD34";

ByteVector randomBytes(std::mt19937 &rng, std::size_t n)
{
    ByteVector out(n);
    std::generate(out.begin(), out.end(), [&] { return uint8_t(rng()); });
    return out;
}

ByteVector open(const ByteVector &f) { return ProtocolTCP::ByteUnstuffing(f, kKey); }

} // namespace

class TstFrames : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndEscapes()
    {
        // Enciphered payload, then the plain payload's checksum.
        QCOMPARE(ProtocolTCP::buildFrame(bytes({0x01, 0x7F}), kKey), bytes({0xF1, 0x01 ^ 'A', 0x7F ^ 'B', 0x7E, 0xFF}));
        QCOMPARE(ProtocolTCP::buildFrame(ByteVector(), kKey), bytes({0xF1, 0x00, 0xFF}));
        // Enciphered byte equal to F1, checksum equal to FF, checksum equal to F4.
        const ByteVector a = ProtocolTCP::buildFrame(bytes({0xF1 ^ 'A', 0x00}), kKey);
        QCOMPARE(ByteVector(a.begin(), a.begin() + 3), bytes({0xF1, 0xF4, 0xF1}));
        QCOMPARE(ProtocolTCP::buildFrame(bytes({0xFF}), kKey), bytes({0xF1, 0xFF ^ 'A', 0xF4, 0xFF, 0xFF}));
        const ByteVector c = ProtocolTCP::buildFrame(bytes({0xF4}), kKey);
        QCOMPARE(c, bytes({0xF1, 0xF4 ^ 'A', 0xF4, 0xF4, 0xFF}));
        QCOMPARE(open(c), bytes({0xF4, 0xF4}));
        // The key repeats: byte 8 is combined with its first character again.
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(ByteVector(9, 0), kKey)[8], uint8_t('A'));
    }

    void emptySerialNumberUsesThePlaceholder()
    {
        // No key would leave frames unciphered (and the cipher without end).
        const ByteVector p = bytes({0x01, 0x02});
        const ByteVector placeholder = ProtocolTCP::EncryptDecryptMsg(p, kPlaceholderSerialNumber);
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p, ""), placeholder);
        serialNumber = std::string();
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), placeholder);
        serialNumber = std::string("SN-42");
        QCOMPARE(ProtocolTCP::EncryptDecryptMsg(p), ProtocolTCP::EncryptDecryptMsg(p, "SN-42"));
        serialNumber = std::string();
    }

    void openingQuirks()
    {
        // An escaped FF is data; the last byte before the end is the checksum.
        QCOMPARE(open(bytes({0xF1, 0xF4, 0xFF, 0x33, 0xFF})), bytes({0xFF ^ 'A', 0x33}));
        // Leading garbage is ignored; bytes after the end are not read.
        QCOMPARE(open(bytes({0x10, 0x20, 0xF1, 0x01 ^ 'A', 0x01, 0xFF, 0x55})), bytes({0x01, 0x01}));
        QVERIFY(open(bytes({0x01, 0x02, 0xFF})).empty());
        // A second start byte inside a frame is dropped.
        QCOMPARE(open(bytes({0xF1, 0x01 ^ 'A', 0xF1, 0x05, 0xFF})), bytes({0x01, 0x05}));
    }

    void streamIsSplitIntoFramesThatOpen()
    {
        std::mt19937 rng(99);
        std::vector<ByteVector> payloads;
        ByteVector stream = bytes({0x00, 0x42}); // garbage before the first frame
        for (int i = 0; i < 200; ++i) {
            payloads.push_back(randomBytes(rng, 1 + rng() % 300));
            stream = stream + ProtocolTCP::buildFrame(payloads.back(), kKey);
        }
        // Fed in random pieces, every frame comes out whole, in order, and opens to its payload.
        FrameAssembler a;
        std::vector<ByteVector> got;
        for (std::size_t at = 0, n; at < stream.size(); at += n) {
            n = std::min<std::size_t>(1 + rng() % 37, stream.size() - at);
            a.append(stream.data() + at, n);
            for (ByteVector f; a.next(&f) == FrameAssembler::Frame;) {
                ByteVector opened = open(f);
                QVERIFY(ProtocolTCP::VerifyCheckSum(opened));
                opened.pop_back();
                got.push_back(opened);
            }
        }
        QVERIFY(got == payloads);
        QCOMPARE(a.pending(), std::size_t(0));
    }

    void oversizedFrameIsDroppedWhole()
    {
        FrameAssembler a(100);
        ByteVector big{0xF1};
        for (int i = 0; i < 300; ++i) // escaped start and end bytes must not resynchronise
            big.insert(big.end(), {0xF4, uint8_t(i % 2 ? 0xF1 : 0xFF)});
        big.push_back(0xFF);
        const ByteVector good = ProtocolTCP::buildFrame(bytes({0x01}), kKey);
        a.append(big + good);
        ByteVector f;
        QCOMPARE(a.next(&f), FrameAssembler::Overflow);
        QCOMPARE(a.next(&f), FrameAssembler::Frame);
        QCOMPARE(f, good);
        QCOMPARE(a.next(&f), FrameAssembler::Incomplete);
    }
};

QTEST_GUILESS_MAIN(TstFrames)
#include "tst_frames.moc"
