#include "work/WorkResources.h"

#include "errors/ErrorManager.h"

#include <QtGlobal>

// Q_INIT_RESOURCE cannot be used inside a namespace.
void initWorkResources()
{
    initErrorsResources();
    Q_INIT_RESOURCE(work);
}
