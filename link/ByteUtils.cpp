#include "link/ByteUtils.h"

#include <algorithm>

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int char2int(char c)
{
    return std::max(0, hexDigitValue(c));
}

namespace {

// Decodes up to n bytes, handing each to `put`; stops early at a NUL.
template <typename Put>
void decodeHex(const char *text, int n, Put put)
{
    if (!text)
        return;
    for (int i = 0; i < n; ++i) {
        const char hi = text[2 * i];
        if (hi == '\0')
            return;
        const char lo = text[2 * i + 1];
        if (lo == '\0')
            return;
        put(static_cast<uint8_t>(char2int(hi) * 16 + char2int(lo)));
    }
}

} // namespace

void OctectStringToByte(const char *text, char *out, int n)
{
    int i = 0;
    decodeHex(text, n, [&](uint8_t b) { out[i++] = static_cast<char>(b); });
}

void OctectStringToByte(const char *text, unsigned char *out, int n)
{
    int i = 0;
    decodeHex(text, n, [&](uint8_t b) { out[i++] = b; });
}

void OctectStringToByte(const char *text, std::string *out, int n)
{
    decodeHex(text, n, [&](uint8_t b) { out->push_back(static_cast<char>(b)); });
}

void OctectStringToByte(const char *text, ByteVector *out, int n)
{
    decodeHex(text, n, [&](uint8_t b) { out->push_back(b); });
}

void OctectStringToByte(const std::string &text, ByteVector *out)
{
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out->push_back(static_cast<uint8_t>(char2int(text[i]) * 16 + char2int(text[i + 1])));
}

std::string ByteToOctectString(const ByteVector &bytes, int n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    const std::size_t count = n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), bytes.size());
    s.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        s.push_back(digits[bytes[i] >> 4]);
        s.push_back(digits[bytes[i] & 0x0F]);
    }
    return s;
}

ByteVector toByteArray(uint16_t v)
{
    return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

ByteVector toByteArray(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

ByteVector toByteArray(int v)
{
    return toByteArray(static_cast<uint32_t>(v));
}

ByteVector toByteArray(const std::string &s)
{
    const std::size_t len = std::min<std::size_t>(s.size(), 255);
    ByteVector out;
    out.reserve(len + 1);
    out.push_back(static_cast<uint8_t>(len));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(len));
    return out;
}

uint16_t uint16FromByteArray(const ByteVector &bytes, uint32_t *pos)
{
    if (*pos > bytes.size() || bytes.size() - *pos < 2)
        return 0;
    const uint16_t v = static_cast<uint16_t>((bytes[*pos] << 8) | bytes[*pos + 1]);
    *pos += 2;
    return v;
}

uint32_t uint32FromByteArray(const ByteVector &bytes, uint32_t *pos)
{
    if (*pos > bytes.size() || bytes.size() - *pos < 4)
        return 0;
    const uint32_t v = (uint32_t(bytes[*pos]) << 24) | (uint32_t(bytes[*pos + 1]) << 16)
                       | (uint32_t(bytes[*pos + 2]) << 8) | uint32_t(bytes[*pos + 3]);
    *pos += 4;
    return v;
}

int32_t int32FromByteArray(const ByteVector &bytes, uint32_t *pos)
{
    return static_cast<int32_t>(uint32FromByteArray(bytes, pos));
}

std::string stringFromByteArray(const ByteVector &bytes, uint32_t *pos)
{
    if (*pos >= bytes.size())
        return std::string();
    const std::size_t len = bytes[*pos];
    *pos += 1;
    if (bytes.size() - *pos < len)
        return std::string();
    std::string s(bytes.begin() + *pos, bytes.begin() + *pos + static_cast<std::ptrdiff_t>(len));
    *pos += static_cast<uint32_t>(len);
    return s;
}
