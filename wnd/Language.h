// The language of the interface. The resource module holds the dialogs, menus and strings once
// per language (LANGUAGE blocks); the layer loads them in the chosen language, and English where
// that language lacks a resource or a string.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wnd {

// A language the interface is translated into.
struct UiLanguageInfo {
    LANGID primary;          // LANG_GERMAN ...
    const char* code;        // "de": the value Config.ini keeps
    const char* nativeName;  // "Deutsch": how the choice is shown, in its own language
};

// English first, then the translations.
const std::vector<UiLanguageInfo>& UiLanguages();
// The language a code names; 0 for "" or an unknown code.
LANGID UiLanguageOfCode(const std::string& code);

// The primary language of the user's Windows interface (GetUserDefaultUILanguage).
LANGID SystemUiLanguage();
// The primary language the layer loads; the system's until SetUiLanguage chooses one.
LANGID UiLanguage();
// 0 follows the user's Windows interface language. Dialogs and menus opened afterwards show it.
void SetUiLanguage(LANGID primary);

// The kinds of resource that are kept per language (their RT_ numbers).
enum class UiResource : WORD { Menu = 4, Dialog = 5 };

// The resource of this kind and id in the interface language, else in English, else in whatever
// language the module has it; null when the module has none.
const void* LoadUiResource(UiResource kind, UINT id);
// A string resource in the interface language, else English; empty when neither has it.
std::wstring_view LoadUiString(UINT id);
// A string resource of exactly this language (primary, any sublanguage); empty when it lacks it.
std::wstring_view LoadStringIn(UINT id, LANGID primary);
// The menu resource in the interface language; the caller destroys it.
HMENU LoadUiMenu(UINT id);

}  // namespace wnd
