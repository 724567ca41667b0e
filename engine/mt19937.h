#pragma once

#include <cstdint>

// MT19937 with the reference seeding procedures (init_genrand,
// init_by_array) and the tempered 32-bit output (genrand_int32).
inline constexpr int MtDegree = 624;
inline constexpr std::int32_t MtUnseeded = MtDegree + 1;

struct MtState {
    std::int32_t index = MtUnseeded; // 624: block used up; 625: never seeded
    std::uint32_t words[MtDegree];
};

void mt_seed(MtState& state, std::uint32_t s);
// 1 <= n <= 624.
void mt_seed_by_array(MtState& state, const std::uint32_t* key, int n);

// Seeds an unseeded state with 5489 as the reference code does, then
// regenerates the block and sets index to 0.
void mt_refill(MtState& state);

// Inline: the generator draws up to 17,721 outputs per run.
inline std::uint32_t mt_next(MtState& state)
{
    if (state.index >= MtDegree)
        mt_refill(state);
    std::uint32_t y = state.words[state.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
