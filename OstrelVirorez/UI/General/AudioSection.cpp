#include "OstrelVirorez/UI/General/AudioSection.hpp"

#include "OstrelVirorez/UI/General/AudioSectionModel.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace general;

AudioSection::AudioSection(AudioSectionModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Audio"), this);
    layout->addWidget(section);
    for (const auto& toggle : model_.toggles()) {
        if (!toggles_.empty()) section->addContent(new OstrelAppDivider);
        toggles_.push_back(makeToggleRow(toggle));
        section->addContent(toggles_.back());
    }
    levelRow_ = new QWidget;
    auto* levelLayout = new QVBoxLayout(levelRow_); // owned by the row
    levelLayout->setContentsMargins(0, 0, 0, 0);
    levelLayout->setSpacing(0);
    level_ = new PercentSlider(AudioSectionModel::lowestLevelStep, AudioSectionModel::highestLevelStep, 120, 32,
                               Qt::AlignHCenter, [this](int position) { model_.setLevelPosition(position); });
    levelLayout->addWidget(new OstrelAppDivider);
    levelLayout->addWidget(new OstrelRow(QStringLiteral("Duck Level"), std::string("slider.horizontal.3"), level_));
    section->addContent(levelRow_);
    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void AudioSection::refresh() {
    for (std::size_t i = 0; i < toggles_.size(); ++i) showToggle(*toggles_[i], model_.toggles()[i]);
    levelRow_->setVisible(model_.showsLevelRow());
    level_->display(model_.levelPosition(), QString::fromStdString(model_.levelText()));
}

} // namespace ostrelvirorez
