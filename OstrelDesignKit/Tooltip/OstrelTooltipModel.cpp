#include "OstrelDesignKit/Tooltip/OstrelTooltipModel.hpp"

namespace ostreldesignkit {

OstrelTooltipModel::OstrelTooltipModel(QString text, std::optional<QString> shortcut, TooltipEdge edge,
                                       platform::MainQueue& queue)
    : text_(std::move(text)), shortcut_(std::move(shortcut)), edge_(edge), queue_(queue),
      self_(std::make_shared<OstrelTooltipModel*>(this)) {}

OstrelTooltipModel::~OstrelTooltipModel() { *self_ = nullptr; }

void OstrelTooltipModel::pointerInside(bool inside) {
    isHovering_ = inside;
    if (!inside) {
        setShown(false);
        return;
    }
    // Every entry starts its own delay; any that ends while the pointer is
    // inside shows the pill.
    queue_.postAfter(std::chrono::duration_cast<platform::Clock::Duration>(showDelay),
                     [self = self_] {
                         OstrelTooltipModel* model = *self;
                         if (model && model->isHovering_) model->setShown(true);
                     });
}

void OstrelTooltipModel::clicked() { setShown(false); }

void OstrelTooltipModel::setShown(bool shown) {
    if (isShown_ == shown) return;
    isShown_ = shown;
    if (observer_) observer_(shown);
}

QRectF OstrelTooltipModel::pillFrame(std::optional<QRectF> container) const {
    const double midX = anchorFrame_.center().x();
    const double x = midX - pillSize_.width() / 2 + tooltipHorizontalCorrection(midX, pillSize_.width(), container);
    const double y = edge_ == TooltipEdge::top ? anchorFrame_.top() - verticalShift
                                               : anchorFrame_.bottom() - pillSize_.height() + verticalShift;
    return QRectF(QPointF(x, y), pillSize_);
}

double tooltipHorizontalCorrection(double anchorMidX, double pillWidth, std::optional<QRectF> container) {
    if (pillWidth <= 0 || !container || container->width() <= 0) return 0;
    const double inset = OstrelTooltipModel::containerInset;
    const double left = anchorMidX - pillWidth / 2;
    if (left < container->left() + inset) return container->left() + inset - left;
    const double right = anchorMidX + pillWidth / 2;
    if (right > container->right() - inset) return container->right() - inset - right;
    return 0;
}

} // namespace ostreldesignkit
