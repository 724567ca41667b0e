// Any generation request: owner texts, seed, list, length 0..200, complexity.
//
// Input: a flags byte (1 complexity, 2 numeric seed mode), a length byte
// (taken modulo 201), seven 32-bit little-endian seed numbers, then owner
// name, owner key, seed text and character list separated by LF bytes.
#include <array>
#include <cstring>

#include "engine/generate.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr std::size_t HeaderSize = 2 + 7 * 4;

int classOf(char16_t unit)
{
    if (unit >= u'0' && unit <= u'9')
        return 0;
    if (unit >= u'a' && unit <= u'z')
        return 1;
    if (unit >= u'A' && unit <= u'Z')
        return 2;
    return 3;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, HeaderSize> header{};
    std::memcpy(header.data(), data, std::min(size, HeaderSize));
    GenerationRequest request;
    request.complexity = (header[0] & 1) != 0;
    request.stringSeedMode = (header[0] & 2) == 0;
    request.length = header[1] % 201;
    for (std::size_t i = 0; i < request.seedNumbers.size(); ++i)
        std::memcpy(&request.seedNumbers[i], header.data() + 2 + i * 4, 4);

    std::string_view rest = size > HeaderSize ? bytesOf(data + HeaderSize, size - HeaderSize) : "";
    std::u16string* texts[] = {&request.ownerName, &request.ownerKey, &request.seedText,
                               &request.charList};
    for (std::u16string* text : texts) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        *text = unitsOf(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }

    const std::optional<Passwords> passwords = GeneratePasswords(request);
    const bool refused = request.charList.empty() || request.length < MinPasswordLength ||
                         request.length > MaxPasswordLength;
    FUZZ_CHECK(passwords.has_value() == !refused);
    if (refused)
        return 0;

    // The low bytes of the list, and which of them each class can give.
    std::array<bool, 256> inList{};
    std::array<std::array<bool, 256>, 4> inClass{};
    std::array<bool, 4> classUsed{};
    for (char16_t unit : request.charList) {
        inList[unit & 0xFFu] = true;
        inClass[static_cast<std::size_t>(classOf(unit))][unit & 0xFFu] = true;
        classUsed[static_cast<std::size_t>(classOf(unit))] = true;
    }
    for (const std::u16string& password : *passwords) {
        FUZZ_CHECK(password.size() == static_cast<std::size_t>(request.length));
        for (char16_t unit : password)
            FUZZ_CHECK(unit <= 0xFF && inList[unit]);
        if (!request.complexity)
            continue;
        for (std::size_t c = 0; c < 4; ++c) {
            if (!classUsed[c])
                continue;
            bool present = false;
            for (char16_t unit : password)
                present = present || inClass[c][unit];
            FUZZ_CHECK(present);
        }
    }
    return 0;
}
