#pragma once

#include <cstdint>

namespace clx {

// SHA-1 (FIPS 180-1). Owns all of its state; no allocation, no pointers.
// After finish(), h[0..4] are the digest words and digest() holds the 20
// digest bytes followed by one zero byte.
class sha1 {
public:
    sha1() { reset(); }
    virtual ~sha1() = default;

    void reset();
    void update(const std::uint8_t* bytes, std::uint32_t length);
    void finish();
    void compute(const std::uint8_t* bytes, std::uint32_t length);

    std::uint32_t word(int i) const { return h_[i]; }
    const std::uint8_t* digest() const { return digest_; }

private:
    void compress(const std::uint8_t* block);

    std::uint32_t h_[5];
    std::uint8_t digest_[21];
    std::uint32_t countLow_;
    std::uint32_t countHigh_;
    std::uint8_t buffer_[64];
};

} // namespace clx
