#pragma once

#include <cstdint>

// Index below n from one random output r: (r >> 1) mod n. Every draw of a
// run divides by one of a few fixed lengths, so the division is replaced by
// Lemire's fastmod, exact for every 32-bit numerator and divisor.
class DrawIndex {
public:
    explicit DrawIndex(std::uint32_t n)
        : n_(n)
#ifdef __SIZEOF_INT128__
          ,
          m_(~std::uint64_t{0} / n + 1)
#endif
    {
    }

    std::uint32_t operator()(std::uint32_t r) const
    {
        const std::uint32_t half = r >> 1;
#ifdef __SIZEOF_INT128__
        const std::uint64_t low = m_ * half;
        return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * n_) >> 64);
#else
        return half % n_;
#endif
    }

private:
    std::uint32_t n_;
#ifdef __SIZEOF_INT128__
    std::uint64_t m_;
#endif
};
