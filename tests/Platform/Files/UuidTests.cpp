#include "Platform/Files/Uuid.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <unordered_set>

namespace {

using platform::Uuid;

TEST(Uuid, NewIdentifiersAreCanonicalUpperCaseVersion4) {
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int round = 0; round < 200; ++round) {
        const auto text = Uuid().toString();
        EXPECT_TRUE(std::regex_match(text, canonical)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(Uuid, ParsesEitherCaseAndPrintsUpperCase) {
    const auto lower = Uuid::fromString("0a1b2c3d-4e5f-6a7b-8c9d-aebfc0d1e2f3");
    const auto upper = Uuid::fromString("0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3");
    ASSERT_TRUE(lower && upper);
    EXPECT_EQ(*lower, *upper);
    EXPECT_EQ(lower->toString(), "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3");
    EXPECT_EQ(lower->bytes()[0], 0x0A);
    EXPECT_EQ(lower->bytes()[15], 0xF3);

    const Uuid random;
    EXPECT_EQ(Uuid::fromString(random.toString()), random);
}

TEST(Uuid, RejectsAnythingButTheHyphenatedForm) {
    for (const char* text : {
             "",
             "0A1B2C3D4E5F6A7B8C9DAEBFC0D1E2F3",           // no hyphens
             "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F",        // one digit short
             "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F30",      // one digit long
             "0A1B2C3D-4E5F-6A7B-8C9DAAEBFC0D1E2F3",       // hyphen replaced by a digit
             "0A1B2C3-D4E5F-6A7B-8C9D-AEBFC0D1E2F3",       // hyphen in the wrong place
             "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2G3",       // not hexadecimal
             "{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3}",     // braces
             " 0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3",      // white space
         }) {
        EXPECT_FALSE(Uuid::fromString(text)) << text;
    }
}

TEST(Uuid, OrdersByBytesAndHashesEqualValuesAlike) {
    const auto small = *Uuid::fromString("00000000-0000-4000-8000-000000000001");
    const auto large = *Uuid::fromString("00000000-0000-4000-8000-000000000002");
    EXPECT_LT(small, large);
    EXPECT_NE(small, large);
    std::unordered_set<Uuid> set{small, large, *Uuid::fromString("00000000-0000-4000-8000-000000000001")};
    EXPECT_EQ(set.size(), 2u);
}

} // namespace
