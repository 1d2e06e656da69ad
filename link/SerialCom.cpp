#include "link/SerialCom.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
// How long a write may wait for room in the output queue before the frame is
// given up. A 200-byte frame takes about 230 ms on the wire at 9600 baud.
constexpr int kWriteStallMs = 2000;
} // namespace

SerialCom::SerialCom(const std::string &port, int baud, int inactivityTimeOut, int responseTime,
                     int inBufferSize, int outBufferSize)
    : baud(valueToBaud(baud)), port(port), inactivityTimeOut(inactivityTimeOut), responseTime(responseTime),
      inBufferSize(std::max(1, inBufferSize)), outBufferSize(outBufferSize)
{
    (void)this->inactivityTimeOut;
    (void)this->outBufferSize;
}

SerialCom::~SerialCom()
{
    closeSerialPort();
}

int SerialCom::valueToBaud(int rate)
{
    switch (rate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
    }
}

bool SerialCom::init()
{
    serialFD = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (serialFD < 0) {
        std::perror("Serial port open error:");
        return false;
    }
    return applySettings(responseTime);
}

bool SerialCom::setWaitTime(int tenths)
{
    return applySettings(tenths >= 0 ? tenths : responseTime);
}

bool SerialCom::applySettings(int vtime)
{
    if (serialFD < 0)
        return false;
    termios tty{};
    if (tcgetattr(serialFD, &tty) != 0) {
        // Keep the device as it is; the caller still gets a usable port.
        std::perror("error tcgetattr:");
        return true;
    }
    cfsetospeed(&tty, static_cast<speed_t>(baud));
    cfsetispeed(&tty, static_cast<speed_t>(baud));
    tty.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | ICRNL | IXON | IXANY | IXOFF);
    tty.c_oflag = 0;
    tty.c_lflag = 0;
    tty.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | PARENB | PARODD | CSIZE);
    tty.c_cflag |= CS8 | CSTOPB | CREAD | CLOCAL;
    tty.c_cc[VMIN] = 0;
    tty.c_cc[VTIME] = static_cast<cc_t>(std::min(std::max(vtime, 0), 255));
    if (tcsetattr(serialFD, TCSANOW, &tty) != 0) {
        std::perror("error tcsetattr:");
        return false;
    }
    return true;
}

bool SerialCom::send_data(const uint8_t *buffer, int length)
{
    if (serialFD < 0 || length < 0)
        return false;
    int done = 0;
    while (done < length) {
        const ssize_t n = ::write(serialFD, buffer + done, static_cast<size_t>(length - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        // Output queue full: wait for room, but never forever.
        pollfd pfd{serialFD, POLLOUT, 0};
        const int r = ::poll(&pfd, 1, kWriteStallMs);
        if (r <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return false;
    }
    return true;
}

bool SerialCom::send_data(const ByteVector &bytes)
{
    return send_data(bytes.data(), static_cast<int>(bytes.size()));
}

bool SerialCom::send_data(const std::string &text)
{
    return send_data(reinterpret_cast<const uint8_t *>(text.data()), static_cast<int>(text.size()));
}

int SerialCom::receive(int maxLength, ByteVector *out)
{
    return receiveImpl(maxLength, out, false, 0);
}

int SerialCom::receive(int maxLength, ByteVector *out, uint8_t terminator)
{
    return receiveImpl(maxLength, out, true, terminator);
}

int SerialCom::receiveImpl(int maxLength, ByteVector *out, bool useTerminator, uint8_t terminator)
{
    out->clear();
    if (serialFD < 0)
        return 0;

    // Blocking reads follow VMIN/VTIME: each waits at most VTIME for a byte.
    const int flags = fcntl(serialFD, F_GETFL);
    if (flags >= 0)
        fcntl(serialFD, F_SETFL, flags & ~O_NONBLOCK);

    // Never more than the receive buffer holds, whatever the caller allows.
    const int limit = std::min(std::max(maxLength, 0), inBufferSize);
    ByteVector buffer(static_cast<size_t>(inBufferSize), 0);
    int total = 0;
    while (total < limit) {
        const ssize_t n = ::read(serialFD, buffer.data() + total, static_cast<size_t>(limit - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const int start = total;
        total += static_cast<int>(n);
        if (useTerminator) {
            bool seen = false;
            for (int i = start; i < total; ++i) {
                out->push_back(buffer[static_cast<size_t>(i)]);
                if (buffer[static_cast<size_t>(i)] == terminator)
                    seen = true;
            }
            if (seen)
                break;
        }
    }
    if (!useTerminator)
        out->assign(buffer.begin(), buffer.begin() + total);

    if (flags >= 0)
        fcntl(serialFD, F_SETFL, flags | O_NONBLOCK);
    return total;
}

void SerialCom::discardInput()
{
    if (serialFD < 0)
        return;
    tcflush(serialFD, TCIFLUSH);
    // A pty may still hold bytes the flush did not reach; drain them too.
    uint8_t scratch[256];
    for (int i = 0; i < 64; ++i) {
        const ssize_t n = ::read(serialFD, scratch, sizeof scratch);
        if (n <= 0)
            break;
    }
}

void SerialCom::flushBoth()
{
    if (serialFD >= 0)
        tcflush(serialFD, TCIOFLUSH);
}

void SerialCom::closeSerialPort()
{
    if (serialFD >= 0) {
        ::close(serialFD);
        serialFD = -1;
    }
}
