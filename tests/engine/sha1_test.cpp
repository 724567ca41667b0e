#include "engine/sha1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string hexDigest(const clx::sha1& h)
{
    std::string hex;
    char buffer[3];
    for (int i = 0; i < 20; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", h.digest()[i]);
        hex += buffer;
    }
    return hex;
}

const std::uint8_t* bytes(const std::string& s)
{
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

struct KnownDigest {
    std::string message;
    const char* digest;
};

const KnownDigest KnownDigests[] = {
    {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {std::string(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
    {std::string(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
    {std::string(63, 'a'), "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
    {std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
    {std::string(65, 'a'), "11655326c708d70319be2610e8a57d9a5b959d3b"},
    {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
};

TEST(Sha1, ComputeGivesKnownDigests)
{
    for (const KnownDigest& known : KnownDigests) {
        clx::sha1 h;
        h.compute(bytes(known.message), static_cast<std::uint32_t>(known.message.size()));
        EXPECT_EQ(hexDigest(h), known.digest) << "length " << known.message.size();
    }
}

TEST(Sha1, PiecesOfAnySizeGiveTheSameDigest)
{
    for (const KnownDigest& known : KnownDigests) {
        if (known.message.size() > 1000)
            continue;
        for (std::size_t piece :
             {std::size_t{1}, std::size_t{7}, std::size_t{63}, std::size_t{65}}) {
            clx::sha1 h;
            h.reset();
            for (std::size_t at = 0; at < known.message.size(); at += piece) {
                const std::size_t n = std::min(piece, known.message.size() - at);
                h.update(bytes(known.message) + at, static_cast<std::uint32_t>(n));
            }
            h.finish();
            EXPECT_EQ(hexDigest(h), known.digest)
                << "length " << known.message.size() << " piece " << piece;
        }
    }
}

TEST(Sha1, WordsAreTheDigestBigEndianAndTheLastByteIsZero)
{
    clx::sha1 h;
    h.compute(bytes("abc"), 3);
    EXPECT_EQ(h.word(0), 0xa9993e36u);
    EXPECT_EQ(h.word(4), 0x9cd0d89du);
    for (int i = 0; i < 5; ++i) {
        const std::uint8_t* d = h.digest() + 4 * i;
        EXPECT_EQ(h.word(i), (std::uint32_t{d[0]} << 24) | (std::uint32_t{d[1]} << 16) |
                                 (std::uint32_t{d[2]} << 8) | d[3]);
    }
    EXPECT_EQ(h.digest()[20], 0);
}

TEST(Sha1, ResetAfterFinishStartsAFreshMessage)
{
    clx::sha1 h;
    h.compute(bytes("something else entirely"), 23);
    h.compute(bytes("abc"), 3);
    EXPECT_EQ(hexDigest(h), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

} // namespace
