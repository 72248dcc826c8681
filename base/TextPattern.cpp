#include "base/TextPattern.h"

namespace pvbase {

std::string FillPlaceholders(const std::string& pattern, std::initializer_list<std::string> arguments)
{
    std::string text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next == '%') {
            text += '%';
            ++i;
        } else if (pattern[i] == '%' && next >= '1' && next <= '9') {
            const size_t index = static_cast<size_t>(next - '1');
            if (index < arguments.size())
                text += *(arguments.begin() + index);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace pvbase
