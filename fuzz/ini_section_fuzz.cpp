// Any bytes as the store's INI file, through the section's codec alone:
// either refused, or read; a save of new texts into what was read keeps
// every other value and gives each text back exactly, and a text written
// into an empty file comes back as it was.
#include "fuzz/fuzz_support.h"
#include "settings/ini_section.h"

namespace {

constexpr std::u16string_view Section = u"setting102";

IniValues read(std::string_view bytes)
{
    Result<IniValues> values = readIniSection(bytes, Section);
    FUZZ_CHECK(values.ok());
    return std::move(values).value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Result<IniValues> parsed = readIniSection(bytes, Section);
    if (!parsed) {
        FUZZ_CHECK(!parsed.error().message.empty() && parsed.error().line >= 0);
        return 0;
    }
    const IniValues& before = parsed.value();

    // Every value read becomes a text: its own reversed, or its form; and
    // one new name, spelt from the input, joins them.
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    bool change = true; // every other value stays as it is
    for (const auto& [name, value] : before) {
        const std::u16string text = value.text ? *value.text : unitsOf(value.form);
        if (change)
            texts.emplace_back(name, std::u16string(text.rbegin(), text.rend()));
        change = !change;
    }
    const std::u16string newName = u"new " + unitsOf(bytes.substr(0, 8));
    if (!before.contains(newName))
        texts.emplace_back(newName, unitsOf(bytes));

    IniValues expected = before;
    for (const auto& [name, text] : texts)
        expected[name] = IniValue{text, {}};
    FUZZ_CHECK(read(writeIniSection(bytes, Section, texts)) == expected);

    for (const auto& [name, text] : texts) {
        const IniValues alone = read(writeIniSection("", Section, {{name, text}}));
        const IniValue written{text, {}};
        FUZZ_CHECK(alone.size() == 1 && alone.begin()->first == name &&
                   alone.begin()->second == written);
    }
    return 0;
}
