#include "OstrelVirorez/UI/General/EngineStatusView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTextLayout>

namespace ostrelvirorez::general {
namespace {

using Look = SpeechEngineModel::StatusLine::Look;
using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;
using ostreldesignkit::ostrelFont;

QLabel* styledLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    setTextColor(*label, color);
    return label;
}

} // namespace

EngineStatusView::EngineStatusView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this); // owned by this widget
    layout->setContentsMargins(0, 0, 0, 0);
    display({});
}

QString EngineStatusView::fitToLines(const QString& text, const QFont& font, int width, int lines) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList shown;
    bool cut = false;
    for (int line = 0; line < lines; ++line) {
        QTextLine next = layout.createLine();
        if (!next.isValid()) break;
        next.setLineWidth(width);
        if (line == lines - 1 && next.textStart() + next.textLength() < text.size()) {
            shown << QFontMetrics(font).elidedText(text.mid(next.textStart()), Qt::ElideRight, width);
            cut = true;
        } else {
            shown << text.mid(next.textStart(), next.textLength());
        }
    }
    layout.endLayout();
    // A cut text keeps the breaks it was measured with.
    if (!cut) return text;
    for (auto& part : shown) part = part.trimmed();
    return shown.join(QLatin1Char('\n'));
}

void EngineStatusView::display(const SpeechEngineModel::StatusLine& line) {
    look_ = line.look;
    delete current_;
    current_ = new QWidget(this);
    auto* row = new QHBoxLayout(current_); // owned by current_
    row->setContentsMargins(0, 0, 0, 0);
    const QString text = QString::fromStdString(line.text);
    switch (line.look) {
    case Look::notLoaded:
        text_ = styledLabel(text, ostrelFont(12, OstrelFontWeight::regular), Color::ostrelTextSecondary(), current_);
        row->addWidget(text_);
        break;
    case Look::busy: {
        row->setSpacing(6);
        auto* spinner = new QProgressBar(current_);
        spinner->setRange(0, 0);
        spinner->setTextVisible(false);
        spinner->setFixedSize(16, 16);
        row->addWidget(spinner, 0, Qt::AlignVCenter);
        text_ = styledLabel(text, ostrelFont(12, OstrelFontWeight::medium), VirorezColors::warning(), current_);
        row->addWidget(text_, 0, Qt::AlignVCenter);
        break;
    }
    case Look::ready:
        text_ = nullptr;
        row->addWidget(new VirorezStatusDot(true, text, current_));
        break;
    case Look::failed: {
        row->setSpacing(4);
        auto* symbol = new QLabel(current_);
        symbol->setPixmap(QPixmap::fromImage(
            ostreldesignkit::SymbolImage::render("exclamationmark.triangle.fill", 12, Color::ostrelRecording())));
        row->addWidget(symbol, 0, Qt::AlignVCenter);
        const QFont font = ostrelFont(11, OstrelFontWeight::regular);
        text_ = styledLabel(fitToLines(text, font, messageWidth, messageLines), font, Color::ostrelRecording(),
                            current_);
        text_->setWordWrap(true);
        text_->setFixedWidth(messageWidth);
        text_->setToolTip(text);
        row->addWidget(text_, 0, Qt::AlignVCenter);
        break;
    }
    }
    layout()->addWidget(current_);
}

QString EngineStatusView::shownText() const {
    if (text_) return text_->text();
    return look_ == Look::ready ? QStringLiteral("Ready") : QString();
}

} // namespace ostrelvirorez::general
