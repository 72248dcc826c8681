#include "config/ProgressPosition.h"

#include <climits>

#include "base/ProgramPaths.h"
#include "config/ProfileFile.h"

namespace {

const char kSection[] = "Settings";

}  // namespace

CProgressPosition::CProgressPosition(std::string profilePath)
    : m_path(profilePath.empty() ? pvbase::ConfigIniPath(pvbase::ProgramDirectory()) : std::move(profilePath))
{
}

bool CProgressPosition::Recall(int& x, int& y) const
{
    CProfileFile profile(m_path.c_str());
    x = profile.ReadSigned(kSection, "X", INT_MIN);
    y = profile.ReadSigned(kSection, "Y", INT_MIN);
    return x != INT_MIN && y != INT_MIN;
}

void CProgressPosition::Remember(int x, int y)
{
    CProfileFile profile(m_path.c_str());
    profile.WriteSigned(kSection, "X", x);
    profile.WriteSigned(kSection, "Y", y);
}
