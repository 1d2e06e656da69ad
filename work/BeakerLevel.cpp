#include "work/BeakerLevel.h"

#include "app/AppState.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
const QColor kOutline(64, 64, 64);

// The theme colour when it is one QColor reads, else the default one.
QColor themeColor()
{
    QColor c(customColor);
    return c.isValid() ? c : QColor(126, 191, 255);
}
} // namespace

BeakerLevel::BeakerLevel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BeakerLevel::setLevels(int levels, int capacity)
{
    total = std::max(0, capacity);
    filled = std::clamp(levels, 0, total);
    update();
}

void BeakerLevel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(3, 3, -3, -3);
    const qreal inset = r.width() * 0.1;
    QPainterPath body;
    body.moveTo(r.topLeft());
    body.lineTo(r.left() + inset, r.bottom());
    body.lineTo(r.right() - inset, r.bottom());
    body.lineTo(r.topRight());

    if (total > 0 && filled > 0) {
        const qreal step = r.height() / total;
        const qreal top = r.bottom() - step * filled;
        QPainterPath fill;
        fill.addRect(QRectF(r.left(), top, r.width(), r.bottom() - top));
        p.fillPath(fill.intersected(body), themeColor());
        // One line between portions while they are wide enough to tell apart.
        if (step >= 4) {
            p.setPen(QPen(Qt::white, 1.5));
            for (int i = 1; i < filled; ++i) {
                const qreal y = r.bottom() - step * i;
                p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            }
        }
    }
    p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body);
}
