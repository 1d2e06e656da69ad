// The serial port wrapper against a real pseudo-terminal.

#include "link/SerialCom.h"
#include "support_pty.h"

#include <QElapsedTimer>
#include <QtTest>

#include <unistd.h>

namespace {

const ByteVector Ack{0xF3, 0x7F, 0x7F, 0xFC};

// A pty and the port on its slave side.
struct Line
{
    explicit Line(int responseTenths = 10, int buffer = 200)
        : port(pty.slavePath(), 9600, 10, responseTenths, buffer, buffer)
    {
        port.init();
    }
    bool put(const ByteVector &b) { return ::write(pty.masterFd(), b.data(), b.size()) == ssize_t(b.size()); }

    PtyPair pty;
    SerialCom port;
};

} // namespace

class TstSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void missingOrVanishedLineFailsQuietly()
    {
        SerialCom port("/nonexistent/tty", 9600, 10, 10, 200, 200);
        ByteVector out{1, 2};
        QVERIFY(!port.init() && !port.send_data(Ack) && port.receive(200, &out, 0xFC) == 0 && out.empty());
        Line l;
        l.pty.closeMaster();
        QVERIFY(!l.port.send_data(Ack));
    }

    void terminatorEndsTheReadAtOnce()
    {
        Line l;
        QVERIFY(l.port.isOpen());
        QVERIFY(l.put(Ack));
        QElapsedTimer t;
        t.start();
        ByteVector out;
        QCOMPARE(l.port.receive(200, &out, 0xFC), 4);
        QVERIFY2(t.elapsed() < 800, "must not wait for the time-out once the end marker is in");
        QCOMPARE(out, Ack);

        // A reply split over two chunks is put together.
        std::thread late([&] {
            l.put({0xF3, 0x7F});
            usleep(150000);
            l.put({0x7F, 0xFC});
        });
        QCOMPARE(l.port.receive(200, &out, 0xFC), 4);
        late.join();
        QCOMPARE(out, Ack);
    }

    void neverReadsPastTheBuffer()
    {
        Line l(1, 8);
        QVERIFY(l.put(ByteVector(40, 0x11)));
        usleep(50000);
        ByteVector out;
        QCOMPARE(l.port.receive(1000, &out), 8);
        QCOMPARE(int(out.size()), 8);
        QCOMPARE(l.port.receive(1000, &out, 0xFC), 8);
    }

    void longWritesArriveWhole()
    {
        // Far more than the pty holds: the writer must wait for room, not drop the tail.
        Line l;
        ByteVector big(200000);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = uint8_t(i * 7);
        ByteVector got;
        std::thread reader([&] {
            uint8_t buf[1024];
            ssize_t n;
            while (got.size() < big.size() && (n = ::read(l.pty.masterFd(), buf, sizeof buf)) > 0) {
                got.insert(got.end(), buf, buf + n);
                usleep(200);
            }
        });
        QVERIFY(l.port.send_data(big));
        reader.join();
        QVERIFY(got == big);
    }
};

QTEST_GUILESS_MAIN(TstSerialCom)
#include "tst_serialcom.moc"
