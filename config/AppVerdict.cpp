#include "config/AppVerdict.h"

#include <windows.h>

#include <utility>

#include "config/ProcessInfo.h"

CAppVerdict::CAppVerdict(const CAppRules& rules, ImagePathLookup lookup)
    : m_rules(rules),
      m_lookup(lookup ? std::move(lookup) : ImagePathLookup(&DefaultImagePath)),
      m_revision(rules.Revision())
{
}

std::string CAppVerdict::DefaultImagePath(WindowHandle window)
{
    CProcessInfo info;
    info.Init();
    return info.ImagePathOfWindow(window);
}

int32_t CAppVerdict::IsAppEnabled(WindowHandle window)
{
    if (m_rules.Revision() != m_revision) {
        m_revision = m_rules.Revision();
        m_window = nullptr;
        m_verdict = 1;
    }
    if (window == m_window)
        return m_verdict;
    m_window = window;
    const std::string path = m_lookup(window);
    if (!path.empty())
        m_verdict = m_rules.VerdictForPath(path);
    return m_verdict;
}
