#include "cleaning/CleaningResources.h"

#include "app/Utils.h"

#include <QtGlobal>

// Q_INIT_RESOURCE cannot be used inside a namespace.
void initCleaningResources()
{
    initAppResources();
    Q_INIT_RESOURCE(cleaning);
}
