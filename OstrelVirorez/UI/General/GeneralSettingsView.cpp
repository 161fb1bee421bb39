#include "OstrelVirorez/UI/General/GeneralSettingsView.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/App/GrantedPermissions.hpp"
#include "OstrelVirorez/Audio/AudioDeviceManager.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/UI/General/AppearanceModel.hpp"
#include "OstrelVirorez/UI/General/AppearanceSection.hpp"
#include "OstrelVirorez/UI/General/AudioSection.hpp"
#include "OstrelVirorez/UI/General/AudioSectionModel.hpp"
#include "OstrelVirorez/UI/General/AutostartEntry.hpp"
#include "OstrelVirorez/UI/General/DiagnosticsModel.hpp"
#include "OstrelVirorez/UI/General/DiagnosticsSection.hpp"
#include "OstrelVirorez/UI/General/HotkeyTapStatus.hpp"
#include "OstrelVirorez/UI/General/IndicatorSection.hpp"
#include "OstrelVirorez/UI/General/IndicatorSectionModel.hpp"
#include "OstrelVirorez/UI/General/MicrophoneModel.hpp"
#include "OstrelVirorez/UI/General/MicrophoneSection.hpp"
#include "OstrelVirorez/UI/General/SmartFormattingSection.hpp"
#include "OstrelVirorez/UI/General/SpeechEngineModel.hpp"
#include "OstrelVirorez/UI/General/SpeechEngineSection.hpp"
#include "OstrelVirorez/UI/General/SystemSection.hpp"
#include "OstrelVirorez/UI/General/SystemSectionModel.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace ostrelvirorez {

// The desktop objects the window's tab makes for itself.
struct GeneralSettingsView::OwnDesktop {
    GrantedPermissions permissions;
    std::unique_ptr<HotkeyTapStatus> hotkeyTap;
    AutostartEntry autostart = AutostartEntry::forThisProgram();
};

struct GeneralSettingsView::Models {
    std::unique_ptr<SpeechEngineModel> speechEngine;
    std::unique_ptr<MicrophoneModel> microphone;
    std::unique_ptr<IndicatorSectionModel> indicator;
    std::unique_ptr<AudioSectionModel> audio;
    std::unique_ptr<AppearanceModel> appearance;
    std::unique_ptr<SystemSectionModel> system;
    std::unique_ptr<DiagnosticsModel> diagnostics;
};

namespace {

DeviceListSource deviceListOf(AudioDeviceManaging& devices) {
    DeviceListSource source{[&devices] { return devices.inputDevices(); }, {}};
    if (auto* manager = dynamic_cast<AudioDeviceManager*>(&devices)) {
        source.watch = [manager](std::function<void()> changed) {
            return manager->observeInputDevices(
                [changed = std::move(changed)](const std::vector<AudioInputDevice>&) { changed(); });
        };
    }
    return source;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(AppSettings& settings, AppState& appState, QWidget* parent)
    : GeneralSettingsView(settings, appState,
                          std::make_unique<OwnDesktop>(OwnDesktop{{}, HotkeyTapStatus::of(appState.hotkeyManager())}),
                          parent) {}

GeneralSettingsView::GeneralSettingsView(AppSettings& settings, AppState& appState, std::unique_ptr<OwnDesktop> own,
                                         QWidget* parent)
    : QScrollArea(parent), own_(std::move(own)) {
    build(settings, appState,
          GeneralSettingsDesktop{own_->permissions, *own_->hotkeyTap, deviceListOf(appState.audioDeviceManager()),
                                 NotificationCenter::defaultCenter(), &appState.activationPolicy(), own_->autostart,
                                 [] { QCoreApplication::quit(); }});
}

GeneralSettingsView::GeneralSettingsView(AppSettings& settings, AppState& appState, GeneralSettingsDesktop desktop,
                                         QWidget* parent)
    : QScrollArea(parent) {
    build(settings, appState, desktop);
}

GeneralSettingsView::~GeneralSettingsView() {
    // The cards draw from the models: they go first.
    delete takeWidget();
}

void GeneralSettingsView::build(AppSettings& settings, AppState& appState, const GeneralSettingsDesktop& desktop) {
    models_ = std::make_unique<Models>();
    models_->speechEngine = std::make_unique<SpeechEngineModel>(settings, appState.engineManager(),
                                                                [&appState] { appState.loadSelectedEngine(); });
    models_->microphone = std::make_unique<MicrophoneModel>(settings, desktop.devices);
    models_->indicator = std::make_unique<IndicatorSectionModel>(settings);
    models_->audio = std::make_unique<AudioSectionModel>(settings);
    models_->appearance = std::make_unique<AppearanceModel>(settings);
    models_->system = std::make_unique<SystemSectionModel>(
        settings, SystemSectionModel::Desktop{desktop.notifications, desktop.activationPolicy, desktop.autostart,
                                              desktop.quit});
    models_->diagnostics =
        std::make_unique<DiagnosticsModel>(settings, appState, desktop.permissions, desktop.hotkeyTap);

    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column); // owned by the column
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    speechEngine_ = new SpeechEngineSection(*models_->speechEngine);
    microphone_ = new MicrophoneSection(*models_->microphone);
    indicator_ = new IndicatorSection(*models_->indicator);
    audio_ = new AudioSection(*models_->audio);
    smartFormatting_ = new SmartFormattingSection(settings);
    appearance_ = new AppearanceSection(*models_->appearance);
    system_ = new SystemSection(*models_->system);
    diagnostics_ = new DiagnosticsSection(*models_->diagnostics);
    for (QWidget* card : std::initializer_list<QWidget*>{speechEngine_, microphone_, indicator_, audio_,
                                                         smartFormatting_, appearance_, system_, diagnostics_}) {
        layout->addWidget(card);
    }
    layout->addStretch(1);

    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidget(column);
    // Labels without a colour of their own read white, as on every dark window.
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, ostreldesignkit::Color::primary());
    setPalette(palette);
    // The tab lies on the window's translucent background; setWidget() turns
    // the column's own fill on.
    viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
}

} // namespace ostrelvirorez
