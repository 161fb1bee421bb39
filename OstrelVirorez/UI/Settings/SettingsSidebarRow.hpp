#pragma once
// One row of the settings sidebar: the tab's symbol on an accent tile and its
// title, on a rounded highlight while selected (or, fainter, while the
// pointer is over it). The whole row is one flat button.

#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"

#include <QAbstractButton>
#include <QColor>

#include <functional>
#include <optional>

class QLabel;

namespace ostrelvirorez {

class SettingsSidebarRow final : public QAbstractButton {
public:
    static constexpr double cornerRadius = 8;
    static constexpr int tileSize = 28;

    SettingsSidebarRow(SettingsTab tab, bool isSelected, std::function<void()> action, QWidget* parent = nullptr);

    SettingsTab tab() const { return tab_; }
    bool isSelected() const { return isSelected_; }
    void setSelected(bool selected);
    bool isHovering() const { return isHovering_; }
    QLabel& titleLabel() const { return *title_; }

    // The highlight behind the row; none when neither selected nor hovered.
    static std::optional<QColor> background(bool isSelected, bool isHovering);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);

    SettingsTab tab_;
    bool isSelected_;
    bool isHovering_ = false;
    QLabel* title_; // owned by this widget
};

} // namespace ostrelvirorez
