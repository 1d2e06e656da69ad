#include "platform/paths.h"

#include <cstdlib>

namespace platform {

namespace {

std::string env(const char *name)
{
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

uint16_t portFromEnv(const char *name, uint16_t fallback)
{
    const std::string v = env(name);
    if (v.empty())
        return fallback;
    char *end = nullptr;
    const long p = std::strtol(v.c_str(), &end, 10);
    // A malformed value must not silently bind somewhere unexpected.
    if (end == v.c_str() || *end != '\0' || p < 1 || p > 65535)
        return fallback;
    return static_cast<uint16_t>(p);
}

} // namespace

std::string root()
{
    std::string r = env("FROSTPANEL_ROOT");
    while (r.size() > 1 && r.back() == '/')
        r.pop_back();
    if (r == "/")
        r.clear();
    return r;
}

bool sandboxed()
{
    return !root().empty();
}

std::string path(const std::string &absolute)
{
    const std::string r = root();
    if (r.empty() || absolute.empty() || absolute.front() != '/')
        return absolute;
    return r + absolute;
}

std::string serialDevice()
{
    const std::string dev = env("FROSTPANEL_SERIAL");
    return dev.empty() ? path("/dev/ttymxc1") : dev;
}

uint16_t tcpPort()
{
    return portFromEnv("FROSTPANEL_TCP_PORT", 4444);
}

uint16_t udpPort()
{
    return portFromEnv("FROSTPANEL_UDP_PORT", 8888);
}

} // namespace platform
