#include "wnd/Language.h"

#include <atomic>

#include "wnd/Window.h"

namespace wnd {
namespace {

std::atomic<LANGID> g_chosen{0};
const LPCWSTR kStringType = MAKEINTRESOURCEW(6);  // RT_STRING

// The module's own language of a resource: resources are compiled as LANGUAGE <primary>,
// SUBLANG_NEUTRAL, English as SUBLANG_ENGLISH_US. Looked up among the languages the module really
// has, as FindResourceEx may hand out another language's resource for one it lacks.
struct LanguageSearch {
    LANGID primary;
    LANGID found;
    bool any;
};

BOOL CALLBACK MatchLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param)
{
    auto* search = reinterpret_cast<LanguageSearch*>(param);
    if (PRIMARYLANGID(language) == search->primary) {
        search->found = language;
        search->any = true;
        return FALSE;
    }
    return TRUE;
}

bool FindLanguage(HINSTANCE module, LPCWSTR type, LPCWSTR name, LANGID primary, LANGID& found)
{
    LanguageSearch search{primary, 0, false};
    ::EnumResourceLanguagesW(module, type, name, &MatchLanguage, reinterpret_cast<LONG_PTR>(&search));
    found = search.found;
    return search.any;
}

const void* LoadIn(HINSTANCE module, LPCWSTR type, LPCWSTR name, LANGID language)
{
    HRSRC found = ::FindResourceExW(module, type, name, language);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    return loaded ? ::LockResource(loaded) : nullptr;
}

const void* LoadInPrimary(HINSTANCE module, LPCWSTR type, LPCWSTR name, LANGID primary)
{
    LANGID language = 0;
    return FindLanguage(module, type, name, primary, language) ? LoadIn(module, type, name, language) : nullptr;
}

}  // namespace

const std::vector<UiLanguageInfo>& UiLanguages()
{
    static const std::vector<UiLanguageInfo> languages = {
        {LANG_ENGLISH, "en", "English"},
        {LANG_GERMAN, "de", "Deutsch"},
        {LANG_FRENCH, "fr",
         "Fran\xC3\xA7"
         "ais"},
        {LANG_SPANISH, "es", "Espa\xC3\xB1ol"},
        {LANG_ITALIAN, "it", "Italiano"},
        {LANG_PORTUGUESE, "pt", "Portugu\xC3\xAAs"},
        {LANG_DUTCH, "nl", "Nederlands"},
        {LANG_POLISH, "pl", "Polski"},
        {LANG_SWEDISH, "sv", "Svenska"},
        {LANG_RUSSIAN, "ru", "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"},
    };
    return languages;
}

LANGID UiLanguageOfCode(const std::string& code)
{
    for (const UiLanguageInfo& language : UiLanguages()) {
        if (::lstrcmpiA(code.c_str(), language.code) == 0)
            return language.primary;
    }
    return 0;
}

LANGID SystemUiLanguage()
{
    return PRIMARYLANGID(::GetUserDefaultUILanguage());
}

LANGID UiLanguage()
{
    const LANGID chosen = g_chosen.load();
    return chosen ? chosen : SystemUiLanguage();
}

void SetUiLanguage(LANGID primary)
{
    g_chosen.store(PRIMARYLANGID(primary));
}

const void* LoadUiResource(UiResource kind, UINT id)
{
    HINSTANCE module = ResourceInstance();
    const LPCWSTR type = MAKEINTRESOURCEW(static_cast<WORD>(kind));
    LPCWSTR name = MAKEINTRESOURCEW(id);
    for (LANGID primary : {UiLanguage(), static_cast<LANGID>(LANG_ENGLISH)}) {
        if (const void* data = LoadInPrimary(module, type, name, primary))
            return data;
    }
    HRSRC any = ::FindResourceW(module, name, type);
    HGLOBAL loaded = any ? ::LoadResource(module, any) : nullptr;
    return loaded ? ::LockResource(loaded) : nullptr;
}

std::wstring_view LoadStringIn(UINT id, LANGID primary)
{
    // Strings come in blocks of 16, each a length and that many characters.
    const auto* text = static_cast<const WCHAR*>(
        LoadInPrimary(ResourceInstance(), kStringType, MAKEINTRESOURCEW(id / 16 + 1), PRIMARYLANGID(primary)));
    if (!text)
        return {};
    for (UINT skip = id % 16; skip > 0; --skip)
        text += 1 + *text;
    return std::wstring_view(text + 1, *text);
}

std::wstring_view LoadUiString(UINT id)
{
    const std::wstring_view text = LoadStringIn(id, UiLanguage());
    if (!text.empty())
        return text;
    const std::wstring_view english = LoadStringIn(id, LANG_ENGLISH);
    if (!english.empty())
        return english;
    // A module without language blocks (a test's own resources).
    const wchar_t* any = nullptr;
    const int n = ::LoadStringW(ResourceInstance(), id, reinterpret_cast<wchar_t*>(&any), 0);
    return n > 0 && any ? std::wstring_view(any, static_cast<size_t>(n)) : std::wstring_view();
}

HMENU LoadUiMenu(UINT id)
{
    const void* menu = LoadUiResource(UiResource::Menu, id);
    return menu ? ::LoadMenuIndirectW(menu) : nullptr;
}

}  // namespace wnd
