#pragma once
// Speed and conversion tables that give meaning to the byte values of a work
// program: cut speed index to blade rpm, immersion speed index to descent
// speed, raw 7-bit board samples to degrees Celsius and motor absorption.
// The tables are plain arrays: their values are filled at start-up (speed
// file) and read by the screens and the link thread.

constexpr int RPM_SPEED_TABLE_SIZE = 20;
constexpr int IMMERSION_SPEED_TABLE_SIZE = 9;
constexpr int CONVERSION_TABLE_SIZE = 128;

// Blade speed in rpm per cut speed index.
extern int rpmSpeedTable[RPM_SPEED_TABLE_SIZE];
// Highest valid cut speed index.
extern int cutspeed_max;
// Descent speed in travel units per second per immersion speed index; index 0
// is standstill (0.0), index 8 the fastest, used for the final climb.
extern double immersionSpeedTable[IMMERSION_SPEED_TABLE_SIZE];
// Raw temperature sample -> degrees Celsius.
extern double temperatureConversionTable[CONVERSION_TABLE_SIZE];
// Raw absorption sample -> motor absorption.
extern double absorptionConversionTable[CONVERSION_TABLE_SIZE];
