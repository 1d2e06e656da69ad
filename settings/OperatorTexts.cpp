#include "settings/OperatorTexts.h"

#include <QCoreApplication>

namespace {

constexpr const char *kContext = "OperatorText";

// Every text handed to platform::reportToOperator; add new ones here.
[[maybe_unused]] const char *const kTexts[] = {
    QT_TRANSLATE_NOOP("OperatorText", "Recipe Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Recipe Dettails Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Settings Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Supply Setting Saving Error."),
};

} // namespace

QString translateOperatorText(const std::string &message)
{
    return QCoreApplication::translate(kContext, message.c_str());
}
