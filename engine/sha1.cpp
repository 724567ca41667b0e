#include "engine/sha1.h"

#include <cstring>

namespace clx {
namespace {

inline std::uint32_t rotl(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t loadBigEndian(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void storeBigEndian(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace

void sha1::reset()
{
    h_[0] = 0x67452301u;
    h_[1] = 0xEFCDAB89u;
    h_[2] = 0x98BADCFEu;
    h_[3] = 0x10325476u;
    h_[4] = 0xC3D2E1F0u;
    countLow_ = 0;
    countHigh_ = 0;
    std::memset(digest_, 0, sizeof digest_);
    std::memset(buffer_, 0, sizeof buffer_);
}

void sha1::compress(const std::uint8_t* block)
{
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = loadBigEndian(block + 4 * t);
    for (int t = 16; t < 80; ++t)
        w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    std::uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
    auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t wt) {
        const std::uint32_t temp = rotl(a, 5) + f + e + k + wt;
        e = d;
        d = c;
        c = rotl(b, 30);
        b = a;
        a = temp;
    };
    for (int t = 0; t < 20; ++t)
        round((b & c) | (~b & d), 0x5A827999u, w[t]);
    for (int t = 20; t < 40; ++t)
        round(b ^ c ^ d, 0x6ED9EBA1u, w[t]);
    for (int t = 40; t < 60; ++t)
        round((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[t]);
    for (int t = 60; t < 80; ++t)
        round(b ^ c ^ d, 0xCA62C1D6u, w[t]);

    h_[0] += a;
    h_[1] += b;
    h_[2] += c;
    h_[3] += d;
    h_[4] += e;
}

void sha1::update(const std::uint8_t* bytes, std::uint32_t length)
{
    if (length == 0)
        return;
    std::uint32_t used = countLow_ & 63u;
    const std::uint32_t before = countLow_;
    countLow_ += length;
    if (countLow_ < before)
        ++countHigh_;

    if (used != 0) {
        const std::uint32_t take = 64u - used < length ? 64u - used : length;
        std::memcpy(buffer_ + used, bytes, take);
        bytes += take;
        length -= take;
        used += take;
        if (used < 64)
            return;
        compress(buffer_);
    }
    // Whole blocks straight from the caller's bytes.
    for (; length >= 64; bytes += 64, length -= 64)
        compress(bytes);
    if (length != 0)
        std::memcpy(buffer_, bytes, length);
}

void sha1::finish()
{
    const std::uint32_t bitsHigh = (countHigh_ << 3) | (countLow_ >> 29);
    const std::uint32_t bitsLow = countLow_ << 3;
    const std::uint32_t rest = countLow_ & 63u;
    const std::uint32_t padLength = rest < 56 ? 56 - rest : 120 - rest;

    static const std::uint8_t padding[64] = {0x80};
    std::uint8_t lengthBytes[8];
    storeBigEndian(lengthBytes, bitsHigh);
    storeBigEndian(lengthBytes + 4, bitsLow);
    update(padding, padLength);
    update(lengthBytes, 8);

    for (int i = 0; i < 5; ++i)
        storeBigEndian(digest_ + 4 * i, h_[i]);
    digest_[20] = 0;
    std::memset(buffer_, 0, sizeof buffer_);
}

void sha1::compute(const std::uint8_t* bytes, std::uint32_t length)
{
    reset();
    if (length > 0)
        update(bytes, length);
    finish();
}

} // namespace clx
