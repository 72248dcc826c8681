#include "tools/pvdict/TabText.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

void AppendEscaped(std::string_view text, std::string& out)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    out += "\\x";
                    out += kHex[b >> 4];
                    out += kHex[b & 15];
                } else {
                    out += c;
                }
        }
    }
}

bool Unescape(std::string_view text, std::string& out, std::string& error)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            error = "backslash at the end of a field";
            return false;
        }
        const char e = text[++i];
        switch (e) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 'x': {
                const int hi = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "\\x needs two hexadecimal digits";
                    return false;
                }
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                error = std::string("unknown escape \\") + e;
                return false;
        }
    }
    return true;
}
