// The dictionary type choice shared by the editor and the New Dictionary dialog.
#pragma once

#include <windows.h>

#include "dict/DictionaryMatch.h"
#include <string>
#include <vector>

#include "dict/ui/DictUiIds.h"
#include "wnd/Controls.h"
#include "wnd/Window.h"

// The name of a dictionary type as the dialogs show it ("" for an unknown type).
inline std::string DictionaryTypeName(int type)
{
    if (type == DICTIONARY_WORDS)
        return wnd::LoadResourceString(IDS_TYPE_WORDS);
    return type == DICTIONARY_SHORTHAND ? wnd::LoadResourceString(IDS_TYPE_SHORTHANDS) : std::string();
}

// The question before deleting: the one entry by name, several by their number.
inline std::string DeleteQuestion(const std::vector<std::string>& doomed, bool shorthands)
{
    if (doomed.size() == 1)
        return wnd::ResourceText(shorthands ? IDS_DELETE_ONE_SHORTHAND : IDS_DELETE_ONE_WORD, {doomed.front()});
    return wnd::ResourceText(shorthands ? IDS_DELETE_SHORTHANDS : IDS_DELETE_WORDS, {std::to_string(doomed.size())});
}

// Fills a type combo box: words (and phrases), then shorthands.
inline void FillDictionaryTypes(HWND combo)
{
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wnd::AddComboItem(combo, DictionaryTypeName(DICTIONARY_WORDS), DICTIONARY_WORDS);
    wnd::AddComboItem(combo, DictionaryTypeName(DICTIONARY_SHORTHAND), DICTIONARY_SHORTHAND);
}
