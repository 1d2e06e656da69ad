#pragma once
// Where the program finds its files, devices and ports.
//
// Every absolute path the program uses is built here so that a sandbox root
// (FROSTPANEL_ROOT) can stand in for the board's file system on a PC.

#include <cstdint>
#include <string>

namespace platform {

// The sandbox root from FROSTPANEL_ROOT, without trailing slash; empty on the board.
std::string root();

// True when running under a sandbox root.
bool sandboxed();

// `absolute` ("/home/root/...") prefixed with the sandbox root, if any.
std::string path(const std::string &absolute);

// The board's serial device: FROSTPANEL_SERIAL, else "/dev/ttymxc1" under the root.
std::string serialDevice();

// Remote protocol ports: FROSTPANEL_TCP_PORT / FROSTPANEL_UDP_PORT, else 4444 / 8888.
uint16_t tcpPort();
uint16_t udpPort();

} // namespace platform
