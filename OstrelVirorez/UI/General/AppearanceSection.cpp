#include "OstrelVirorez/UI/General/AppearanceSection.hpp"

#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/UI/General/AppearanceModel.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace general;
namespace {

QLabel* kitCaption(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setContentsMargins(0, 2, 0, 0);
    ostreldesignkit::applyTextStyle(*label, ostreldesignkit::TextStyle::caption);
    return label;
}

} // namespace

AppearanceSection::AppearanceSection(AppearanceModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Appearance"), this);
    layout->addWidget(section);

    presets_ = makePopUp(160);
    for (const auto& preset : ostreldesignkit::OstrelAppearancePreset::builtIn()) {
        presets_->addItem(QString::fromStdString(preset.name));
    }
    connect(presets_, &QComboBox::activated, this, [this](int row) { model_.choosePreset(std::size_t(row)); });
    transparency_ = new PercentSlider(0, AppearanceModel::stepsPerWhole, 140, 36, Qt::AlignRight,
                                      [this](int position) { model_.setDarknessPosition(position); });

    section->addContent(new OstrelRow(QStringLiteral("Preset"), std::string("paintpalette"), presets_));
    section->addContent(
        kitCaption(QStringLiteral("\u201EClaude Colors\u201C übernimmt die Farbpalette der Claude-Desktop-App.")));
    section->addContent(new OstrelAppDivider);
    section->addContent(
        new OstrelRow(QStringLiteral("Transparenz"), std::string("circle.lefthalf.filled"), transparency_));
    section->addContent(kitCaption(QStringLiteral("Höher = dunkler/deckender. Niedriger = durchsichtiger.")));

    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void AppearanceSection::refresh() {
    {
        const QSignalBlocker block(presets_);
        const auto selected = model_.selectedPresetIndex();
        presets_->setCurrentIndex(selected ? int(*selected) : -1);
    }
    transparency_->display(model_.darknessPosition(), QString::fromStdString(model_.darknessText()));
}

} // namespace ostrelvirorez
