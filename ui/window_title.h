#pragma once

#include <string>
#include <string_view>

// "トヴリク (" + name + "さん用)": the title names whose passwords these are.
inline std::u16string makeWindowTitle(std::u16string_view ownerName)
{
    std::u16string title = u"トヴリク (";
    title += ownerName;
    title += u"さん用)";
    return title;
}
