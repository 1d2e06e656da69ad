#pragma once
// Checks a screen the way the operator sees it: rendered at 480 x 272, every
// visible text fits its widget, every visible widget lies on the display.
// Pictures go to <build>/screenshots/ for a look.

#include <QString>
#include <QStringList>

class QWidget;

// Problems found (empty when the screen is sound); saves the picture as
// <name>.png.
QStringList checkScreen(QWidget *screen, const QString &name);
