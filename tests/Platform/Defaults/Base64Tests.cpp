#include "Platform/Defaults/Base64.hpp"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Base64, EncodesAndDecodesTheStandardVectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(platform::base64Encode(bytesOf(plain)), encoded);
        EXPECT_EQ(platform::base64Decode(encoded), bytesOf(plain)) << encoded;
    }
    std::vector<std::uint8_t> every(256);
    for (std::size_t index = 0; index < every.size(); ++index) every[index] = static_cast<std::uint8_t>(index);
    EXPECT_EQ(platform::base64Decode(platform::base64Encode(every)), every);
}

TEST(Base64, RejectsMalformedText) {
    for (const char* text : {"Zg", "Zg=", "Z===", "Zm9v!A==", "Zg==Zg==", "Zm=v", "Zh==", "Zm9=", " Zm9v"}) {
        EXPECT_FALSE(platform::base64Decode(text)) << text;
    }
}

} // namespace
