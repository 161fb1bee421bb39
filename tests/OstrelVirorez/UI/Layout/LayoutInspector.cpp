#include "tests/OstrelVirorez/UI/Layout/LayoutInspector.hpp"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>

#include <vector>

namespace ostrelvirorez::testing {
namespace {

bool isShown(const QWidget& widget) { return widget.isVisible() && widget.width() > 0 && widget.height() > 0; }

bool isScrollViewport(const QWidget& widget) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(widget.parentWidget());
    return area != nullptr && area->viewport() == &widget;
}

// Where a label's text or picture lies inside it: a label wider than its
// text leaves the rest empty, and a button floating there covers nothing.
QRect inkRect(const QWidget& widget) {
    const auto* label = qobject_cast<const QLabel*>(&widget);
    if (label == nullptr || label->wordWrap()) return widget.rect();
    const QRect inside = label->contentsRect();
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                               label->sizeHint().boundedTo(inside.size()), inside);
}

// The part of `widget` not cut away by any of its parents, in `root`'s coordinates.
QRect visibleRect(const QWidget& widget, const QWidget& root) {
    QRect visible = inkRect(widget).translated(widget.mapTo(&root, QPoint(0, 0)));
    for (const QWidget* parent = widget.parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        visible &= QRect(parent->mapTo(&root, QPoint(0, 0)), parent->size());
        if (parent == &root) break;
    }
    return visible;
}

// Labels, buttons, fields and pickers: what a user reads or clicks.
bool isControlOrText(const QWidget& widget) {
    if (qobject_cast<const QScrollBar*>(&widget)) return false;
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return !label->text().isEmpty() || !label->pixmap().isNull();
    return qobject_cast<const QAbstractButton*>(&widget) || qobject_cast<const QLineEdit*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QAbstractSpinBox*>(&widget) ||
           qobject_cast<const QTextEdit*>(&widget) || qobject_cast<const QPlainTextEdit*>(&widget);
}

// The descendant that most likely holds `widget` wide: at each level the
// visible child asking for the most width, down to one without children.
QString widestPart(const QWidget& widget) {
    const QWidget* widest = &widget;
    for (bool deeper = true; deeper;) {
        deeper = false;
        const QWidget* next = nullptr;
        for (const QObject* child : widest->children()) {
            const auto* part = qobject_cast<const QWidget*>(child);
            if (part == nullptr || part->isWindow() || !part->isVisible()) continue;
            if (next == nullptr || part->minimumSizeHint().width() > next->minimumSizeHint().width()) next = part;
        }
        if (next != nullptr) {
            widest = next;
            deeper = true;
        }
    }
    return QStringLiteral("%1 (asks for %2)").arg(describeWidget(*widest)).arg(widest->minimumSizeHint().width());
}

void checkFrame(const QWidget& widget, QStringList& faults) {
    const QWidget* parent = widget.parentWidget();
    if (parent == nullptr || widget.isWindow()) return;
    const QRect frame = widget.geometry();
    const QRect inside = parent->rect();
    const bool scrolls = isScrollViewport(*parent);
    const bool sideways = frame.left() < inside.left() || frame.right() > inside.right();
    const bool upDown = frame.top() < inside.top() || frame.bottom() > inside.bottom();
    if (sideways || (upDown && !scrolls)) {
        faults << QStringLiteral("clipped by its parent: %1 at %2,%3 %4x%5 in %6 %7x%8; widest part: %9")
                      .arg(describeWidget(widget))
                      .arg(frame.x())
                      .arg(frame.y())
                      .arg(frame.width())
                      .arg(frame.height())
                      .arg(describeWidget(*parent))
                      .arg(inside.width())
                      .arg(inside.height())
                      .arg(widestPart(widget));
    }
}

void checkText(const QWidget& widget, QStringList& faults) {
    QSize needed;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty() && label->pixmap().isNull()) return;
        // A label that ends its text with an ellipsis shortens it on purpose.
        if (label->property("elidesText").toBool()) return;
        needed = label->wordWrap() ? QSize(label->minimumSizeHint().width(), label->heightForWidth(label->width()))
                                   : label->minimumSizeHint();
    } else if (const auto* push = qobject_cast<const QPushButton*>(&widget)) {
        if (push->text().isEmpty()) return;
        // The style's smallest button width is a look, not the room the text needs.
        const QFontMetrics metrics(push->font());
        const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
        needed = QSize(metrics.horizontalAdvance(push->text()) + icon + 8, metrics.height());
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        // A button laid out of labels is checked through its labels.
        if (button->text().isEmpty() || button->layout() != nullptr) return;
        needed = button->minimumSizeHint().expandedTo(button->sizeHint());
    } else {
        return;
    }
    if (needed.width() <= widget.width() && needed.height() <= widget.height()) return;
    faults << QStringLiteral("text cut: %1 needs %2x%3, has %4x%5")
                  .arg(describeWidget(widget))
                  .arg(needed.width())
                  .arg(needed.height())
                  .arg(widget.width())
                  .arg(widget.height());
}

void collect(const QWidget& widget, const QWidget& root, std::vector<const QWidget*>& controls, QStringList& faults) {
    if (&widget != &root) {
        checkFrame(widget, faults);
        checkText(widget, faults);
        if (isControlOrText(widget) && !visibleRect(widget, root).isEmpty()) controls.push_back(&widget);
    }
    // A control's own parts (a picker's arrow, a field's clear button) are its business.
    if (&widget != &root && isControlOrText(widget) && widget.layout() == nullptr) return;
    for (const QObject* child : widget.children()) {
        const auto* childWidget = qobject_cast<const QWidget*>(child);
        if (childWidget != nullptr && !childWidget->isWindow() && isShown(*childWidget))
            collect(*childWidget, root, controls, faults);
    }
}

bool contains(const QWidget& ancestor, const QWidget& widget) {
    return &ancestor == &widget || ancestor.isAncestorOf(&widget);
}

} // namespace

QString describeWidget(const QWidget& widget) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) text = button->text();
    else if (const auto* field = qobject_cast<const QLineEdit*>(&widget)) text = field->text().isEmpty() ? field->placeholderText() : field->text();
    else if (const auto* picker = qobject_cast<const QComboBox*>(&widget)) text = picker->currentText();
    QString name = QString::fromLatin1(widget.metaObject()->className());
    if (!widget.objectName().isEmpty()) name += QLatin1Char('#') + widget.objectName();
    if (!text.isEmpty()) name += QStringLiteral(" \"%1\"").arg(text.left(40));
    return name;
}

QStringList layoutFaults(const QWidget& root) {
    QStringList faults;
    std::vector<const QWidget*> controls;
    collect(root, root, controls, faults);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QWidget& a = *controls[i];
            const QWidget& b = *controls[j];
            if (contains(a, b) || contains(b, a)) continue;
            const QRect overlap = visibleRect(a, root) & visibleRect(b, root);
            if (overlap.isEmpty()) continue;
            faults << QStringLiteral("overlap: %1 and %2 share %3x%4 at %5,%6")
                          .arg(describeWidget(a), describeWidget(b))
                          .arg(overlap.width())
                          .arg(overlap.height())
                          .arg(overlap.x())
                          .arg(overlap.y());
        }
    }
    return faults;
}

} // namespace ostrelvirorez::testing
