#include "data/DataHooks.h"
#include "data/DataState.h"
#include "data/GlassElementsList.h"
#include "data/WorkingTimer.h"

void connectLinkHooks()
{
    // The work programs offer each converted sample to the life counters.
    DataHooks::maxTemperature = [](double celsius) { machineLife.addMaxTemperature(celsius); };
    DataHooks::maxAbsorption = [](double absorption) { machineLife.addMaxAbsorption(absorption); };

    // The beaker registry's newest change is part of the database time.
    DataHooks::glassLastUpdate = []() -> uint32_t { return glassList ? glassList->getLastUpdate() : 0; };
}
