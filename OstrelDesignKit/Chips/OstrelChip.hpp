#pragma once
// The kit's small rounded button: optional symbol, label and trailing
// accessory widget on the chip chrome. Selection, tint and enablement are the
// caller's; pressing only emits `clicked`.

#include "OstrelDesignKit/Chips/OstrelChipStyle.hpp"

#include <QAbstractButton>

#include <optional>
#include <string>

class QHBoxLayout;
class QLabel;

namespace ostreldesignkit {

class OstrelChip final : public QAbstractButton {
public:
    OstrelChip(const QString& label, std::optional<std::string> icon, OstrelChipChrome chrome,
               QWidget* parent = nullptr);

    const OstrelChipChrome& chrome() const { return chrome_; }
    void setSelected(bool selected);
    // Takes ownership of `accessory`, shown after the label.
    void setTrailing(QWidget* accessory);
    QColor textColor() const { return chipTextColor(chrome_, !isEnabled()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void restyle();

    OstrelChipChrome chrome_;
    std::optional<std::string> icon_;
    QHBoxLayout* row_;     // owned by this widget
    QLabel* iconLabel_ = nullptr;
    QLabel* textLabel_;
};

} // namespace ostreldesignkit
