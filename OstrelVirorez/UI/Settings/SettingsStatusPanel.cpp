#include "OstrelVirorez/UI/Settings/SettingsStatusPanel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/UI/Settings/SettingsStatusModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QFontMetrics>
#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

void setTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

QLabel* microText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent); // owned by the caller's layout
    ostreldesignkit::applyTextStyle(*label, ostreldesignkit::TextStyle::micro);
    return label;
}

// A heading over one value, two points apart.
QVBoxLayout* block(QLabel* heading, QLabel* value) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(heading);
    column->addWidget(value);
    return column;
}

} // namespace

SettingsStatusPanel::SettingsStatusPanel(SettingsStatusModel& model, QWidget* parent)
    : QWidget(parent), model_(model), stack_(new QVBoxLayout(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->setSpacing(8);
    refresh();
    modelChanged_ = model_.changed().connect([this] { refresh(); });
}

SettingsStatusPanel::~SettingsStatusPanel() { modelChanged_.disconnect(); }

void SettingsStatusPanel::refresh() {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
    while (QLayoutItem* item = stack_->takeAt(0)) delete item;
    errorText_ = nullptr;

    stack_->addWidget(new VirorezStatusDot(model_.isMicrophoneGranted(), QStringLiteral("Mikrofon"), this));
    stack_->addWidget(new VirorezStatusDot(model_.isAccessibilityTrusted(), QStringLiteral("Bedienungshilfen"), this));
    stack_->addWidget(new OstrelAppDivider(this));

    engineLine_ = new QLabel(model_.engineStatusText(), this);
    engineLine_->setFont(ostreldesignkit::ostrelFont(12, OstrelFontWeight::medium));
    // An engine's error can be long: it wraps at word boundaries.
    engineLine_->setWordWrap(true);
    setTextColor(*engineLine_, model_.engineStatusColor());
    stack_->addLayout(block(microText(QStringLiteral("Engine"), this), engineLine_));

    if (const auto error = model_.lastError()) {
        stack_->addWidget(new OstrelAppDivider(this));
        errorText_ = new QLabel(*error, this);
        errorText_->setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::regular));
        errorText_->setWordWrap(true);
        // At most four lines; the rest is cut.
        errorText_->setMaximumHeight(QFontMetrics(errorText_->font()).lineSpacing() * maximumErrorLines);
        errorText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setTextColor(*errorText_, Color::withOpacity(Color::ostrelRecording(), 0.85));
        stack_->addLayout(block(microText(QStringLiteral("Letzter Fehler"), this), errorText_));
    }
    // At once, not on the layout's next turn.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->show();
}

} // namespace ostrelvirorez
