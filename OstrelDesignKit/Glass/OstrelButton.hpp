#pragma once
// The kit's text button: the control text style, padded, on an outlined
// rounded rectangle with an accent fill while active.

#include "OstrelDesignKit/Glass/ButtonStyle.hpp"

#include <QAbstractButton>

namespace ostreldesignkit {

class OstrelButton final : public QAbstractButton {
public:
    explicit OstrelButton(const QString& text, QWidget* parent = nullptr);

    OstrelButtonStyle style() const { return style_; }
    void setActive(bool active);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OstrelButtonStyle style_;
};

} // namespace ostreldesignkit
