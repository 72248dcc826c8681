#include "app/SettingsBridge.h"

#include "config/AppSettings.h"
#include "config/DictionaryEnableSettings.h"

CSettingsBridge::CSettingsBridge()
    : m_settings(new CAppSettings()), m_enableStore(new CDictionaryEnableSettings(*m_settings))
{
}
CSettingsBridge::~CSettingsBridge() = default;

ProgramSettings CSettingsBridge::Load()
{
    CAppSettings& s = *m_settings;
    s.LoadAll();
    ProgramSettings p;
    static_cast<SelectionKeys&>(p.engine) = s;
    p.engine.enableWord = s.bEnableWord != 0;
    p.engine.enablePhrase = s.bEnablePhrase != 0;
    p.engine.enableShorthand = s.bEnableShorthand != 0;
    p.enableAutoLearn = s.bEanbleAutolearn != 0;
    p.engine.minInput = s.nMinInput;
    p.engine.maxItemShow = s.nMaxItemShow;
    p.engine.rankByUse = s.bRankByUse != 0;
    p.engine.blankAfterWord = s.bBlankAfterWord != 0;
    p.minWordLength = s.nMinWordLength;
    p.maxWordLength = s.nMaxWordLength;
    p.minLearnLength = s.nMinLearnLength;
    p.separators = s.strSeparate;
    p.enableHotkey = s.dwEnableZel;
    return p;
}

std::uint32_t CSettingsBridge::LoadEnableHotkey()
{
    m_settings->LoadHotKeys();
    return m_settings->dwEnableZel;
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
    return m_settings->TakeFirstRun();
}

IDictionaryEnableStore* CSettingsBridge::EnableStore()
{
    return m_enableStore.get();
}
