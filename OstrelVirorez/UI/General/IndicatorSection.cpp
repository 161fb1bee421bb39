#include "OstrelVirorez/UI/General/IndicatorSection.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/IndicatorSectionModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace ostrelvirorez {

using namespace general;
namespace {

template <typename Value>
std::vector<QString> labelsOf(const std::vector<SettingChoice<Value>>& choices) {
    std::vector<QString> labels;
    for (const auto& choice : choices) labels.push_back(QString::fromStdString(choice.label));
    return labels;
}

template <typename Value>
int rowOf(const std::vector<SettingChoice<Value>>& choices, Value value) {
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const auto& c) { return c.value == value; });
    return found == choices.end() ? -1 : int(found - choices.begin());
}

template <typename Value>
QComboBox* popUpOf(const std::vector<SettingChoice<Value>>& choices) {
    auto* picker = makePopUp(160);
    for (const auto& label : labelsOf(choices)) picker->addItem(label);
    return picker;
}

void showRow(QComboBox& picker, int row) {
    const QSignalBlocker block(&picker);
    picker.setCurrentIndex(row);
}

} // namespace

IndicatorSection::IndicatorSection(IndicatorSectionModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    using M = IndicatorSectionModel;
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Indicator"), this);
    layout->addWidget(section);

    style_ = new SegmentedPicker(labelsOf(M::styleChoices()), 200,
                                 [this](int row) { model_.chooseStyle(M::styleChoices()[std::size_t(row)].value); });
    visibility_ = popUpOf(M::visibilityChoices());
    connect(visibility_, &QComboBox::activated, this,
            [this](int row) { model_.chooseVisibility(M::visibilityChoices()[std::size_t(row)].value); });
    position_ = popUpOf(M::positionChoices());
    connect(position_, &QComboBox::activated, this,
            [this](int row) { model_.choosePosition(M::positionChoices()[std::size_t(row)].value); });

    section->addContent(new OstrelRow(QStringLiteral("Style"), std::string("rectangle.inset.filled"), style_));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Visibility"), std::string("eye"), visibility_));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Position"), std::string("arrow.up.and.down"), position_));
    for (const auto& toggle : model_.toggles()) {
        section->addContent(new OstrelAppDivider);
        toggles_.push_back(makeToggleRow(toggle));
        section->addContent(toggles_.back());
    }

    intervalRow_ = new QWidget;
    auto* intervalLayout = new QVBoxLayout(intervalRow_); // owned by the row
    intervalLayout->setContentsMargins(0, 0, 0, 0);
    intervalLayout->setSpacing(0);
    stepper_ = new IntervalStepper([this](int steps) { model_.stepInterval(steps); });
    intervalLayout->addWidget(new OstrelAppDivider);
    intervalLayout->addWidget(new OstrelRow(QStringLiteral("Aktualisierung"), std::string("timer"), stepper_));
    section->addContent(intervalRow_);

    caption_ = makeCaption(
        QStringLiteral("Transkribiert während der Aufnahme periodisch den bisherigen Buffer und zeigt ihn im Notch- "
                       "und Overlay-Indicator. Kürzere Intervalle = häufigere Vorschau, mehr Engine-Last — "
                       "Parakeet empfohlen."),
        CaptionSize::caption2, ostreldesignkit::Color::ostrelTextTertiary(), 4, 2);
    section->addContent(caption_);

    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void IndicatorSection::refresh() {
    using M = IndicatorSectionModel;
    const int style = rowOf(M::styleChoices(), model_.style());
    style_->setSelected(style < 0 ? std::nullopt : std::optional<int>(style));
    showRow(*visibility_, rowOf(M::visibilityChoices(), model_.visibility()));
    showRow(*position_, rowOf(M::positionChoices(), model_.position()));
    for (std::size_t i = 0; i < toggles_.size(); ++i) showToggle(*toggles_[i], model_.toggles()[i]);
    intervalRow_->setVisible(model_.showsIntervalRow());
    stepper_->setLabel(QString::fromStdString(model_.intervalLabel()));
}

} // namespace ostrelvirorez
