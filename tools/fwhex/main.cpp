// frostpanel-fwhex: writes a sample firmware file for the board's loader, laid
// out as a microcontroller tool chain writes one: an extended address record,
// a short boot block below D000 (which the loader does not take), the
// program from D000 on in 16-byte records (a new extended address record at
// each 64 KiB), the start address and the end-of-file record. The bytes are a
// fixed pseudo-random sequence, so the same arguments give the same file.
//
//   frostpanel-fwhex OUTPUT [RECORDS]
//
// RECORDS (default 400) is the number of program records from D000 on.

#include "link/FirmwareHex.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

ByteVector record(uint16_t address, uint8_t type, const ByteVector &data)
{
    ByteVector r;
    r.reserve(data.size() + 5);
    r.push_back(static_cast<uint8_t>(data.size()));
    r.push_back(static_cast<uint8_t>(address >> 8));
    r.push_back(static_cast<uint8_t>(address & 0xFF));
    r.push_back(type);
    for (uint8_t b : data)
        r.push_back(b);
    uint8_t sum = 0;
    for (uint8_t b : r)
        sum = static_cast<uint8_t>(sum + b);
    r.push_back(static_cast<uint8_t>(-sum));
    return r;
}

ByteVector upper(uint16_t segment)
{
    return record(0, 0x04, {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment & 0xFF)});
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT [RECORDS]\n", argv[0]);
        return 2;
    }
    char *end = nullptr;
    const long records = argc == 3 ? std::strtol(argv[2], &end, 10) : 400;
    if ((argc == 3 && *end != '\0') || records < 1 || records > 100000) {
        std::fprintf(stderr, "RECORDS must be 1 to 100000\n");
        return 2;
    }

    uint32_t seed = 0x2F1D;
    const auto data = [&seed](int n) {
        ByteVector d;
        for (int i = 0; i < n; ++i) {
            seed = seed * 1664525u + 1013904223u;
            d.push_back(static_cast<uint8_t>(seed >> 24));
        }
        return d;
    };

    std::string text = FirmwareHex::recordLine(upper(0));
    for (uint16_t a = 0x0000; a < 0x0080; a += 16) // boot block
        text += FirmwareHex::recordLine(record(a, 0x00, data(16)));
    uint32_t address = 0xD000;
    for (long i = 0; i < records; ++i, address += 16) {
        if (i > 0 && (address & 0xFFFF) == 0)
            text += FirmwareHex::recordLine(upper(static_cast<uint16_t>(address >> 16)));
        text += FirmwareHex::recordLine(record(static_cast<uint16_t>(address & 0xFFFF), 0x00, data(16)));
    }
    text += FirmwareHex::recordLine(record(0, 0x05, {0x00, 0x00, 0xD0, 0x00})); // start address
    text += FirmwareHex::recordLine(record(0, 0x01, {}));

    // Checked with the program's own reader: what is written can be flashed.
    const FirmwareHex::Image image = FirmwareHex::parse(text);
    if (!image.ok()) {
        std::fprintf(stderr, "generated file not valid: %s\n", FirmwareHex::describe(image.status));
        return 1;
    }
    std::FILE *f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu records from D000 on\n", argv[1], image.records.size());
    return 0;
}
