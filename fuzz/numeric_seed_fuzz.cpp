// Any text as a stored numeric seed; seven numbers through format and parse.
#include <cstring>
#include <memory>

#include "engine/numeric_seed.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The text in a buffer of exactly its size, so that AddressSanitizer
    // catches a read past its end.
    const std::u16string text = unitsOf(bytesOf(data, size));
    const auto exact = std::make_unique<char16_t[]>(text.size());
    std::copy(text.begin(), text.end(), exact.get());
    const SeedNumbers parsed = parseNumericSeedText(std::u16string_view(exact.get(), text.size()));
    // A number takes at most eight digits.
    for (std::uint32_t number : parsed)
        FUZZ_CHECK(number <= 99999999u);

    // The first 28 bytes as seven numbers in 0..99999, as the number edits
    // hold them.
    SeedNumbers numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        std::uint32_t word = 0;
        if (size >= (i + 1) * 4)
            std::memcpy(&word, data + i * 4, 4);
        numbers[i] = word % 100000u;
    }
    FUZZ_CHECK(parseNumericSeedText(FormatNumericSeed(numbers)) == numbers);
    return 0;
}
