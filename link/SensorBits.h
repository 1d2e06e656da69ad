#pragma once
// The board's sensor word (request 119, `actualSensorState`): which bit is
// which switch, and what a bit means. The sensor page and the simulated
// board both read this table, so what one shows is what the other sends.
//
// The reply carries the word in two 7-bit bytes, the high one first, and the
// link keeps them apart as (r[1] & 0x7F) * 256 + (r[2] & 0x7F): bits 7 and
// 15 can never be set. Twelve switches on bits 0 to 11 would leave the eighth
// one stuck, so the first seven sit in the low byte (bits 0-6) and the other
// five in the high byte (bits 8-12).
//
// Polarity: a set bit is a made contact, shown "CLOSED"; a clear bit is
// "OPEN". A word of zero (no reply yet, a board that does not report its
// switches) thus reads all open: the page never claims a guard is shut that
// the board did not confirm.

#include <cstddef>
#include <cstdint>

namespace SensorBits {

enum Sensor : uint8_t {
    Glass,           // a beaker sits in the holder
    GlassDoorClosed, // the lid is shut and its closing confirmed
    GasketDoor,      // the gasket is in its seat
    UpperLimit,      // the axis is at its upper end stop
    LowerLimit,      // the axis is at its lower end stop
    GlassLimit,      // the lid's end stop: the lid is down
    GlassRedundancy, // the lid's second switch, made while the lid is not raised
    BladesMounted,   // the blade sits on the shaft and is locked
    BladeRelease,    // the release mechanism has unlocked the blade
    BladePosition,   // the release mechanism holds the blade in its locking position
    BladeTurns,      // the blade shaft's rotation sensor: the blade turns
    StepperTurns,    // the axis motor's rotation sensor: the axis moves
    Count
};

struct Entry
{
    const char *name; // as the page and its export name it
    uint8_t bit;      // bit of the sensor word
};

// In the order the page lists them.
constexpr Entry table[Count] = {
    {"Bicchiere", 0},
    {"Porta Bicch. Chiuso", 1},
    {"Porta Guarnizione", 2},
    {"Fine Corsa SUP.", 3},
    {"Fine Corsa INF.", 4},
    {"Fine Corsa BICCH.", 5},
    {"Ridondanza BICCH.", 6},
    {"Lame Montate", 8},
    {"Sgancio Lame", 9},
    {"Posizione Lame", 10},
    {"Giri Lame", 11},
    {"Giri Stepper", 12},
};

constexpr uint16_t mask(Sensor s)
{
    return static_cast<uint16_t>(1u << table[s].bit);
}

// True when the switch's contact is made ("CLOSED").
constexpr bool closed(uint16_t word, Sensor s)
{
    return (word & mask(s)) != 0;
}

// The word with the given switches made.
constexpr uint16_t word(const bool (&made)[Count])
{
    uint16_t w = 0;
    for (std::size_t i = 0; i < Count; ++i)
        if (made[i])
            w = static_cast<uint16_t>(w | mask(static_cast<Sensor>(i)));
    return w;
}

constexpr const char *OpenText = "OPEN";
constexpr const char *ClosedText = "CLOSED";

// Every bit the reply can carry, no two sensors on one bit.
constexpr bool tableFitsTheReply()
{
    uint16_t seen = 0;
    for (const Entry &e : table) {
        if (e.bit > 14 || e.bit == 7 || (seen & (1u << e.bit)))
            return false;
        seen = static_cast<uint16_t>(seen | (1u << e.bit));
    }
    return true;
}
static_assert(tableFitsTheReply(), "a sensor bit the reply cannot carry, or two sensors on one bit");

} // namespace SensorBits
