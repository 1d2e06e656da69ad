#pragma once
// How code below the screens tells the operator about a failure.
//
// Libraries without widgets call reportToOperator() with the operator text
// (untranslated source text); the application installs a reporter that
// translates it and shows the error dialog. Without a reporter the text is
// only logged.

#include <functional>
#include <string>

namespace platform {

using OperatorReporter = std::function<void(const std::string &message)>;

void setOperatorReporter(OperatorReporter reporter);
void reportToOperator(const std::string &message);

} // namespace platform
