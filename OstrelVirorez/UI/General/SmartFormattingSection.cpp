#include "OstrelVirorez/UI/General/SmartFormattingSection.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/SmartFormattingModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace ostrelvirorez {

using namespace general;

SmartFormattingSection::SmartFormattingSection(AppSettings& settings, QWidget* parent)
    : QWidget(parent), toggles_(SmartFormattingModel::toggles(settings)) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Smart Formatting"), this);
    layout->addWidget(section);
    for (const auto& toggle : toggles_) {
        if (!rows_.empty()) section->addContent(new OstrelAppDivider);
        rows_.push_back(makeToggleRow(toggle));
        section->addContent(rows_.back());
    }
    caption_ = makeCaption(QString::fromStdString(SmartFormattingModel::caption()), CaptionSize::caption,
                           ostreldesignkit::Color::ostrelTextSecondary(), 0, 4);
    section->addContent(caption_);
    watch_ = settings.userDefaults().changed().connect([this](const std::string& key) {
        if (std::any_of(toggles_.begin(), toggles_.end(), [&](const auto& t) { return t.key == key; })) refresh();
    });
}

void SmartFormattingSection::refresh() {
    for (std::size_t i = 0; i < rows_.size(); ++i) showToggle(*rows_[i], toggles_[i]);
}

} // namespace ostrelvirorez
