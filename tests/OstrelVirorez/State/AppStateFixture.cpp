#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Services/ApiKeyStatus.hpp"

#include <algorithm>

namespace ostrelvirorez::testing {

AppStateFixture::AppStateFixture() : defaults(folder / "defaults.json"), settings(defaults) {
    settings.setOnboardingCompleted(true);
    settings.setSelectedEngine(EngineType::parakeet);
    settings.setSmartCapitalization(false);
    settings.setSmartParagraphs(false);
    settings.setSpokenPunctuationEnabled(false);
    settings.setPreferredLanguage("en");
    storeApiKey("sk-test");
}

AppStateFixture::~AppStateFixture() {
    letGo();
}

void AppStateFixture::letGo() {
    if (!appState) return;
    // Pending returns to idle hold the state; let them run so it is released.
    work.runAll();
    queue.advance(std::chrono::seconds(5));
    work.runAll();
    queue.runUntilIdle();
    observers.clear();
    states.clear();
    appState.reset();
}

long AppStateFixture::logCount(const std::string& fragment) const {
    const auto lines = logs.sink().messages();
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

void AppStateFixture::storeApiKey(const std::string& key) {
    KeychainHelper::save(KeychainHelper::apiKeyName, key, keychain);
    if (appState) appState->apiKeyStatus().stored(key);
}

AppState::Services AppStateFixture::makeServices() {
    auto make = [](auto*& pointer, auto unique) {
        pointer = unique.get();
        return unique;
    };
    return AppState::Services{
        .mainQueue = queue,
        .executor = work.executor(),
        .settings = settings,
        .keychain = keychainInUse ? *keychainInUse : keychain,
        .applicationSupportFolder = folder.path(),
        .audioRecorder = make(recorder, std::make_unique<FakeRecorder>()),
        .soundPlayer = make(sounds, std::make_unique<FakeSoundPlayer>()),
        .hotkeyManager = make(hotkeys, std::make_unique<FakeHotkeys>()),
        .capsLockRemapper = make(capsLock, std::make_unique<FakeCapsLock>()),
        .targetAppDetector = make(detector, std::make_unique<FakeDetector>()),
        .textInjector = make(injector, std::make_unique<FakeInjector>()),
        .mediaController = make(media, std::make_unique<FakeMedia>()),
        .claudeRewriter = make(claudeRewriter, std::make_unique<FakeRewriter>()),
        .claudeKeychainKey = KeychainHelper::apiKeyName,
        .localRewriter = make(localRewriter, std::make_unique<FakeRewriter>()),
        .indicatorCoordinator = make(indicator, std::make_unique<FakeIndicator>()),
        .engineManager = std::make_unique<EngineManager>(queue, scriptedEngineFactory(engines)),
        .audioDeviceManager = make(devices, std::make_unique<FakeDevices>()),
        .dictionaryService = std::make_unique<DictionaryService>(defaults),
        .snippetService = std::make_unique<SnippetService>(
            defaults, [] { return std::optional<std::string>(); }, [] { return std::chrono::system_clock::now(); }),
        .dictationHistoryStore = std::make_unique<DictationHistoryStore>(
            !historyFile, historyFile.value_or(folder / "history.sqlite"),
            [] { return std::chrono::system_clock::now(); }, std::chrono::milliseconds(0)),
        .statusBarController = makeStatusItem ? makeStatusItem()
                                              : std::unique_ptr<StatusItemControlling>(
                                                    make(statusItem, std::make_unique<FakeStatusItem>())),
        .permissions = make(permissions, std::make_unique<FakePermissions>()),
        .settingsWindow = make(settingsWindow, std::make_unique<FakeSettingsWindow>()),
        .activationPolicy = make(activationPolicy, std::make_unique<FakeActivationPolicy>()),
        .clipboard = make(clipboard, std::make_unique<FakeClipboard>()),
        .correctionWatchEnvironment = make(correctionEnvironment, std::make_unique<FakeCorrectionEnvironment>()),
    };
}

void AppStateFixture::launch(const std::function<void()>& arrange) {
    letGo();
    appState = AppState::make(makeServices());
    if (arrange) arrange();
    observers.push_back(appState->state.observe([this](const DictationState& value) { states.push_back(value); }));
    queue.runUntilIdle();
}

void AppStateFixture::press(DictationMode mode) {
    hotkeys->onStart(mode);
    queue.runUntilIdle();
}

void AppStateFixture::release() {
    hotkeys->onStop();
    queue.runUntilIdle();
}

void AppStateFixture::upgrade(DictationMode mode) {
    hotkeys->onUpgrade(mode);
    queue.runUntilIdle();
}

void AppStateFixture::dictate(DictationMode mode) {
    press(mode);
    release();
}

std::vector<DictationHistoryEntry> AppStateFixture::history() const {
    return appState->dictationHistoryStore().container().entriesNewestFirst();
}

} // namespace ostrelvirorez::testing
