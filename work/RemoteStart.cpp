#include "work/RemoteStart.h"

#include "work/QuickStartLiquid.h"
#include "work/quickstart.h"

QWidget *openRemoteStartScreen(uint8_t type, QWidget *parent)
{
    QWidget *screen = nullptr;
    switch (type) {
    case 1:
        screen = new quickstart(parent, 80);
        break;
    case 2:
    case 3: {
        auto *liquid = new QuickStartLiquid(parent);
        liquid->setFunction(type, false, true);
        screen = liquid;
        break;
    }
    default:
        return nullptr;
    }
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->show();
    return screen;
}
