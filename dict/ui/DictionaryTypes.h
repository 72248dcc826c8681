// The dictionary type choice shared by the editor and the New Dictionary dialog.
#pragma once

#include <windows.h>

#include "dict/DictionaryMatch.h"
#include "wnd/Controls.h"

// Fills a type combo box: "Dictionary " (words and phrases) and "Shorthand ".
inline void FillDictionaryTypes(HWND combo)
{
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wnd::AddComboItem(combo, "Dictionary ", DICTIONARY_WORDS);
    wnd::AddComboItem(combo, "Shorthand ", DICTIONARY_SHORTHAND);
}
