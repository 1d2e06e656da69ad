#pragma once
// Opens the blade release procedure over `parent` (the cleaning menu's
// window); the procedure's screen deletes itself when closed.

class QWidget;

void openBladeRelease(QWidget *parent);
