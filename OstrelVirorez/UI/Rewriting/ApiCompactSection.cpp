#include "OstrelVirorez/UI/Rewriting/ApiCompactSection.hpp"

#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/LogicalFontSize.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSectionModel.hpp"
#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"
#include "OstrelVirorez/UI/Rewriting/SymbolButton.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;
using ostreldesignkit::OstrelFontWeight;

QComboBox* smallPicker(QWidget* parent) {
    auto* picker = new QComboBox(parent); // owned by parent
    picker->setFont(ostreldesignkit::ostrelFont(11, OstrelFontWeight::regular));
    picker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return picker;
}

QLabel* wrappedNote(const QString& text, QWidget* parent) {
    auto* note = styledLabel(text, 10, OstrelFontWeight::regular, Color::ostrelTextTertiary(), parent);
    note->setWordWrap(true);
    return note;
}

} // namespace

ApiCompactSection::ApiCompactSection(ApiCompactSectionModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* stack = new QVBoxLayout(this); // owned by this widget
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    stack->addWidget(keyHeader());
    stack->addWidget(keyRow());
    saveError_ = wrappedNote({}, this);
    saveError_->setObjectName("saveError");
    setTextColor(*saveError_, VirorezColors::warning());
    stack->addWidget(saveError_);
    buildModelPicker();
    stack->addWidget(modelPicker_);
    stack->addWidget(new ostreldesignkit::OstrelDividerWidget(this));
    stack->addWidget(backtrackRow());
    stack->addWidget(wrappedNote(
        QStringLiteral("„eigentlich …“, „streich das“, „ich meine“ usw. lassen die vorherige Aussage verwerfen und nur "
                       "die Korrektur behalten."),
        this));
    stack->addWidget(new ostreldesignkit::OstrelDividerWidget(this));
    stack->addWidget(styledLabel(QStringLiteral("REWRITE-ANBIETER"), 11, OstrelFontWeight::demiBold,
                                 Color::ostrelTextSecondary(), this));
    buildProviderPicker();
    stack->addWidget(providerPicker_);
    providerNote_ = wrappedNote({}, this);
    stack->addWidget(providerNote_);
    modelChanged_ = model_.changed().connect([this] { refresh(); });
    refresh();
}

QWidget* ApiCompactSection::keyHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header); // owned by header
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    statusDot_ = new ostreldesignkit::OstrelStatusDotWidget({model_.keyStatusColor(), 8, true}, header);
    row->addWidget(statusDot_);
    row->addWidget(
        styledLabel(QStringLiteral("API KEY"), 11, OstrelFontWeight::demiBold, Color::ostrelTextSecondary(), header));
    row->addStretch(1);
    return header;
}

QWidget* ApiCompactSection::keyRow() {
    auto* host = new QWidget(this);
    auto* row = new QHBoxLayout(host); // owned by host
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    keyField_ = new QLineEdit(host);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ostreldesignkit::setLogicalSize(mono, 10);
    keyField_->setFont(mono);
    keyField_->setPlaceholderText(qt(ApiCompactSectionModel::keyPlaceholder()));
    QObject::connect(keyField_, &QLineEdit::textEdited,
                     [this](const QString& text) { model_.setApiKey(text.toStdString()); });
    row->addWidget(keyField_, 1);
    revealButton_ = new SymbolButton(model_.revealSymbol(), 11, Color::ostrelTextSecondary(), QSize(16, 16), host);
    QObject::connect(revealButton_, &QAbstractButton::clicked, [this] { model_.toggleShowKey(); });
    row->addWidget(revealButton_);
    saveButton_ = new SymbolButton("checkmark.circle.fill", 13, model_.saveSymbolColor(), QSize(18, 18), host);
    QObject::connect(saveButton_, &QAbstractButton::clicked, [this] { model_.save(); });
    row->addWidget(saveButton_);
    return host;
}

QWidget* ApiCompactSection::backtrackRow() {
    auto* host = new QWidget(this);
    auto* row = new QHBoxLayout(host); // owned by host
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = styledLabel(QStringLiteral("Backtrack (Selbstkorrektur)"), 11, OstrelFontWeight::regular,
                              std::nullopt, host);
    label->setWordWrap(true);
    row->addWidget(label, 1);
    row->addStretch(1);
    backtrack_ = new OstrelSwitch(host);
    QObject::connect(backtrack_, &QAbstractButton::toggled, [this](bool on) { model_.setBacktrackEnabled(on); });
    row->addWidget(backtrack_);
    return host;
}

void ApiCompactSection::buildModelPicker() {
    modelPicker_ = smallPicker(this);
    for (const auto& option : ApiCompactSectionModel::modelOptions()) {
        modelPicker_->addItem(qt(option.label), qt(option.modelID));
    }
    QObject::connect(modelPicker_, &QComboBox::activated, [this](int index) {
        model_.setClaudeModel(modelPicker_->itemData(index).toString().toStdString());
    });
}

void ApiCompactSection::buildProviderPicker() {
    providerPicker_ = smallPicker(this);
    for (const auto& option : ApiCompactSectionModel::providerOptions()) {
        providerPicker_->addItem(qt(option.label), static_cast<int>(option.provider));
    }
    QObject::connect(providerPicker_, &QComboBox::activated, [this](int index) {
        model_.setRewriteProvider(ApiCompactSectionModel::providerOptions().at(std::size_t(index)).provider);
        refresh(); // a refused choice shows the stored provider again
    });
}

void ApiCompactSection::refresh() {
    statusDot_->setDot({model_.keyStatusColor(), 8, true});
    const auto key = qt(model_.apiKey());
    if (keyField_->text() != key) keyField_->setText(key);
    keyField_->setEchoMode(model_.showKey() ? QLineEdit::Normal : QLineEdit::Password);
    revealButton_->setSymbol(model_.revealSymbol());
    saveButton_->setEnabled(model_.canSave());
    saveButton_->setColor(model_.saveSymbolColor());
    saveError_->setText(qt(model_.saveError().value_or("")));
    saveError_->setVisible(model_.saveError().has_value());

    const QSignalBlocker blockModel(modelPicker_);
    modelPicker_->setCurrentIndex(modelPicker_->findData(qt(model_.claudeModel())));
    const QSignalBlocker blockSwitch(backtrack_);
    backtrack_->setChecked(model_.backtrackEnabled());

    const QSignalBlocker blockProvider(providerPicker_);
    const auto& providers = ApiCompactSectionModel::providerOptions();
    auto* items = qobject_cast<QStandardItemModel*>(providerPicker_->model());
    for (std::size_t index = 0; index < providers.size(); ++index) {
        items->item(int(index))->setEnabled(model_.providerSelectable(providers[index].provider));
    }
    providerPicker_->setCurrentIndex(providerPicker_->findData(static_cast<int>(model_.rewriteProvider())));
    providerPicker_->setEnabled(model_.providerPickerEnabled());
    providerNote_->setText(qt(model_.providerNote()));
    update();
}

} // namespace ostrelvirorez
