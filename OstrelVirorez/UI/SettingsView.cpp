#include "OstrelVirorez/UI/SettingsView.hpp"

#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

QString sheetTitle(SettingsSheet sheet) {
    switch (sheet) {
    case SettingsSheet::feedback: return QStringLiteral("Feedback senden");
    case SettingsSheet::onboarding: return QStringLiteral("Willkommen bei OstrelVirorez");
    }
    return {};
}

} // namespace

SettingsView::SettingsView(NotificationCenter& notifications, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* placeholder = new QLabel(QStringLiteral("OstrelVirorez"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    layout->addWidget(placeholder);

    feedbackObserver_ = notifications.observe(WindowNotification::showFeedbackSheet,
                                              [this] { presentSheet(SettingsSheet::feedback); });
    onboardingObserver_ = notifications.observe(WindowNotification::showOnboardingSheet,
                                                [this] { presentSheet(SettingsSheet::onboarding); });
}

// The observers go first, so no notification reaches a half-destroyed view.
SettingsView::~SettingsView() {
    feedbackObserver_.disconnect();
    onboardingObserver_.disconnect();
}

void SettingsView::presentSheet(SettingsSheet sheet) {
    if (sheetDialog_) sheetDialog_->close();
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(sheetTitle(sheet));
    dialog->setModal(false);
    sheetDialog_ = dialog;
    sheet_ = sheet;
    dialog->show();
}

std::optional<SettingsSheet> SettingsView::presentedSheet() const {
    if (!sheetDialog_ || !sheetDialog_->isVisible()) return std::nullopt;
    return sheet_;
}

} // namespace ostrelvirorez
