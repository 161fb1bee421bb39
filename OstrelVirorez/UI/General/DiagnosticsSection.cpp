#include "OstrelVirorez/UI/General/DiagnosticsSection.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/General/DiagnosticsModel.hpp"
#include "OstrelVirorez/UI/General/EngineStatusView.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace general;
namespace {

using ostreldesignkit::Color;

QLabel* monoLabel(double size, const QColor& color) {
    auto* label = new QLabel;
    label->setFont(systemFont(size, true));
    setTextColor(*label, color);
    return label;
}

// Both looks of a two-state row side by side; refresh() shows one of them.
QWidget* pair(QWidget* first, QWidget* second) {
    auto* both = new QWidget;
    auto* layout = new QHBoxLayout(both); // owned by `both`
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(first);
    layout->addWidget(second);
    return both;
}

} // namespace

DiagnosticsSection::DiagnosticsSection(DiagnosticsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Diagnostics"), this);
    layout->addWidget(section);

    accessibilityActive_ = new VirorezStatusDot(true, QStringLiteral("Active"));
    accessibilityMissing_ = new QWidget;
    auto* missing = new QHBoxLayout(accessibilityMissing_); // owned by the widget
    missing->setContentsMargins(0, 0, 0, 0);
    missing->setSpacing(8);
    request_ = makeKitButton(QStringLiteral("Request"));
    connect(request_, &QAbstractButton::clicked, this, [this] { model_.requestAccessibility(); });
    missing->addWidget(request_, 0, Qt::AlignVCenter);
    missing->addWidget(new VirorezStatusDot(false, QStringLiteral("Missing")), 0, Qt::AlignVCenter);
    tapActive_ = new VirorezStatusDot(true, QStringLiteral("Active"));
    tapError_ = new VirorezStatusDot(false, QStringLiteral("Error"));
    lastKeyEvent_ = monoLabel(12, Color::ostrelTextSecondary());
    dictationKeys_ = monoLabel(12, Color::withOpacity(Color::cyanElectric(), 0.8));
    claudeKeys_ = monoLabel(12, Color::withOpacity(VirorezColors::claude(), 0.8));
    state_ = monoLabel(12, Color::ostrelTextSecondary());
    lastError_ = monoLabel(11, Color::withOpacity(Color::ostrelRecording(), 0.8));
    lastError_->setWordWrap(true);
    lastError_->setFixedWidth(errorWidth);
    lastError_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    section->addContent(new OstrelRow(QStringLiteral("Accessibility"), std::string("hand.raised"),
                                      pair(accessibilityActive_, accessibilityMissing_)));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Event Tap"), std::string("antenna.radiowaves.left.and.right"),
                                      pair(tapActive_, tapError_)));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Last Key Event"), std::string("keyboard.badge.eye"), lastKeyEvent_));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Davavaz Keys"), std::string("command"), dictationKeys_));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Claude Keys"), std::string("sparkles"), claudeKeys_));
    section->addContent(new OstrelAppDivider);
    section->addContent(
        new OstrelRow(QStringLiteral("State"), std::string("gearshape.arrow.triangle.2.circlepath"), state_));
    errorRow_ = new QWidget;
    auto* errorLayout = new QVBoxLayout(errorRow_); // owned by the row
    errorLayout->setContentsMargins(0, 0, 0, 0);
    errorLayout->setSpacing(0);
    errorLayout->addWidget(new OstrelAppDivider);
    errorLayout->addWidget(new OstrelRow(QStringLiteral("Last Error"), std::string("exclamationmark.triangle"), lastError_));
    section->addContent(errorRow_);

    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void DiagnosticsSection::refresh() {
    const bool trusted = model_.accessibilityTrusted();
    accessibilityActive_->setVisible(trusted);
    accessibilityMissing_->setVisible(!trusted);
    const bool tap = model_.eventTapActive();
    tapActive_->setVisible(tap);
    tapError_->setVisible(!tap);
    lastKeyEvent_->setText(QString::fromStdString(model_.lastKeyEvent()));
    dictationKeys_->setText(QString::fromStdString(model_.dictationKeys()));
    claudeKeys_->setText(QString::fromStdString(model_.claudeKeys()));
    state_->setText(QString::fromStdString(model_.stateText()));
    const auto error = model_.lastError();
    errorRow_->setVisible(error.has_value());
    const QString message = QString::fromStdString(error.value_or(""));
    lastError_->setText(EngineStatusView::fitToLines(message, lastError_->font(), errorWidth, errorLines));
}

} // namespace ostrelvirorez
