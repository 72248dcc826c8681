#pragma once
// The value of one hexadecimal digit, for the texts that escape bytes as hex.

namespace pvbase {

// 0-15, or -1 when `c` is no hex digit.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace pvbase
