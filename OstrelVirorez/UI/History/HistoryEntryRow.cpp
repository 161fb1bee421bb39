#include "OstrelVirorez/UI/History/HistoryEntryRow.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

constexpr double rowRadius = 8;

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

// The lines of one paragraph broken at `width`.
QStringList wrapParagraph(const QString& paragraph, const QFont& font, int width) {
    if (paragraph.isEmpty()) return {QString()};
    QStringList lines;
    QTextLayout layout(paragraph, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

} // namespace

HistoryEntryText::HistoryEntryText(const QString& text, int maxLines, QWidget* parent)
    : QWidget(parent), text_(text), maxLines_(maxLines) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList HistoryEntryText::shownLines(int width) const {
    if (width < 0) width = this->width();
    width = std::max(width, 1);
    QStringList all;
    for (const QString& paragraph : text_.split(QLatin1Char('\n'))) all << wrapParagraph(paragraph, font(), width);
    if (all.size() <= maxLines_) return all;
    QStringList shown = all.mid(0, maxLines_ - 1);
    const QString rest = all.mid(maxLines_ - 1).join(QLatin1Char(' ')).simplified();
    QString last = QFontMetrics(font()).elidedText(rest + QChar(0x2026), Qt::ElideRight, width);
    if (!last.endsWith(QChar(0x2026))) last += QChar(0x2026);
    shown << last;
    return shown;
}

int HistoryEntryText::heightForWidth(int width) const {
    return int(shownLines(width).size()) * QFontMetrics(font()).lineSpacing();
}

QSize HistoryEntryText::sizeHint() const { return {200, heightForWidth(200)}; }

QSize HistoryEntryText::minimumSizeHint() const { return {40, QFontMetrics(font()).lineSpacing()}; }

void HistoryEntryText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    int y = metrics.ascent();
    for (const QString& line : shownLines()) {
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
}

HistoryEntryRow::HistoryEntryRow(Content content, std::function<void()> onDelete, QWidget* parent)
    : QWidget(parent), entry_(std::move(content.entry)) {
    setAttribute(Qt::WA_Hover);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(4, 6, 4, 6);
    stack->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* mode = new QLabel(this);
    mode->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(content.modeSymbol, 11, content.modeColor)));
    mode->setObjectName(QStringLiteral("modeIcon"));
    top->addWidget(mode);
    auto* app = new QLabel(content.appName, this);
    app->setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::medium));
    setTextColor(*app, Color::ostrelTextSecondary());
    top->addWidget(app);
    top->addStretch(1);
    auto* age = new QLabel(content.age, this);
    ostreldesignkit::applyTextStyle(*age, ostreldesignkit::TextStyle::caption);
    top->addWidget(age);
    auto* remove = new QToolButton(this);
    remove->setAutoRaise(true);
    remove->setIcon(QIcon(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(
        "xmark.circle.fill", 14, Color::withOpacity(Color::ostrelTextSecondary(), 0.6)))));
    remove->setToolTip(QStringLiteral("Löschen"));
    remove->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(remove, &QAbstractButton::clicked, this, [onDelete = std::move(onDelete)] { onDelete(); });
    deleteButton_ = remove;
    top->addWidget(remove);
    stack->addLayout(top);

    text_ = new HistoryEntryText(QString::fromStdString(entry_.text), 3, this);
    text_->setFont(ostreldesignkit::ostrelFont(14, OstrelFontWeight::regular));
    setTextColor(*text_, Color::primary());
    stack->addWidget(text_);
}

void HistoryEntryRow::enterEvent(QEnterEvent*) {
    hovering_ = true;
    update();
}

void HistoryEntryRow::leaveEvent(QEvent*) {
    hovering_ = false;
    update();
}

void HistoryEntryRow::paintEvent(QPaintEvent*) {
    if (!hovering_) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Color::ostrelHover());
    painter.drawRoundedRect(QRectF(rect()), rowRadius, rowRadius);
}

} // namespace ostrelvirorez
