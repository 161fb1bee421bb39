#pragma once
// The kit's text button: the control text style, padded, on an outlined
// rounded rectangle with an accent fill while active; a symbol may stand in
// front of the text.

#include "OstrelDesignKit/Glass/ButtonStyle.hpp"

#include <QAbstractButton>

#include <string>

namespace ostreldesignkit {

class OstrelButton final : public QAbstractButton {
public:
    explicit OstrelButton(const QString& text, QWidget* parent = nullptr);

    OstrelButtonStyle style() const { return style_; }
    void setActive(bool active);
    // A SymbolImage name drawn before the text; empty for none.
    void setSymbol(std::string symbol);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OstrelButtonStyle style_;
    std::string symbol_;
};

} // namespace ostreldesignkit
