#pragma once
// Shared helpers of the settings tests (whenModal comes from the app tests).

#include "../app/support_app.h"

#include <QString>

class TempRoot;

// The translations this build compiled (<build>/languages).
QString builtLanguagesDir();
// Copies them (and info_lang.txt) into the root's languages folder.
bool installBuiltLanguages(const TempRoot &root);
