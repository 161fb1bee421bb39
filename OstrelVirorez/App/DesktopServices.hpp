#pragma once
// Builds the application state's services over the Linux desktop: the sound
// server (recorder, devices, sounds, volume), the X session (hotkeys, Caps
// Lock, target application, paste, correction watch), the rewriters, the
// engine manager and the stores. The user interface's pieces are made by the
// caller and passed in. Every backend copes with a missing display or sound
// server on its own, so building never fails for want of either.

#include "OstrelVirorez/App/AppState.hpp"
// Every type the services own is complete here, so that the caller can
// destroy what it receives (moved-from or not).
#include "OstrelVirorez/App/ClipboardAccessing.hpp"
#include "OstrelVirorez/Claude/TextRewriting.hpp"
#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Input/CorrectionWatchEnvironment.hpp"
#include "OstrelVirorez/Model/DictationHistoryStore.hpp"
#include "OstrelVirorez/Model/DictionaryService.hpp"
#include "OstrelVirorez/Model/SnippetService.hpp"

#include <memory>

namespace ostrelvirorez {

struct DesktopServices {
    // The pieces of the user interface.
    struct UserInterface {
        std::unique_ptr<IndicatorCoordinating> indicatorCoordinator;
        std::unique_ptr<StatusItemControlling> statusBarController;
        std::unique_ptr<SettingsWindowOpening> settingsWindow;
        std::unique_ptr<ActivationPolicySetting> activationPolicy;
    };

    // Where the services run and keep their settings and secrets; each must
    // outlive the application state.
    struct Context {
        platform::MainQueue& mainQueue;
        Executor executor;
        AppSettings& settings;
        platform::Keychain& keychain;
        // Where the engine manager gets its engines; tests pass scripted ones.
        EngineFactory makeEngine = defaultEngineFactory();
    };

    // Over AppSettings::shared(), platform::Keychain::standard() and the shared thread pool.
    static AppState::Services make(platform::MainQueue& mainQueue, UserInterface userInterface);
    static AppState::Services make(Context context, UserInterface userInterface);
};

} // namespace ostrelvirorez
