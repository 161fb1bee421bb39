#include "OstrelDesignKit/Layout/FlowLayout.hpp"

#include "OstrelDesignKit/Layout/FlowArrangement.hpp"

#include <cmath>

namespace ostreldesignkit {

FlowLayout::FlowLayout(QWidget* parent, double spacing) : QLayout(parent), spacing_(spacing) {
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() = default;

void FlowLayout::setFlowSpacing(double spacing) {
    spacing_ = spacing;
    invalidate();
}

void FlowLayout::addItem(QLayoutItem* item) { items_.emplace_back(item); }

int FlowLayout::count() const { return int(items_.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? items_[size_t(index)].get() : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    if (index < 0 || index >= count()) return nullptr;
    QLayoutItem* item = items_[size_t(index)].release();
    items_.erase(items_.begin() + index);
    return item;
}

std::vector<QSizeF> FlowLayout::childSizes() const {
    std::vector<QSizeF> sizes;
    for (const auto& item : items_) sizes.emplace_back(item->sizeHint());
    return sizes;
}

QSize FlowLayout::sizeHint() const {
    const auto sizes = childSizes();
    const QSizeF size = arrangeFlow(std::nullopt, sizes, spacing_).size;
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

// Narrow enough to wrap down to one child a line.
QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const auto& item : items_) size = size.expandedTo(item->sizeHint());
    return size;
}

int FlowLayout::heightForWidth(int width) const {
    const auto sizes = childSizes();
    return int(std::ceil(arrangeFlow(double(width), sizes, spacing_).size.height()));
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const auto sizes = childSizes();
    const FlowArrangement arrangement = arrangeFlow(double(rect.width()), sizes, spacing_);
    for (size_t i = 0; i < items_.size(); ++i) {
        const QPointF at = arrangement.positions[i];
        items_[i]->setGeometry(QRect(QPoint(rect.x() + int(at.x()), rect.y() + int(at.y())), sizes[i].toSize()));
    }
}

} // namespace ostreldesignkit
