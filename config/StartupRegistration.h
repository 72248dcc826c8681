// Whether the program starts when the user logs on: a value of the user's Run key that names
// this executable. Nothing is written until the user saves the choice.
#pragma once

#include <windows.h>

#include <string>

class CStartupRegistration {
public:
    static const char kRunKey[];     // under HKEY_CURRENT_USER
    static const char kValueName[];  // "Pennivox"

    // The running executable; tests pass a key and a command of their own.
    CStartupRegistration();
    CStartupRegistration(std::string runKey, std::string executablePath);

    // The value exists and names this executable (quoted or not, case ignored).
    bool IsRegistered() const;
    // On: writes the quoted path. Off: deletes the value (a missing one is fine). False when
    // the registry refuses, or there is no executable path.
    bool SetRegistered(bool registered) const;

    // The value's text: the full path in double quotes.
    std::string Command() const { return "\"" + m_executablePath + "\""; }

private:
    std::string m_runKey;
    std::string m_executablePath;
};
