// Gives the dictionary store the DBS flags of Config.ini through its own interface (here, where
// both are seen: the dictionary manager and the engine's settings bridge use it).
#pragma once

#include <string>

#include "config/DictionaryFlags.h"
#include "dict/DictionaryEnableStore.h"

class CDictionaryEnableSettings : public IDictionaryEnableStore {
public:
    explicit CDictionaryEnableSettings(std::string configPath) : m_flags(std::move(configPath)) {}

    bool IsDictionaryEnabled(const std::string& path) const override { return m_flags.IsEnabled(path); }
    bool SetDictionaryEnabled(const std::string& path, bool enabled) override
    {
        return m_flags.SetEnabled(path, enabled);
    }

private:
    CDictionaryFlags m_flags;
};
