#pragma once
// Big-endian integers, length-prefixed texts and hexadecimal text of byte
// vectors, shared by the board link and the remote protocol.

#include <cstdint>
#include <string>
#include <vector>

using ByteVector = std::vector<uint8_t>;

// '0'-'9', 'A'-'F', 'a'-'f' to their value; anything else to -1.
int hexDigitValue(char c);
// The same, with anything else read as 0.
int char2int(char c);

// n bytes from 2n hexadecimal characters, high digit first. Reading stops at
// the text's terminating NUL, so a short text never reads past its end.
void OctectStringToByte(const char *text, char *out, int n);
void OctectStringToByte(const char *text, unsigned char *out, int n);
void OctectStringToByte(const char *text, std::string *out, int n);
void OctectStringToByte(const char *text, ByteVector *out, int n);
// One byte per pair of characters; a final odd character is ignored.
void OctectStringToByte(const std::string &text, ByteVector *out);

// The first n bytes as lower-case hexadecimal without separators.
std::string ByteToOctectString(const ByteVector &bytes, int n);
inline std::string ByteToOctectString(const ByteVector &bytes)
{
    return ByteToOctectString(bytes, static_cast<int>(bytes.size()));
}

ByteVector toByteArray(uint16_t v);
ByteVector toByteArray(uint32_t v);
ByteVector toByteArray(int v);
// Length byte then the characters; at most 255 characters are kept.
ByteVector toByteArray(const std::string &s);

// Read at *pos and advance it; when too few bytes remain, return 0 (or an
// empty string) and leave *pos (for strings: past the length byte only).
uint16_t uint16FromByteArray(const ByteVector &bytes, uint32_t *pos);
int32_t int32FromByteArray(const ByteVector &bytes, uint32_t *pos);
uint32_t uint32FromByteArray(const ByteVector &bytes, uint32_t *pos);
std::string stringFromByteArray(const ByteVector &bytes, uint32_t *pos);
