#include "app/SettingsBridge.h"

#include "config/FirstRunRecord.h"
#include "config/AppSettings.h"
#include "dict/ui/DictionaryEnableSettings.h"

CSettingsBridge::CSettingsBridge()
    : m_settings(new CAppSettings()), m_enableStore(new CDictionaryEnableSettings(m_settings->ConfigPath()))
{
}
CSettingsBridge::~CSettingsBridge() = default;

SettingsRecord CSettingsBridge::Load()
{
    m_settings->LoadAll();
    return m_settings->Values();
}

std::uint32_t CSettingsBridge::LoadEnableHotkey()
{
    m_settings->LoadHotKeys();
    return m_settings->dwEnableZel;
}

std::string CSettingsBridge::LoadLanguage()
{
    m_settings->LoadOthers();
    return m_settings->strLanguage;
}

bool CSettingsBridge::SelectionKeysReplaced() const
{
    return m_settings->selectionKeysReplaced;
}

std::string CSettingsBridge::ProgramDirectory() const
{
    return m_settings->ProgramDirectory();
}

int CSettingsBridge::EditBoxRule(HWND window) const
{
    return m_settings->EditBoxRule(window);
}

bool CSettingsBridge::IsAppEnabled(HWND window)
{
    return m_settings->IsAppEnabled(window) != 0;
}

std::uint32_t CSettingsBridge::TakeFirstRun()
{
    return CFirstRunRecord().Take();
}

IDictionaryEnableStore* CSettingsBridge::EnableStore()
{
    return m_enableStore.get();
}
