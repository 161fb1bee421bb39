#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsView.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeyGroupSection.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

QLabel* symbolLabel(const std::string& symbol, int size, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent); // owned by the caller's row
    label->setPixmap(QPixmap::fromImage(ostreldesignkit::SymbolImage::render(symbol, size, color)));
    return label;
}

QWidget* duplicateWarningRow() {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row); // owned by the row
    line->setContentsMargins(4, 0, 4, 0);
    line->setSpacing(8);
    const QColor warning = VirorezColors::warning();
    line->addWidget(symbolLabel("exclamationmark.triangle.fill", 13, warning, row));
    auto* text = new QLabel(QStringLiteral("Duplicate keys detected — please choose different keys."), row);
    text->setFont(ostreldesignkit::ostrelFont(13, OstrelFontWeight::medium));
    setTextColor(*text, warning);
    line->addWidget(text, 1);
    return row;
}

QWidget* hintRow(const HotkeyHint& hint) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row); // owned by the row
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    QLabel* symbol = symbolLabel(hint.symbol, 16, hint.color, row);
    symbol->setFixedWidth(24);
    symbol->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    line->addWidget(symbol, 0, Qt::AlignTop);
    auto* text = new QLabel(hint.text, row);
    text->setFont(ostreldesignkit::ostrelFont(13, OstrelFontWeight::regular));
    text->setWordWrap(true);
    setTextColor(*text, Color::ostrelTextSecondary());
    line->addWidget(text, 1);
    return row;
}

QWidget* makeHintsSection() {
    auto* section = new OstrelSection(QStringLiteral("How It Works"));
    auto* column = new QWidget;
    auto* rows = new QVBoxLayout(column); // owned by the column
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);
    const auto& hints = HotkeySettingsModel::hints();
    for (std::size_t index = 0; index < hints.size(); ++index) {
        if (index > 0) rows->addWidget(new OstrelAppDivider);
        rows->addWidget(hintRow(hints[index]));
    }
    section->addContent(column);
    return section;
}

} // namespace

HotkeySettingsView::HotkeySettingsView(AppSettings& settings, QWidget* parent)
    : QScrollArea(parent), model_(settings) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    stack_ = new QVBoxLayout(page);
    stack_->setContentsMargins(16, 16, 16, 16);
    stack_->setSpacing(16);
    editable_ = new QVBoxLayout;
    editable_->setContentsMargins(0, 0, 0, 0);
    editable_->setSpacing(16);
    stack_->addLayout(editable_);
    hints_ = makeHintsSection();
    stack_->addWidget(hints_);
    stack_->addStretch(1);
    setWidget(page);
    viewport()->setAutoFillBackground(false);
    redraw();
    settingsChanged_ = model_.settingsChanged().connect([this](const std::string&) { redraw(); });
}

HotkeySettingsView::~HotkeySettingsView() { settingsChanged_.disconnect(); }

HotkeyGroupSection& HotkeySettingsView::section(HotkeyGroupKind kind) const {
    return *sections_[static_cast<std::size_t>(kind)];
}

void HotkeySettingsView::redraw() {
    // The old widgets go later: the edit that led here may still be running
    // inside one of them.
    while (QLayoutItem* item = editable_->takeAt(0)) {
        if (QWidget* old = item->widget()) {
            old->hide();
            old->deleteLater();
        }
        delete item;
    }
    for (const auto& group : HotkeySettingsModel::groups()) {
        auto* section = new HotkeyGroupSection(model_, group.kind, widget());
        sections_[static_cast<std::size_t>(group.kind)] = section;
        editable_->addWidget(section);
        section->show(); // at once, not on the layout's next turn
    }
    warning_ = nullptr;
    if (model_.hasDuplicateKeys()) {
        warning_ = duplicateWarningRow();
        editable_->addWidget(warning_);
        warning_->show();
    }
}

} // namespace ostrelvirorez
