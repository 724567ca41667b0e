// Any text through the list normaliser and back through the display form.
#include <array>

#include "charsets/char_list.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text = unitsOf(bytesOf(data, size));
    const std::u16string list = normalizeCharList(text);

    FUZZ_CHECK(list.size() <= 255);
    std::array<bool, 256> seen{};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const char16_t unit = list[i];
        FUZZ_CHECK(unit >= 0x01 && unit <= 0xFF);
        FUZZ_CHECK(unit != u'\r' && unit != u'\n' && unit != 0x07 && unit != 0x08);
        FUZZ_CHECK(!seen[unit]);
        seen[unit] = true;
        // Ascending as signed bytes: 0x80..0xFF, then 0x01..0x7F.
        if (i > 0)
            FUZZ_CHECK(static_cast<std::int8_t>(list[i - 1]) < static_cast<std::int8_t>(unit));
    }
    // The kept units are the low bytes of the input's first 200 units, line
    // breaks counted among them: all of those but the dropped ones.
    std::array<bool, 256> inInput{};
    for (char16_t unit : text.substr(0, MaxCharListInput))
        inInput[unit & 0xFFu] = true;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const bool dropped =
            byte == 0 || byte == '\r' || byte == '\n' || byte == 0x07 || byte == 0x08;
        FUZZ_CHECK(seen[byte] == (inInput[byte] && !dropped));
    }

    FUZZ_CHECK(normalizeCharList(list) == list);
    // An unchanged display form gives its list back, however long; the
    // display of a list short enough to leave room for its CR LF normalises
    // back to it as well.
    const std::u16string display = makeListDisplay(list);
    FUZZ_CHECK(listFromDisplay(display, list) == list);
    if (display.size() <= MaxCharListInput)
        FUZZ_CHECK(normalizeCharList(display) == list);
    return 0;
}
