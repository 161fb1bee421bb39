#include "OstrelVirorez/App/DesktopServices.hpp"

#include "OstrelVirorez/App/GrantedPermissions.hpp"
#include "OstrelVirorez/App/SettingsBoundRewriter.hpp"
#include "OstrelVirorez/App/SystemClipboard.hpp"
#include "OstrelVirorez/Audio/AudioDeviceManager.hpp"
#include "OstrelVirorez/Audio/AudioRecorder.hpp"
#include "OstrelVirorez/Audio/MediaController.hpp"
#include "OstrelVirorez/Audio/SoundPlayer.hpp"
#include "OstrelVirorez/Claude/ClaudeRewriter.hpp"
#include "OstrelVirorez/Claude/Cld2LanguageRecognizer.hpp"
#include "OstrelVirorez/Claude/LocalRewriter.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Input/CapsLockRemapper.hpp"
#include "OstrelVirorez/Input/DesktopCorrectionWatchEnvironment.hpp"
#include "OstrelVirorez/Input/HotkeyManager.hpp"
#include "OstrelVirorez/Input/SystemKeyEventTap.hpp"
#include "OstrelVirorez/Input/TargetAppDetector.hpp"
#include "OstrelVirorez/Input/TextInjector.hpp"
#include "OstrelVirorez/Input/XKeyboardMappingStore.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "Platform/Keychain/Keychain.hpp"

namespace ostrelvirorez {
namespace {

std::unique_ptr<TextRewriting> makeClaudeRewriter(AppSettings& settings, platform::Keychain& keychain) {
    return std::make_unique<SettingsBoundRewriter>(settings, [&keychain](RewritingSettings& view) {
        return std::make_unique<ClaudeRewriter>(
            ClaudeRewriter::Services{view, platform::HttpClient::shared(), keychain, Cld2LanguageRecognizer::shared()},
            ClaudeRewriter::defaultBaseURL, KeychainHelper::apiKeyName);
    });
}

std::unique_ptr<TextRewriting> makeLocalRewriter(AppSettings& settings) {
    return std::make_unique<SettingsBoundRewriter>(settings, [](RewritingSettings& view) {
        return std::make_unique<LocalRewriter>(view, SystemLanguageModel::unavailable(),
                                               Cld2LanguageRecognizer::shared());
    });
}

std::unique_ptr<SnippetService> makeSnippetService(platform::UserDefaults& defaults) {
    return std::make_unique<SnippetService>(
        defaults, [] { return SystemClipboard().readText(); }, [] { return std::chrono::system_clock::now(); });
}

} // namespace

AppState::Services DesktopServices::make(platform::MainQueue& mainQueue, UserInterface userInterface) {
    return make(Context{mainQueue, sharedPoolExecutor(), AppSettings::shared(), platform::Keychain::standard()},
                std::move(userInterface));
}

// The desktop services are made in the order the application state lists
// them; the user interface's pieces were made by the caller before.
AppState::Services DesktopServices::make(Context context, UserInterface userInterface) {
    platform::MainQueue& mainQueue = context.mainQueue;
    AppSettings& settings = context.settings;
    auto audioRecorder = std::make_unique<AudioRecorder>();
    auto soundPlayer = SoundPlayer::withGeneratedSounds();
    auto hotkeyManager = std::make_unique<HotkeyManager>(mainQueue, makeSystemKeyEventTap(mainQueue));
    auto capsLockRemapper = std::make_unique<CapsLockRemapper>(std::make_shared<XKeyboardMappingStore>());
    auto targetAppDetector = std::make_unique<TargetAppDetector>();
    auto textInjector = std::make_unique<TextInjector>(mainQueue);
    auto mediaController = std::make_unique<MediaController>();
    auto claudeRewriter = makeClaudeRewriter(settings, context.keychain);
    auto localRewriter = makeLocalRewriter(settings);
    auto engineManager = std::make_unique<EngineManager>(mainQueue, std::move(context.makeEngine));
    auto audioDeviceManager = std::make_unique<AudioDeviceManager>(mainQueue);
    auto dictionaryService = std::make_unique<DictionaryService>(settings.userDefaults());
    auto snippetService = makeSnippetService(settings.userDefaults());
    auto dictationHistoryStore = std::make_unique<DictationHistoryStore>(false);
    auto correctionWatchEnvironment =
        std::make_unique<DesktopCorrectionWatchEnvironment>(mainQueue, *targetAppDetector, *hotkeyManager);
    return AppState::Services{
        .mainQueue = mainQueue,
        .executor = std::move(context.executor),
        .settings = settings,
        .keychain = context.keychain,
        .applicationSupportFolder = platform::files::dataHome(),
        .audioRecorder = std::move(audioRecorder),
        .soundPlayer = std::move(soundPlayer),
        .hotkeyManager = std::move(hotkeyManager),
        .capsLockRemapper = std::move(capsLockRemapper),
        .targetAppDetector = std::move(targetAppDetector),
        .textInjector = std::move(textInjector),
        .mediaController = std::move(mediaController),
        .claudeRewriter = std::move(claudeRewriter),
        .claudeKeychainKey = KeychainHelper::apiKeyName,
        .localRewriter = std::move(localRewriter),
        .indicatorCoordinator = std::move(userInterface.indicatorCoordinator),
        .engineManager = std::move(engineManager),
        .audioDeviceManager = std::move(audioDeviceManager),
        .dictionaryService = std::move(dictionaryService),
        .snippetService = std::move(snippetService),
        .dictationHistoryStore = std::move(dictationHistoryStore),
        .statusBarController = std::move(userInterface.statusBarController),
        .permissions = std::make_unique<GrantedPermissions>(),
        .settingsWindow = std::move(userInterface.settingsWindow),
        .activationPolicy = std::move(userInterface.activationPolicy),
        .clipboard = std::make_unique<SystemClipboard>(),
        .correctionWatchEnvironment = std::move(correctionWatchEnvironment),
    };
}

} // namespace ostrelvirorez
