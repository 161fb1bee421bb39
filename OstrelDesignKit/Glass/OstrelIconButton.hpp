#pragma once
// The kit's round icon button: a symbol centred in a square, a circle fill
// only while pressed.

#include "OstrelDesignKit/Glass/ButtonStyle.hpp"

#include <QAbstractButton>

#include <string>

namespace ostreldesignkit {

class OstrelIconButton final : public QAbstractButton {
public:
    OstrelIconButton(std::string symbol, OstrelIconButtonStyle style = OstrelIconButtonStyle::ostrelIcon(),
                     QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    OstrelIconButtonStyle style_;
};

} // namespace ostreldesignkit
