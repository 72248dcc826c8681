// What the user is told when Config.ini refused a save they asked for; the caller shows it in an
// error box.
#pragma once

#include <string>

class CAppSettings;

// What an Options page says after a refused save: the dialog stays open as it is.
constexpr const char kValuesKept[] = "Your changes are still here.";

// The file, why it refused, and what follows (e.g. that the user's values are still shown).
// The settings object is read back from the file, so that it holds what is on disk again.
std::string SettingsNotSavedMessage(CAppSettings& settings, const char* consequence);
