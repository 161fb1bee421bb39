#pragma once
// A named set of values deciding how dark and in which colours the settings
// window's translucent background and sidebar card are drawn, and the shell
// colours derived from the stored values.

#include <QColor>

#include <optional>
#include <string>
#include <vector>

namespace ostreldesignkit {

struct OstrelAppearancePreset {
    std::string id;
    std::string name;
    double baseDarkness = 0;
    double sidebarDarknessDelta = 0;
    std::string baseColorHex;
    std::optional<std::string> sidebarColorHex;
    std::optional<std::string> selectionColorHex;

    bool operator==(const OstrelAppearancePreset&) const = default;

    static const OstrelAppearancePreset& deepBlack();
    static const OstrelAppearancePreset& soft();
    static const OstrelAppearancePreset& claudeColors();
    static const std::vector<OstrelAppearancePreset>& builtIn();
    // The first built-in preset with `id`, if any.
    static const OstrelAppearancePreset* find(const std::string& id);
};

// The four colours of the split shell.
struct ShellColors {
    QColor baseColor;
    double baseOpacity = 0;
    QColor sidebarCardColor;
    double sidebarCardOpacity = 0;
};

// From the stored values: an unreadable base colour gives black; an empty or
// unreadable sidebar colour gives the base colour; the sidebar is lightened by
// the delta only when no sidebar colour text is stored, never below 0.
ShellColors shellColors(const std::string& baseColorHex, const std::string& sidebarColorHex, double darkness,
                        double sidebarDarknessDelta);

} // namespace ostreldesignkit
