#pragma once
// The General tab of the settings window: one scrolling column of eight
// cards (speech engine, microphone, indicator, audio, smart formatting,
// appearance, system, diagnostics), each drawn from its own model and bound
// straight to the settings.

#include "OstrelVirorez/UI/General/GeneralSettingsDesktop.hpp"

#include <QScrollArea>

#include <memory>

namespace ostrelvirorez {

class AppSettings;
class AppState;
class AppearanceSection;
class AudioSection;
class DiagnosticsSection;
class IndicatorSection;
class MicrophoneSection;
class SmartFormattingSection;
class SpeechEngineSection;
class SystemSection;

class GeneralSettingsView final : public QScrollArea {
public:
    // With the application's desktop: its permissions, hotkey manager and
    // device list, the default notification centre, the user's autostart
    // folder, and quitting through the event loop.
    GeneralSettingsView(AppSettings& settings, AppState& appState, QWidget* parent = nullptr);
    GeneralSettingsView(AppSettings& settings, AppState& appState, GeneralSettingsDesktop desktop,
                        QWidget* parent = nullptr);
    ~GeneralSettingsView() override;

    SpeechEngineSection& speechEngine() const { return *speechEngine_; }
    MicrophoneSection& microphone() const { return *microphone_; }
    IndicatorSection& indicator() const { return *indicator_; }
    AudioSection& audio() const { return *audio_; }
    SmartFormattingSection& smartFormatting() const { return *smartFormatting_; }
    AppearanceSection& appearance() const { return *appearance_; }
    SystemSection& system() const { return *system_; }
    DiagnosticsSection& diagnostics() const { return *diagnostics_; }

private:
    struct OwnDesktop;
    struct Models;

    GeneralSettingsView(AppSettings& settings, AppState& appState, std::unique_ptr<OwnDesktop> own,
                        QWidget* parent);
    void build(AppSettings& settings, AppState& appState, const GeneralSettingsDesktop& desktop);

    std::unique_ptr<OwnDesktop> own_;
    std::unique_ptr<Models> models_;
    SpeechEngineSection* speechEngine_ = nullptr;
    MicrophoneSection* microphone_ = nullptr;
    IndicatorSection* indicator_ = nullptr;
    AudioSection* audio_ = nullptr;
    SmartFormattingSection* smartFormatting_ = nullptr;
    AppearanceSection* appearance_ = nullptr;
    SystemSection* system_ = nullptr;
    DiagnosticsSection* diagnostics_ = nullptr;
};

} // namespace ostrelvirorez
