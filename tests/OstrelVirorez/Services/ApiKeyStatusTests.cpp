#include "OstrelVirorez/Services/ApiKeyStatus.hpp"

#include "OstrelVirorez/App/GrantedPermissions.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "OstrelVirorez/Services/SystemDiagnosticsSources.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "Platform/Keychain/KeychainError.hpp"
#include "tests/OstrelVirorez/Services/SharedSecretService.hpp"
#include "tests/Support/TemporaryDirectory.hpp"
#include "tests/Support/TestHost.hpp"

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
#include "Platform/Keychain/SecretServiceKeychain.hpp"

#include <libsecret/secret.h>
#endif

#include <gtest/gtest.h>

#include <csignal>
#include <chrono>
#include <deque>
#include <map>
#include <thread>

namespace ostrelvirorez {
namespace {

using Presence = ApiKeyStatus::Presence;

// A keychain that answers from memory, counting reads, or fails.
class CountingKeychain final : public platform::Keychain {
public:
    std::optional<std::string> password(const std::string& service, const std::string& account) override {
        ++reads;
        if (failure) throw platform::KeychainError(platform::KeychainErrorKind::accessFailed, *failure);
        const auto found = items.find(service + "/" + account);
        return found == items.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void setPassword(const std::string& service, const std::string& account, const std::string& value) override {
        items[service + "/" + account] = value;
    }
    bool removePassword(const std::string& service, const std::string& account) override {
        return items.erase(service + "/" + account) > 0;
    }

    std::map<std::string, std::string> items;
    std::optional<std::string> failure;
    int reads = 0;
};

class ApiKeyStatusTest : public ::testing::Test {
protected:
    Executor held() {
        return [this](std::function<void()> task) { work.push_back(std::move(task)); };
    }
    void runWork() {
        while (!work.empty()) {
            auto task = std::move(work.front());
            work.pop_front();
            task();
        }
    }

    CountingKeychain keychain;
    platform::ManualMainQueue queue;
    std::deque<std::function<void()>> work;
    std::shared_ptr<ApiKeyStatus> status = ApiKeyStatus::make(keychain, KeychainHelper::apiKeyName, queue, held());
    int announcements = 0;
    platform::Connection watch = status->changed().connect([this] { ++announcements; });
};

TEST_F(ApiKeyStatusTest, ReadsOffTheMainQueueAndIsUnknownUntilTheAnswerArrives) {
    keychain.setPassword(KeychainHelper::service, KeychainHelper::apiKeyName, "sk-test");
    status->refresh();
    EXPECT_EQ(keychain.reads, 0);
    EXPECT_EQ(status->presence(), Presence::unknown);

    runWork();
    EXPECT_EQ(keychain.reads, 1);
    EXPECT_EQ(status->presence(), Presence::unknown);
    queue.runUntilIdle();
    EXPECT_EQ(status->presence(), Presence::configured);
    EXPECT_EQ(status->key(), "sk-test");
    EXPECT_EQ(announcements, 1);

    struct Case {
        const char* name;
        std::optional<std::string> stored;
        Presence expected;
    };
    for (const auto& [name, stored, expected] : {Case{"removed", std::nullopt, Presence::missing},
                                                 Case{"empty", std::string(), Presence::missing},
                                                 Case{"stored again", std::string("sk-2"), Presence::configured}}) {
        keychain.items.clear();
        if (stored) keychain.setPassword(KeychainHelper::service, KeychainHelper::apiKeyName, *stored);
        status->refresh();
        runWork();
        queue.runUntilIdle();
        EXPECT_EQ(status->presence(), expected) << name;
        EXPECT_EQ(status->key().has_value(), expected == Presence::configured) << name;
    }
}

TEST_F(ApiKeyStatusTest, AKeychainThatFailsLeavesTheStatusUnknownAndSaysSo) {
    const platform::ScopedLogCapture log;
    status->stored(std::string("sk-known"));
    keychain.failure = "Secret Service: Timeout was reached";
    status->refresh();
    runWork();
    queue.runUntilIdle();
    EXPECT_EQ(status->presence(), Presence::unknown);
    EXPECT_EQ(status->key(), std::nullopt);
    EXPECT_TRUE(log.contains("the keychain cannot be read: Secret Service: Timeout was reached"));
}

// However often the window asks while a read is out, one more read follows.
TEST_F(ApiKeyStatusTest, RefreshesAskedForDuringAReadMakeOneMoreRead) {
    status->refresh();
    status->refresh();
    status->refresh();
    runWork();
    queue.runUntilIdle();
    EXPECT_EQ(keychain.reads, 1);
    runWork();
    queue.runUntilIdle();
    EXPECT_EQ(keychain.reads, 2);
    runWork();
    EXPECT_EQ(keychain.reads, 2);
    EXPECT_EQ(status->presence(), Presence::missing);
}

// The key is written off the main queue; a read that set out before the
// write but answers after it is stale and does not undo the written key.
TEST_F(ApiKeyStatusTest, AWrittenKeyWinsOverAReadThatWasOutMeanwhile) {
    keychain.setPassword(KeychainHelper::service, KeychainHelper::apiKeyName, "sk-old");
    status->refresh();
    std::optional<bool> written;
    status->store("sk-new", [&written](bool ok) { written = ok; });
    ASSERT_EQ(work.size(), 2u);
    auto read = std::move(work.front());
    auto write = std::move(work.back());
    work.clear();
    write();
    EXPECT_EQ(keychain.items.begin()->second, "sk-new");
    // The read got its answer from the service before the write reached it.
    keychain.items.begin()->second = "sk-old";
    read();
    queue.runUntilIdle();
    EXPECT_EQ(written, true);
    EXPECT_EQ(status->key(), "sk-new");
    EXPECT_EQ(status->presence(), Presence::configured);
}

TEST_F(ApiKeyStatusTest, AKeyStoredHereIsKnownWithoutAskingTheKeychain) {
    status->stored(std::string("sk-saved"));
    EXPECT_EQ(status->presence(), Presence::configured);
    EXPECT_EQ(status->key(), "sk-saved");
    status->stored(std::string("sk-saved"));
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(keychain.reads, 0);
}

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET

// The real Secret Service stops answering (stopped, as a hung daemon would
// be): the main queue goes on, the diagnostics say "unbekannt", and once the
// service answers again the status follows.
TEST(ApiKeyStatusSecretServiceTest, AServiceThatStopsAnsweringNeverHoldsUpTheMainQueue) {
    auto& service = testing::sharedSecretService();
    REQUIRE_TEST_HOST(service.running(), service.failure());
    platform::SecretServiceKeychain keychain;
    keychain.setPassword(KeychainHelper::service, KeychainHelper::apiKeyName, "sk-live");

    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults(folder / "defaults.json");
    AppSettings settings(defaults);
    const GrantedPermissions permissions{};
    platform::ManualMainQueue queue;
    std::vector<std::jthread> workers;
    {
        const auto status = ApiKeyStatus::make(keychain, KeychainHelper::apiKeyName, queue,
                                               [&workers](std::function<void()> task) { workers.emplace_back(task); });
        const SystemDiagnosticsSources sources(permissions, *status);

        ASSERT_EQ(::kill(service.daemonProcess(), SIGSTOP), 0);
        status->refresh();
        queue.runUntilIdle();
        EXPECT_EQ(status->presence(), Presence::unknown);
        const auto text = FeedbackService::sammeleDiagnose(settings, sources);
        EXPECT_TRUE(text.ends_with("Claude API-Key: unbekannt")) << text;
        // Saving a key waits for the service off the main queue too.
        std::optional<bool> written;
        status->store("sk-new", [&written](bool ok) { written = ok; });
        queue.runUntilIdle();
        EXPECT_EQ(written, std::nullopt);

        ASSERT_EQ(::kill(service.daemonProcess(), SIGCONT), 0);
        // A bounded wait for the host to answer, not a timing assumption.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while ((status->presence() == Presence::unknown || !written) && std::chrono::steady_clock::now() < deadline) {
            queue.runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(written, true);
        // The read that was out while the key was written does not undo it.
        EXPECT_EQ(status->key(), "sk-new");
        EXPECT_EQ(keychain.password(KeychainHelper::service, KeychainHelper::apiKeyName), "sk-new");
        EXPECT_EQ(status->presence(), Presence::configured);
        EXPECT_TRUE(FeedbackService::sammeleDiagnose(settings, sources).ends_with("Claude API-Key: konfiguriert"));
        workers.clear();
    }
    secret_service_disconnect();
}

#endif

} // namespace
} // namespace ostrelvirorez
