#include "OstrelVirorez/UI/General/SystemSection.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/SystemSectionModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include <utility>

namespace ostrelvirorez {

using namespace general;

SystemSection::SystemSection(SystemSectionModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("System"), this);
    layout->addWidget(section);

    for (const auto& toggle : model_.toggles()) {
        if (!toggles_.empty()) section->addContent(new OstrelAppDivider);
        toggles_.push_back(makeToggleRow(toggle));
        section->addContent(toggles_.back());
        if (toggles_.size() == 1) {
            error_ = makeCaption({}, CaptionSize::caption2, ostreldesignkit::Color::ostrelRecording(), 4, 2);
            section->addContent(error_);
        }
    }

    struct Action {
        QString title;
        const char* symbol;
        void (SystemSectionModel::*run)() const;
    };
    const Action actions[] = {
        {QStringLiteral("Auf Updates prüfen \u2026"), "arrow.triangle.2.circlepath", &SystemSectionModel::checkForUpdates},
        {QStringLiteral("Onboarding erneut zeigen"), "wand.and.stars", &SystemSectionModel::showOnboarding},
        {QStringLiteral("Feedback senden \u2026"), "envelope.badge", &SystemSectionModel::sendFeedback},
        {QStringLiteral("Quit OstrelVirorez"), "xmark.circle", &SystemSectionModel::quit},
    };
    for (const auto& [title, symbol, action] : actions) {
        QAbstractButton* button = nullptr;
        if (title.startsWith(QStringLiteral("Quit"))) {
            auto* destructive = new OstrelDestructiveButton(title);
            destructive->setSymbol(symbol);
            button = destructive;
        } else {
            auto* kit = new ostreldesignkit::OstrelButton(title);
            kit->setSymbol(symbol);
            button = kit;
        }
        useWhiteLabel(*button);
        connect(button, &QAbstractButton::clicked, this, [this, action = action] { (model_.*action)(); });
        buttons_.push_back(button);
        section->addContent(new OstrelAppDivider);
        section->addContent(makeButtonRow(button));
    }

    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void SystemSection::refresh() {
    for (std::size_t i = 0; i < toggles_.size(); ++i) showToggle(*toggles_[i], model_.toggles()[i]);
    const auto& error = model_.launchAtLoginError();
    error_->setVisible(error.has_value());
    error_->setText(QString::fromStdString(error.value_or("")));
}

} // namespace ostrelvirorez
