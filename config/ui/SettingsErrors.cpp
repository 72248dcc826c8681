#include "config/ui/SettingsErrors.h"

#include <string>

#include "config/AppSettings.h"
#include "wnd/MessageBoxes.h"

void ShowSettingsNotSaved(HWND owner, CAppSettings& settings, const char* consequence)
{
    const std::string text = "The options could not be saved to " + settings.ConfigPath() + ": " +
                             pvbase::FileFaultReason(settings.SaveFault()) + ".\r\n" + consequence;
    settings.LoadAutoLearn();
    settings.LoadHotKeys();
    settings.LoadOthers();
    wnd::ShowError(owner, text);
}
