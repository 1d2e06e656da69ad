#pragma once
// The client side of the remote protocol, for service tools and tests: one TCP
// connection to a machine, requests sent as frames enciphered with the
// machine's serial number, answers checked and opened; and UDP discovery.

#include "remote/ProtocolTCP.h"

#include <cstdint>
#include <string>
#include <vector>

class RemoteClient
{
public:
    enum Outcome {
        Ok,
        Unreachable, // no connection could be made
        Timeout,     // no complete answer in time
        Closed,      // the machine closed the connection
        BadAnswer,   // the answer does not check out (wrong serial number?)
    };

    // An empty key stands for the placeholder serial number.
    RemoteClient(std::string host, uint16_t port, std::string key, int timeoutMs = 5000);
    ~RemoteClient();
    RemoteClient(const RemoteClient &) = delete;
    RemoteClient &operator=(const RemoteClient &) = delete;

    Outcome connect();
    bool connected() const { return fd >= 0; }
    void close();

    // Sends one request payload (command code first) and waits for its
    // answer; *answer receives the answer payload without its checksum.
    // Connects first when not connected.
    Outcome request(const ByteVector &payload, ByteVector *answer);
    // Sends raw bytes as they are (tests use it to split or join frames).
    bool sendRaw(const ByteVector &bytes);
    // Waits for the next answer frame to arrive.
    Outcome receive(ByteVector *answer);

    // What went wrong last, for messages.
    const std::string &lastError() const { return error; }

private:
    std::string host;
    uint16_t port;
    std::string key;
    int timeoutMs;
    int fd = -1;
    // Answers may carry long lists; the bound still stops a runaway stream.
    // Bytes after one answer frame stay here for the next.
    FrameAssembler frames{64u * 1024u * 1024u};
    std::string error;
};

struct DiscoveredMachine
{
    std::string address;
    uint16_t port = 0;
    std::string reply;
};

// Sends one datagram to host:port ("255.255.255.255" or an empty host for a
// broadcast) and collects the machines that answer "VELT" within timeoutMs.
// False (with a reason in *error) when the probe could not be sent.
bool discoverMachines(const std::string &host, uint16_t port, int timeoutMs, std::vector<DiscoveredMachine> *found,
                      std::string *error);

const char *outcomeText(RemoteClient::Outcome outcome);
