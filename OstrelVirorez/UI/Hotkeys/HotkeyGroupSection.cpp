#include "OstrelVirorez/UI/Hotkeys/HotkeyGroupSection.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeyChoices.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

QLabel* disabledNote(QWidget* parent) {
    auto* note = new QLabel(QStringLiteral("Deaktiviert"), parent); // owned by the row
    note->setFont(ostreldesignkit::ostrelFont(12, ostreldesignkit::OstrelFontWeight::regular));
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, Color::ostrelTextSecondary());
    note->setPalette(palette);
    return note;
}

QComboBox* keyPicker(KeyCode code, QWidget* parent) {
    auto* picker = new QComboBox(parent); // owned by the row
    picker->setAttribute(Qt::WA_MacSmallSize);
    picker->setFont(ostreldesignkit::ostrelFont(11, ostreldesignkit::OstrelFontWeight::regular));
    picker->setMaximumWidth(HotkeyGroupSection::pickerMaximumWidth);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const auto& choice : allowedHotkeys()) picker->addItem(choice.name, QVariant::fromValue<qlonglong>(choice.code));
    // A code that is none of the allowed keys stays, with no entry selected.
    const auto index = hotkeyChoiceIndex(code);
    picker->setCurrentIndex(index ? int(*index) : -1);
    return picker;
}

} // namespace

HotkeyGroupSection::HotkeyGroupSection(HotkeySettingsModel& model, HotkeyGroupKind kind, QWidget* parent)
    : QWidget(parent), model_(model), kind_(kind), codes_(model.codes(kind)) {
    const HotkeyGroup& group = HotkeySettingsModel::group(kind);
    auto* stack = new QVBoxLayout(this); // owned by this widget
    stack->setContentsMargins(0, 0, 0, 0);
    auto* section = new OstrelSection(group.title, this);
    stack->addWidget(section);

    if (codes_.empty()) {
        emptyRow_ = new OstrelRow(QStringLiteral("Kein Hotkey zugewiesen"), "minus.circle", disabledNote(nullptr));
        section->addContent(emptyRow_);
    }
    for (std::size_t index = 0; index < codes_.size(); ++index) {
        section->addContent(makeKeyRow(index, codes_[index]));
        if (index + 1 < codes_.size()) section->addContent(new OstrelAppDivider);
    }

    auto* addRow = new QWidget;
    auto* centred = new QHBoxLayout(addRow); // owned by the add row
    centred->setContentsMargins(0, 4, 0, 0);
    auto* add = new ostreldesignkit::OstrelButton(QStringLiteral("Weiteren Hotkey hinzufügen"), addRow);
    add->setSymbol(group.iconAdd);
    addButton_ = add;
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] { model_.appendCode(kind_); });
    centred->addStretch(1);
    centred->addWidget(addButton_);
    centred->addStretch(1);
    section->addContent(addRow);
}

QWidget* HotkeyGroupSection::makeKeyRow(std::size_t index, KeyCode code) {
    auto* trailing = new QWidget;
    auto* controls = new QHBoxLayout(trailing); // owned by `trailing`
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(6);
    QComboBox* picker = keyPicker(code, trailing);
    QObject::connect(picker, &QComboBox::activated, this, [this, index, picker](int chosen) {
        model_.replaceCode(kind_, index, picker->itemData(chosen).toLongLong());
    });
    controls->addWidget(picker);
    auto* remove = new QToolButton(trailing);
    remove->setAutoRaise(true);
    remove->setIcon(QIcon(QPixmap::fromImage(
        ostreldesignkit::SymbolImage::render("minus.circle.fill", 14, Color::ostrelTextSecondary()))));
    QObject::connect(remove, &QAbstractButton::clicked, this, [this, index] { model_.removeCode(kind_, index); });
    controls->addWidget(remove);

    auto* row = new OstrelRow(HotkeySettingsModel::rowTitle(index), HotkeySettingsModel::group(kind_).iconRow,
                              trailing);
    rows_.push_back(row);
    pickers_.push_back(picker);
    removeButtons_.push_back(remove);
    return row;
}

} // namespace ostrelvirorez
