#pragma once
// The state of the "Appearance" card: the preset picker and the transparency
// slider (0% to 100% in steps of 5). A change of the stored preset while the
// card exists writes that preset's colours; building the card writes nothing.

#include "OstrelDesignKit/Appearance/OstrelAppearancePreset.hpp"
#include "Platform/Core/Signal.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace ostrelvirorez {

class AppSettings;

class AppearanceModel {
public:
    static constexpr int stepsPerWhole = 20; // slider positions 0 to 20

    explicit AppearanceModel(AppSettings& settings);

    // Absent while the stored id names no built-in preset.
    std::optional<std::size_t> selectedPresetIndex() const;
    // Stores the id of the built-in preset at `index`.
    void choosePreset(std::size_t index);
    // Writes the base colour, the sidebar colour (empty when the preset has
    // none), the sidebar darkness delta and the darkness, in this order.
    void apply(const ostreldesignkit::OstrelAppearancePreset& preset);

    int darknessPosition() const;
    void setDarknessPosition(int position);
    // "95%".
    std::string darknessText() const;

    platform::Signal<>& changed() { return changed_; }

private:
    void settingChanged(const std::string& key);

    AppSettings& settings_;
    std::string shownPresetID_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
};

} // namespace ostrelvirorez
