#include "platform/report.h"

#include "platform/log.h"

#include <mutex>

namespace platform {

namespace {
std::mutex reporterMutex;
OperatorReporter &currentReporter()
{
    static OperatorReporter r;
    return r;
}
} // namespace

void setOperatorReporter(OperatorReporter reporter)
{
    std::lock_guard<std::mutex> l(reporterMutex);
    currentReporter() = std::move(reporter);
}

void reportToOperator(const std::string &message)
{
    OperatorReporter r;
    {
        std::lock_guard<std::mutex> l(reporterMutex);
        r = currentReporter();
    }
    debugLine("operator message: " + message);
    if (r)
        r(message);
}

} // namespace platform
