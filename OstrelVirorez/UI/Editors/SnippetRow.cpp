#include "OstrelVirorez/UI/Editors/SnippetRow.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Editors/SnippetsSettingsModel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace ostrelvirorez {

using namespace editors;

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

SnippetRow::SnippetRow(Snippet snippet, SnippetsSettingsModel& model, QWidget* parent)
    : HoverRow(parent), snippet_(std::move(snippet)) {
    auto* row = new QHBoxLayout(this); // owned by this row
    row->setContentsMargins(4, 8, 4, 8);
    row->setSpacing(12);
    row->setAlignment(Qt::AlignTop);

    // The switch at 0.8 of its size.
    enabledSwitch_ = new OstrelSwitch(this);
    enabledSwitch_->setFixedSize(26, 14);
    enabledSwitch_->setChecked(snippet_.isEnabled);
    QObject::connect(enabledSwitch_, &QAbstractButton::toggled, this,
                     [this, &model](bool on) { model.setEnabled(snippet_, on); });
    row->addWidget(enabledSwitch_, 0, Qt::AlignTop);

    auto* texts = new QWidget(this);
    auto* column = new QVBoxLayout(texts); // owned by the texts
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(makeText("\"" + qtText(snippet_.trigger) + "\"", 12, OstrelFontWeight::demiBold,
                               Color::primary(), texts));
    replacement_ = makeText(qtText(SnippetsSettingsModel::rowReplacementText(snippet_.replacement)), 11,
                            OstrelFontWeight::regular, Color::ostrelTextSecondary(), texts);
    replacement_->setWordWrap(true);
    replacement_->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    replacement_->setMaximumHeight(2 * QFontMetrics(replacement_->font()).lineSpacing());
    replacement_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(replacement_);
    row->addWidget(texts, 1);

    editButton_ = makeSymbolButton("pencil", 14, Color::withOpacity(Color::ostrelTextSecondary(), 0.7),
                                   QStringLiteral("Edit"), this);
    QObject::connect(editButton_, &QToolButton::clicked, this, [this, &model] { model.beginEditing(snippet_); });
    row->addWidget(editButton_, 0, Qt::AlignTop);
    deleteButton_ = makeSymbolButton("xmark.circle.fill", 14, Color::withOpacity(Color::ostrelTextSecondary(), 0.6),
                                     QStringLiteral("Delete"), this);
    QObject::connect(deleteButton_, &QToolButton::clicked, this, [this, &model] { model.remove(snippet_); });
    row->addWidget(deleteButton_, 0, Qt::AlignTop);
}

} // namespace ostrelvirorez
