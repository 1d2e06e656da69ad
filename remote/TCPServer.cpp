#include "remote/TCPServer.h"

#include "platform/log.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A client that stops reading must not hold the only server thread forever.
constexpr int kSendTimeoutSec = 5;

} // namespace

int TCPServer::silentMs() const
{
    const auto silent = std::chrono::steady_clock::now() - lastActivity;
    return static_cast<int>(std::min<int64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(silent).count(), kSilenceMs));
}

bool TCPServer::waitReadable(int fd, int timeoutMs) const
{
    // poll() skips a negative descriptor: without a wake-up only `fd` counts.
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    int rc;
    do {
        rc = ::poll(p, 2, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0 && p[0].revents != 0;
}

TCPServer::TCPServer() = default;

TCPServer::~TCPServer()
{
    clientClose(true);
    connClose();
}

int TCPServer::init()
{
    socket_desc = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_desc == -1) {
        std::printf("Could not create socket\n");
        std::fflush(stdout);
        return 1;
    }
    std::printf("Socket created\n");
    server = sockaddr_in{};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = INADDR_ANY;
    server.sin_port = htons(static_cast<uint16_t>(selectedPort));
    // After a restart the connections of the last run linger in TIME_WAIT on
    // this port for up to a minute; without this every bind until then fails.
    const int reuse = 1;
    ::setsockopt(socket_desc, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    if (::bind(socket_desc, reinterpret_cast<sockaddr *>(&server), sizeof(server)) < 0) {
        std::printf("bind failed. Error: %s\n", std::strerror(errno));
        std::fflush(stdout);
        connClose();
        return 2;
    }
    std::printf("bind done\n");
    ::listen(socket_desc, 3);
    std::printf("Waiting for incoming connections...\n");
    std::fflush(stdout);
    c = sizeof(sockaddr_in);
    return 0;
}

int TCPServer::waitIncomingConn()
{
    if (client_sock != -1)
        clientClose(true);
    if (!waitReadable(socket_desc, wakeFd >= 0 ? -1 : kSliceMs))
        return 2;
    socklen_t len = sizeof(client);
    client_sock = ::accept4(socket_desc, reinterpret_cast<sockaddr *>(&client), &len, SOCK_CLOEXEC);
    if (client_sock < 0) {
        client_sock = -1;
        clientConnected = false;
        std::printf("accept failed: %s\n", std::strerror(errno));
        std::fflush(stdout);
        return 1;
    }
    timeval tv{kSendTimeoutSec, 0};
    ::setsockopt(client_sock, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
    clientConnected = true;
    assembler.clear();
    readyFrame.clear();
    notDataCounter = 0;
    lastActivity = std::chrono::steady_clock::now();
    std::printf("Connection accepted\n");
    std::fflush(stdout);
    return 0;
}

bool TCPServer::requestPending()
{
    if (!readyFrame.empty())
        return true;
    for (;;) {
        const FrameAssembler::Result r = assembler.next(&readyFrame);
        if (r == FrameAssembler::Frame)
            return true;
        if (r == FrameAssembler::Incomplete)
            return false;
        // Overflow: no request is this long; what follows cannot be trusted.
        platform::debugLine("request longer than " + std::to_string(RemoteFrame::MaxRequest) + " bytes");
        clientClose(true);
        return false;
    }
}

ByteVector TCPServer::getMessage(bool flag)
{
    if (client_sock == -1)
        return ByteVector();

    auto takeFrame = [this]() {
        ByteVector frame;
        frame.swap(readyFrame);
        return frame;
    };
    if (requestPending())
        return takeFrame();
    if (client_sock == -1)
        return ByteVector();

    int timeoutMs = std::max(0, kSilenceMs - silentMs());
    if (wakeFd < 0)
        timeoutMs = std::min(timeoutMs, kSliceMs);
    if (waitReadable(client_sock, timeoutMs)) {
        read_size = static_cast<int>(::recv(client_sock, client_message, sizeof(client_message), MSG_DONTWAIT));
        if (read_size > 0) {
            lastActivity = std::chrono::steady_clock::now();
            notDataCounter = 0;
            assembler.append(client_message, static_cast<std::size_t>(read_size));
            if (requestPending())
                return takeFrame();
            return ByteVector();
        }
        if (read_size == 0) {
            platform::debugLine("client disconnect");
            clientClose(flag);
            notDataCounter = 0;
            return ByteVector();
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            // Reset by the peer or similar: the connection is gone.
            std::printf("%d\n", errno);
            std::fflush(stdout);
            platform::debugLine("client disconnect");
            clientClose(flag);
            return ByteVector();
        }
    }

    ++notDataCounter;
    if (silentMs() >= kSilenceMs) {
        platform::debugLine("not recive data Countermax");
        clientClose(flag);
        notDataCounter = 0;
    }
    return ByteVector();
}

int TCPServer::sendResponse(const ByteVector &bytes)
{
    if (bytes.empty())
        return 1;
    if (client_sock == -1)
        return 2;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        // MSG_NOSIGNAL: a client that has gone away gives EPIPE, not SIGPIPE.
        const ssize_t n = ::send(client_sock, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 1) {
            send_size = static_cast<int>(n);
            platform::debugLine(std::string("answer not sent: ") + std::strerror(errno));
            clientClose(true);
            return 2;
        }
        sent += static_cast<std::size_t>(n);
    }
    send_size = static_cast<int>(sent);
    lastActivity = std::chrono::steady_clock::now();
    return 0;
}

void TCPServer::clientClose(bool)
{
    if (client_sock == -1)
        return;
    clientConnected = false;
    if (::shutdown(client_sock, SHUT_RDWR) < 0 && errno != EINVAL && errno != ENOTCONN)
        std::perror("shutdown");
    if (::close(client_sock) < 0)
        std::perror("close");
    client_sock = -1;
    assembler.clear();
    readyFrame.clear();
}

void TCPServer::connClose()
{
    if (socket_desc != -1) {
        ::close(socket_desc);
        socket_desc = -1;
    }
}
