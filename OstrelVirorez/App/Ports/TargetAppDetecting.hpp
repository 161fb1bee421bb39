#pragma once
// What the dictation control needs to know about the application that will
// receive the text: which one it is and the title of its focused window.

#include <optional>
#include <string>

namespace ostrelvirorez {

struct TargetAppInfo {
    // Display name, cut short for the indicator.
    std::string name;
    // Themed icon name or icon file of the application.
    std::optional<std::string> icon;
    std::optional<std::string> bundleIdentifier;

    bool operator==(const TargetAppInfo&) const = default;
};

class TargetAppDetecting {
public:
    virtual ~TargetAppDetecting() = default;

    virtual TargetAppInfo captureCurrentApp() = 0;
    // Absent when it cannot be read or is empty.
    virtual std::optional<std::string> captureWindowTitle() = 0;
    // The last foreign application reported: identifier ("default" when it
    // had none) and full, uncut name.
    virtual std::string lastBundleIdentifier() const = 0;
    virtual std::string lastAppName() const = 0;
};

} // namespace ostrelvirorez
