#include "work/ScreenLook.h"

#include "app/Utils.h"

#include <QWidget>

namespace look {

const char *const kActionKey =
    "QPushButton { background-color: rgba(126, 191, 255, 255); color: #ffffff; border: none; "
    "border-radius: 8px; } QPushButton:pressed { background-color: rgb(88, 186, 72); } "
    "QPushButton:disabled { background-color: rgb(214, 221, 229); color: rgb(128, 138, 150); }";
const char *const kChoiceKey =
    "QPushButton { background-color: rgb(255, 255, 255); color: #202020; border: 2px solid "
    "rgba(126, 191, 255, 255); border-radius: 8px; } QPushButton:pressed { background-color: "
    "rgba(126, 191, 255, 255); }";
const char *const kChosenKey =
    "QPushButton { background-color: rgb(88, 186, 72); color: #ffffff; border: 2px solid "
    "rgb(88, 186, 72); border-radius: 8px; }";
const char *const kStartReady =
    "QPushButton { background-color: rgb(88, 186, 72); color: #ffffff; border: none; border-radius: 8px; } "
    "QPushButton:pressed { background-color: rgb(60, 140, 50); }";
const char *const kStartIdle =
    "QPushButton { background-color: rgb(255, 255, 255); color: rgb(128, 138, 150); border: 2px solid "
    "rgb(190, 198, 206); border-radius: 8px; }";

void setStyle(QWidget *w, const char *sheet)
{
    w->setStyleSheet(QString::fromLatin1(sheet));
    changeColor(w);
}

QString minutesSeconds(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QString::asprintf("%d:%02d", seconds / 60, seconds % 60);
}

} // namespace look
