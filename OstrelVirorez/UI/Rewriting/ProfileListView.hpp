#pragma once
// The scrolling list of profile rows in stored order. Rows are kept while the
// profiles stay the same and updated in place, so a name field keeps its
// focus while the name is typed; when profiles are added, removed or moved
// the rows are made anew (the old ones deleted once control is back in the
// event loop, as one of them may be running the action that caused it).

#include "OstrelVirorez/UI/Rewriting/ProfileListModel.hpp"
#include "Platform/Core/Signal.hpp"

#include <QScrollArea>

#include <vector>

class QVBoxLayout;

namespace ostrelvirorez {

class ProfileSidebarRow;

class ProfileListView final : public QScrollArea {
public:
    explicit ProfileListView(ProfileListModel& model, QWidget* parent = nullptr);

    void refresh();
    // The rows shown now, top to bottom.
    const std::vector<ProfileSidebarRow*>& rows() const { return rows_; }

private:
    ProfileListModel& model_;
    QWidget* content_;
    QVBoxLayout* stack_;
    std::vector<ProfileSidebarRow*> rows_; // owned by content_
    platform::Connection modelChanged_;
};

} // namespace ostrelvirorez
