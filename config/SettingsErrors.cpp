#include "config/SettingsErrors.h"

#include "base/TextPattern.h"
#include "config/AppSettings.h"

std::string SettingsNotSavedMessage(CAppSettings& settings, const std::string& pattern)
{
    std::string text =
        pvbase::FillPlaceholders(pattern, {settings.ConfigPath(), pvbase::FileFaultReason(settings.SaveFault())});
    settings.LoadAutoLearn();
    settings.LoadHotKeys();
    settings.LoadOthers();
    return text;
}
