#pragma once
// Marks menu entries that play a standard role (such as the About entry), so
// that code which repairs menus can recognise them by role, not by title.

#include <string_view>

class QAction;

namespace ostrelvirorez {

struct StandardMenuAction {
    // The role of the entry that shows the About box.
    static constexpr std::string_view about{"orderFrontStandardAboutPanel:"};

    static void mark(QAction& action, std::string_view role);
    static bool has(const QAction& action, std::string_view role);
};

} // namespace ostrelvirorez
