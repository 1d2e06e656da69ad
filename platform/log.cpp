#include "platform/log.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {
std::mutex &logMutex()
{
    static std::mutex m;
    return m;
}
LogSink &sink()
{
    static LogSink s;
    return s;
}
} // namespace

void debugLine(const std::string &line)
{
    std::lock_guard<std::mutex> lock(logMutex());
    if (sink()) {
        sink()(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

void setLogSink(LogSink s)
{
    std::lock_guard<std::mutex> lock(logMutex());
    sink() = std::move(s);
}

} // namespace platform
