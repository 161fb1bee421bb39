#pragma once
// Attaches the kit's hover tooltip to a widget: the pointer entering the
// widget starts the tooltip's delay, leaving or clicking hides it, and the
// pill is shown inside the widget's window where the tooltip model places it.

#include "OstrelDesignKit/Tooltip/OstrelTooltipModel.hpp"
#include "OstrelDesignKit/Tooltip/OstrelTooltipPill.hpp"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QWidget;

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class HoverTooltip final : public QObject {
public:
    // Lives as a child of `anchor`; `queue` runs the show delay.
    HoverTooltip(QWidget& anchor, QString text, ostreldesignkit::TooltipEdge edge, platform::MainQueue& queue);
    ~HoverTooltip() override;

    QString text() const { return model_->text(); }
    // A new text hides a pill on screen; the next hover shows the new one.
    void setText(const QString& text);
    bool isShown() const { return model_->isShown(); }
    // The pill on screen, if any.
    ostreldesignkit::OstrelTooltipPill* pill() const { return pill_.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeModel(const QString& text);
    void showPill(bool shown);

    QWidget& anchor_;
    ostreldesignkit::TooltipEdge edge_;
    platform::MainQueue& queue_;
    std::unique_ptr<ostreldesignkit::OstrelTooltipModel> model_;
    QPointer<ostreldesignkit::OstrelTooltipPill> pill_;
};

} // namespace ostrelvirorez
