#include "settings/stored_settings.h"

GenerationRequest generationRequestOf(const StoredSettings& settings, const SeedNumbers& numbers)
{
    return {.ownerName = settings.ownerName,
            .ownerKey = settings.ownerKey,
            .stringSeedMode = settings.stringSeedMode,
            .seedText = settings.seedText,
            .seedNumbers = numbers,
            .complexity = settings.complexity != 0,
            .charList = settings.currentList,
            .length = settings.length};
}

GenerationRequest generationRequestOf(const StoredSettings& settings)
{
    return generationRequestOf(settings, parseNumericSeedText(settings.numericSeedText));
}
