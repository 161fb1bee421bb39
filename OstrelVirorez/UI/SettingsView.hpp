#pragma once
// The settings window's root view, for now a placeholder. While it exists it
// answers the two sheet notifications by presenting the feedback or the
// onboarding sheet (one sheet at a time, the newer one replacing the older).

#include "OstrelVirorez/UI/SettingsSheet.hpp"
#include "Platform/Core/Signal.hpp"

#include <QPointer>
#include <QWidget>

#include <optional>

class QDialog;

namespace ostrelvirorez {

class NotificationCenter;

class SettingsView final : public QWidget {
public:
    explicit SettingsView(NotificationCenter& notifications, QWidget* parent = nullptr);
    ~SettingsView() override;

    void presentSheet(SettingsSheet sheet);
    // The sheet on screen, if any.
    std::optional<SettingsSheet> presentedSheet() const;

private:
    QPointer<QDialog> sheetDialog_;
    std::optional<SettingsSheet> sheet_;
    platform::Connection feedbackObserver_;
    platform::Connection onboardingObserver_;
};

} // namespace ostrelvirorez
