#include "OstrelVirorez/UI/Rewriting/ProfileListView.hpp"

#include "OstrelVirorez/UI/Rewriting/ProfileSidebarRow.hpp"

#include <QVBoxLayout>

#include <algorithm>

namespace ostrelvirorez {

ProfileListView::ProfileListView(ProfileListModel& model, QWidget* parent)
    : QScrollArea(parent), model_(model), content_(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    content_->setAutoFillBackground(false);
    stack_ = new QVBoxLayout(content_); // owned by content_
    stack_->setContentsMargins(0, 6, 0, 6);
    stack_->setSpacing(2);
    stack_->addStretch(1);
    setWidget(content_);
    modelChanged_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

void ProfileListView::refresh() {
    const auto rows = model_.rows();
    const bool sameProfiles =
        std::ranges::equal(rows, rows_, [](const auto& row, const auto* shown) { return row.id == shown->profileID(); });
    if (sameProfiles) {
        for (std::size_t index = 0; index < rows.size(); ++index) rows_[index]->apply(rows[index]);
        return;
    }
    for (auto* old : rows_) {
        old->hide();
        old->deleteLater();
    }
    rows_.clear();
    for (const auto& row : rows) {
        auto* shown = new ProfileSidebarRow(model_, row, content_);
        stack_->insertWidget(stack_->count() - 1, shown);
        shown->show();
        rows_.push_back(shown);
    }
}

} // namespace ostrelvirorez
