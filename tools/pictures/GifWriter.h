#pragma once
// A small animated GIF writer: one palette of up to 256 colours built from the
// most frequent colours of all frames, LZW-compressed frames, endless loop.
// Enough for the flat drawings of the screens; Qt reads GIF but cannot write it.

#include <QByteArray>
#include <QImage>
#include <QVector>

class GifWriter
{
public:
    // delayMs: time each frame stays up (GIF counts in hundredths).
    static QByteArray encode(const QVector<QImage> &frames, int delayMs);
};
