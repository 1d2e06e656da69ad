#include "cleaning/BladeReleaseEntry.h"

#include "platform/log.h"

// Stand-in until the blade release screen exists: it only tells the log.
void openBladeRelease(QWidget *)
{
    platform::debugLine("CLEANING : sblocco lama non ancora disponibile");
}
