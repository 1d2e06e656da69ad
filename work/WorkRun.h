#pragma once
// What the run monitor and the run summary share about the program being run
// (`actual`).

#include <QString>

#include <cstdint>

class WorkSettings;

// The program's function: 1 frostizing, 2 cutting, 3 whipping. Presets carry
// no folder, so their name tells.
int workFunction(const WorkSettings &program);

// The title of a run: the recipe's name, else the function ("CUTTING",
// "WHIPPING") or, for a frostizing preset, its strength. Translated.
QString runTitle(const WorkSettings &program);

// Emulsion cycles: a descent and a climb each.
int emulsionCyclesDone(const WorkSettings &program, int emulsionSteps);
// Portions milled: all the milling steps of a portion begun.
int portionsDone(const WorkSettings &program);

// The end of a run: the rework cycles go back to 0 and `actual` is read again
// from its files, keeping emulsion mode 127 (the liquid start screen sets it on
// presets stored without it). When the file cannot be read the program stays
// as it was run (or, for a preset, goes back to its CSV record) and the
// failure is logged under `who`; false then.
bool reloadRunProgram(const char *who);

// Queues the work sequence of `actual` under the queue lock, with the milling,
// emulsion and start commands marked as awaited. False, with nothing queued,
// when the program holds a value the board must not get.
bool queueWorkSequence();
