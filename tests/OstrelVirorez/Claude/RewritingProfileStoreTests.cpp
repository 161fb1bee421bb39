#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace ostrelvirorez;
using Data = platform::DefaultsValue::Data;

Data dataOf(const std::string& text) {
    return Data(text.begin(), text.end());
}

std::string textOf(const Data& data) {
    return std::string(data.begin(), data.end());
}

class RewritingProfileStoreTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};

    nlohmann::json storedProfile(const std::string& name) {
        RewritingProfile profile;
        profile.name = name;
        profile.icon = "doc.text";
        return profile;
    }
    void store(const nlohmann::json& json) { defaults.set("rewritingProfiles", dataOf(json.dump())); }
};

TEST_F(RewritingProfileStoreTest, NothingStoredReadsTheBuiltInProfilesAndWritesNothing) {
    RewritingProfileStore store(defaults);
    EXPECT_EQ(store.rewritingProfiles(), RewritingProfile::defaults());
    EXPECT_FALSE(store.hasStoredProfiles());
    EXPECT_FALSE(defaults.contains("rewritingProfiles"));
}

TEST_F(RewritingProfileStoreTest, WrittenListIsCachedAnnouncedAndReadBackWithTheSameIds) {
    RewritingProfileStore store(defaults);
    int announcements = 0;
    const auto connection = store.willChange().connect([&] { ++announcements; });
    auto profiles = RewritingProfile::defaults();
    profiles[0].preferredEngine = EngineType::nemotron;
    profiles.pop_back();
    store.setRewritingProfiles(profiles);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(store.rewritingProfiles(), profiles);

    const auto stored = nlohmann::json::parse(textOf(*defaults.dataValue("rewritingProfiles")));
    EXPECT_TRUE(stored.is_array());
    EXPECT_EQ(stored.dump().find('\n'), std::string::npos);

    RewritingProfileStore nextRun(defaults);
    EXPECT_EQ(nextRun.rewritingProfiles(), profiles);
}

TEST_F(RewritingProfileStoreTest, ReadingIsCachedUntilTheNextWrite) {
    store(nlohmann::json::array({storedProfile("One")}));
    RewritingProfileStore store(defaults);
    ASSERT_EQ(store.rewritingProfiles().size(), 1u);
    this->store(nlohmann::json::array({storedProfile("One"), storedProfile("Two")}));
    EXPECT_EQ(store.rewritingProfiles().size(), 1u);
}

TEST_F(RewritingProfileStoreTest, UnreadableElementIsSkippedAndTheStoredValueKeptAside) {
    auto broken = storedProfile("Broken");
    broken.erase("icon");
    const auto raw = nlohmann::json::array({storedProfile("One"), broken, storedProfile("Two")}).dump();
    defaults.set("rewritingProfiles", dataOf(raw));

    platform::ScopedLogCapture log;
    RewritingProfileStore store(defaults);
    const auto& profiles = store.rewritingProfiles();
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].name, "One");
    EXPECT_EQ(profiles[1].name, "Two");
    EXPECT_TRUE(log.contains("1 stored profile(s) unreadable and skipped"));

    // The next write replaces the list, but the user's data stays aside.
    store.setRewritingProfiles(profiles);
    const auto kept = defaults.arrayValue("rewritingProfiles.unreadable");
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_EQ(textOf(*kept->front().as<Data>()), raw);

    // Reading the same unreadable value again does not keep a second copy.
    defaults.set("rewritingProfiles", dataOf(raw));
    RewritingProfileStore again(defaults);
    (void)again.rewritingProfiles();
    EXPECT_EQ(defaults.arrayValue("rewritingProfiles.unreadable")->size(), 1u);
}

TEST_F(RewritingProfileStoreTest, WhollyUnreadableListReadsAsTheBuiltInProfilesAndIsKeptAside) {
    auto broken = storedProfile("Broken");
    broken.erase("name");
    for (const std::string& raw : {std::string("not json"), std::string("{}"), nlohmann::json::array({broken}).dump()}) {
        SCOPED_TRACE(raw);
        defaults.remove("rewritingProfiles.unreadable");
        defaults.set("rewritingProfiles", dataOf(raw));
        RewritingProfileStore store(defaults);
        EXPECT_EQ(store.rewritingProfiles(), RewritingProfile::defaults());
        EXPECT_EQ(textOf(*defaults.dataValue("rewritingProfiles")), raw);
        const auto kept = defaults.arrayValue("rewritingProfiles.unreadable");
        ASSERT_TRUE(kept);
        EXPECT_EQ(textOf(*kept->front().as<Data>()), raw);
    }
}

TEST_F(RewritingProfileStoreTest, EmptyStoredListStaysEmpty) {
    store(nlohmann::json::array());
    RewritingProfileStore store(defaults);
    EXPECT_TRUE(store.rewritingProfiles().empty());
    EXPECT_FALSE(defaults.contains("rewritingProfiles.unreadable"));
}

TEST_F(RewritingProfileStoreTest, ListThatCannotBeEncodedStaysInMemoryOnly) {
    store(nlohmann::json::array({storedProfile("One")}));
    RewritingProfileStore store(defaults);
    auto profiles = store.rewritingProfiles();
    profiles[0].name = std::string("\xff", 1);
    int announcements = 0;
    const auto connection = store.willChange().connect([&] { ++announcements; });
    store.setRewritingProfiles(profiles);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(store.rewritingProfiles(), profiles);
    EXPECT_EQ(RewritingProfileStore(defaults).rewritingProfiles()[0].name, "One");
}

} // namespace
