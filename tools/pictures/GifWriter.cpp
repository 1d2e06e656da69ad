#include "GifWriter.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

class BitWriter
{
public:
    explicit BitWriter(QByteArray &out) : out(out) {}

    void put(uint32_t code, int bits)
    {
        acc |= code << count;
        count += bits;
        while (count >= 8) {
            block.append(char(acc & 0xFF));
            acc >>= 8;
            count -= 8;
            if (block.size() == 255)
                flushBlock();
        }
    }
    void finish()
    {
        if (count > 0) {
            block.append(char(acc & 0xFF));
            acc = 0;
            count = 0;
        }
        flushBlock();
        out.append(char(0)); // block terminator
    }

private:
    void flushBlock()
    {
        if (block.isEmpty())
            return;
        out.append(char(block.size()));
        out.append(block);
        block.clear();
    }

    QByteArray &out;
    QByteArray block;
    uint32_t acc = 0;
    int count = 0;
};

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

QVector<QRgb> buildPalette(const QVector<QImage> &frames)
{
    QHash<QRgb, int> histogram;
    for (const QImage &f : frames)
        for (int y = 0; y < f.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(f.constScanLine(y));
            for (int x = 0; x < f.width(); ++x)
                ++histogram[line[x] | 0xFF000000u];
        }
    std::vector<std::pair<int, QRgb>> byCount;
    for (auto it = histogram.cbegin(); it != histogram.cend(); ++it)
        byCount.emplace_back(it.value(), it.key());
    std::sort(byCount.begin(), byCount.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QVector<QRgb> palette;
    for (const auto &e : byCount) {
        if (palette.size() == 256)
            break;
        palette.append(e.second);
    }
    while (palette.size() < 256)
        palette.append(qRgb(0, 0, 0));
    return palette;
}

int nearest(const QVector<QRgb> &palette, QRgb c, QHash<QRgb, int> &cache)
{
    auto it = cache.constFind(c);
    if (it != cache.constEnd())
        return it.value();
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < palette.size(); ++i) {
        const long dr = qRed(c) - qRed(palette[i]);
        const long dg = qGreen(c) - qGreen(palette[i]);
        const long db = qBlue(c) - qBlue(palette[i]);
        const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    cache.insert(c, best);
    return best;
}

void writeLzw(QByteArray &out, const std::vector<uint8_t> &pixels)
{
    const int minCodeSize = 8;
    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t eoiCode = clearCode + 1;
    out.append(char(minCodeSize));
    BitWriter bits(out);

    QHash<uint32_t, uint32_t> dict;
    int codeSize = minCodeSize + 1;
    uint32_t maxCode = eoiCode;
    bits.put(clearCode, codeSize);

    uint32_t prefix = pixels.empty() ? 0 : pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = (prefix << 8) | pixels[i];
        auto it = dict.constFind(key);
        if (it != dict.constEnd()) {
            prefix = it.value();
            continue;
        }
        bits.put(prefix, codeSize);
        ++maxCode;
        dict.insert(key, maxCode);
        if (maxCode >= (1u << codeSize))
            ++codeSize;
        if (maxCode == 4095) {
            bits.put(clearCode, codeSize);
            dict.clear();
            codeSize = minCodeSize + 1;
            maxCode = eoiCode;
        }
        prefix = pixels[i];
    }
    bits.put(prefix, codeSize);
    bits.put(clearCode, codeSize);
    bits.put(eoiCode, minCodeSize + 1);
    bits.finish();
}

} // namespace

QByteArray GifWriter::encode(const QVector<QImage> &input, int delayMs)
{
    if (input.isEmpty())
        return {};
    QVector<QImage> frames;
    for (const QImage &f : input)
        frames.append(f.convertToFormat(QImage::Format_RGB32));
    const int w = frames.first().width();
    const int h = frames.first().height();
    const QVector<QRgb> palette = buildPalette(frames);

    QByteArray out("GIF89a");
    put16(out, w);
    put16(out, h);
    out.append(char(0xF7)); // global table of 2^(7+1) colours, 8 bits per channel
    out.append(char(0));
    out.append(char(0));
    for (QRgb c : palette) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    // Loop for ever.
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);

    QHash<QRgb, int> cache;
    for (const QImage &f : frames) {
        out.append("\x21\xF9\x04\x00", 4);
        put16(out, std::max(1, delayMs / 10));
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, w);
        put16(out, h);
        out.append(char(0));
        std::vector<uint8_t> pixels;
        pixels.reserve(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(f.constScanLine(y));
            for (int x = 0; x < w; ++x)
                pixels.push_back(uint8_t(nearest(palette, line[x] | 0xFF000000u, cache)));
        }
        writeLzw(out, pixels);
    }
    out.append(char(0x3B));
    return out;
}
