#include "work/running.h"

#include "app/Overlay.h"

// Placeholder until the run monitor lands: a blank full-screen page.
running::running(QWidget *parent) : QWidget(parent)
{
    prepareOverlay(this);
    show();
}

running::~running() = default;

void running::setGlassDimension(int dimension)
{
    glassDimension = dimension;
}
