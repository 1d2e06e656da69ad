// Draws the pictures of the screens: flat drawings, 3 px strokes in the theme
// colour or dark grey on white, legible at 64 x 64. Animated pictures are
// written as GIF; every file is checked by reading it back.
//
//   frostpanel-pictures OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER/icon/... and OUTPUT_FOLDER/image/... under the names
// the screens load them by (":/icon/star_3D_120.png" is icon/star_3D_120.png).

#include "GifWriter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor kTheme(126, 191, 255);
const QColor kDark(64, 64, 64);
const QColor kGreen(88, 186, 72);
const QColor kRed(242, 112, 113);
const QColor kLight(226, 240, 255); // theme colour on white, for glass and fills
const QColor kFrozen(196, 226, 255);

QString outDir;
int failures = 0;

QImage canvas(int w, int h, bool transparent = false)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(transparent ? Qt::transparent : Qt::white);
    return img;
}

void begin(QPainter &p, QImage &img)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
}

QPen pen(const QColor &c, qreal w = 3)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

bool ensureFolder(const QString &file)
{
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

void savePng(const QString &name, const QImage &img)
{
    const QString file = outDir + "/" + name;
    ensureFolder(file);
    if (!img.save(file, "PNG") || QImage(file).size() != img.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(name));
}

void saveGif(const QString &name, const QVector<QImage> &frames, int delayMs)
{
    const QString file = outDir + "/" + name;
    ensureFolder(file);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(GifWriter::encode(frames, delayMs)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    f.close();
    // Read it back: every frame must come out as drawn (up to the palette).
    QImageReader reader(file, "gif");
    int n = 0;
    QImage frame;
    while (reader.read(&frame)) {
        const QImage expected = frames[n].convertToFormat(QImage::Format_RGB32);
        const QImage got = frame.convertToFormat(QImage::Format_RGB32);
        long bad = 0;
        for (int y = 0; y < got.height() && got.size() == expected.size(); ++y)
            for (int x = 0; x < got.width(); ++x) {
                const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 90)
                    ++bad;
            }
        if (got.size() != expected.size() || bad > got.width() * got.height() / 50) {
            std::fprintf(stderr, "%s: frame %d does not read back (%ld pixels off)\n", qPrintable(file), n, bad);
            ++failures;
        }
        if (++n == frames.size())
            break;
    }
    if (n != frames.size()) {
        std::fprintf(stderr, "%s: read %d of %d frames\n", qPrintable(file), n, int(frames.size()));
        ++failures;
        return;
    }
    std::printf("%s (%d frames)\n", qPrintable(name), n);
}

QVector<QImage> animate(int frames, int w, int h, const std::function<void(QPainter &, qreal)> &draw)
{
    QVector<QImage> out;
    for (int i = 0; i < frames; ++i) {
        QImage img = canvas(w, h);
        QPainter p;
        begin(p, img);
        draw(p, frames > 1 ? qreal(i) / (frames - 1) : 0.0);
        p.end();
        out.append(img);
    }
    return out;
}

qreal ease(qreal t)
{
    return t < 0 ? 0 : t > 1 ? 1 : t * t * (3 - 2 * t);
}

// ---- pieces --------------------------------------------------------------------

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c, qreal width = 5)
{
    p.setPen(pen(c, width));
    p.drawLine(from, to);
    const QLineF l(to, from);
    const qreal a = qDegreesToRadians(l.angle());
    const qreal head = width * 3.2;
    QPolygonF tip;
    tip << to << to + QPointF(std::cos(a + 0.5) * head, -std::sin(a + 0.5) * head)
        << to + QPointF(std::cos(a - 0.5) * head, -std::sin(a - 0.5) * head);
    p.setBrush(c);
    p.setPen(pen(c, 2));
    p.drawPolygon(tip);
    p.setBrush(Qt::NoBrush);
}

// A beaker with a level from 0 to 1 (above 1 spills over the rim).
void beaker(QPainter &p, QRectF r, qreal level, const QColor &content = kFrozen)
{
    QPainterPath body;
    body.moveTo(r.topLeft());
    body.lineTo(r.left() + r.width() * 0.08, r.bottom());
    body.lineTo(r.right() - r.width() * 0.08, r.bottom());
    body.lineTo(r.topRight());
    if (level > 0) {
        const qreal top = r.bottom() - r.height() * qMin(level, 1.0);
        QPainterPath fill;
        fill.addRect(QRectF(r.left(), top, r.width(), r.bottom() - top));
        p.fillPath(fill.intersected(body), content);
        if (level > 1) {
            QPainterPath heap;
            heap.moveTo(r.left() - 4, r.top() + 2);
            heap.quadTo(r.center().x(), r.top() - r.height() * (level - 1) * 2, r.right() + 4, r.top() + 2);
            heap.closeSubpath();
            p.fillPath(heap, content);
            p.setPen(pen(kDark, 2));
            p.drawPath(heap);
        }
    }
    p.setPen(pen(kDark));
    p.drawPath(body);
}

// The machine seen from the front: base, column on the right, head with the
// blade shaft, the beaker place and the lid. lidOpen: 0 closed (down) .. 1 up.
void machine(QPainter &p, qreal lidOpen, bool withGlass, qreal glassShift = 0, bool gasket = true)
{
    p.setPen(pen(kDark));
    p.setBrush(QColor(240, 240, 240));
    p.drawRoundedRect(QRectF(14, 136, 132, 14), 3, 3); // base
    p.drawRect(QRectF(112, 22, 22, 114));              // column
    p.drawRoundedRect(QRectF(30, 22, 104, 22), 4, 4);  // head
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(66, 44), QPointF(66, 62)); // shaft
    if (gasket) {
        p.setPen(pen(kTheme, 3));
        p.drawEllipse(QRectF(52, 60, 28, 7));
    }
    if (withGlass)
        beaker(p, QRectF(46 + glassShift, 86, 40, 48), 0.6);
    // The lid: a transparent door in front of the beaker place.
    const qreal lift = 56 * lidOpen;
    const QRectF lid(36, 56 - lift, 60, 80);
    p.setPen(pen(kTheme, 3));
    p.setBrush(QColor(126, 191, 255, 50));
    p.drawRoundedRect(lid, 6, 6);
    p.setBrush(Qt::NoBrush);
}

void blade(QPainter &p, QPointF hub, qreal scale, const QColor &c = kDark)
{
    p.save();
    p.translate(hub);
    p.scale(scale, scale);
    p.setPen(pen(c, 3 / scale));
    p.setBrush(QColor(230, 230, 230));
    QPainterPath wings;
    wings.moveTo(-40, 4);
    wings.quadTo(-20, -8, 0, 0);
    wings.quadTo(20, 8, 40, -4);
    wings.quadTo(20, 14, 0, 6);
    wings.quadTo(-20, -2, -40, 4);
    p.drawPath(wings);
    p.setBrush(c);
    p.drawEllipse(QPointF(0, 3), 5, 5);
    p.drawLine(QPointF(0, 3), QPointF(0, -40)); // shaft
    p.restore();
}

// The security button on the machine's side: a red push button in its ring.
void securityButton(QPainter &p, QPointF c, bool pressed)
{
    p.setPen(pen(kDark));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 20, 20);
    p.setBrush(pressed ? kRed.darker(115) : kRed);
    p.drawEllipse(c, pressed ? 12 : 14, pressed ? 12 : 14);
    p.setBrush(Qt::NoBrush);
}

// The touch screen with a finger mark on it.
void touchScreen(QPainter &p, QRectF r, bool touched)
{
    p.setPen(pen(kDark));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 6, 6);
    p.setBrush(kLight);
    p.drawRect(r.adjusted(8, 8, -8, -8));
    p.setBrush(Qt::NoBrush);
    if (touched) {
        const QPointF c = r.center();
        p.setPen(pen(kTheme, 3));
        p.drawEllipse(c, 8, 8);
        p.setPen(pen(kTheme, 2));
        p.drawEllipse(c, 16, 16);
        // The finger pressing it.
        p.setPen(pen(kDark));
        p.setBrush(Qt::white);
        QPainterPath finger;
        finger.moveTo(c + QPointF(-7, 2));
        finger.lineTo(c + QPointF(-7, 46));
        finger.lineTo(c + QPointF(9, 46));
        finger.lineTo(c + QPointF(9, 2));
        finger.arcTo(QRectF(c + QPointF(-7, -6), QSizeF(16, 16)), 0, 180);
        p.drawPath(finger);
        p.setBrush(Qt::NoBrush);
    }
}

void directionKeys(QPainter &p, QPointF c)
{
    p.setPen(pen(kDark));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(c.x() - 22, c.y() - 46, 44, 40), 6, 6);
    p.drawRoundedRect(QRectF(c.x() - 22, c.y() + 6, 44, 40), 6, 6);
    p.setBrush(Qt::NoBrush);
    arrow(p, c + QPointF(0, -14), c + QPointF(0, -38), kTheme, 4);
    arrow(p, c + QPointF(0, 14), c + QPointF(0, 38), kTheme, 4);
}

// ---- pictures -----------------------------------------------------------------------

void drawReload()
{
    saveGif("icon/reload_3D_120.gif", animate(12, 120, 120, [](QPainter &p, qreal t) {
                const qreal start = -t * 360 * 11 / 12;
                p.translate(60, 60);
                p.rotate(start);
                p.setPen(pen(kTheme, 9));
                p.drawArc(QRectF(-38, -38, 76, 76), 30 * 16, 280 * 16);
                // Arrow head at the end of the arc.
                const qreal a = qDegreesToRadians(30.0);
                const QPointF end(38 * std::cos(a), -38 * std::sin(a));
                QPolygonF tip;
                tip << end + QPointF(-14, -4) << end + QPointF(12, -6) << end + QPointF(2, 18);
                p.setBrush(kTheme);
                p.setPen(pen(kTheme, 2));
                p.drawPolygon(tip);
            }),
            80);
}

void drawStar()
{
    QImage img = canvas(120, 120);
    QPainter p;
    begin(p, img);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? 22 : 52;
        const qreal a = qDegreesToRadians(-90 + i * 36.0);
        star << QPointF(60 + r * std::cos(a), 64 + r * std::sin(a));
    }
    p.setPen(pen(kDark));
    p.setBrush(kGreen);
    p.drawPolygon(star);
    p.end();
    savePng("icon/star_3D_120.png", img);
}

void drawArrows()
{
    for (bool up : {true, false})
        for (bool green : {false, true}) {
            QImage img = canvas(120, 120);
            QPainter p;
            begin(p, img);
            const QColor c = green ? kGreen : kDark;
            const QPolygonF shape = QPolygonF() << QPointF(60, 12) << QPointF(104, 60) << QPointF(76, 60)
                                                << QPointF(76, 108) << QPointF(44, 108) << QPointF(44, 60)
                                                << QPointF(16, 60);
            p.setPen(pen(c.darker(130)));
            p.setBrush(c);
            if (!up) {
                p.translate(0, 120);
                p.scale(1, -1);
            }
            p.drawPolygon(shape);
            p.end();
            savePng(QString("icon/%1_3D_120%2.png").arg(up ? "up" : "down", green ? "_green" : ""), img);
        }
}

void drawMachinePictures()
{
    // Close the lid: it comes down over the beaker, then holds.
    saveGif("image/machine open.gif", animate(16, 160, 160, [](QPainter &p, qreal t) {
                const qreal lid = 1 - ease(t * 1.4);
                machine(p, lid, true);
                if (lid > 0.05)
                    arrow(p, QPointF(16, 40), QPointF(16, 96), kGreen, 5);
            }),
            120);
    // Insert the gasket: the ring rises into its seat under the head.
    saveGif("image/oring presence.gif", animate(16, 160, 160, [](QPainter &p, qreal t) {
                machine(p, 1, false, 0, false);
                const qreal y = 118 - 58 * ease(t * 1.4);
                p.setPen(pen(kTheme, 4));
                p.drawEllipse(QRectF(52, y, 28, 7));
                if (t < 0.7)
                    arrow(p, QPointF(18, 124), QPointF(18, 70), kGreen, 5);
            }),
            120);
    // Insert the beaker: it slides into place from the front right.
    saveGif("image/glass presence.gif", animate(16, 160, 160, [](QPainter &p, qreal t) {
                machine(p, 1, false);
                const qreal shift = 100 * (1 - ease(t * 1.4));
                p.save();
                p.setClipRect(QRectF(0, 0, 160, 160));
                beaker(p, QRectF(46 + shift, 86, 40, 48), 0.6);
                p.restore();
                if (shift > 5)
                    arrow(p, QPointF(150, 76), QPointF(100, 76), kGreen, 5);
            }),
            120);
    // Close again: the lid is down but not confirmed, push it fully home.
    saveGif("image/new state.gif", animate(10, 160, 160, [](QPainter &p, qreal t) {
                const qreal lid = t < 0.5 ? 0.12 : 0.0;
                machine(p, lid, true);
                arrow(p, QPointF(66, 4), QPointF(66, 28 + 10 * (t < 0.5 ? 0 : 1)), t < 0.5 ? kDark : kGreen, 5);
            }),
            200);
    // Place the beaker behind the machine, for the cleaning water.
    saveGif("image/glass_filter.gif", animate(14, 160, 160, [](QPainter &p, qreal t) {
                const qreal x = 150 - 40 * ease(t * 1.4);
                p.save();
                p.setOpacity(0.55);
                beaker(p, QRectF(x - 20, 70, 32, 40), 0.2, kLight);
                p.restore();
                machine(p, 0, false);
                if (t < 0.7)
                    arrow(p, QPointF(154, 124), QPointF(126, 124), kGreen, 4);
            }),
            140);

    QImage img = canvas(160, 160);
    QPainter p;
    begin(p, img);
    beaker(p, QRectF(40, 50, 80, 96), 1.18);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(128, 30), 20, 20);
    p.setPen(pen(Qt::white, 5));
    p.drawLine(QPointF(128, 18), QPointF(128, 33));
    p.drawPoint(QPointF(128, 42));
    p.end();
    savePng("image/too_much.png", img);
}

void drawBladeSteps()
{
    auto step = [](const QString &name, const std::function<void(QPainter &)> &draw) {
        QImage img = canvas(160, 160);
        QPainter p;
        begin(p, img);
        draw(p);
        p.end();
        savePng(name, img);
    };
    step("image/sm_bl_1.png", [](QPainter &p) {
        directionKeys(p, QPointF(46, 80));
        securityButton(p, QPointF(118, 80), true);
    });
    step("image/sm_bl_2.png", [](QPainter &p) {
        touchScreen(p, QRectF(10, 30, 90, 70), true);
        securityButton(p, QPointF(128, 64), true);
    });
    step("image/sm_bl_3.png", [](QPainter &p) {
        blade(p, QPointF(70, 110), 1.3);
        arrow(p, QPointF(136, 120), QPointF(136, 30), kGreen, 5);
    });
    step("image/sm_bl_4.png", [](QPainter &p) {
        blade(p, QPointF(70, 80), 1.3);
        arrow(p, QPointF(136, 30), QPointF(136, 120), kGreen, 5);
    });
    step("image/sm_bl_5.png", [](QPainter &p) {
        touchScreen(p, QRectF(10, 20, 90, 70), true);
        securityButton(p, QPointF(128, 54), true);
        blade(p, QPointF(118, 138), 0.45);
    });
    step("image/sm_bl_6.png", [](QPainter &p) { touchScreen(p, QRectF(30, 24, 100, 76), true); });
    step("image/sm_bl_7.png", [](QPainter &p) {
        touchScreen(p, QRectF(10, 20, 90, 70), true);
        securityButton(p, QPointF(128, 54), true);
        arrow(p, QPointF(132, 96), QPointF(132, 150), kGreen, 4);
    });
}

// ---- home and menu icons: white on the theme-coloured tiles ------------------------------

QImage tileIcon(const std::function<void(QPainter &)> &draw)
{
    QImage img = canvas(64, 64, true);
    QPainter p;
    begin(p, img);
    p.setPen(pen(Qt::white, 4));
    draw(p);
    p.end();
    return img;
}

void snowflake(QPainter &p, QPointF c, qreal r)
{
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(i * 60.0);
        const QPointF d(std::cos(a), std::sin(a));
        const QPointF tip = c + d * r;
        p.drawLine(c, tip);
        const QPointF mid = c + d * (r * 0.6);
        for (int s : {-1, 1}) {
            const qreal b = a + s * qDegreesToRadians(45.0);
            p.drawLine(mid, mid + QPointF(std::cos(b), std::sin(b)) * r * 0.35);
        }
    }
}

void wifiArcs(QPainter &p, QPointF base, const QColor &c)
{
    p.setPen(pen(c, 4));
    for (int i = 1; i <= 3; ++i) {
        const qreal r = 9.0 * i;
        p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawEllipse(base, 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
}

void drawTileIcons()
{
    savePng("icon/frost.png", tileIcon([](QPainter &p) { snowflake(p, QPointF(32, 32), 26); }));
    savePng("icon/whip_cut.png", tileIcon([](QPainter &p) {
                // A whisk and a knife, crossed.
                p.drawLine(QPointF(10, 56), QPointF(30, 36));
                QPainterPath loops;
                for (qreal w : {8.0, 14.0}) {
                    loops.moveTo(30, 36);
                    loops.cubicTo(30 + w, 36 - 4 - w, 50 - w, 10 - w / 2, 56, 8);
                    loops.cubicTo(58 - w / 2, 20 + w, 34 + w, 40 - w / 3, 30, 36);
                }
                p.drawPath(loops);
                p.drawLine(QPointF(10, 10), QPointF(26, 26));
                QPainterPath knife;
                knife.moveTo(26, 26);
                knife.lineTo(54, 54);
                knife.quadTo(52, 40, 32, 22);
                p.drawPath(knife);
            }));
    savePng("icon/clean.png", tileIcon([](QPainter &p) {
                QPainterPath drop;
                drop.moveTo(26, 8);
                drop.cubicTo(40, 28, 44, 36, 44, 44);
                drop.arcTo(QRectF(8, 26, 36, 36), 0, -180);
                drop.cubicTo(8, 36, 12, 28, 26, 8);
                p.drawPath(drop);
                p.drawLine(QPointF(52, 10), QPointF(52, 24));
                p.drawLine(QPointF(45, 17), QPointF(59, 17));
            }));
    savePng("icon/settings.png", tileIcon([](QPainter &p) {
                p.translate(32, 32);
                for (int i = 0; i < 8; ++i) {
                    p.save();
                    p.rotate(i * 45);
                    p.drawLine(QPointF(0, -18), QPointF(0, -27));
                    p.restore();
                }
                p.drawEllipse(QPointF(0, 0), 18, 18);
                p.drawEllipse(QPointF(0, 0), 7, 7);
            }));
    savePng("icon/language.png", tileIcon([](QPainter &p) {
                p.drawEllipse(QPointF(32, 32), 26, 26);
                p.drawEllipse(QPointF(32, 32), 11, 26);
                p.drawLine(QPointF(6, 32), QPointF(58, 32));
                p.drawLine(QPointF(10, 19), QPointF(54, 19));
                p.drawLine(QPointF(10, 45), QPointF(54, 45));
            }));
    savePng("icon/mains.png", tileIcon([](QPainter &p) {
                QPainterPath wave;
                wave.moveTo(4, 32);
                for (int x = 4; x <= 60; ++x)
                    wave.lineTo(x, 32 - 18 * std::sin((x - 4) / 56.0 * 2 * M_PI));
                p.drawPath(wave);
            }));
    savePng("icon/firmware.png", tileIcon([](QPainter &p) {
                // A chip with its pins, and an arrow going into it.
                p.drawRoundedRect(QRectF(16, 16, 32, 32), 4, 4);
                for (int i = 0; i < 3; ++i) {
                    const qreal at = 24 + 8 * i;
                    p.drawLine(QPointF(at, 6), QPointF(at, 16));
                    p.drawLine(QPointF(at, 48), QPointF(at, 58));
                    p.drawLine(QPointF(6, at), QPointF(16, at));
                    p.drawLine(QPointF(48, at), QPointF(58, at));
                }
                p.drawLine(QPointF(32, 23), QPointF(32, 40));
                p.drawLine(QPointF(25, 33), QPointF(32, 40));
                p.drawLine(QPointF(39, 33), QPointF(32, 40));
            }));
    // Status icons of the title bar (on the theme-coloured bar too).
    QImage ok = canvas(32, 32, true), ko = canvas(32, 32, true);
    QPainter p;
    begin(p, ok);
    p.scale(0.5, 0.5);
    wifiArcs(p, QPointF(32, 54), Qt::white);
    p.end();
    savePng("icon/wifi_ok.png", ok);
    begin(p, ko);
    p.scale(0.5, 0.5);
    wifiArcs(p, QPointF(32, 54), QColor(255, 255, 255, 120));
    p.setPen(pen(kRed, 7));
    p.drawLine(QPointF(36, 8), QPointF(60, 32));
    p.drawLine(QPointF(60, 8), QPointF(36, 32));
    p.end();
    savePng("icon/wifi_ko.png", ko);
}

// The two choices of the cutting/whipping selection, each on its own tile,
// both drawn along the diagonal from the lower left.
void drawLiquidIcons()
{
    savePng("icon/cut.png", tileIcon([](QPainter &p) {
                // A kitchen knife: handle, then the blade with a straight back
                // and a curved edge up to the point.
                p.translate(10, 54);
                p.rotate(-45);
                p.drawRoundedRect(QRectF(0, -4, 16, 9), 3, 3);
                QPainterPath blade;
                blade.moveTo(18, -5);
                blade.lineTo(56, -5);
                blade.quadTo(46, 8, 18, 8);
                blade.closeSubpath();
                p.drawPath(blade);
            }));
    savePng("icon/whip.png", tileIcon([](QPainter &p) {
                // A whisk: handle, then wire loops of three widths meeting at
                // the handle and at the far end.
                p.translate(12, 52);
                p.rotate(-45);
                p.drawLine(QPointF(0, 0), QPointF(16, 0));
                QPainterPath loops;
                for (qreal w : {5.0, 11.0, 17.0}) {
                    loops.moveTo(16, 0);
                    loops.cubicTo(26, -w, 48, -w, 52, 0);
                    loops.cubicTo(48, w, 26, w, 16, 0);
                }
                p.drawPath(loops);
            }));
}

// The choices of the cleaning menu beside the cleaning tile's own drop:
// blade release and the purge of the air duct.
void drawCleaningIcons()
{
    savePng("icon/blade_release.png", tileIcon([](QPainter &p) {
                // The blade on its shaft, and the turn around the shaft that
                // frees it.
                QPainterPath wings;
                wings.moveTo(6, 50);
                wings.quadTo(19, 42, 32, 48);
                wings.quadTo(45, 54, 58, 46);
                wings.quadTo(45, 60, 32, 54);
                wings.quadTo(19, 48, 6, 50);
                p.drawPath(wings);
                p.drawLine(QPointF(32, 50), QPointF(32, 6));
                p.drawArc(QRectF(12, 14, 40, 16), 200 * 16, 300 * 16);
                // Arrow head at the arc's end, pointing on round the shaft.
                const QPointF tip(13.2, 24.8);
                p.drawLine(tip, tip + QPointF(-2, -8));
                p.drawLine(tip, tip + QPointF(7, -3));
            }));
    savePng("icon/air_purge.png", tileIcon([](QPainter &p) {
                // Air blowing through a duct.
                p.drawLine(QPointF(6, 12), QPointF(58, 12));
                p.drawLine(QPointF(6, 52), QPointF(58, 52));
                for (qreal y : {24.0, 40.0}) {
                    QPainterPath wave;
                    wave.moveTo(10, y);
                    for (int x = 10; x <= 46; ++x)
                        wave.lineTo(x, y - 4 * std::sin((x - 10) / 18.0 * M_PI));
                    p.drawPath(wave);
                }
                p.drawLine(QPointF(50, 32), QPointF(58, 32));
                p.drawLine(QPointF(58, 32), QPointF(52, 26));
                p.drawLine(QPointF(58, 32), QPointF(52, 38));
            }));
}

// The tiles of the settings pages beside language, mains and firmware.
void drawSettingsIcons()
{
    savePng("icon/date.png", tileIcon([](QPainter &p) {
                // A calendar sheet with its rings and a clock over its corner.
                p.drawRoundedRect(QRectF(6, 12, 40, 38), 4, 4);
                p.drawLine(QPointF(6, 22), QPointF(46, 22));
                p.drawLine(QPointF(16, 6), QPointF(16, 16));
                p.drawLine(QPointF(36, 6), QPointF(36, 16));
                p.setBrush(kTheme);
                p.drawEllipse(QPointF(44, 44), 15, 15);
                p.setBrush(Qt::NoBrush);
                p.drawLine(QPointF(44, 44), QPointF(44, 35));
                p.drawLine(QPointF(44, 44), QPointF(51, 48));
            }));
    savePng("icon/energy.png", tileIcon([](QPainter &p) {
                // The sun: brightness, with a crescent for the screen saver.
                p.drawEllipse(QPointF(26, 32), 11, 11);
                for (int i = 0; i < 8; ++i) {
                    const qreal a = qDegreesToRadians(i * 45.0);
                    const QPointF d(std::cos(a), std::sin(a));
                    p.drawLine(QPointF(26, 32) + d * 16, QPointF(26, 32) + d * 22);
                }
                QPainterPath disc, bite;
                disc.addEllipse(QPointF(50, 16), 11, 11);
                bite.addEllipse(QPointF(56, 11), 10, 10);
                const QPainterPath moon = disc.subtracted(bite);
                p.drawPath(moon);
            }));
    savePng("icon/wifi.png", tileIcon([](QPainter &p) {
                p.scale(1.4, 1.4);
                p.translate(-9.1, -11.4);
                wifiArcs(p, QPointF(32, 50), Qt::white);
            }));
    savePng("icon/machine_info.png", tileIcon([](QPainter &p) {
                // A gauge: the life counters of the machine.
                p.drawArc(QRectF(6, 10, 52, 52), 0, 180 * 16);
                p.drawLine(QPointF(6, 36), QPointF(58, 36));
                for (int i = 1; i < 6; ++i) {
                    const qreal a = qDegreesToRadians(180.0 - i * 30.0);
                    const QPointF d(std::cos(a), -std::sin(a));
                    p.drawLine(QPointF(32, 36) + d * 20, QPointF(32, 36) + d * 25);
                }
                p.drawLine(QPointF(32, 36), QPointF(44, 22));
                p.drawLine(QPointF(14, 48), QPointF(50, 48));
                p.drawLine(QPointF(20, 56), QPointF(44, 56));
            }));
    savePng("icon/error_state.png", tileIcon([](QPainter &p) {
                // A warning sign with a small bar chart: errors counted.
                QPainterPath sign;
                sign.moveTo(24, 6);
                sign.lineTo(44, 42);
                sign.lineTo(4, 42);
                sign.closeSubpath();
                p.drawPath(sign);
                p.drawLine(QPointF(24, 18), QPointF(24, 30));
                p.drawPoint(QPointF(24, 36));
                p.drawLine(QPointF(46, 58), QPointF(46, 48));
                p.drawLine(QPointF(53, 58), QPointF(53, 40));
                p.drawLine(QPointF(60, 58), QPointF(60, 30));
                p.drawLine(QPointF(4, 58), QPointF(60, 58));
            }));
    savePng("icon/system_info.png", tileIcon([](QPainter &p) {
                // An "i" in a circle.
                p.drawEllipse(QPointF(32, 32), 26, 26);
                p.setPen(pen(Qt::white, 6));
                p.drawPoint(QPointF(32, 19));
                p.drawLine(QPointF(32, 29), QPointF(32, 46));
            }));
    savePng("icon/counters.png", tileIcon([](QPainter &p) {
                // An hour glass: the countdowns to the next service.
                p.drawLine(QPointF(14, 6), QPointF(50, 6));
                p.drawLine(QPointF(14, 58), QPointF(50, 58));
                QPainterPath glass;
                glass.moveTo(18, 6);
                glass.cubicTo(18, 24, 30, 28, 30, 32);
                glass.cubicTo(30, 36, 18, 40, 18, 58);
                glass.moveTo(46, 6);
                glass.cubicTo(46, 24, 34, 28, 34, 32);
                glass.cubicTo(34, 36, 46, 40, 46, 58);
                p.drawPath(glass);
                p.drawLine(QPointF(24, 52), QPointF(40, 52));
            }));
    savePng("icon/factory_reset.png", tileIcon([](QPainter &p) {
                // A turn back to the start.
                p.drawArc(QRectF(10, 10, 44, 44), 120 * 16, 300 * 16);
                const QPointF tip(21, 13);
                p.drawLine(tip, tip + QPointF(10, -3));
                p.drawLine(tip, tip + QPointF(2, 10));
                p.drawLine(QPointF(32, 22), QPointF(32, 34));
                p.drawLine(QPointF(32, 34), QPointF(40, 40));
            }));
    savePng("icon/service.png", tileIcon([](QPainter &p) {
                // A spanner: an open jaw at the upper right, the handle down
                // to the lower left.
                p.translate(32, 32);
                p.rotate(-45);
                p.drawLine(QPointF(-26, -4), QPointF(8, -4));
                p.drawLine(QPointF(-26, 4), QPointF(8, 4));
                p.drawArc(QRectF(-30, -4, 8, 8), 90 * 16, 180 * 16);
                QPainterPath head;
                head.moveTo(8, -4);
                head.arcTo(QRectF(6, -13, 26, 26), 160, -140);
                head.lineTo(20, -4);
                head.lineTo(20, 4);
                head.lineTo(31, 4);
                head.arcTo(QRectF(6, -13, 26, 26), -20, -140);
                p.drawPath(head);
            }));
}

// The logo of the screen saver in the demo root (not a resource: the machine
// keeps its own in /home/root/logo.png).
void drawLogo()
{
    QImage img = canvas(480, 272);
    QPainter p;
    begin(p, img);
    p.setPen(pen(kTheme, 7));
    snowflake(p, QPointF(240, 100), 58);
    QFont f("DejaVu Sans");
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kDark);
    p.drawText(QRectF(0, 176, 480, 60), Qt::AlignCenter, "frostpanel");
    p.end();
    savePng("demo/logo.png", img);
}

// A contact sheet of every picture in a folder, for looking them over: GIFs
// show their first, middle and last frame; white icons sit on the theme colour.
int contactSheet(const QString &folder, const QString &outFile)
{
    QStringList files;
    for (const char *sub : {".", "icon", "image", "demo"})
        for (const QString &f : QDir(folder + "/" + QString(sub)).entryList({"*.png", "*.gif"}, QDir::Files, QDir::Name))
            files << QString(sub) + "/" + f;
    const bool screens = !files.isEmpty() && files.first().startsWith("./");
    const int cell = screens ? 330 : 170, cellH = screens ? 192 : 170, cols = screens ? 3 : 6;
    int cells = 0;
    for (const QString &f : files)
        cells += f.endsWith(".gif") ? 3 : 1;
    QImage sheet = canvas(cols * cell, ((cells + cols - 1) / cols) * (cellH + 16));
    QPainter p(&sheet);
    int i = 0;
    auto place = [&](const QImage &img, const QString &label) {
        const QRect r((i % cols) * cell, (i / cols) * (cellH + 16), cell, cellH);
        p.fillRect(r.adjusted(2, 2, -2, -2), img.hasAlphaChannel() ? kTheme : QColor(250, 250, 250));
        const QImage fitted = img.scaled(QSize(cell - 10, cellH - 10), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage(r.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
        p.setPen(Qt::black);
        p.drawText(QRect(r.left(), r.bottom(), cell, 16), Qt::AlignCenter, label);
        ++i;
    };
    for (const QString &f : files) {
        QImageReader reader(folder + "/" + f);
        QVector<QImage> frames;
        QImage frame;
        while (reader.read(&frame))
            frames << frame;
        if (frames.isEmpty())
            continue;
        const QString name = QFileInfo(f).fileName();
        if (frames.size() == 1) {
            place(frames.first(), name);
        } else {
            place(frames.first(), name + " 1");
            place(frames[frames.size() / 2], name + " m");
            place(frames.last(), name + " z");
        }
    }
    p.end();
    return sheet.save(outFile) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--sheet")
        return contactSheet(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER | --sheet FOLDER OUT.png\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    drawReload();
    drawStar();
    drawArrows();
    drawMachinePictures();
    drawBladeSteps();
    drawTileIcons();
    drawLiquidIcons();
    drawCleaningIcons();
    drawSettingsIcons();
    drawLogo();
    return failures == 0 ? 0 : 1;
}
