#include "cleaning/CleaningResources.h"

void initCleaningResources()
{
    // Manual handling draws its arrows as text; the cleaning screens'
    // pictures join here when they land.
}
