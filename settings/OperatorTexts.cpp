// Operator messages of the layers without widgets (platform::reportToOperator)
// are plain source texts; the reporter start-up installs (connectUtilityHooks)
// translates them in the context "OperatorText". They are listed here so that
// the translation files carry them: add every new reported text.

#include <QtGlobal>

namespace {

[[maybe_unused]] const char *const kOperatorTexts[] = {
    QT_TRANSLATE_NOOP("OperatorText", "Recipe Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Recipe Dettails Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Settings Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Supply Setting Saving Error."),
    QT_TRANSLATE_NOOP("OperatorText", "Machine Counters Reading Error."),
};

} // namespace
