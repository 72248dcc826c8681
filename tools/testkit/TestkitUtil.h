// Small helpers shared by the test programs: an unbuffered line log, hex text, argument access.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/HexDigit.h"

namespace testkit {

// Texts are UTF-8; the W functions take UTF-16. (The system converts: the test programs link no
// library of the program, the 32-bit target included.)
inline std::wstring Widen(std::string_view utf8)
{
    if (utf8.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], size);
    return wide;
}

inline std::string Narrow(std::wstring_view wide)
{
    if (wide.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

// Appends whole lines to a file and writes each at once, so a test can read it while we run.
class LineLog {
public:
    LineLog() = default;
    LineLog(const LineLog&) = delete;
    LineLog& operator=(const LineLog&) = delete;
    ~LineLog() { Close(); }

    bool Open(const std::string& path)
    {
        Close();
        if (path.empty())
            return false;
        m_file =
            CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_file != INVALID_HANDLE_VALUE;
    }
    void Close()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    void Printf(const char* format, ...)
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return;
        char line[1024];
        va_list args;
        va_start(args, format);
        int n = vsnprintf(line, sizeof line - 1, format, args);
        va_end(args);
        if (n < 0)
            return;
        if (n > (int)sizeof line - 2)
            n = (int)sizeof line - 2;
        line[n++] = '\n';
        DWORD written = 0;
        WriteFile(m_file, line, (DWORD)n, &written, nullptr);
    }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

inline std::string ToHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline bool FromHex(const std::string& hex, std::string& out)
{
    const auto value = pvbase::HexDigitValue;
    out.clear();
    if (hex.size() % 2)
        return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += (char)(hi * 16 + lo);
    }
    return true;
}

inline std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// The command line as separate arguments (UTF-8).
inline std::vector<std::string> CommandLineArgs()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

inline long long Ticks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace testkit
