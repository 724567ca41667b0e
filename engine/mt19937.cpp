#include "engine/mt19937.h"

namespace {

constexpr int M = 397;
constexpr std::uint32_t UpperMask = 0x80000000u;
constexpr std::uint32_t LowerMask = 0x7FFFFFFFu;
constexpr std::uint32_t Twist[2] = {0u, 0x9908B0DFu};

inline std::uint32_t twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far)
{
    const std::uint32_t y = (upper & UpperMask) | (lower & LowerMask);
    return far ^ (y >> 1) ^ Twist[y & 1u];
}

// Regenerates all 624 words in place, k = 0..623 in increasing order. The
// three loops only avoid the modulo of the textbook form.
void regenerate(std::uint32_t* mt)
{
    int k = 0;
    for (; k < MtDegree - M; ++k)
        mt[k] = twist(mt[k], mt[k + 1], mt[k + M]);
    for (; k < MtDegree - 1; ++k)
        mt[k] = twist(mt[k], mt[k + 1], mt[k + M - MtDegree]);
    mt[MtDegree - 1] = twist(mt[MtDegree - 1], mt[0], mt[M - 1]);
}

} // namespace

void mt_seed(MtState& state, std::uint32_t s)
{
    std::uint32_t* mt = state.words;
    mt[0] = s;
    for (int i = 1; i < MtDegree; ++i)
        mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
    state.index = MtDegree;
}

void mt_seed_by_array(MtState& state, const std::uint32_t* key, int n)
{
    mt_seed(state, 19650218u);
    std::uint32_t* mt = state.words;
    int i = 1;
    int j = 0;
    for (int round = 0; round < MtDegree; ++round) {
        mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1664525u)) + key[j] +
                static_cast<std::uint32_t>(j);
        ++i;
        ++j;
        if (i >= MtDegree) {
            mt[0] = mt[MtDegree - 1];
            i = 1;
        }
        if (j >= n)
            j = 0;
    }
    for (int round = 0; round < MtDegree - 1; ++round) {
        mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1566083941u)) -
                static_cast<std::uint32_t>(i);
        ++i;
        if (i >= MtDegree) {
            mt[0] = mt[MtDegree - 1];
            i = 1;
        }
    }
    mt[0] = 0x80000000u;
    state.index = MtDegree;
}

void mt_refill(MtState& state)
{
    if (state.index == MtUnseeded)
        mt_seed(state, 5489u);
    regenerate(state.words);
    state.index = 0;
}
