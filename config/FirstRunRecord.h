// Whether this is the program's first start on this PC, kept in the registry (bFirstRun below
// HKEY_LOCAL_MACHINE, which the installer sets).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

class CFirstRunRecord {
public:
    static const char kOptionRegistryKey[];  // under HKEY_LOCAL_MACHINE

    // Tests give a key of their own.
    explicit CFirstRunRecord(std::string registryKey = kOptionRegistryKey) : m_registryKey(std::move(registryKey)) {}

    // Reads bFirstRun (a missing value counts as 1) and, when it is non-zero, writes it back as
    // four zero bytes. A write the system refuses is ignored. Returns the value read.
    std::uint32_t Take();

private:
    std::string m_registryKey;
};
