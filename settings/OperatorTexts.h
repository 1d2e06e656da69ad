#pragma once
// Operator messages of the layers without widgets (platform::reportToOperator)
// are plain source texts. They are listed in OperatorTexts.cpp so that the
// translation files carry them; the reporter start-up installs translates
// them here before showing them.

#include <QString>

#include <string>

QString translateOperatorText(const std::string &message);
