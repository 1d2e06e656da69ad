#include "data/DataState.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "link/LinkHooks.h"

void connectLinkHooks()
{
    // A firmware version reply: store the mains setting again as it stands.
    LinkHooks::storeMainsSetting = [] { settings.set_rete_setting(settings.getHz(), settings.getVoltage()); };

    // Telemetry goes into the program being run, which offers each converted
    // sample to the life counters as a candidate maximum.
    LinkHooks::temperatureRead = [](uint8_t raw) {
        if (WorkSettings *program = actual)
            program->registerNewTemperature(raw);
    };
    LinkHooks::absorptionRead = [](uint8_t raw) {
        if (WorkSettings *program = actual)
            program->registerNewAbsobtion(raw);
    };
}
