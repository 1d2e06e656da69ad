#include "shell/ShellResources.h"

#include "app/Utils.h"
#include "cleaning/CleaningResources.h"
#include "errors/ErrorManager.h"
#include "settings/SettingsResources.h"
#include "work/WorkResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE cannot be used inside a namespace.
void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

void initAllResources()
{
    initAppResources();
    initErrorsResources();
    initSettingsResources();
    initCleaningResources();
    initWorkResources();
    initShellResources();
}
