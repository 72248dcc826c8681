// Gives the dictionary store the DBS flags of Config.ini through its own interface (here, where
// both are seen: the dictionary manager and the engine's settings bridge use it).
#pragma once

#include <string>

#include "config/AppSettings.h"
#include "dict/DictionaryEnableStore.h"

class CDictionaryEnableSettings : public IDictionaryEnableStore {
public:
    explicit CDictionaryEnableSettings(CAppSettings& settings) : m_settings(settings) {}

    bool IsDictionaryEnabled(const std::string& path) const override { return m_settings.IsDictionaryEnabled(path); }
    bool SetDictionaryEnabled(const std::string& path, bool enabled) override
    {
        return m_settings.SetDictionaryEnabled(path, enabled);
    }

private:
    CAppSettings& m_settings;
};
