#pragma once
// Finds the installed application a window belongs to, so that the target
// application, the running applications and the installed ones the picker
// offers share one identifier: the desktop-file id. The rule, first match wins:
//   1. an entry whose StartupWMClass equals the window's WM_CLASS class name,
//      else one whose StartupWMClass equals its instance name;
//   2. an entry whose desktop-file id equals the class name, else the
//      instance name;
//   3. no entry: the window's class name itself, as the window reports it.
// Names are compared ignoring case; entries are searched in the picker's
// folder order, and hidden (deleted) entries are skipped.

#include "OstrelVirorez/Claude/DesktopEntry.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class DesktopApplicationIndex {
public:
    explicit DesktopApplicationIndex(std::vector<DesktopEntry> entries);
    // Over the desktop files in AppPickerService::applicationFolders(), read now.
    static DesktopApplicationIndex installed();

    // The entry of the application whose windows carry this WM_CLASS; nullptr when none.
    const DesktopEntry* entryForWindow(const std::string& instance, const std::string& className) const;
    // That entry's desktop-file id, else `className`; absent when both are missing.
    std::optional<std::string> applicationIdentifier(const std::string& instance,
                                                     const std::string& className) const;

private:
    std::vector<DesktopEntry> entries_;
};

} // namespace ostrelvirorez
