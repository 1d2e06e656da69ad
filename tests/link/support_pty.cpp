#include "support_pty.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        master = -1;
        return;
    }
    path = ptsname(master);
    // Holding the slave open keeps the master readable while the code under
    // test closes and re-opens its side.
    keepSlave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (keepSlave >= 0 && tcgetattr(keepSlave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(keepSlave, TCSANOW, &t);
    }
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::closeMaster()
{
    if (keepSlave >= 0)
        ::close(keepSlave);
    keepSlave = -1;
    if (master >= 0)
        ::close(master);
    master = -1;
}

FakeBoard::FakeBoard()
{
    if (pty.ok())
        worker = std::thread([this] { loop(); });
}

FakeBoard::~FakeBoard()
{
    stopping = true;
    if (worker.joinable())
        worker.join();
}

void FakeBoard::setResponder(Responder r)
{
    std::lock_guard<std::mutex> l(m);
    responder = std::move(r);
}

std::vector<ReceivedFrame> FakeBoard::frames() const
{
    std::lock_guard<std::mutex> l(m);
    return received;
}

std::vector<Bytes> FakeBoard::framesWithCode(uint8_t code) const
{
    std::lock_guard<std::mutex> l(m);
    std::vector<Bytes> out;
    for (const auto &f : received)
        if (f.bytes.size() > 1 && f.bytes[1] == code)
            out.push_back(f.bytes);
    return out;
}

int FakeBoard::count(uint8_t code) const
{
    return static_cast<int>(framesWithCode(code).size());
}

void FakeBoard::clearFrames()
{
    std::lock_guard<std::mutex> l(m);
    received.clear();
}

void FakeBoard::inject(const Bytes &bytes)
{
    const int fd = pty.masterFd();
    if (fd >= 0 && !bytes.empty())
        (void)!::write(fd, bytes.data(), bytes.size());
}

bool FakeBoard::waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

void FakeBoard::loop()
{
    Bytes pending;
    while (!stopping) {
        const int fd = pty.masterFd();
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
            continue;
        uint8_t buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        pending.insert(pending.end(), buf, buf + n);
        // Cut complete frames F3 .. FC out of the stream.
        for (;;) {
            auto start = pending.begin();
            while (start != pending.end() && *start != 0xF3)
                ++start;
            pending.erase(pending.begin(), start);
            auto end = pending.begin();
            while (end != pending.end() && *end != 0xFC)
                ++end;
            if (end == pending.end())
                break;
            Bytes frame(pending.begin(), end + 1);
            pending.erase(pending.begin(), end + 1);
            Responder r;
            {
                std::lock_guard<std::mutex> l(m);
                received.push_back({frame, std::chrono::steady_clock::now()});
                r = responder;
            }
            const Bytes answer = r ? r(frame) : Bytes();
            inject(answer);
        }
    }
}

Bytes FakeBoard::ack()
{
    return {0xF3, 0x7F, 0x7F, 0xFC};
}

Bytes FakeBoard::refusal()
{
    return {0xF3, 0x15, 0x15, 0xFC};
}

Bytes FakeBoard::reply(uint8_t code, const Bytes &data)
{
    Bytes f{0xF3, code};
    uint8_t x = code;
    for (uint8_t b : data) {
        f.push_back(b);
        x ^= b;
    }
    f.push_back(x);
    f.push_back(0xFC);
    return f;
}

Bytes FakeBoard::status(uint8_t b1, uint8_t b2, uint8_t step)
{
    return reply(0x70, {b1, b2, step});
}
