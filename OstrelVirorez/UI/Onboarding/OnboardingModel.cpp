#include "OstrelVirorez/UI/Onboarding/OnboardingModel.hpp"

#include "OstrelVirorez/App/EngineDisplayName.hpp"
#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/EngineAvailability.hpp"
#include "Platform/Concurrency/MainQueue.hpp"

#include <QUrl>

namespace ostrelvirorez {

OnboardingModel::OnboardingModel(Dependencies dependencies)
    : dependencies_(std::move(dependencies)), self_(std::make_shared<OnboardingModel*>(this)) {}

OnboardingModel::~OnboardingModel() = default;

std::string OnboardingModel::headerTitle() const {
    switch (step_) {
    case 0: return "Willkommen bei OstrelVirorez";
    case 1: return "Berechtigungen";
    case 2: return "Sprach-Engine wählen";
    default: return {};
    }
}

std::string OnboardingModel::stepCounter() const {
    return "Schritt " + std::to_string(step_ + 1) + " von " + std::to_string(steps);
}

std::string OnboardingModel::leftButtonTitle() const { return step_ <= 0 ? "Überspringen" : "Zurück"; }

std::string OnboardingModel::rightButtonTitle() const { return step_ < steps - 1 ? "Weiter" : "Los geht's"; }

std::optional<std::string> OnboardingModel::microphoneDeniedHint() const {
    if (!micRequested_ || micAuthorized_) return std::nullopt;
    return "Vom System abgelehnt — bitte in den Systemeinstellungen freigeben.";
}

bool OnboardingModel::isEngineSelected(EngineType engine) const {
    return dependencies_.settings.selectedEngine() == engine;
}

std::optional<std::string> OnboardingModel::systemSettingsURL(const std::string& pane) {
    const std::string address = "x-apple.systempreferences:zar.apple.preference.security?" + pane;
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (!url.isValid()) return std::nullopt;
    return address;
}

std::string OnboardingModel::engineName(EngineType engine) { return engineDisplayName(engine); }

std::string OnboardingModel::engineDescription(EngineType engine) {
    switch (engine) {
    case EngineType::parakeet:
        return "Standard. ANE-optimiert, sehr schnell (~110× Echtzeit auf M4), 25 europäische Sprachen mit "
               "Auto-Erkennung. Voll lokal.";
    case EngineType::hushframe:
        return "Höchste Genauigkeit, Whisper Large v3 Turbo. 100+ Sprachen. Voll lokal, aber etwas langsamer als "
               "Parakeet.";
    case EngineType::appleSpeech:
        return "Apples System-SpeechAnalyzer (macOS 26+, Tahoe). Minimaler Footprint, native macOS-Integration.";
    case EngineType::nemotron:
        return "NVIDIA Nemotron 3.5 (600M Parameter, Streaming, 40 Sprach-Lokale, native Punctuation+Caps). Voll "
               "lokal via RazeziRuzer + CoreML/ANE.";
    }
    return {};
}

void OnboardingModel::refreshPermissions() {
    micAuthorized_ =
        dependencies_.permissions.microphoneAuthorizationStatus() == CaptureAuthorizationStatus::authorized;
    accessibilityGranted_ = dependencies_.permissions.isAccessibilityTrusted();
    ++refreshTick_;
    notify();
}

void OnboardingModel::refreshSoon() {
    dependencies_.mainQueue.post([weak = std::weak_ptr(self_)] {
        if (const auto self = weak.lock()) (*self)->refreshPermissions();
    });
}

void OnboardingModel::requestMicrophone() {
    micRequested_ = true;
    notify();
    // The answer may come on any thread; only the refresh it starts touches the model.
    dependencies_.permissions.requestMicrophoneAccess(
        [&queue = dependencies_.mainQueue, weak = std::weak_ptr(self_)](bool) {
            queue.post([weak] {
                if (const auto self = weak.lock()) (*self)->refreshPermissions();
            });
        });
}

void OnboardingModel::requestAccessibility() {
    dependencies_.permissions.requestAccessibilityTrust();
    dependencies_.mainQueue.postAfter(accessibilityRefreshDelay, [weak = std::weak_ptr(self_)] {
        if (const auto self = weak.lock()) (*self)->refreshPermissions();
    });
}

void OnboardingModel::openSystemSettings(const std::string& pane) {
    if (const auto url = systemSettingsURL(pane); url && dependencies_.openURL) dependencies_.openURL(*url);
}

std::optional<std::string> OnboardingModel::engineUnavailableReason(EngineType engine) {
    return ostrelvirorez::engineUnavailableReason(engine);
}

void OnboardingModel::chooseEngine(EngineType engine) {
    if (engineUnavailableReason(engine)) return;
    dependencies_.settings.setSelectedEngine(engine);
    notify();
    if (dependencies_.loadSelectedEngine) dependencies_.loadSelectedEngine();
}

void OnboardingModel::pressLeft() {
    if (step_ <= 0) {
        complete();
        return;
    }
    --step_;
    notify();
}

void OnboardingModel::pressRight() {
    if (step_ >= steps - 1) {
        complete();
        return;
    }
    ++step_;
    notify();
    refreshSoon();
}

void OnboardingModel::complete() {
    dependencies_.settings.setOnboardingCompleted(true);
    if (dependencies_.dismiss) dependencies_.dismiss();
}

} // namespace ostrelvirorez
