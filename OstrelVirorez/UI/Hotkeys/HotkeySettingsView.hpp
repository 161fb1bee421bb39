#pragma once
// The settings tab titled "Keys": the three hold-to-talk lists, a warning
// while a key stands in more than one place, and the "How It Works" hints.
// Drawn again from the settings store after every change of it.

#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsModel.hpp"
#include "Platform/Core/Signal.hpp"

#include <QScrollArea>

#include <array>

class QVBoxLayout;

namespace ostrelvirorez {

class AppSettings;
class HotkeyGroupSection;

class HotkeySettingsView final : public QScrollArea {
public:
    explicit HotkeySettingsView(AppSettings& settings, QWidget* parent = nullptr);
    ~HotkeySettingsView() override;

    HotkeySettingsModel& model() { return model_; }
    HotkeyGroupSection& section(HotkeyGroupKind kind) const;
    // Present only while a key stands in more than one place.
    QWidget* duplicateWarning() const { return warning_; }
    QWidget& hintsSection() const { return *hints_; }

private:
    // Rebuilds the lists and the warning; the hints stay.
    void redraw();

    HotkeySettingsModel model_;
    QVBoxLayout* stack_;      // owned by the scrolled widget
    QVBoxLayout* editable_;   // owned by the stack: the lists and the warning
    std::array<HotkeyGroupSection*, 3> sections_{};
    QWidget* warning_ = nullptr;
    QWidget* hints_ = nullptr;
    platform::Connection settingsChanged_;
};

} // namespace ostrelvirorez
