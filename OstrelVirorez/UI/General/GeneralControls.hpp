#pragma once
// The small controls the General tab's cards share: captions in the system
// caption styles, compact pop-up pickers, a segmented picker, the interval
// stepper, a slider with its percentage, and centred button rows.

#include "OstrelDesignKit/Tokens/TextStyle.hpp"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace ostrelvirorez {
class OstrelToggleRow;
}

namespace ostrelvirorez::general {

struct SettingToggle;

using ostreldesignkit::setTextColor;
using ostreldesignkit::systemFont;

// A wrapping caption: the system caption-2 style (11 pt) or the caption
// style (12 pt), with the given padding on its leading side and above it.
enum class CaptionSize { caption, caption2 };
QLabel* makeCaption(const QString& text, CaptionSize size, const QColor& color, int leading, int top,
                    QWidget* parent = nullptr);

// A switch row that writes `toggle`'s setting when flipped; `showToggle`
// sets the switch to the stored value without writing it back.
OstrelToggleRow* makeToggleRow(const SettingToggle& toggle, QWidget* parent = nullptr);
void showToggle(OstrelToggleRow& row, const SettingToggle& toggle);

// A pop-up picker at small control size, at most `maxWidth` wide.
QComboBox* makePopUp(int maxWidth, QWidget* parent = nullptr);

// The kit's text button, its label white on its dark fill.
QAbstractButton* makeKitButton(const QString& title, QWidget* parent = nullptr);
// A button's label in the dark windows' white.
void useWhiteLabel(QAbstractButton& button);

// The button row of the system card: the button centred, 4 pt above it.
QWidget* makeButtonRow(QAbstractButton* button, QWidget* parent = nullptr);

// Exclusive buttons side by side; selecting one calls `onSelect` with its index.
class SegmentedPicker final : public QWidget {
public:
    SegmentedPicker(const std::vector<QString>& labels, int maxWidth, std::function<void(int)> onSelect,
                    QWidget* parent = nullptr);
    void setSelected(std::optional<int> index);
    std::optional<int> selected() const;
    QAbstractButton& segment(int index) const;

private:
    QButtonGroup* group_; // owned by this widget
};

// A stepper: its label, then a down and an up arrow; each arrow calls
// `onStep` with -1 or +1.
class IntervalStepper final : public QWidget {
public:
    IntervalStepper(std::function<void(int)> onStep, QWidget* parent = nullptr);
    void setLabel(const QString& text);
    QLabel& label() const { return *label_; }
    QToolButton& down() const { return *down_; }
    QToolButton& up() const { return *up_; }

private:
    QLabel* label_;
    QToolButton* down_;
    QToolButton* up_;
};

// A slider over whole positions with its value's text in a fixed-width frame
// beside it; moving the slider calls `onMove` with the new position.
class PercentSlider final : public QWidget {
public:
    PercentSlider(int lowest, int highest, int sliderMaxWidth, int textWidth, Qt::Alignment textAlignment,
                  std::function<void(int)> onMove, QWidget* parent = nullptr);
    void display(int position, const QString& text);
    QSlider& slider() const { return *slider_; }
    QLabel& text() const { return *text_; }

private:
    QSlider* slider_;
    QLabel* text_;
};

} // namespace ostrelvirorez::general
