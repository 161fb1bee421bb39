#pragma once
// An application state over fakes, a settings store in a temporary folder, a
// real engine manager with scripted engines, and a main queue in virtual time.

#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"
#include "tests/OstrelVirorez/State/StateTestSupport.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace ostrelvirorez::testing {

class AppStateFixture : public ::testing::Test {
protected:
    AppStateFixture();
    ~AppStateFixture() override;
    void letGo();

    // Makes the state, lets `arrange` adjust the fakes, then runs the set-up
    // and the start-up engine load. A state launched before is let go first.
    void launch(const std::function<void()>& arrange = {});
    void runUntilIdle() { queue.runUntilIdle(); }
    void advance(std::chrono::milliseconds by) { queue.advance(by); }

    // A key of `mode` goes down / comes up, as the hotkey listener reports it.
    void press(DictationMode mode);
    void release();
    void upgrade(DictationMode mode);
    // Press, release, and let everything that follows at once run.
    void dictate(DictationMode mode);

    std::vector<DictationState> recordedStates() const { return states; }
    std::vector<DictationHistoryEntry> history() const;
    // Stores the key in the keychain; a launched state learns of it as it
    // would from the settings window.
    void storeApiKey(const std::string& key);
    // How many log lines contain `fragment`.
    long logCount(const std::string& fragment) const;

    testsupport::TemporaryDirectory folder;
    platform::ManualMainQueue queue;
    TestExecutor work;
    mutable platform::ScopedLogCapture logs;
    platform::UserDefaults defaults;
    AppSettings settings;
    MemoryKeychain keychain;
    // When set before launch, the keychain the state uses instead; it must
    // outlive the state.
    platform::Keychain* keychainInUse = nullptr;
    std::shared_ptr<EngineScript> engines = std::make_shared<EngineScript>();

    // Owned by the state once launched; pointers stay valid as long as it lives.
    FakeRecorder* recorder = nullptr;
    FakeSoundPlayer* sounds = nullptr;
    FakeHotkeys* hotkeys = nullptr;
    FakeCapsLock* capsLock = nullptr;
    FakeDetector* detector = nullptr;
    FakeInjector* injector = nullptr;
    FakeMedia* media = nullptr;
    FakeRewriter* claudeRewriter = nullptr;
    FakeRewriter* localRewriter = nullptr;
    FakeIndicator* indicator = nullptr;
    FakeDevices* devices = nullptr;
    FakeStatusItem* statusItem = nullptr;
    FakePermissions* permissions = nullptr;
    FakeSettingsWindow* settingsWindow = nullptr;
    FakeActivationPolicy* activationPolicy = nullptr;
    FakeClipboard* clipboard = nullptr;
    FakeCorrectionEnvironment* correctionEnvironment = nullptr;

    // When set before launch, makes the status item the state shows its
    // symbol on (statusItem then stays null); a fake otherwise.
    std::function<std::unique_ptr<StatusItemControlling>()> makeStatusItem;
    // When set before launch, the history is kept in this file and waits for
    // no lock; in memory otherwise.
    std::optional<std::filesystem::path> historyFile;

    std::shared_ptr<AppState> appState;
    std::vector<DictationState> states;
    std::vector<platform::Connection> observers;

private:
    AppState::Services makeServices();
};

} // namespace ostrelvirorez::testing
