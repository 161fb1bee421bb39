#include "Platform/Text/Utf8.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8, AcceptsWellFormedTextAndRefusesEveryMalformation) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"Grüße \u2318 \U0001F600", true},
        {"\x80", false},                 // stray continuation byte
        {"\xC3", false},                 // missing continuation byte
        {"\xC0\xAF", false},             // overlong "/"
        {"\xED\xA0\x80", false},         // surrogate U+D800
        {"\xF4\x90\x80\x80", false},     // above U+10FFFF
        {"ok\xFF", false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::text::isValidUtf8(c.bytes), c.valid) << c.bytes;
}

} // namespace
