#include "app/Overlay.h"

#include "app/Utils.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace {
constexpr int kDisplayWidth = 480;
constexpr int kDisplayHeight = 272;

QWidget *windowBehind(QWidget *w)
{
    if (QWidget *p = w->parentWidget())
        return p->window();
    QWidget *active = QApplication::activeWindow();
    if (active && active != w)
        return active;
    // Nothing active (the offscreen platform, a fresh start): the first
    // visible full window will do.
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != w && top->isWindow() && top->isVisible() && top->width() >= kDisplayWidth)
            return top;
    }
    return nullptr;
}
} // namespace

void prepareOverlay(QWidget *w)
{
    w->setWindowFlags(w->windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    w->setFixedSize(kDisplayWidth, kDisplayHeight);
    w->setAutoFillBackground(true);
}

void applyDimmedBackdrop(QWidget *w)
{
    QPixmap backdrop(w->size());
    backdrop.fill(QColor(32, 32, 32));
    QWidget *behind = windowBehind(w);
    if (behind && behind->isVisible()) {
        QPainter p(&backdrop);
        p.drawPixmap(0, 0, behind->grab());
        p.fillRect(backdrop.rect(), QColor(0, 0, 0, 140));
    }
    QPalette pal = w->palette();
    pal.setBrush(QPalette::Window, backdrop);
    w->setPalette(pal);
}

void applyThemeColor(QWidget *root)
{
    if (!root)
        return;
    changeColor(root);
    for (QWidget *child : root->findChildren<QWidget *>())
        changeColor(child);
}
