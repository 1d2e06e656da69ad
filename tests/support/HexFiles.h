#pragma once
// Intel HEX firmware files for the update tests, written here on their own
// (not with the program's reader or writer), so that a fault in those shows.

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace hexfiles {

// One record line: ':' count address type data checksum, upper case, `eol`.
inline QByteArray line(uint16_t address, uint8_t type, const QByteArray &data, const QByteArray &eol = "\r\n")
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    uint8_t sum = 0;
    for (char c : bytes)
        sum = uint8_t(sum + uint8_t(c));
    bytes.append(char(uint8_t(-sum)));
    return ":" + bytes.toHex().toUpper() + eol;
}

// The extended linear address record for the upper 16 address bits.
inline QByteArray upperAddress(uint16_t upper)
{
    return line(0, 0x04, QByteArray(1, char(upper >> 8)) + QByteArray(1, char(upper & 0xFF)));
}

inline QByteArray endOfFile()
{
    return line(0, 0x01, QByteArray());
}

// A firmware image as a board's tool chain writes it: an extended address
// record and `below` records of boot data below D000 (not for the loader),
// then `records` data records of 16 bytes from D000 on (crossing into the
// next 64 KiB with another extended address record), then the end record.
// Data bytes are a fixed pseudo-random sequence holding every byte value.
inline QByteArray firmware(int below, int records)
{
    QByteArray text = upperAddress(0);
    uint32_t seed = 12345;
    auto data = [&seed] {
        QByteArray d;
        for (int i = 0; i < 16; ++i) {
            seed = seed * 1103515245u + 12345u;
            d.append(char(seed >> 16));
        }
        return d;
    };
    for (int i = 0; i < below; ++i)
        text += line(uint16_t(0x0100 + 16 * i), 0, data());
    uint32_t address = 0xD000;
    for (int i = 0; i < records; ++i, address += 16) {
        if (i > 0 && (address & 0xFFFF) == 0)
            text += upperAddress(uint16_t(address >> 16));
        text += line(uint16_t(address & 0xFFFF), 0, data());
    }
    return text + endOfFile();
}

// The lines of `text` from the first record at address D000 on.
inline QByteArray fromD000(const QByteArray &text)
{
    const int at = text.indexOf(":10D000");
    return at < 0 ? QByteArray() : text.mid(at);
}

// How many lines `text` has (line ends).
inline int lineCount(const QByteArray &text)
{
    return text.count('\n');
}

} // namespace hexfiles
