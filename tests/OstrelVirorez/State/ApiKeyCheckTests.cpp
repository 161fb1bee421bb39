// The API-key check of a key press in a rewriting mode with the hosted
// provider: decided on what the keychain last answered, never by asking the
// keychain on the main queue.

#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Services/ApiKeyStatus.hpp"
#include "tests/OstrelVirorez/Services/SharedSecretService.hpp"
#include "tests/Support/TestHost.hpp"

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET
#include "Platform/Keychain/SecretServiceKeychain.hpp"

#include <libsecret/secret.h>
#endif

#include <csignal>

namespace ostrelvirorez::testing {
namespace {

using Presence = ApiKeyStatus::Presence;

class ApiKeyCheckTest : public AppStateFixture {};

// What the keychain answered last decides; each press asks again, off the
// main queue, so that the next press follows a change made elsewhere.
TEST_F(ApiKeyCheckTest, APressFollowsTheLastAnswerAndAsksAgainOffTheMainQueue) {
    struct Case {
        const char* name;
        std::optional<std::string> storedBeforeLaunch;
        bool answered;
        bool starts;
    };
    const Case cases[] = {
        {"key stored", std::string("sk-test"), true, true},
        {"no key", std::nullopt, true, false},
        {"empty key", std::string(), true, false},
        // Not known yet: starting is the only answer that does not wait.
        {"no answer yet", std::nullopt, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keychain.items.clear();
        if (c.storedBeforeLaunch) storeApiKey(*c.storedBeforeLaunch);
        work.holdWork();
        launch();
        if (c.answered) work.runAll();
        runUntilIdle();
        const auto pendingBefore = work.pendingCount();

        press(DictationMode::claude);
        if (c.starts) {
            EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::claude));
            EXPECT_TRUE(recorder->recording);
        } else {
            EXPECT_EQ(appState->state.get(), DictationState::error("API Key missing"));
            EXPECT_FALSE(recorder->recording);
        }
        // Answered: the press asks again; not answered: the first read is still out.
        if (c.answered) {
            EXPECT_GT(work.pendingCount(), pendingBefore) << "the press asks again, off the main queue";
        }
        EXPECT_GE(work.pendingCount(), 1u);
        letGo();
        work.runAll();
    }
}

// A key stored after a refused press counts from the next press on.
TEST_F(ApiKeyCheckTest, AKeyStoredElsewhereCountsFromTheNextPress) {
    storeApiKey("");
    launch();
    press(DictationMode::claude);
    EXPECT_EQ(appState->state.get(), DictationState::error("API Key missing"));
    advance(std::chrono::milliseconds(1500));
    KeychainHelper::save(KeychainHelper::apiKeyName, "sk-later", keychain);
    press(DictationMode::claude);
    EXPECT_EQ(appState->state.get(), DictationState::error("API Key missing"));
    advance(std::chrono::milliseconds(1500));
    press(DictationMode::claude);
    EXPECT_EQ(appState->state.get(), DictationState::recording(DictationMode::claude));
}

#ifdef PLATFORM_KEYCHAIN_HAS_LIBSECRET

// The real Secret Service stops answering (stopped, as a hung daemon would
// be): the key press still starts the recording at once.
TEST_F(ApiKeyCheckTest, APressNeverWaitsForAStoppedSecretService) {
    auto& service = sharedSecretService();
    REQUIRE_TEST_HOST(service.running(), service.failure());
    {
        platform::SecretServiceKeychain secretService;
        secretService.setPassword(KeychainHelper::service, KeychainHelper::apiKeyName, "sk-live");
        keychainInUse = &secretService;
        work.holdWork();
        launch();
        work.runAll();
        runUntilIdle();
        ASSERT_EQ(appState->apiKeyStatus().presence(), Presence::configured);

        ASSERT_EQ(::kill(service.daemonProcess(), SIGSTOP), 0);
        press(DictationMode::claude);
        const auto state = appState->state.get();
        const bool recording = recorder->recording;
        ASSERT_EQ(::kill(service.daemonProcess(), SIGCONT), 0);
        EXPECT_EQ(state, DictationState::recording(DictationMode::claude));
        EXPECT_TRUE(recording);

        letGo();
        work.runAll();
        runUntilIdle();
        keychainInUse = nullptr;
    }
    secret_service_disconnect();
}

#endif

} // namespace
} // namespace ostrelvirorez::testing
