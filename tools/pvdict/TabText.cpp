#include "tools/pvdict/TabText.h"

#include <algorithm>

#include "base/HexDigit.h"

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
                const int hi = i + 1 < text.size() ? pvbase::HexDigitValue(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? pvbase::HexDigitValue(text[i + 2]) : -1;
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

bool ParseFields(std::string_view line, std::vector<std::string>& fields, std::string& error)
{
    fields.clear();
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.emplace_back();
        if (!Unescape(line.substr(0, tab), fields.back(), error))
            return false;
        if (tab == std::string_view::npos)
            return true;
        line.remove_prefix(tab + 1);
    }
}

bool ParseRows(const std::string& text, std::vector<TabRow>& rows, std::string& error)
{
    std::size_t start = 0;
    int lineNumber = 0;
    std::vector<std::string> fields;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (std::count(line.begin(), line.end(), '\t') > 1) {
            error = "line " + std::to_string(lineNumber) + ": more than two fields (write a tab in a value as \\t)";
            return false;
        }
        std::string reason;
        if (!ParseFields(line, fields, reason)) {
            error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        }
        if (fields[0].empty()) {
            error = "line " + std::to_string(lineNumber) + ": empty key";
            return false;
        }
        rows.push_back({std::move(fields[0]), fields.size() > 1 ? std::move(fields[1]) : std::string()});
    }
    return true;
}
