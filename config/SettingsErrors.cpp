#include "config/SettingsErrors.h"

#include "config/AppSettings.h"

std::string SettingsNotSavedMessage(CAppSettings& settings, const char* consequence)
{
    std::string text = "The options could not be saved to " + settings.ConfigPath() + ": " +
                       pvbase::FileFaultReason(settings.SaveFault()) + ".\r\n" + consequence;
    settings.LoadAutoLearn();
    settings.LoadHotKeys();
    settings.LoadOthers();
    return text;
}
