#include "support_pty.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        closeMaster();
        return;
    }
    path = ptsname(master);
    // Holding the slave open keeps the master usable while the code under
    // test closes and re-opens its side.
    keepSlave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (keepSlave >= 0 && tcgetattr(keepSlave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(keepSlave, TCSANOW, &t);
    }
}

void PtyPair::closeMaster()
{
    if (keepSlave >= 0)
        ::close(keepSlave);
    if (master >= 0)
        ::close(master);
    keepSlave = master = -1;
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

std::vector<Bytes> FakeBoard::frames() const
{
    std::lock_guard<std::mutex> l(m);
    return received;
}

int FakeBoard::count(uint8_t code) const
{
    std::lock_guard<std::mutex> l(m);
    return int(std::count_if(received.begin(), received.end(), [&](const Bytes &f) { return f[1] == code; }));
}

void FakeBoard::loop()
{
    Bytes pending;
    while (!stopping) {
        const int fd = pty.masterFd();
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) // a closed line (fd -1) only waits
            continue;
        uint8_t buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            pending.insert(pending.end(), buf, buf + n);
        // Cut complete frames F3 .. FC out of the stream.
        for (;;) {
            pending.erase(pending.begin(), std::find(pending.begin(), pending.end(), 0xF3));
            const auto end = std::find(pending.begin(), pending.end(), 0xFC);
            if (end == pending.end())
                break;
            const Bytes frame(pending.begin(), end + 1);
            pending.erase(pending.begin(), end + 1);
            Responder r;
            {
                std::lock_guard<std::mutex> l(m);
                received.push_back(frame);
                r = responder;
            }
            const Bytes answer = r ? r(frame) : Bytes();
            if (!answer.empty())
                (void)!::write(fd, answer.data(), answer.size());
        }
    }
}
