#pragma once
// The editor of one hold-to-talk list: one row per key with a picker of the
// allowed keys and a remove button, a "Kein Hotkey zugewiesen" row while the
// list is empty, and the add button. Drawn from the list it is given; every
// edit goes to the model, which writes the whole list.

#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsModel.hpp"

#include <QWidget>

#include <vector>

class QAbstractButton;
class QComboBox;

namespace ostrelvirorez {

class HotkeyGroupSection final : public QWidget {
public:
    static constexpr int pickerMaximumWidth = 200;

    HotkeyGroupSection(HotkeySettingsModel& model, HotkeyGroupKind kind, QWidget* parent = nullptr);

    HotkeyGroupKind kind() const { return kind_; }
    const std::vector<KeyCode>& codes() const { return codes_; }
    // Per row, in list order.
    const std::vector<QWidget*>& rows() const { return rows_; }
    const std::vector<QComboBox*>& pickers() const { return pickers_; }
    const std::vector<QAbstractButton*>& removeButtons() const { return removeButtons_; }
    // Present only while the list is empty.
    QWidget* emptyRow() const { return emptyRow_; }
    QAbstractButton& addButton() const { return *addButton_; }

private:
    QWidget* makeKeyRow(std::size_t index, KeyCode code);

    HotkeySettingsModel& model_;
    HotkeyGroupKind kind_;
    std::vector<KeyCode> codes_;
    std::vector<QWidget*> rows_;
    std::vector<QComboBox*> pickers_;
    std::vector<QAbstractButton*> removeButtons_;
    QWidget* emptyRow_ = nullptr;
    QAbstractButton* addButton_ = nullptr;
};

} // namespace ostrelvirorez
