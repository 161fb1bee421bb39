#include "OstrelVirorez/UI/Rewriting/ClaudeSettingsView.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/Claude/SystemLanguageModel.hpp"
#include "OstrelVirorez/App/AppState.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSection.hpp"
#include "OstrelVirorez/UI/Rewriting/ApiCompactSectionModel.hpp"
#include "OstrelVirorez/UI/Rewriting/AppCatalog.hpp"
#include "OstrelVirorez/UI/Rewriting/LabelStyling.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileDetailView.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileListModel.hpp"
#include "OstrelVirorez/UI/Rewriting/ProfileListView.hpp"
#include "OstrelVirorez/UI/Rewriting/SymbolButton.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

QWidget* hairline(QWidget* parent) {
    auto* line = new QWidget(parent); // owned by parent
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Color::ostrelDivider());
    line->setPalette(palette);
    return line;
}

} // namespace

ClaudeSettingsView::ClaudeSettingsView(AppSettings& settings, AppState& appState, QWidget* parent)
    // Linux has no on-device language model.
    : ClaudeSettingsView(settings,
                         Services{appState.keychain(), appState.claudeKeychainKey(),
                                  SystemLanguageModel::unavailable(), DesktopAppCatalog::shared(),
                                  &appState.apiKeyStatus()},
                         parent) {}

ClaudeSettingsView::ClaudeSettingsView(AppSettings& settings, Services services, QWidget* parent)
    : QWidget(parent), settings_(settings), services_(std::move(services)),
      sectionModel_(std::make_unique<ApiCompactSectionModel>(settings, services_.keychain, services_.keychainKey,
                                                             services_.onDeviceModel, services_.keyStatus)),
      listModel_(std::make_unique<ProfileListModel>(settings)) {
    sectionModel_->appear();
    listModel_->appear();
    auto* root = new QHBoxLayout(this); // owned by this widget
    root->setContentsMargins(0, 0, 0, 0);
    split_ = new QSplitter(Qt::Horizontal, this);
    split_->setChildrenCollapsible(false);
    split_->addWidget(makeSidebar());
    split_->addWidget(makeDetailPane());
    split_->setStretchFactor(1, 1);
    root->addWidget(split_);
    listChanged_ = listModel_->changed().connect([this] { refresh(); });
    refresh();
}

ClaudeSettingsView::~ClaudeSettingsView() {
    // The views act on the models; they go before the models do.
    listChanged_.disconnect();
    delete split_;
}

QWidget* ClaudeSettingsView::makeSidebar() {
    sidebar_ = new QWidget;
    sidebar_->setMinimumWidth(180);
    sidebar_->setMaximumWidth(220);
    auto* stack = new QVBoxLayout(sidebar_); // owned by sidebar_
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    auto* sectionHost = new QWidget(sidebar_);
    auto* sectionPadding = new QVBoxLayout(sectionHost); // owned by sectionHost
    sectionPadding->setContentsMargins(12, 10, 12, 10);
    apiSection_ = new ApiCompactSection(*sectionModel_, sectionHost);
    sectionPadding->addWidget(apiSection_);
    stack->addWidget(sectionHost);
    stack->addWidget(hairline(sidebar_));
    profileList_ = new ProfileListView(*listModel_, sidebar_);
    stack->addWidget(profileList_, 1);
    stack->addWidget(hairline(sidebar_));
    stack->addWidget(makeBottomBar(sidebar_));
    return sidebar_;
}

QWidget* ClaudeSettingsView::makeBottomBar(QWidget* parent) {
    auto* bar = new QWidget(parent);
    auto* row = new QHBoxLayout(bar); // owned by bar
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(4);
    addButton_ = new SymbolButton("plus", 14, Color::ostrelTextSecondary(), QSize(28, 28), bar);
    QObject::connect(addButton_, &QAbstractButton::clicked, [&model = *listModel_] { model.addProfile(); });
    row->addWidget(addButton_);
    removeButton_ = new SymbolButton("minus", 14, Color::ostrelTextSecondary(), QSize(28, 28), bar);
    QObject::connect(removeButton_, &QAbstractButton::clicked, [&model = *listModel_] { model.removeSelected(); });
    row->addWidget(removeButton_);
    row->addStretch(1);
    return bar;
}

QWidget* ClaudeSettingsView::makeDetailPane() {
    detailPane_ = new QWidget;
    detailStack_ = new QVBoxLayout(detailPane_); // owned by detailPane_
    detailStack_->setContentsMargins(0, 0, 0, 0);
    placeholderPane_ = new QWidget(detailPane_);
    auto* centred = new QVBoxLayout(placeholderPane_); // owned by placeholderPane_
    placeholder_ = new QLabel(QStringLiteral("Select a profile"), placeholderPane_);
    ostreldesignkit::applyTextStyle(*placeholder_, ostreldesignkit::TextStyle::control);
    setTextColor(*placeholder_, Color::ostrelTextSecondary());
    centred->addStretch(1);
    centred->addWidget(placeholder_, 0, Qt::AlignHCenter);
    centred->addStretch(1);
    detailStack_->addWidget(placeholderPane_);
    return detailPane_;
}

void ClaudeSettingsView::refresh() {
    removeButton_->setVisible(listModel_->showsRemoveButton());
    updateDetailPane();
}

void ClaudeSettingsView::updateDetailPane() {
    const auto selected = listModel_->selectedProfile();
    if (detail_ && selected && detail_->model().profileID() == selected->id) return;
    if (detail_) {
        // The old editor may be running the action that led here.
        detail_->hide();
        detailStack_->removeWidget(detail_);
        detail_->deleteLater();
        detail_ = nullptr;
    }
    if (selected) {
        detail_ = new ProfileDetailView(settings_, services_.catalog, selected->id, detailPane_);
        detailStack_->addWidget(detail_);
        detail_->show();
    }
    placeholderPane_->setVisible(!selected);
}

} // namespace ostrelvirorez
