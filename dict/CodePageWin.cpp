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
            m_lower[b] = static_cast<unsigned char>(b);
            m_letterOrDigit[b] = b != 0 && IsCharAlphaNumericA(static_cast<CHAR>(b));
            if (b != 0 && IsDBCSLeadByteEx(m_acp, static_cast<BYTE>(b))) {
                m_leadByte[b] = true;
                continue;
            }
            if (b != 0) {
                char c = static_cast<char>(b);
                CharLowerBuffA(&c, 1);
                m_lower[b] = static_cast<unsigned char>(c);
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

private:
    UINT m_acp;
};

}  // namespace

const CCodePage& SystemCodePage()
{
    static const CAnsiCodePage instance;
    return instance;
}
#endif
