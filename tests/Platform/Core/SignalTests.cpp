#include "Platform/Core/Signal.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(Signal, DeliversToConnectedSlotsUntilTheirConnectionEnds) {
    platform::Signal<int> signal;
    std::vector<int> first, second;
    auto a = signal.connect([&](int v) { first.push_back(v); });
    {
        auto b = signal.connect([&](int v) { second.push_back(v); });
        signal.emit(1);
    }
    signal.emit(2);
    a.disconnect();
    signal.emit(3);
    EXPECT_EQ(first, (std::vector<int>{1, 2}));
    EXPECT_EQ(second, (std::vector<int>{1}));
    EXPECT_EQ(signal.connectionCount(), 0u);
}

TEST(Signal, SlotMayDisconnectAnotherDuringEmission) {
    platform::Signal<> signal;
    int laterCalls = 0;
    platform::Connection later;
    auto first = signal.connect([&] { later.disconnect(); });
    later = signal.connect([&] { ++laterCalls; });
    signal.emit();
    EXPECT_EQ(laterCalls, 0);
}

TEST(Signal, ConnectionOutlivingSignalIsHarmless) {
    platform::Connection connection;
    {
        platform::Signal<std::string> signal;
        connection = signal.connect([](const std::string&) {});
    }
    connection.disconnect();
    EXPECT_FALSE(connection.connected());
}

TEST(Observable, EmitsOnlyRealChanges) {
    platform::Observable<std::string> value("idle");
    std::vector<std::string> seen;
    auto c = value.observe([&](const std::string& v) { seen.push_back(v); });
    value.set("idle");
    value.set("recording");
    value.set("recording");
    value.set("idle");
    EXPECT_EQ(seen, (std::vector<std::string>{"recording", "idle"}));
    EXPECT_EQ(value.get(), "idle");
}

} // namespace
