// The page's way into the engine: plain C functions over texts held here.
// The page writes its inputs as UTF-16 into buffers that this file hands
// out, runs a generation, and reads every text back from one output buffer.
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

#include "charsets/char_list.h"
#include "charsets/char_set_table.h"
#include "engine/generate.h"
#include "engine/numeric_seed.h"
#include "engine/report.h"

namespace {

enum Field { OwnerNameField, OwnerKeyField, SeedTextField, ListTextField, FieldCount };

struct Bridge {
    std::array<std::u16string, FieldCount> fields;
    // The list whose display form the page's list field shows.
    std::u16string list;
    SeedNumbers seedNumbers{};
    // The last generation, kept for its report.
    std::optional<GenerationRequest> request;
    std::optional<Passwords> passwords;
    std::u16string output;
};

Bridge bridge;

// Overwrites a text's units before it is dropped, so that owner texts and
// passwords do not linger in the module's memory.
void wipe(std::u16string& text)
{
    volatile char16_t* unit = text.data();
    for (std::size_t i = 0; i < text.size(); ++i)
        unit[i] = 0;
    text.clear();
}

void wipe(GenerationRequest& request)
{
    wipe(request.ownerName);
    wipe(request.ownerKey);
    wipe(request.seedText);
    wipe(request.charList);
    volatile std::uint32_t* number = request.seedNumbers.data();
    for (std::size_t i = 0; i < request.seedNumbers.size(); ++i)
        number[i] = 0;
}

void dropLastGeneration()
{
    if (bridge.request)
        wipe(*bridge.request);
    if (bridge.passwords)
        for (std::u16string& password : *bridge.passwords)
            wipe(password);
    bridge.request.reset();
    bridge.passwords.reset();
}

int setOutput(std::u16string_view text)
{
    wipe(bridge.output);
    bridge.output.assign(text);
    return static_cast<int>(bridge.output.size());
}

} // namespace

extern "C" {

// Room for `units` units of one input text; the page fills all of it.
char16_t* tovrik_input(int field, int units)
{
    if (field < 0 || field >= FieldCount || units < 0)
        return nullptr;
    std::u16string& text = bridge.fields[static_cast<std::size_t>(field)];
    wipe(text);
    text.resize(static_cast<std::size_t>(units));
    return text.data();
}

// The seven seed numbers, for the page to write.
std::uint32_t* tovrik_seed_numbers()
{
    return bridge.seedNumbers.data();
}

// The output text of the last call that returned a length.
const char16_t* tovrik_output()
{
    return bridge.output.data();
}

// The built-in list, normalised, in the form the list field shows; it
// becomes the field's list.
int tovrik_default_list_display()
{
    bridge.list = normalizeCharList(DefaultCharList);
    return setOutput(makeListDisplay(bridge.list));
}

// The list that the list text gives, as the window's list edit reads it back
// (the field's list while the text is still its display form), in the form
// the field shows; it becomes the field's list.
int tovrik_list_display()
{
    bridge.list = listFromDisplay(bridge.fields[ListTextField], bridge.list);
    return setOutput(makeListDisplay(bridge.list));
}

// Makes the sixteen passwords from the inputs; 1 when done, 0 when the
// list is empty or the length lies outside 4..99 (nothing is kept then).
int tovrik_generate(int stringSeedMode, int complexity, int length)
{
    dropLastGeneration();

    GenerationRequest request;
    request.ownerName = bridge.fields[OwnerNameField];
    request.ownerKey = bridge.fields[OwnerKeyField];
    request.stringSeedMode = stringSeedMode != 0;
    request.seedText = bridge.fields[SeedTextField];
    request.seedNumbers = bridge.seedNumbers;
    request.complexity = complexity != 0;
    request.charList = listFromDisplay(bridge.fields[ListTextField], bridge.list);
    request.length = length;
    std::optional<Passwords> passwords = GeneratePasswords(request);
    if (!passwords) {
        wipe(request);
        return 0;
    }
    bridge.request = std::move(request);
    bridge.passwords = std::move(passwords);
    return 1;
}

// Password 1..16 of the last generation; 0 units when there is none.
int tovrik_password(int number)
{
    if (!bridge.passwords || number < 1 || number > PasswordCount)
        return setOutput({});
    return setOutput((*bridge.passwords)[static_cast<std::size_t>(number - 1)]);
}

// The report of the last generation listing 2^spreadLevel passwords, time
// stamped with the given local time (month 1..12).
int tovrik_report(int spreadLevel, int year, int month, int day, int hour, int minute, int second)
{
    if (!bridge.passwords || spreadLevel < 0 || spreadLevel >= SpreadLevels)
        return setOutput({});
    const GenerationRequest& request = *bridge.request;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    // The page draws from the first-start set, whose list it edits in place.
    ReportFields fields = reportFieldsOf(request, DefaultSetName, *bridge.passwords, spreadLevel);
    std::u16string report = BuildReport(formatReportTime(local), fields);
    wipe(fields.seed);
    const int units = setOutput(report);
    wipe(report);
    return units;
}

} // extern "C"
