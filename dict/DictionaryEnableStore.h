#pragma once
// Where the per-file "enabled" flags of the dictionaries are kept (the settings file).

#include <string>

class IDictionaryEnableStore {
public:
    virtual ~IDictionaryEnableStore() = default;
    // A file without a record counts as enabled.
    virtual bool IsDictionaryEnabled(const std::string& path) const = 0;
    // Records the flag; false when it could not be kept.
    virtual bool SetDictionaryEnabled(const std::string& path, bool enabled) = 0;
};
