#pragma once

// Registers the settings library's resources (the fonts); start-up and the
// tests call it once, before translator::LoadAllFontDataBase().
void initSettingsResources();
