#include "OstrelVirorez/UI/Settings/SettingsStatusModel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/App/EngineDisplayName.hpp"
#include "OstrelVirorez/App/Ports/PermissionChecking.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

namespace ostrelvirorez {

using ostreldesignkit::Color;

SettingsStatusModel::SettingsStatusModel(AppState& appState, AppSettings& settings,
                                         const PermissionChecking& permissions)
    : appState_(appState), settings_(settings), permissions_(permissions) {
    EngineManager& engines = appState_.engineManager();
    sources_.push_back(engines.statusChanged().connect([this](const auto&) { changed_.emit(); }));
    sources_.push_back(engines.currentTypeChanged().connect([this](const auto&) { changed_.emit(); }));
    sources_.push_back(appState_.lastErrorMessage.observe([this](const auto&) { changed_.emit(); }));
    sources_.push_back(settings_.userDefaults().changed().connect([this](const auto&) { changed_.emit(); }));
}

bool SettingsStatusModel::isMicrophoneGranted() const {
    return permissions_.microphoneAuthorizationStatus() == CaptureAuthorizationStatus::authorized;
}

bool SettingsStatusModel::isAccessibilityTrusted() const { return permissions_.isAccessibilityTrusted(); }

QString SettingsStatusModel::engineStatusText() const {
    const EngineManager& engines = appState_.engineManager();
    const EngineStatus status = engines.status();
    switch (status.kind()) {
    case EngineStatus::Kind::idle: return QStringLiteral("Not loaded");
    case EngineStatus::Kind::downloading: return QStringLiteral("Downloading model…");
    case EngineStatus::Kind::loading: return QStringLiteral("Loading model…");
    case EngineStatus::Kind::ready: {
        // The engine that serves, which a failed switch or a profile's engine
        // can make another than the one selected.
        const EngineType loaded = engines.currentType().value_or(settings_.selectedEngine());
        return QString::fromStdString(engineDisplayName(loaded)) + QStringLiteral(" — Ready");
    }
    case EngineStatus::Kind::error: return QString::fromStdString(status.message());
    }
    return {};
}

QColor SettingsStatusModel::engineStatusColor() const {
    switch (appState_.engineManager().status().kind()) {
    case EngineStatus::Kind::idle: return Color::ostrelTextSecondary();
    case EngineStatus::Kind::downloading:
    case EngineStatus::Kind::loading: return VirorezColors::warning();
    case EngineStatus::Kind::ready: return VirorezColors::success();
    case EngineStatus::Kind::error: return Color::ostrelRecording();
    }
    return Color::ostrelTextSecondary();
}

std::optional<QString> SettingsStatusModel::lastError() const {
    const auto& message = appState_.lastErrorMessage.get();
    if (!message) return std::nullopt;
    return QString::fromStdString(*message);
}

} // namespace ostrelvirorez
