#pragma once

// Hexadecimal digits: the value of one, and the digit of a value 0..15.

inline constexpr int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

inline constexpr char16_t lowerHexDigit(unsigned value)
{
    return u"0123456789abcdef"[value & 0xFu];
}

inline constexpr char16_t upperHexDigit(unsigned value)
{
    return u"0123456789ABCDEF"[value & 0xFu];
}
