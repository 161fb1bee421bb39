#include "OstrelVirorez/UI/Editors/EditorWidgets.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QEnterEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ostrelvirorez::editors {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

QString qtText(const std::string& text) { return QString::fromStdString(text); }
std::string stdText(const QString& text) { return text.toStdString(); }

QLabel* makeText(const QString& text, double size, OstrelFontWeight weight, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(ostreldesignkit::ostrelFont(size, weight));
    setTextColor(*label, color);
    return label;
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    ostreldesignkit::applyTextStyle(*label, ostreldesignkit::TextStyle::caption);
    return label;
}

QLabel* makeSymbol(const std::string& name, int size, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(name, size, color)));
    label->setFixedSize(size, size);
    return label;
}

LabelledField makeLabelledField(const QString& label, const QString& placeholder, QWidget* parent) {
    auto* block = new QWidget(parent);
    auto* column = new QVBoxLayout(block); // owned by the block
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(makeText(label, 11, OstrelFontWeight::medium, Color::ostrelTextSecondary(), block));
    auto* field = new QLineEdit(block);
    field->setPlaceholderText(placeholder);
    field->setFont(ostreldesignkit::ostrelFont(15, OstrelFontWeight::regular));
    column->addWidget(field);
    return {block, field};
}

void showText(QLineEdit& field, const std::string& text) {
    if (stdText(field.text()) == text) return;
    const QSignalBlocker block(&field);
    field.setText(qtText(text));
}

FramedTextEditor::FramedTextEditor(double fontSize, int padding, int minimumHeight, QWidget* parent)
    : QWidget(parent), editor_(new QPlainTextEdit(this)) {
    auto* layout = new QVBoxLayout(this); // owned by this widget
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(editor_);
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setFont(ostreldesignkit::ostrelFont(fontSize, OstrelFontWeight::regular));
    QPalette palette = editor_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Color::primary());
    editor_->setPalette(palette);
    editor_->viewport()->setAutoFillBackground(false);
    setMinimumHeight(minimumHeight);
}

void FramedTextEditor::showText(const QString& text) {
    if (editor_->toPlainText() == text) return;
    const QSignalBlocker block(editor_);
    editor_->setPlainText(text);
}

void FramedTextEditor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(Color::withOpacity(Qt::black, 0.2));
    painter.setPen(QPen(Color::withOpacity(Qt::white, 0.06), 1));
    painter.drawRoundedRect(area, 8, 8);
}

RoundedFill::RoundedFill(QColor fill, double radius, QWidget* parent)
    : QWidget(parent), fill_(fill), radius_(radius) {}

void RoundedFill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill_);
    painter.drawRoundedRect(QRectF(rect()), radius_, radius_);
}

HoverRow::HoverRow(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_Hover); }

void HoverRow::enterEvent(QEnterEvent* event) {
    isHovering_ = true;
    update();
    QWidget::enterEvent(event);
}

void HoverRow::leaveEvent(QEvent* event) {
    isHovering_ = false;
    update();
    QWidget::leaveEvent(event);
}

void HoverRow::paintEvent(QPaintEvent*) {
    if (!isHovering_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Color::ostrelHover());
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

QToolButton* makeSymbolButton(const std::string& symbol, int size, const QColor& color, const QString& tooltip,
                              QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIcon(QIcon(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(symbol, size * 2, color))));
    button->setIconSize(QSize(size, size));
    button->setToolTip(tooltip);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet("QToolButton { border: none; background: transparent; padding: 0; }");
    return button;
}

TabColumn makeTabColumn(QWidget* owner) {
    auto* outer = new QVBoxLayout(owner); // owned by the owner
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(owner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->viewport()->setAutoFillBackground(false);
    auto* column = new QWidget(scroll);
    column->setAutoFillBackground(false);
    auto* padded = new QVBoxLayout(column); // owned by the column
    padded->setContentsMargins(16, 16, 16, 16);
    auto* parts = new QVBoxLayout;
    parts->setSpacing(16);
    padded->addLayout(parts); // owned by the padded layout
    // Extra height goes below the parts; aligning the layout instead would
    // size wrapped texts by their one-line hint.
    padded->addStretch(1);
    scroll->setWidget(column);
    outer->addWidget(scroll);
    return {scroll, parts};
}

ConfirmationPresenter::ConfirmationPresenter(QWidget& parent, std::function<void(bool)> answer)
    : parent_(parent), answer_(std::move(answer)) {}

// The alert answers through the view-model, which goes before the parent widget.
ConfirmationPresenter::~ConfirmationPresenter() { delete alert_.data(); }

void ConfirmationPresenter::sync(const std::optional<ConfirmationRequest>& request) {
    if (!request) {
        if (alert_) retire(std::exchange(alert_, nullptr));
        return;
    }
    if (alert_) return;
    auto* alert = new QMessageBox(&parent_);
    alert->setWindowModality(Qt::WindowModal);
    alert->setText(qtText(request->title));
    alert->setInformativeText(qtText(request->message));
    alert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    auto* confirm = alert->addButton(qtText(request->confirmTitle), QMessageBox::DestructiveRole);
    QObject::connect(alert, &QMessageBox::buttonClicked, alert,
                     [answer = answer_, confirm](QAbstractButton* button) { answer(button == confirm); });
    QObject::connect(alert, &QDialog::rejected, alert, [answer = answer_] { answer(false); });
    alert_ = alert;
    alert->open();
}

void retire(QWidget* widget) {
    if (!widget) return;
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}

} // namespace ostrelvirorez::editors
