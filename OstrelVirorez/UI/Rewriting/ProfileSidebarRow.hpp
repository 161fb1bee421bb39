#pragma once
// One row of the profile list: the profile's icon, its name (or a name field
// while it is being renamed) and its app count, on a selection background.
// A click selects it; its context menu renames it, changes its icon or
// deletes it. Every action goes to the list model by the profile's id.

#include "OstrelVirorez/UI/Rewriting/ProfileListModel.hpp"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QMenu;

namespace ostrelvirorez {

class ProfileSidebarRow final : public QWidget {
public:
    ProfileSidebarRow(ProfileListModel& model, const ProfileListModel::Row& row, QWidget* parent = nullptr);

    const platform::Uuid& profileID() const { return row_.id; }
    const ProfileListModel::Row& row() const { return row_; }
    void apply(const ProfileListModel::Row& row);

    // The context menu as it would open now: "Rename", "Icon" and, for a
    // profile that is not a default, "Delete". Its actions take effect once
    // control is back in the event loop.
    std::unique_ptr<QMenu> contextMenu();

    QLabel& nameLabel() const { return *name_; }
    QLineEdit& nameField() const { return *nameField_; }
    QLabel& subtitleLabel() const { return *subtitle_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ProfileListModel& model_;
    ProfileListModel::Row row_;
    QLabel* icon_;
    QLabel* name_;
    QLineEdit* nameField_;
    QLabel* subtitle_;
};

} // namespace ostrelvirorez
