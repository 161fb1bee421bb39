#include "OstrelVirorez/UI/General/MicrophoneSection.hpp"

#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/MicrophoneModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QComboBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace general;

MicrophoneSection::MicrophoneSection(MicrophoneModel& model, QWidget* parent)
    : QWidget(parent), model_(model), picker_(makePopUp(220)) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(QStringLiteral("Microphone"), this);
    layout->addWidget(section);
    section->addContent(new OstrelRow(QStringLiteral("Input Device"), std::string("mic"), picker_));
    connect(picker_, &QComboBox::activated, this, [this](int row) { model_.choose(std::size_t(row)); });
    refresh();
    watch_ = model_.changed().connect([this] { refresh(); });
}

void MicrophoneSection::refresh() {
    const QSignalBlocker block(picker_);
    picker_->clear();
    for (const auto& device : model_.devices()) picker_->addItem(QString::fromStdString(device.name));
    const auto selected = model_.selectedIndex();
    picker_->setCurrentIndex(selected ? int(*selected) : -1);
}

} // namespace ostrelvirorez
