#include "OstrelVirorez/UI/General/SpeechEngineSection.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/General/EngineStatusView.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/SpeechEngineModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <string>

namespace ostrelvirorez {

using namespace general;

namespace {

// An engine that cannot run here is listed disabled, its reason as its tooltip.
void addEngine(QComboBox& picker, const SettingChoice<EngineType>& choice) {
    const auto reason = SpeechEngineModel::unavailableReason(choice.value);
    if (!reason) {
        picker.addItem(QString::fromStdString(choice.label));
        return;
    }
    picker.addItem(QString::fromStdString(SpeechEngineModel::unavailableLabel(choice.label)));
    const int row = picker.count() - 1;
    picker.setItemData(row, QString::fromStdString(*reason), Qt::ToolTipRole);
    if (auto* items = qobject_cast<QStandardItemModel*>(picker.model())) items->item(row)->setEnabled(false);
}

} // namespace

SpeechEngineSection::SpeechEngineSection(SpeechEngineModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Speech Engine"), this);
    layout->addWidget(section);

    enginePicker_ = makePopUp(220);
    for (const auto& choice : SpeechEngineModel::engineChoices()) addEngine(*enginePicker_, choice);
    connect(enginePicker_, &QComboBox::activated, this, [this](int row) {
        model_.chooseEngine(SpeechEngineModel::engineChoices()[std::size_t(row)].value);
    });
    languagePicker_ = makePopUp(220);
    const auto& languages = SpeechEngineModel::languageChoices();
    for (std::size_t i = 0; i < languages.size(); ++i) {
        languagePicker_->addItem(QString::fromStdString(languages[i].label), QString::fromStdString(languages[i].value));
        if (i == 0) languagePicker_->insertSeparator(1);
    }
    connect(languagePicker_, &QComboBox::activated, this, [this](int row) {
        model_.chooseLanguage(languagePicker_->itemData(row).toString().toStdString());
    });
    hint_ = makeCaption({}, CaptionSize::caption2, ostreldesignkit::Color::ostrelTextTertiary(), 4, 2);
    status_ = new EngineStatusView;

    section->addContent(new OstrelRow(QStringLiteral("Engine"), std::string("cpu"), enginePicker_));
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Sprache"), std::string("globe"), languagePicker_));
    section->addContent(hint_);
    section->addContent(new OstrelAppDivider);
    section->addContent(new OstrelRow(QStringLiteral("Status"), std::string("circle.dotted"), status_));

    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void SpeechEngineSection::refresh() {
    {
        const QSignalBlocker block(enginePicker_);
        const auto engine = model_.selectedEngineIndex();
        enginePicker_->setCurrentIndex(engine ? int(*engine) : -1);
    }
    {
        const QSignalBlocker block(languagePicker_);
        const auto language = model_.selectedLanguageIndex();
        languagePicker_->setCurrentIndex(language ? languageRow(*language) : -1);
    }
    const auto hint = model_.languageHint();
    hint_->setVisible(hint.kind != SpeechEngineModel::HintKind::none);
    hint_->setText(QString::fromStdString(hint.text));
    setTextColor(*hint_, hint.kind == SpeechEngineModel::HintKind::nemotronIgnoresLanguage
                             ? VirorezColors::warning()
                             : ostreldesignkit::Color::ostrelTextTertiary());
    status_->display(model_.status());
}

} // namespace ostrelvirorez
