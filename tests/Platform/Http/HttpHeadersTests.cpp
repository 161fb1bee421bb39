#include "Platform/Http/HttpHeaders.hpp"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(HttpHeaders, LooksUpNamesWithoutRegardToCaseAndKeepsOrder)
{
    HttpHeaders headers{{"Content-Type", "text/html"}, {"Set-Cookie", "a=1"}};
    headers.add("set-cookie", "b=2");

    EXPECT_EQ(headers.value("content-TYPE"), "text/html");
    EXPECT_EQ(headers.values("SET-COOKIE"), (std::vector<std::string>{"a=1", "b=2"}));
    EXPECT_FALSE(headers.value("Content-Length").has_value());

    headers.set("SET-COOKIE", "c=3");
    EXPECT_EQ(headers.values("Set-Cookie"), std::vector<std::string>{"c=3"});
    EXPECT_EQ(headers.fields().front().first, "Content-Type");

    headers.remove("content-type");
    EXPECT_FALSE(headers.contains("Content-Type"));
}

} // namespace
} // namespace platform
