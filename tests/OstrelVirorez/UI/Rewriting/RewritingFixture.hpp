#pragma once
// A settings store in a temporary folder with stand-ins for the keychain, the
// on-device language model and the desktop's applications, for the rewriting
// tab's models and widgets.

#include "OstrelVirorez/Claude/RewritingProfileStore.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Rewriting/AppCatalog.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "Platform/Keychain/Keychain.hpp"
#include "Platform/Keychain/KeychainError.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace ostrelvirorez::testing::rewritingtab {

class MemoryKeychain final : public platform::Keychain {
public:
    bool failReads = false;
    bool failWrites = false;
    std::map<std::pair<std::string, std::string>, std::string> items;

    std::optional<std::string> password(const std::string& service, const std::string& account) override {
        if (failReads) throw platform::KeychainError(platform::KeychainErrorKind::accessFailed, "locked");
        const auto found = items.find({service, account});
        if (found == items.end()) return std::nullopt;
        return found->second;
    }
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override {
        if (failWrites) throw platform::KeychainError(platform::KeychainErrorKind::accessFailed, "refused");
        items[{service, account}] = value;
    }
    bool removePassword(const std::string& service, const std::string& account) override {
        return items.erase({service, account}) > 0;
    }
};

class FakeLanguageModel final : public SystemLanguageModel {
public:
    bool available = false;
    bool isAvailable() const override { return available; }
    std::unique_ptr<LanguageModelSession> makeSession(const std::string&) override { return nullptr; }
};

class FakeAppCatalog final : public AppCatalog {
public:
    std::vector<AppInfo> running;
    std::vector<AppInfo> installed;
    std::map<std::string, std::string> icons;
    std::vector<std::string> queries;
    int runningReads = 0;

    std::vector<AppInfo> runningApps() override {
        ++runningReads;
        return running;
    }
    // Installed apps whose name or id contains the query exactly as given.
    std::vector<AppInfo> installedApps(const std::string& query) override {
        queries.push_back(query);
        std::vector<AppInfo> found;
        for (const auto& app : installed) {
            if (app.displayName.find(query) != std::string::npos ||
                app.bundleIdentifier.find(query) != std::string::npos) {
                found.push_back(app);
            }
        }
        return found;
    }
    std::optional<std::string> icon(const std::string& bundleIdentifier) override {
        const auto found = icons.find(bundleIdentifier);
        if (found == icons.end()) return std::nullopt;
        return found->second;
    }
};

class RewritingFixture : public ::testing::Test {
protected:
    static constexpr const char* apiKeyAccount = "claudeAPIKey";
    static constexpr const char* service = "zar.zozorudirozo.OstrelVirorez";

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    MemoryKeychain keychain;
    FakeLanguageModel onDeviceModel;
    FakeAppCatalog catalog;

    static RewritingProfile profileNamed(std::string name, std::vector<AppInfo> apps = {}, bool isDefault = false) {
        RewritingProfile profile;
        profile.name = std::move(name);
        profile.icon = "doc.text";
        profile.assignedApps = std::move(apps);
        profile.isDefault = isDefault;
        return profile;
    }
    // Stores `profiles` and returns them.
    std::vector<RewritingProfile> storeProfiles(std::vector<RewritingProfile> profiles) {
        settings.setRewritingProfiles(profiles);
        return profiles;
    }
    // The list as stored under "rewritingProfiles", read afresh.
    std::vector<RewritingProfile> storedProfiles() {
        EXPECT_TRUE(defaults.contains("rewritingProfiles"));
        RewritingProfileStore store(defaults);
        return store.rewritingProfiles();
    }
    std::optional<std::string> storedKey() {
        const auto found = keychain.items.find({service, apiKeyAccount});
        if (found == keychain.items.end()) return std::nullopt;
        return found->second;
    }
};

} // namespace ostrelvirorez::testing::rewritingtab
