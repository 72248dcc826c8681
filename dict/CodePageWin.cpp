// The system's ANSI code page through the Windows conversion functions.
#ifdef _WIN32
#include "dict/CodePage.h"

#include <windows.h>

namespace {

class CAnsiCodePage : public CCodePage {
public:
    CAnsiCodePage() : m_acp(GetACP())
    {
        for (int b = 0; b < 256; ++b) {
            m_lower[b] = m_upper[b] = static_cast<unsigned char>(b);
            m_letterOrDigit[b] = b != 0 && IsCharAlphaNumericA(static_cast<CHAR>(b));
            if (b != 0 && IsDBCSLeadByteEx(m_acp, static_cast<BYTE>(b))) {
                m_leadByte[b] = true;
                continue;
            }
            if (b != 0) {
                char c = static_cast<char>(b);
                CharLowerBuffA(&c, 1);
                m_lower[b] = static_cast<unsigned char>(c);
                c = static_cast<char>(b);
                CharUpperBuffA(&c, 1);
                m_upper[b] = static_cast<unsigned char>(c);
            }
        }
    }

    unsigned Id() const override { return m_acp; }

    bool ToUtf16(std::string_view text, std::u16string& out) const override
    {
        if (text.empty())
            return true;
        const int n = MultiByteToWideChar(m_acp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (n <= 0)
            return false;
        const std::size_t at = out.size();
        out.resize(at + n);
        MultiByteToWideChar(m_acp, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(&out[at]),
                            n);
        return true;
    }

    bool FromUtf16(std::u16string_view text, std::string& out) const override
    {
        if (text.empty())
            return true;
        auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int n = WideCharToMultiByte(m_acp, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        if (n <= 0)
            return false;
        const std::size_t at = out.size();
        out.resize(at + n);
        WideCharToMultiByte(m_acp, 0, wide, static_cast<int>(text.size()), &out[at], n, nullptr, nullptr);
        return true;
    }

    // Without best-fit mapping: a character the code page lacks becomes the default character and
    // is counted, rather than turning silently into a look-alike.
    bool FromUtf16Counted(std::u16string_view text, std::string& out, int& unconvertible) const override
    {
        if (text.empty())
            return true;
        auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int length = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(m_acp, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, nullptr);
        if (n <= 0)
            return false;
        const std::size_t at = out.size();
        out.resize(at + n);
        BOOL usedDefault = FALSE;
        WideCharToMultiByte(m_acp, WC_NO_BEST_FIT_CHARS, wide, length, &out[at], n, nullptr, &usedDefault);
        if (usedDefault)
            unconvertible += CountDefaulted(wide, length);
        return true;
    }

private:
    int CountDefaulted(const wchar_t* wide, int length) const
    {
        int count = 0;
        char bytes[8];
        for (int i = 0; i < length;) {
            const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < length && IS_LOW_SURROGATE(wide[i + 1]);
            const int units = pair ? 2 : 1;
            BOOL usedDefault = FALSE;
            WideCharToMultiByte(m_acp, WC_NO_BEST_FIT_CHARS, wide + i, units, bytes, sizeof bytes, nullptr,
                                &usedDefault);
            count += usedDefault ? 1 : 0;
            i += units;
        }
        return count;
    }

    UINT m_acp;
};

}  // namespace

const CCodePage& SystemCodePage()
{
    static const CAnsiCodePage instance;
    return instance;
}
#endif
