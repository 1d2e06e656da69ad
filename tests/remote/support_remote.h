#pragma once
// A running remote server for tests: a sandbox root, free loopback ports, the
// recipe lists and beaker registry loaded, and the TCP (and UDP) threads up.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteClient.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

class TempRoot;
class TCPThreadCommunication;
class UDPThreadCommunication;

namespace remotetest {

// A port nobody listens on right now.
uint16_t freePort(bool udp);

bool waitUntil(const std::function<bool()> &pred, int ms = 3000);

// A request payload built field by field.
class Req
{
public:
    explicit Req(uint8_t code) : bytes{code} {}
    Req &u32(uint32_t v);
    Req &text(const std::string &s);
    Req &byte(uint8_t b);
    operator const ByteVector &() const { return bytes; }
    ByteVector bytes;
};

// Reads an answer payload field by field.
class Ans
{
public:
    explicit Ans(const ByteVector &bytes, uint32_t start = 2) : bytes(bytes), pos(start) {}
    uint32_t u32() { return uint32FromByteArray(bytes, &pos); }
    std::string text() { return stringFromByteArray(bytes, &pos); }
    uint8_t byte() { return pos < bytes.size() ? bytes[pos++] : 0; }
    bool atEnd() const { return pos >= bytes.size(); }
    uint32_t position() const { return pos; }

private:
    ByteVector bytes;
    uint32_t pos;
};

ByteVector frame(const ByteVector &payload);
inline ByteVector operator+(ByteVector a, const ByteVector &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
ByteVector bytes(std::initializer_list<int> values);

class Server
{
public:
    // Creates the sandbox and loads the stores; the threads start on start().
    Server();
    ~Server();

    bool startTcp();
    bool startUdp();
    void stopTcp();
    void stopUdp();

    // A client on the server's port with the placeholder key.
    std::unique_ptr<RemoteClient> client(int timeoutMs = 4000) const;
    // One request over a fresh connection; the answer payload, empty on failure.
    ByteVector ask(const ByteVector &payload) const;

    QString path(const QString &absolute) const;
    QByteArray readFile(const QString &absolute) const;

    std::unique_ptr<TempRoot> root;
    uint16_t tcpPort = 0;
    uint16_t udpPort = 0;
    std::unique_ptr<TCPThreadCommunication> tcp;
    std::unique_ptr<UDPThreadCommunication> udp;
};

} // namespace remotetest
