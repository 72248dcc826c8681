// fopen for the program's UTF-8 paths: Windows takes them in the wide form (its narrow one reads
// the ANSI code page, which may lack the path's characters).
#pragma once

#include <cstdio>
#include <string>

#ifdef _WIN32
#include "base/Utf8Text.h"
#endif

inline std::FILE* OpenUtf8File(const std::string& path, const char* mode)
{
#ifdef _WIN32
    return ::_wfopen(Widen(path).c_str(), Widen(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}
