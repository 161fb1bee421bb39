#include "OstrelVirorez/UI/StandardMenuAction.hpp"

#include <QAction>
#include <QString>
#include <QVariant>

namespace ostrelvirorez {
namespace {

constexpr const char* roleProperty = "ostrelStandardAction";

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void StandardMenuAction::mark(QAction& action, std::string_view role) {
    action.setProperty(roleProperty, toQString(role));
}

bool StandardMenuAction::has(const QAction& action, std::string_view role) {
    const QVariant value = action.property(roleProperty);
    return value.isValid() && value.toString() == toQString(role);
}

} // namespace ostrelvirorez
