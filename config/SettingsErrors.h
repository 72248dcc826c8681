// What the user is told when Config.ini refused a save they asked for; the caller shows it in an
// error box.
#pragma once

#include <string>

#include "base/FileIo.h"

class CAppSettings;

// pattern: the message, %1 standing for the file and %2 for why it refused (a string resource
// that also says what follows, e.g. that the user's values are still shown); reason: that fault in
// the interface's words. The settings object is read back from the file, so that it holds what is
// on disk again.
std::string SettingsNotSavedMessage(CAppSettings& settings, const std::string& pattern,
                                    std::string (*reason)(pvbase::FileFault));
