#include "OstrelVirorez/UI/General/GeneralControls.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/General/SettingToggle.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

namespace ostrelvirorez::general {

using ostreldesignkit::Color;

QLabel* makeCaption(const QString& text, CaptionSize size, const QColor& color, int leading, int top,
                    QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setFont(systemFont(size == CaptionSize::caption2 ? 11 : 12));
    label->setContentsMargins(leading, top, 0, 0);
    setTextColor(*label, color);
    return label;
}

OstrelToggleRow* makeToggleRow(const SettingToggle& toggle, QWidget* parent) {
    auto* row = new OstrelToggleRow(QString::fromStdString(toggle.title), toggle.symbol, toggle.isOn(), parent);
    QObject::connect(&row->toggle(), &QAbstractButton::toggled, row, [set = toggle.set](bool on) { set(on); });
    return row;
}

void showToggle(OstrelToggleRow& row, const SettingToggle& toggle) {
    const QSignalBlocker block(&row.toggle());
    row.toggle().setChecked(toggle.isOn());
}

QComboBox* makePopUp(int maxWidth, QWidget* parent) {
    auto* picker = new QComboBox(parent);
    picker->setFont(ostreldesignkit::ostrelFont(11, ostreldesignkit::OstrelFontWeight::regular));
    picker->setMaximumWidth(maxWidth);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return picker;
}

QAbstractButton* makeKitButton(const QString& title, QWidget* parent) {
    auto* button = new ostreldesignkit::OstrelButton(title, parent);
    useWhiteLabel(*button);
    return button;
}

void useWhiteLabel(QAbstractButton& button) {
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, Color::primary());
    button.setPalette(palette);
}

QWidget* makeButtonRow(QAbstractButton* button, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row); // owned by the row
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addStretch(1);
    layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

SegmentedPicker::SegmentedPicker(const std::vector<QString>& labels, int maxWidth, std::function<void(int)> onSelect,
                                 QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)) {
    setMaximumWidth(maxWidth);
    auto* layout = new QHBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_->setExclusive(true);
    for (int i = 0; i < int(labels.size()); ++i) {
        auto* segment = new QPushButton(labels[std::size_t(i)], this);
        segment->setCheckable(true);
        segment->setFont(ostreldesignkit::ostrelFont(11, ostreldesignkit::OstrelFontWeight::medium));
        group_->addButton(segment, i);
        layout->addWidget(segment);
    }
    connect(group_, &QButtonGroup::idClicked, this, [onSelect = std::move(onSelect)](int id) { onSelect(id); });
}

void SegmentedPicker::setSelected(std::optional<int> index) {
    const QSignalBlocker block(group_);
    if (index) {
        if (auto* segment = group_->button(*index)) segment->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (auto* segment : group_->buttons()) segment->setChecked(false);
    group_->setExclusive(true);
}

std::optional<int> SegmentedPicker::selected() const {
    const int id = group_->checkedId();
    return id < 0 ? std::nullopt : std::optional<int>(id);
}

QAbstractButton& SegmentedPicker::segment(int index) const { return *group_->button(index); }

IntervalStepper::IntervalStepper(std::function<void(int)> onStep, QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), down_(new QToolButton(this)), up_(new QToolButton(this)) {
    setMaximumWidth(200);
    auto* layout = new QHBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    label_->setFont(ostreldesignkit::ostrelFont(11, ostreldesignkit::OstrelFontWeight::regular));
    down_->setArrowType(Qt::DownArrow);
    up_->setArrowType(Qt::UpArrow);
    for (auto* arrow : {down_, up_}) {
        arrow->setFixedSize(18, 14);
        // The platform's light arrow buttons: their arrows stay dark inside the white-text tab.
        QPalette palette = arrow->palette();
        palette.setColor(QPalette::ButtonText, Qt::black);
        palette.setColor(QPalette::WindowText, Qt::black);
        arrow->setPalette(palette);
    }
    layout->addWidget(label_);
    layout->addWidget(down_);
    layout->addWidget(up_);
    connect(down_, &QToolButton::clicked, this, [onStep] { onStep(-1); });
    connect(up_, &QToolButton::clicked, this, [onStep] { onStep(+1); });
}

void IntervalStepper::setLabel(const QString& text) { label_->setText(text); }

PercentSlider::PercentSlider(int lowest, int highest, int sliderMaxWidth, int textWidth, Qt::Alignment textAlignment,
                             std::function<void(int)> onMove, QWidget* parent)
    : QWidget(parent), slider_(new QSlider(Qt::Horizontal, this)), text_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    slider_->setRange(lowest, highest);
    slider_->setSingleStep(1);
    slider_->setPageStep(1);
    slider_->setMaximumWidth(sliderMaxWidth);
    text_->setFont(systemFont(11, true));
    setTextColor(*text_, Color::ostrelTextSecondary());
    text_->setFixedWidth(textWidth);
    text_->setAlignment(textAlignment | Qt::AlignVCenter);
    layout->addWidget(slider_, 0, Qt::AlignVCenter);
    layout->addWidget(text_, 0, Qt::AlignVCenter);
    connect(slider_, &QSlider::valueChanged, this, [onMove = std::move(onMove)](int position) { onMove(position); });
}

void PercentSlider::display(int position, const QString& text) {
    const QSignalBlocker block(slider_);
    slider_->setValue(position);
    text_->setText(text);
}

} // namespace ostrelvirorez::general
