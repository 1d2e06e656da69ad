#include "settings/SettingsResources.h"

#include <QtGlobal>

void initSettingsResources()
{
    Q_INIT_RESOURCE(settings);
}
