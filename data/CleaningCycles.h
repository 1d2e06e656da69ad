#pragma once
// The custom cleaning cycles the board runs: three programs (blades, shaft,
// both) at six intensities, for a big and a small glass. A table of 37
// durations in seconds describes them; the cleaning screens show a cycle's
// time from it and send the board the cycle's code. The machine's own table
// may replace the defaults ("/home/root/customcleaning.csv").

#include <QByteArray>

#include <array>
#include <cstdint>
#include <string>

namespace cleancycles {

constexpr int kTableEntries = 37;
constexpr int kPrograms = 3;
constexpr int kIntensities = 6;
// Entries 1..18 are for a big glass, 19..36 for a small one.
constexpr int kSmallGlassOffset = 18;
// The longest cycle a table may give; a longer one is not read.
constexpr float kMaxCycleSeconds = 3600.0f;
// The air type the cleaning runs with; the code carries it (see programCode).
constexpr uint8_t kCleaningAir = 127;

using CycleTable = std::array<float, kTableEntries>;

// Entry 0 is not used by the selection. An entry of 0 or less marks a
// combination that is not offered.
constexpr CycleTable kDefaultCycleSeconds = {
    24.3f,
    26.2f, 28.2f, 30.2f, 32.2f, 34.2f, 36.2f,        // blades, big glass
    59.1f, 99.9f, 139.7f, 246.1f, 327.1f, 485.2f,    // shaft
    58.1f, 99.9f, 139.7f, 247.1f, 328.1f, 487.2f,    // blades and shaft
    26.2f, 28.2f, 30.2f, 32.2f, 34.2f, 36.2f,        // blades, small glass
    41.4f, 68.9f, 95.5f, 166.7f, 220.8f, 326.5f,     // shaft
    40.4f, 68.9f, 95.5f, 167.7f, 222.8f, 328.5f,     // blades and shaft
};

// The table entry of a program (0..2) at an intensity (0..5) for a glass.
constexpr int tableEntry(int program, int intensity, bool bigGlass)
{
    return 1 + intensity + kIntensities * program + (bigGlass ? 0 : kSmallGlassOffset);
}

// The code command 17 carries for a table entry: 37..54 for a big glass,
// 55..72 for a small one. The 36 stands for the cleaning air; with another
// air type the entry goes as it is.
constexpr uint8_t programCode(int entry, uint8_t airType = kCleaningAir)
{
    return static_cast<uint8_t>((entry + (airType == kCleaningAir ? 36 : 0)) & 127);
}

// The entry a code names, or -1 for a code that names no cycle.
constexpr int entryOfCode(uint8_t code)
{
    return code >= 37 && code <= 36 + 2 * kSmallGlassOffset ? code - 36 : -1;
}

// How a table text was read.
struct TableReading
{
    int fields = 0;   // fields taken (at most kTableEntries)
    int rejected = 0; // fields that were not a cycle time: their entries kept the old value
    int ignored = 0;  // fields beyond the last entry
};

// Reads the fields of `text` in order into the entries 0..36 of `table`.
// Lines are split at commas; blank lines hold no field. A field is a plain
// decimal number ("26.2", "26.25", "30", "-1") with at most six digits on
// either side of the point; anything else (words, exponents, "nan", an empty
// field), and a time above kMaxCycleSeconds, leaves its entry as it was.
// Times of 0 or less are stored as 0: not offered.
TableReading parseCycleTable(const QByteArray &text, CycleTable &table);

// The defaults, replaced by what "/home/root/customcleaning.csv" holds. A
// file that is missing or cannot be read leaves the defaults; the reason and
// any rejected field go to the debug log.
CycleTable loadCycleTable();

} // namespace cleancycles
