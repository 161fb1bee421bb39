#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"

#include <algorithm>

namespace ostreldesignkit {

const OstrelAppearancePreset& OstrelAppearancePreset::deepBlack() {
    static const OstrelAppearancePreset preset{"deepBlack", "Deep Black", 0.7, 0.05, "#000000", {}, {}};
    return preset;
}

const OstrelAppearancePreset& OstrelAppearancePreset::soft() {
    static const OstrelAppearancePreset preset{"soft", "Soft", 0.4, 0.05, "#000000", {}, {}};
    return preset;
}

const OstrelAppearancePreset& OstrelAppearancePreset::claudeColors() {
    static const OstrelAppearancePreset preset{"claudeColors", "Claude Colors", 0.95, 0.0, "#0D0D0D", "#121212",
                                               "#454545"};
    return preset;
}

const std::vector<OstrelAppearancePreset>& OstrelAppearancePreset::builtIn() {
    static const std::vector<OstrelAppearancePreset> presets{deepBlack(), soft(), claudeColors()};
    return presets;
}

const OstrelAppearancePreset* OstrelAppearancePreset::find(const std::string& id) {
    const auto& presets = builtIn();
    const auto it = std::find_if(presets.begin(), presets.end(), [&](const auto& p) { return p.id == id; });
    return it == presets.end() ? nullptr : &*it;
}

ShellColors shellColors(const std::string& baseColorHex, const std::string& sidebarColorHex, double darkness,
                        double sidebarDarknessDelta) {
    const QColor base = Color::fromHex(baseColorHex).value_or(QColor(Qt::black));
    if (!sidebarColorHex.empty()) {
        return {base, darkness, Color::fromHex(sidebarColorHex).value_or(base), darkness};
    }
    return {base, darkness, base, std::max(0.0, darkness - sidebarDarknessDelta)};
}

} // namespace ostreldesignkit
