#pragma once
// The kit's hover tooltip: shown 350 ms after the pointer enters a view if it
// is still inside then, hidden at once on leaving or clicking; and where the
// pill goes so that it stays 8 pt inside the window's content area.

#include "Platform/Concurrency/MainQueue.hpp"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace ostreldesignkit {

enum class TooltipEdge { top, leading, bottom, trailing };

class OstrelTooltipModel {
public:
    static constexpr std::chrono::milliseconds showDelay{350};
    static constexpr double verticalShift = 30;
    static constexpr double containerInset = 8;
    static constexpr double maxPillWidth = 220;

    OstrelTooltipModel(QString text, std::optional<QString> shortcut, TooltipEdge edge, platform::MainQueue& queue);
    ~OstrelTooltipModel();
    OstrelTooltipModel(const OstrelTooltipModel&) = delete;
    OstrelTooltipModel& operator=(const OstrelTooltipModel&) = delete;

    const QString& text() const { return text_; }
    const std::optional<QString>& shortcut() const { return shortcut_; }
    TooltipEdge edge() const { return edge_; }
    bool isHovering() const { return isHovering_; }
    bool isShown() const { return isShown_; }

    void pointerInside(bool inside);
    void clicked();
    void setAnchorFrame(const QRectF& frame) { anchorFrame_ = frame; }
    void setPillSize(const QSizeF& size) { pillSize_ = size; }

    // Called whenever `isShown` changes.
    void onShownChanged(std::function<void(bool)> observer) { observer_ = std::move(observer); }

    // The pill's rectangle for a container (absent: no container known, so
    // no sideways correction): centred on the anchor, 30 pt above its top or
    // below its bottom edge.
    QRectF pillFrame(std::optional<QRectF> container) const;

private:
    void setShown(bool shown);

    QString text_;
    std::optional<QString> shortcut_;
    TooltipEdge edge_;
    platform::MainQueue& queue_;
    bool isHovering_ = false;
    bool isShown_ = false;
    QRectF anchorFrame_;
    QSizeF pillSize_;
    std::function<void(bool)> observer_;
    std::shared_ptr<OstrelTooltipModel*> self_; // lets pending delays see a destroyed model
};

// Sideways shift keeping a pill of `pillWidth` centred on `anchorMidX` at
// least 8 pt inside `container`; the left limit wins when both are crossed.
double tooltipHorizontalCorrection(double anchorMidX, double pillWidth, std::optional<QRectF> container);

} // namespace ostreldesignkit
