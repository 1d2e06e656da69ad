#include "shell/Wiring.h"

#include "app/ErrorMessage.h"
#include "app/ScreenHooks.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "errors/ErrorManager.h"
#include "errors/SensorState.h"
#include "link/LinkHooks.h"
#include "platform/report.h"
#include "settings/translator.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

// Runs `job` on the graphical thread, without waiting for it.
template <typename Job> void onGraphicalThread(Job job)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(job), Qt::QueuedConnection);
}

} // namespace

void wireLayers()
{
    // ---- platform -> screens ------------------------------------------------
    // Failures of the stored data reach the operator as the error dialog. They
    // are reported from the graphical, link and TCP threads alike; the dialog
    // is built on the graphical thread and never blocks the reporting thread.
    platform::setOperatorReporter([](const std::string &message) {
        const QString text = QString::fromStdString(message);
        onGraphicalThread([text] {
            DisplayError(QCoreApplication::translate("OperatorText", text.toUtf8().constData()), QString(), false);
        });
    });

    // ---- link -> stored data and errors ----------------------------------------
    // Telemetry samples go into the program being run, which offers each one
    // to the life counters as a candidate maximum. The graphical thread alone
    // changes `actual` (a remote start replaces it there), so the samples are
    // recorded there too and never meet a program that is being replaced.
    LinkHooks::temperatureRead = [](uint8_t raw) {
        onGraphicalThread([raw] {
            if (WorkSettings *program = actual)
                program->registerNewTemperature(raw);
        });
    };
    LinkHooks::absorptionRead = [](uint8_t raw) {
        onGraphicalThread([raw] {
            if (WorkSettings *program = actual)
                program->registerNewAbsobtion(raw);
        });
    };
    // The counting is quick and locked; the error dialog is the home screen's.
    LinkHooks::errorCodeRead = [](uint8_t code) { errorSystem.setErrorCode(code); };
    // A firmware version reply: store the mains setting again as it stands.
    LinkHooks::storeMainsSetting = [] { settings.set_rete_setting(settings.getHz(), settings.getVoltage()); };

    // ---- stored data -> screens -------------------------------------------------
    SettingsHooks::applyBacklight = [](int level) { setBrightness(level); };
    // The settings file names the operator's language: it is the one shown.
    SettingsHooks::currentLanguageFile = [](const QString &name) { transLanguage.applyLanguage(name); };

    // ---- screens -> screens -----------------------------------------------------
    // The run and cleaning screens open the sensor page over themselves.
    ScreenHooks::openSensorPage = [](QWidget *parent) -> QWidget * {
        auto *page = new SensorState(parent);
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->show();
        return page;
    };
}
