#include "OstrelVirorez/Input/CapsLockRemapper.hpp"

#include "OstrelVirorez/Input/HidutilMappingStore.hpp"
#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace ostrelvirorez;

constexpr std::uint64_t capsLock = CapsLockRemapper::capsLockUsage;
constexpr std::uint64_t f19 = CapsLockRemapper::f19Usage;
constexpr std::uint64_t escape = 0x700000029;
constexpr std::uint64_t leftControl = 0x7000000E0;

// Answers like the HID utility for two keyboards that share one mapping.
class FakeHidutil : public ProcessRunner {
public:
    bool isExecutable(const std::string&) const override { return present; }

    std::optional<Result> run(const std::string&, const std::vector<std::string>& arguments,
                              std::string& failure) override {
        if (!launches) {
            failure = "launch refused";
            return std::nullopt;
        }
        if (arguments.at(3) == "--set") {
            sets.push_back(arguments.at(4));
            if (!setSucceeds) return Result{1, ""};
            if (applySets) mapping = parseSet(arguments.at(4));
            return Result{0, ""};
        }
        return Result{0, keyboardReport() + keyboardReport()};
    }

    std::vector<KeyMappingEntry> mapping;
    std::vector<std::string> sets;
    bool present = true;
    bool launches = true;
    bool setSucceeds = true;
    bool applySets = true;

private:
    std::string keyboardReport() const {
        std::ostringstream text;
        text << "RegistryID  Key\n" << ++registry << " UserKeyMapping (\n";
        for (const auto& entry : mapping) {
            text << "    {\n        HIDKeyboardModifierMappingDst = " << entry.dst << ";\n"
                 << "        HIDKeyboardModifierMappingSrc = 0x" << std::hex << entry.src << std::dec << ";\n    },\n";
        }
        text << ")\n";
        return text.str();
    }

    static std::vector<KeyMappingEntry> parseSet(const std::string& json) {
        std::vector<KeyMappingEntry> entries;
        const std::string srcKey = "\"HIDKeyboardModifierMappingSrc\":";
        const std::string dstKey = "\"HIDKeyboardModifierMappingDst\":";
        for (auto at = json.find(srcKey); at != std::string::npos; at = json.find(srcKey, at + 1)) {
            const auto src = std::stoull(json.substr(at + srcKey.size()));
            const auto dstAt = json.find(dstKey, at);
            entries.push_back({src, std::stoull(json.substr(dstAt + dstKey.size()))});
        }
        return entries;
    }

    mutable int registry = 4000;
};

class CapsLockRemapperTest : public ::testing::Test {
protected:
    platform::ScopedLogCapture logs;
    FakeHidutil hidutil;
    CapsLockRemapper remapper{std::make_shared<HidutilMappingStore>(hidutil)};
};

TEST_F(CapsLockRemapperTest, ApplyWritesTheF19EntryOnceAndConfirmsIt) {
    EXPECT_TRUE(remapper.apply());
    EXPECT_EQ(hidutil.mapping, (std::vector<KeyMappingEntry>{{capsLock, f19}}));
    ASSERT_EQ(hidutil.sets.size(), 1u);
    EXPECT_EQ(hidutil.sets[0], "{\"UserKeyMapping\":[{\"HIDKeyboardModifierMappingSrc\":30064771129,"
                               "\"HIDKeyboardModifierMappingDst\":30064771182}]}");
    EXPECT_TRUE(logs.contains("CapsLockRemapper: Caps Lock → F19 aktiv (via hidutil, all matched keyboards)"));

    EXPECT_TRUE(remapper.apply());
    EXPECT_EQ(hidutil.sets.size(), 1u);
}

TEST_F(CapsLockRemapperTest, ReplacesAnotherCapsLockEntryAndKeepsOtherKeysInOrder) {
    hidutil.mapping = {{leftControl, escape}, {capsLock, escape}, {escape, capsLock}};
    EXPECT_TRUE(remapper.apply());
    EXPECT_EQ(hidutil.mapping,
              (std::vector<KeyMappingEntry>{{leftControl, escape}, {escape, capsLock}, {capsLock, f19}}));
    EXPECT_TRUE(remapper.revert());
    EXPECT_EQ(hidutil.mapping, (std::vector<KeyMappingEntry>{{leftControl, escape}, {escape, capsLock}}));
    EXPECT_TRUE(logs.contains("CapsLockRemapper: Caps Lock zurückgesetzt (via hidutil, all matched keyboards)"));
}

TEST_F(CapsLockRemapperTest, RevertWithoutACapsLockEntryWritesNothing) {
    hidutil.mapping = {{leftControl, escape}};
    EXPECT_TRUE(remapper.revert());
    EXPECT_TRUE(hidutil.sets.empty());
}

TEST_F(CapsLockRemapperTest, RefusesTablesLargerThanSixteenEntries) {
    for (std::uint64_t key = 0; key < 16; ++key) hidutil.mapping.push_back({0x700000004 + key, escape});
    hidutil.mapping.back() = {capsLock, escape};
    EXPECT_TRUE(remapper.apply());
    EXPECT_TRUE(remapper.revert());

    hidutil.mapping.push_back({capsLock, escape});
    hidutil.mapping.push_back({0x700000050, escape});
    hidutil.sets.clear();
    EXPECT_FALSE(remapper.apply());
    EXPECT_FALSE(remapper.revert());
    EXPECT_TRUE(hidutil.sets.empty());
    EXPECT_TRUE(logs.contains(
        "CapsLockRemapper: apply() ABORTED — 17 existing entries on the matched keyboards, expected at most 16. "
        "Refusing to touch a mapping table this large; investigate manually with `hidutil property --matching "
        "'{\"PrimaryUsagePage\":1,\"PrimaryUsage\":6}' --get UserKeyMapping`."));
    EXPECT_TRUE(logs.contains("CapsLockRemapper: revert() ABORTED — 17 existing entries"));
}

TEST_F(CapsLockRemapperTest, FailuresAreLoggedAndReportedFalse) {
    struct Case {
        const char* name;
        void (*setUp)(FakeHidutil&);
        const char* applyLog;
    };
    const std::vector<Case> cases{
        {"missing utility", [](FakeHidutil& fake) { fake.present = false; },
         "CapsLockRemapper: /usr/bin/hidutil not found/executable — skipping"},
        {"launch fails", [](FakeHidutil& fake) { fake.launches = false; },
         "CapsLockRemapper: hidutil spawn failed: launch refused"},
        {"set fails", [](FakeHidutil& fake) { fake.setSucceeds = false; },
         "CapsLockRemapper: apply() — hidutil --set failed"},
        {"set has no effect", [](FakeHidutil& fake) { fake.applySets = false; },
         "CapsLockRemapper: apply() — write succeeded but read-back did not confirm the mapping"},
    };
    for (const auto& testCase : cases) {
        platform::ScopedLogCapture captured;
        FakeHidutil fake;
        testCase.setUp(fake);
        CapsLockRemapper subject(std::make_shared<HidutilMappingStore>(fake));
        EXPECT_FALSE(subject.apply()) << testCase.name;
        EXPECT_TRUE(captured.contains(testCase.applyLog)) << testCase.name;
    }
}

TEST(HidutilMappingStoreTest, ParsesValuesInHexadecimalAndDecimal) {
    const std::vector<std::pair<std::string, std::optional<std::uint64_t>>> cases{
        {"HIDKeyboardModifierMappingSrc = 0x700000039;", 30064771129},
        {"HIDKeyboardModifierMappingSrc = 30064771129;", 30064771129},
        {"HIDKeyboardModifierMappingSrc=0X70000006e", 0x70000006E},
        {"HIDKeyboardModifierMappingSrc 30064771129", std::nullopt},
        {"HIDKeyboardModifierMappingSrc = ;", std::nullopt},
        {"HIDKeyboardModifierMappingSrc = 0x;", std::nullopt},
        {"HIDKeyboardModifierMappingSrc = -1;", std::nullopt},
        {"HIDKeyboardModifierMappingSrc = 12abc;", std::nullopt},
        {"HIDKeyboardModifierMappingSrc = 99999999999999999999999;", std::nullopt},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(HidutilMappingStore::parseValue(line), expected) << line;
}

TEST(HidutilMappingStoreTest, PairsHalvesWithinOneKeyboardOnly) {
    const std::string output = "RegistryID 1\n"
                               "\tHIDKeyboardModifierMappingDst = 30064771182;\n"
                               "\tHIDKeyboardModifierMappingSrc = 0x700000039;\n"
                               "\tHIDKeyboardModifierMappingSrc = 0x700000004;\n"
                               "RegistryID 2\n"
                               "\tHIDKeyboardModifierMappingDst = 30064771113;\n"
                               "\tHIDKeyboardModifierMappingSrc without value\n"
                               "\tHIDKeyboardModifierMappingSrc = 0x700000039;\n";
    EXPECT_EQ(HidutilMappingStore::parseMapping(output),
              (std::vector<KeyMappingEntry>{{capsLock, f19}, {capsLock, escape}}));
}

} // namespace
