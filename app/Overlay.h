#pragma once
// Dialogs are frameless windows that fill the display: a centred panel over a
// darkened copy of the screen behind it. The board's framebuffer has no
// window translucency, so the backdrop is painted from a snapshot.

#include <QPixmap>

class QWidget;

// Makes `w` a frameless top-level window of the display's size.
void prepareOverlay(QWidget *w);

// Takes a darkened snapshot of the window behind `w` (its parent's window,
// else the active window) and sets it as the background of `w`. Call from the
// show event, before `w` itself is painted.
void applyDimmedBackdrop(QWidget *w);

// Applies customColor to `root` and every widget inside it (changeColor on
// each); forms are written with the default theme colour.
void applyThemeColor(QWidget *root);
