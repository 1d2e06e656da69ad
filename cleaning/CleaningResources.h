#pragma once

// Registers the cleaning library's resources; start-up and the tests call it
// once before the first screen of the library is created.
void initCleaningResources();
