#include "OstrelVirorez/UI/Settings/HoverTooltip.hpp"

#include "OstrelDesignKit/Tooltip/OstrelTooltipPill.hpp"

#include <QEvent>
#include <QWidget>

namespace ostrelvirorez {

HoverTooltip::HoverTooltip(QWidget& anchor, QString text, ostreldesignkit::TooltipEdge edge,
                           platform::MainQueue& queue)
    : QObject(&anchor), anchor_(anchor), edge_(edge), queue_(queue) {
    makeModel(text);
    anchor_.installEventFilter(this);
}

HoverTooltip::~HoverTooltip() { delete pill_.data(); }

void HoverTooltip::setText(const QString& text) {
    if (text == model_->text()) return;
    showPill(false);
    makeModel(text);
}

void HoverTooltip::makeModel(const QString& text) {
    model_ = std::make_unique<ostreldesignkit::OstrelTooltipModel>(text, std::nullopt, edge_, queue_);
    model_->onShownChanged([this](bool shown) { showPill(shown); });
}

bool HoverTooltip::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter: model_->pointerInside(true); break;
    case QEvent::Leave: model_->pointerInside(false); break;
    case QEvent::MouseButtonPress: model_->clicked(); break;
    default: break;
    }
    return false;
}

void HoverTooltip::showPill(bool shown) {
    if (!shown) {
        delete pill_.data();
        return;
    }
    QWidget* window = anchor_.window();
    auto* pill = new ostreldesignkit::OstrelTooltipPill(model_->text(), std::nullopt, window); // owned by window
    pill->adjustSize();
    model_->setAnchorFrame(QRectF(anchor_.mapTo(window, QPoint(0, 0)), QSizeF(anchor_.size())));
    model_->setPillSize(QSizeF(pill->size()));
    pill->setGeometry(model_->pillFrame(QRectF(window->rect())).toRect());
    pill->show();
    pill->raise();
    pill_ = pill;
}

} // namespace ostrelvirorez
