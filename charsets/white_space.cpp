#include "charsets/white_space.h"

bool isWideWhiteSpace(char16_t unit)
{
    switch (unit) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000: return true;
    default: return unit >= 0x2000 && unit <= 0x200A;
    }
}

std::u16string trimWhiteSpace(std::u16string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWideWhiteSpace(text[begin]))
        ++begin;
    while (end > begin && isWideWhiteSpace(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}
