#include "data/DataHooks.h"
#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "data/WorkingTimer.h"
#include "link/LinkHooks.h"

void connectLinkHooks()
{
    // A firmware version reply: store the mains setting again as it stands.
    LinkHooks::storeMainsSetting = [] { settings.set_rete_setting(settings.getHz(), settings.getVoltage()); };

    // Telemetry goes into the program being run; the program in turn offers
    // each converted sample to the life counters as a candidate maximum.
    LinkHooks::temperatureRead = [](uint8_t raw) {
        if (WorkSettings *program = actual)
            program->registerNewTemperature(raw);
    };
    LinkHooks::absorptionRead = [](uint8_t raw) {
        if (WorkSettings *program = actual)
            program->registerNewAbsobtion(raw);
    };
    DataHooks::maxTemperature = [](double celsius) { machineLife.addMaxTemperature(celsius); };
    DataHooks::maxAbsorption = [](double absorption) { machineLife.addMaxAbsorption(absorption); };

    // The beaker registry's newest change is part of the database time.
    DataHooks::glassLastUpdate = []() -> uint32_t { return glassList ? glassList->getLastUpdate() : 0; };
}
