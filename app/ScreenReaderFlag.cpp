#include "app/ScreenReaderFlag.h"

#include <windows.h>

namespace {

void SetFlag(BOOL on)
{
    // SPIF_SENDCHANGE without SPIF_UPDATEINIFILE: for this session only.
    ::SystemParametersInfoW(SPI_SETSCREENREADER, on, nullptr, SPIF_SENDCHANGE);
    ::PostMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETSCREENREADER, 0);
}

}  // namespace

void CScreenReaderFlag::TurnOn()
{
    if (m_set)
        return;
    BOOL before = FALSE;
    if (!::SystemParametersInfoW(SPI_GETSCREENREADER, 0, &before, 0))
        before = FALSE;
    m_before = before ? 1 : 0;
    m_set = true;
    SetFlag(TRUE);
}

void CScreenReaderFlag::Restore()
{
    if (!m_set)
        return;
    m_set = false;
    SetFlag(m_before ? TRUE : FALSE);
}
