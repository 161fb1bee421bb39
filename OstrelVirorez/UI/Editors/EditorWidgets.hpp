#pragma once
// The small widgets the three editor tabs share: texts in the kit's faces,
// the labelled text field, the framed multi-line editor, the rounded fills of
// rows, chips and badges, the symbol button, the scrolling tab column, and
// the alert that asks a view-model's confirmation question.

#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/Editors/ConfirmationRequest.hpp"

#include <QColor>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace ostrelvirorez::editors {

QString qtText(const std::string& text);
std::string stdText(const QString& text);

using ostreldesignkit::setTextColor;
QLabel* makeText(const QString& text, double size, ostreldesignkit::OstrelFontWeight weight, const QColor& color,
                 QWidget* parent);
// The kit's caption style, wrapping.
QLabel* makeCaption(const QString& text, QWidget* parent);
QLabel* makeSymbol(const std::string& name, int size, const QColor& color, QWidget* parent);

// A column of a label (Medium 11, secondary) over a single-line field.
struct LabelledField {
    QWidget* block;
    QLineEdit* field;
};
LabelledField makeLabelledField(const QString& label, const QString& placeholder, QWidget* parent);
// Sets the field's text, without announcing it, only when it differs.
void showText(QLineEdit& field, const std::string& text);

// A multi-line text editor on a rounded dark fill with a faint inner rim.
class FramedTextEditor final : public QWidget {
public:
    FramedTextEditor(double fontSize, int padding, int minimumHeight, QWidget* parent = nullptr);
    QPlainTextEdit& editor() const { return *editor_; }
    // Replaces the text only when it differs, so the cursor stays put while typing.
    void showText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPlainTextEdit* editor_; // owned by this widget
};

// A widget drawn on a rounded rectangle of one colour (chips, badges).
class RoundedFill final : public QWidget {
public:
    RoundedFill(QColor fill, double radius, QWidget* parent = nullptr);
    QColor fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    double radius_;
};

// A list row that fills its rounded rectangle with the hover colour while the
// pointer is over it.
class HoverRow : public QWidget {
public:
    explicit HoverRow(QWidget* parent = nullptr);
    bool isHovering() const { return isHovering_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isHovering_ = false;
};

// A borderless button showing one symbol, with a tooltip.
QToolButton* makeSymbolButton(const std::string& symbol, int size, const QColor& color, const QString& tooltip,
                              QWidget* parent);

// The tab's vertical scroll view around `column`, padded 16 on every side,
// its parts 16 apart.
struct TabColumn {
    QScrollArea* scroll;
    QVBoxLayout* layout;
};
TabColumn makeTabColumn(QWidget* owner);

// Shows the alert for a view-model's open question and closes it when the
// question is gone; the buttons answer through `answer`.
class ConfirmationPresenter {
public:
    ConfirmationPresenter(QWidget& parent, std::function<void(bool confirmed)> answer);
    ~ConfirmationPresenter();
    ConfirmationPresenter(const ConfirmationPresenter&) = delete;
    ConfirmationPresenter& operator=(const ConfirmationPresenter&) = delete;
    void sync(const std::optional<ConfirmationRequest>& request);
    QMessageBox* alert() const { return alert_; }

private:
    QWidget& parent_;
    std::function<void(bool)> answer_;
    QPointer<QMessageBox> alert_;
};

// Removes `widget` from its layout and deletes it once control returns to the
// event loop, so that it may be replaced from one of its own handlers.
void retire(QWidget* widget);

} // namespace ostrelvirorez::editors
