// The serial port wrapper against a real pseudo-terminal.

#include "link/SerialCom.h"
#include "support_pty.h"

#include <QElapsedTimer>
#include <QtTest>

#include <termios.h>
#include <thread>
#include <unistd.h>

class TstSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void baudCodes()
    {
        QCOMPARE(SerialCom::valueToBaud(9600), int(B9600));
        QCOMPARE(SerialCom::valueToBaud(12345), int(B9600));
        QCOMPARE(SerialCom::valueToBaud(115200), int(B115200));
        QCOMPARE(SerialCom::valueToBaud(300), int(B300));
    }

    void missingDeviceFailsQuietly()
    {
        SerialCom port("/nonexistent/tty", 9600, 10, 10, 200, 200);
        QVERIFY(!port.init());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.send_data(ByteVector{0xF3}));
        ByteVector out{1, 2};
        QCOMPARE(port.receive(200, &out, 0xFC), 0);
        QVERIFY(out.empty());
    }

    void terminatorEndsTheReadAtOnce()
    {
        PtyPair pty;
        QVERIFY(pty.ok());
        SerialCom port(pty.slavePath(), 9600, 10, 10, 200, 200);
        QVERIFY(port.init());

        const uint8_t reply[] = {0xF3, 0x7F, 0x7F, 0xFC};
        QCOMPARE(::write(pty.masterFd(), reply, 4), ssize_t(4));
        QElapsedTimer t;
        t.start();
        ByteVector out;
        QCOMPARE(port.receive(200, &out, 0xFC), 4);
        QVERIFY2(t.elapsed() < 800, "must not wait for the time-out once the end marker is in");
        QCOMPARE(out, (ByteVector{0xF3, 0x7F, 0x7F, 0xFC}));

        // A reply split over two chunks is put together.
        std::thread late([&] {
            const uint8_t a[] = {0xF3, 0x7F};
            const uint8_t b[] = {0x7F, 0xFC};
            (void)!::write(pty.masterFd(), a, 2);
            usleep(150000);
            (void)!::write(pty.masterFd(), b, 2);
        });
        QCOMPARE(port.receive(200, &out, 0xFC), 4);
        late.join();
        QCOMPARE(out, (ByteVector{0xF3, 0x7F, 0x7F, 0xFC}));
    }

    void silenceCostsTheWaitTime()
    {
        PtyPair pty;
        SerialCom port(pty.slavePath(), 9600, 10, 10, 200, 200);
        QVERIFY(port.init());
        QVERIFY(port.setWaitTime(2));
        QElapsedTimer t;
        t.start();
        ByteVector out{9};
        QCOMPARE(port.receive(200, &out, 0xFC), 0);
        QVERIFY(out.empty());
        const qint64 shortWait = t.elapsed();
        QVERIFY2(shortWait >= 150 && shortWait < 900, qPrintable(QString::number(shortWait)));

        QVERIFY(port.setWaitTime(-1)); // back to one second
        t.restart();
        QCOMPARE(port.receive(200, &out), 0);
        QVERIFY2(t.elapsed() >= 900, qPrintable(QString::number(t.elapsed())));
    }

    void neverReadsPastTheBuffer()
    {
        PtyPair pty;
        SerialCom port(pty.slavePath(), 9600, 10, 1, 8, 8);
        QVERIFY(port.init());
        const std::vector<uint8_t> noise(40, 0x11);
        QCOMPARE(::write(pty.masterFd(), noise.data(), noise.size()), ssize_t(noise.size()));
        usleep(50000);
        ByteVector out;
        const int n = port.receive(1000, &out);
        QCOMPARE(n, 8);
        QCOMPARE(int(out.size()), 8);
        QCOMPARE(port.receive(1000, &out, 0xFC), 8);
    }

    void longWritesArriveWhole()
    {
        // Far more than the pty holds: the writer must wait for room, not drop the tail.
        PtyPair pty;
        SerialCom port(pty.slavePath(), 9600, 10, 10, 200, 200);
        QVERIFY(port.init());
        std::vector<uint8_t> big(200000);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = uint8_t(i * 7);
        std::vector<uint8_t> got;
        std::thread reader([&] {
            uint8_t buf[1024];
            while (got.size() < big.size()) {
                const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
                if (n <= 0)
                    break;
                got.insert(got.end(), buf, buf + n);
                usleep(200);
            }
        });
        QVERIFY(port.send_data(big));
        reader.join();
        QCOMPARE(got.size(), big.size());
        QVERIFY(got == big);
    }

    void writeToVanishedLineFails()
    {
        PtyPair pty;
        SerialCom port(pty.slavePath(), 9600, 10, 10, 200, 200);
        QVERIFY(port.init());
        pty.closeMaster();
        QVERIFY(!port.send_data(ByteVector{0xF3, 0x70, 0x70, 0xFC}));
    }

    void staleInputIsDiscarded()
    {
        PtyPair pty;
        SerialCom port(pty.slavePath(), 9600, 10, 3, 200, 200);
        QVERIFY(port.init());
        const uint8_t stale[] = {0x7F, 0xFC, 0xF3, 0x71, 0x05, 0x74, 0xFC};
        (void)!::write(pty.masterFd(), stale, sizeof stale);
        usleep(50000);
        port.discardInput();
        const uint8_t fresh[] = {0xF3, 0x7F, 0x7F, 0xFC};
        (void)!::write(pty.masterFd(), fresh, sizeof fresh);
        ByteVector out;
        QCOMPARE(port.receive(200, &out, 0xFC), 4);
        QCOMPARE(out, (ByteVector{0xF3, 0x7F, 0x7F, 0xFC}));
    }
};

QTEST_GUILESS_MAIN(TstSerialCom)
#include "tst_serialcom.moc"
