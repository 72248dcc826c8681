#include "app/SettingsBridge.h"

#include <cstring>

#include "config/AppSettings.h"
#include "config/DictionaryEnableSettings.h"

CSettingsBridge::CSettingsBridge()
    : m_settings(new CAppSettings()), m_enableStore(new CDictionaryEnableSettings(*m_settings)) {}
CSettingsBridge::~CSettingsBridge() = default;

ProgramSettings CSettingsBridge::Load() {
  CAppSettings& s = *m_settings;
  s.LoadAll();
  ProgramSettings p;
  p.vkSelectPrev = s.vkSelectPrev;
  p.vkSelectNext = s.vkSelectNext;
  std::memcpy(p.vkSelectIndex, s.vkSelectIndex, sizeof(p.vkSelectIndex));
  p.vkSelectPageDown = s.vkSelectPageDown;
  p.vkSelectPageUp = s.vkSelectPageUp;
  std::memcpy(p.vkSelect, s.vkSelect, sizeof(p.vkSelect));
  p.enableWord = s.bEnableWord != 0;
  p.enablePhrase = s.bEnablePhrase != 0;
  p.enableShorthand = s.bEnableShorthand != 0;
  p.enableAutoLearn = s.bEanbleAutolearn != 0;
  p.minInput = s.nMinInput;
  p.maxItemShow = s.nMaxItemShow;
  p.minWordLength = s.nMinWordLength;
  p.maxWordLength = s.nMaxWordLength;
  p.minLearnLength = s.nMinLearnLength;
  p.separators = s.strSeparate;
  p.enableHotkey = s.dwEnableZel;
  return p;
}

std::string CSettingsBridge::ProgramDirectory() const { return m_settings->ProgramDirectory(); }

int CSettingsBridge::EditBoxRule(HWND window) const { return m_settings->EditBoxRule(window); }

bool CSettingsBridge::IsAppEnabled(HWND window) { return m_settings->IsAppEnabled(window) != 0; }

std::uint32_t CSettingsBridge::TakeFirstRun() { return m_settings->TakeFirstRun(); }

IDictionaryEnableStore* CSettingsBridge::EnableStore() { return m_enableStore.get(); }
