// The advice for the owner key holds against the estimator that judges it.
#include "settings/key_strength.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(KeyStrength, RandomKeysOfTheAdvisedLengthReachTheAdvisedStrength)
{
    if (!estimatedKeyBits(u"x", u""))
        GTEST_SKIP() << "this build has no estimator";
    const std::u16string alphabet =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937 random(27); // the same keys at every run
    for (int n = 0; n < 10; ++n) {
        std::u16string key;
        for (int i = 0; i < AdvisedKeyCharacters; ++i)
            key += alphabet[random() % alphabet.size()];
        EXPECT_GE(*estimatedKeyBits(key, u"○○"), AdvisedKeyBits)
            << std::string(key.begin(), key.end());
    }
}

} // namespace
