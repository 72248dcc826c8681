// Whether the foreground application types through an input method editor (the prompt stays
// hidden then).
#pragma once

#include <windows.h>

#include <string>

// Under Wine every keyboard layout describes itself as "Wine XIM", with or without an input
// method; that placeholder does not count. Elsewhere any description means an input method.
bool DescriptionMeansInputMethod(const std::string& description, bool underWine);
bool RunningUnderWine();
// The input-method description of a keyboard layout ("" when it has none).
std::string InputMethodDescription(HKL layout);
// The foreground window's thread layout has an active input method.
bool ForegroundHasInputMethod();
