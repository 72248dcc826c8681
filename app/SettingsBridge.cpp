#include "app/SettingsBridge.h"

#include "config/AppRules.h"
#include "config/AppSettings.h"
#include "config/AppVerdict.h"
#include "config/FirstRunRecord.h"
#include "dict/ui/DictionaryEnableSettings.h"

CSettingsBridge::CSettingsBridge()
    : m_settings(new CAppSettings()),
      m_rules(new CAppRules(m_settings->ProgramDirectory())),
      m_verdict(new CAppVerdict(*m_rules)),
      m_enableStore(new CDictionaryEnableSettings(m_settings->ConfigPath()))
{
}
CSettingsBridge::~CSettingsBridge() = default;

SettingsRecord CSettingsBridge::Load()
{
    m_rules->Load();
    m_settings->LoadAll();
    return m_settings->Values();
}

std::uint32_t CSettingsBridge::LoadEnableHotkey()
{
    m_settings->LoadHotKeys();
    return m_settings->Values().dwEnableZel;
}

std::string CSettingsBridge::LoadLanguage()
{
    m_settings->LoadOthers();
    return m_settings->Values().strLanguage;
}

bool CSettingsBridge::SelectionKeysReplaced() const
{
    return m_settings->SelectionKeysReplaced();
}

std::string CSettingsBridge::ProgramDirectory() const
{
    return m_settings->ProgramDirectory();
}

int CSettingsBridge::EditBoxRule(HWND window) const
{
    return m_rules->EditBoxRule(window);
}

bool CSettingsBridge::IsAppEnabled(HWND window)
{
    return m_verdict->IsAppEnabled(window) != 0;
}

std::uint32_t CSettingsBridge::TakeFirstRun()
{
    return CFirstRunRecord().Take();
}

IDictionaryEnableStore* CSettingsBridge::EnableStore()
{
    return m_enableStore.get();
}
