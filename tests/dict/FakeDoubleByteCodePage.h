// A double-byte code page shaped like the Japanese one, for the dictionary tests: lead bytes
// 0x81-0x9F and 0xE0-0xFC, trail bytes that may look like ASCII letters. Only the tables matter.
#pragma once

#include "dict/CodePage.h"

namespace dicttest {

class CFakeDoubleByteCodePage : public CCodePage {
public:
    CFakeDoubleByteCodePage()
    {
        for (int b = 0; b < 256; ++b)
            m_lower[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
        for (int b = 0x81; b <= 0x9F; ++b)
            m_leadByte[b] = true;
        for (int b = 0xE0; b <= 0xFC; ++b)
            m_leadByte[b] = true;
    }
    unsigned Id() const override { return 932; }
    bool ToUtf16(std::string_view, std::u16string&) const override { return false; }
    bool FromUtf16(std::u16string_view, std::string&) const override { return false; }
};

}  // namespace dicttest
