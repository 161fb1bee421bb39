#include "OstrelVirorez/UI/Settings/SettingsTabViews.hpp"

#include "OstrelDesignKit/Tokens/TextStyle.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsView.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

// Stands in for a tab whose view is not wired yet: its title at the top.
std::unique_ptr<QWidget> placeholder(SettingsTab tab, QWidget* parent) {
    auto view = std::make_unique<QWidget>(parent);
    auto* stack = new QVBoxLayout(view.get()); // owned by the view
    stack->setContentsMargins(16, 56, 16, 16);
    auto* heading = new QLabel(QString::fromUtf8(title(tab).data(), qsizetype(title(tab).size())), view.get());
    ostreldesignkit::applyTextStyle(*heading, ostreldesignkit::TextStyle::title);
    stack->addWidget(heading);
    stack->addStretch(1);
    return view;
}

} // namespace

std::unique_ptr<QWidget> makeSettingsTabView(SettingsTab tab, const SettingsEnvironment& environment,
                                             QWidget* parent) {
    switch (tab) {
    case SettingsTab::hotkeys: return std::make_unique<HotkeySettingsView>(environment.settings, parent);
    case SettingsTab::general:
    case SettingsTab::claude:
    case SettingsTab::vocabulary:
    case SettingsTab::dictionary:
    case SettingsTab::snippets:
    case SettingsTab::history: return placeholder(tab, parent);
    }
    return placeholder(tab, parent);
}

} // namespace ostrelvirorez
