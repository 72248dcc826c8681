#include "config/SettingsErrors.h"

#include "base/TextPattern.h"
#include "config/AppSettings.h"

std::string SettingsNotSavedMessage(CAppSettings& settings, const std::string& pattern,
                                    std::string (*reason)(pvbase::FileFault))
{
    std::string text = pvbase::FillPlaceholders(pattern, {settings.ConfigPath(), reason(settings.SaveFault())});
    settings.LoadAutoLearn();
    settings.LoadHotKeys();
    settings.LoadOthers();
    return text;
}
