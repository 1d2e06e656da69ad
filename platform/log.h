#pragma once
// Diagnostic output. Lines go to standard error, like the toolkit's debug
// output; tests may divert them to check what the program reported.

#include <functional>
#include <string>

namespace platform {

void debugLine(const std::string &line);

using LogSink = std::function<void(const std::string &)>;
// Replaces the sink (an empty function restores standard error).
void setLogSink(LogSink sink);

} // namespace platform
