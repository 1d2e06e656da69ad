#include "remote/RemoteClient.h"

#include "remote/ProtocolTCP.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool resolve(const std::string &host, uint16_t port, int type, sockaddr_in *out, std::string *error)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = type;
    addrinfo *res = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &res);
    if (rc != 0 || !res) {
        *error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
        return false;
    }
    *out = *reinterpret_cast<sockaddr_in *>(res->ai_addr);
    out->sin_port = htons(port);
    ::freeaddrinfo(res);
    return true;
}

} // namespace

const char *outcomeText(RemoteClient::Outcome outcome)
{
    switch (outcome) {
    case RemoteClient::Ok:
        return "ok";
    case RemoteClient::Unreachable:
        return "machine unreachable";
    case RemoteClient::Timeout:
        return "no answer in time";
    case RemoteClient::Closed:
        return "the machine closed the connection";
    case RemoteClient::BadAnswer:
        return "the answer does not check out (is the serial number right?)";
    }
    return "?";
}

RemoteClient::RemoteClient(std::string host, uint16_t port, std::string key, int timeoutMs)
    : host(std::move(host)), port(port), key(std::move(key)), timeoutMs(timeoutMs)
{
}

RemoteClient::~RemoteClient()
{
    close();
}

void RemoteClient::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    frames.clear();
}

RemoteClient::Outcome RemoteClient::connect()
{
    close();
    sockaddr_in addr{};
    if (!resolve(host, port, SOCK_STREAM, &addr, &error))
        return Unreachable;
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return Unreachable;
    }
    int rc = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
    if (rc < 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        rc = ::poll(&p, 1, timeoutMs);
        int soError = 0;
        socklen_t len = sizeof(soError);
        if (rc > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0) {
            rc = 0;
        } else {
            error = "cannot connect to " + host + ":" + std::to_string(port) + ": "
                    + (rc == 0 ? std::string("timed out") : std::string(std::strerror(soError ? soError : errno)));
            close();
            return Unreachable;
        }
    }
    if (rc < 0) {
        error = "cannot connect to " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        close();
        return Unreachable;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return Ok;
}

bool RemoteClient::sendRaw(const ByteVector &bytes)
{
    if (fd < 0)
        return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, remainingMs(deadline)) > 0)
                continue;
            error = "sending timed out";
            return false;
        }
        error = std::string("send: ") + std::strerror(errno);
        return false;
    }
    return true;
}

RemoteClient::Outcome RemoteClient::receive(ByteVector *answer)
{
    if (fd < 0) {
        error = "not connected";
        return Closed;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t buffer[8192];
    ByteVector frame;
    for (;;) {
        const FrameAssembler::Result r = frames.next(&frame);
        if (r == FrameAssembler::Frame)
            break;
        if (r == FrameAssembler::Overflow) {
            error = "answer too long";
            close();
            return BadAnswer;
        }
        pollfd p{fd, POLLIN, 0};
        const int left = remainingMs(deadline);
        if (left == 0 || ::poll(&p, 1, left) <= 0) {
            error = "no answer within " + std::to_string(timeoutMs) + " ms";
            return Timeout;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n > 0) {
            frames.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            error = n == 0 ? "the machine closed the connection" : std::string("recv: ") + std::strerror(errno);
            close();
            return Closed;
        }
    }
    ByteVector plain = ProtocolTCP::ByteUnstuffing(frame, key);
    if (plain.empty() || !ProtocolTCP::VerifyCheckSum(plain)) {
        error = "the answer's checksum does not match";
        return BadAnswer;
    }
    plain.pop_back();
    *answer = std::move(plain);
    return Ok;
}

RemoteClient::Outcome RemoteClient::request(const ByteVector &payload, ByteVector *answer)
{
    if (fd < 0) {
        const Outcome c = connect();
        if (c != Ok)
            return c;
    }
    if (!sendRaw(ProtocolTCP::buildFrame(payload, key))) {
        close();
        return Closed;
    }
    return receive(answer);
}

bool discoverMachines(const std::string &host, uint16_t port, int timeoutMs, std::vector<DiscoveredMachine> *found,
                      std::string *error)
{
    const bool broadcast = host.empty() || host == "255.255.255.255";
    sockaddr_in target{};
    if (broadcast) {
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        target.sin_port = htons(port);
    } else if (!resolve(host, port, SOCK_DGRAM, &target, error)) {
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    if (broadcast) {
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof(one));
    }
    static const char probe[] = "frostpanel-remote discover";
    if (::sendto(fd, probe, sizeof(probe) - 1, 0, reinterpret_cast<sockaddr *>(&target), sizeof(target)) < 0) {
        *error = std::string("cannot send the probe: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int left = remainingMs(deadline);
        pollfd p{fd, POLLIN, 0};
        if (left == 0 || ::poll(&p, 1, left) <= 0)
            break;
        char buffer[64];
        sockaddr_in from{};
        socklen_t fromLength = sizeof(from);
        const ssize_t n = ::recvfrom(fd, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (n < 0)
            continue;
        DiscoveredMachine m;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof(text));
        m.address = text;
        m.port = ntohs(from.sin_port);
        m.reply.assign(buffer, static_cast<std::size_t>(n));
        if (m.reply == "VELT")
            found->push_back(m);
    }
    ::close(fd);
    return true;
}
