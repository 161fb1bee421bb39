#include "OstrelVirorez/UI/Settings/SettingsSheets.hpp"

#include "OstrelDesignKit/Glass/OstrelButton.hpp"
#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

QString sheetTitle(SettingsSheet sheet) {
    switch (sheet) {
    case SettingsSheet::feedback: return QStringLiteral("Feedback senden");
    case SettingsSheet::onboarding: return QStringLiteral("Willkommen bei OstrelVirorez");
    }
    return {};
}

// Stands in for a sheet whose view is not wired yet: its title and a button
// that closes it.
std::unique_ptr<QWidget> placeholder(SettingsSheet sheet, std::function<void()> dismiss, QWidget* parent) {
    auto view = std::make_unique<QWidget>(parent);
    auto* stack = new QVBoxLayout(view.get()); // owned by the view
    stack->setContentsMargins(24, 24, 24, 24);
    stack->setSpacing(16);
    auto* heading = new QLabel(sheetTitle(sheet), view.get());
    ostreldesignkit::applyTextStyle(*heading, ostreldesignkit::TextStyle::title);
    stack->addWidget(heading);
    auto* close = new ostreldesignkit::OstrelButton(QStringLiteral("Schließen"), view.get());
    QObject::connect(close, &QAbstractButton::clicked, view.get(), [dismiss = std::move(dismiss)] { dismiss(); });
    stack->addWidget(close, 0, Qt::AlignRight);
    return view;
}

} // namespace

std::unique_ptr<QWidget> makeSettingsSheet(SettingsSheet sheet, const SettingsEnvironment&,
                                           std::function<void()> dismiss, QWidget* parent) {
    return placeholder(sheet, std::move(dismiss), parent);
}

} // namespace ostrelvirorez
