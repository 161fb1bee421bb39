#pragma once
// A plain button showing one symbol: no background, the symbol at a point
// size in a colour, centred in a frame of its own size or a given one. Used
// for the reveal, save, add, remove and chip-remove buttons of the rewriting tab.

#include <QAbstractButton>
#include <QColor>

#include <optional>
#include <string>

namespace ostrelvirorez {

class SymbolButton final : public QAbstractButton {
public:
    SymbolButton(std::string symbol, int pointSize, QColor color, std::optional<QSize> frame = std::nullopt,
                 QWidget* parent = nullptr);

    const std::string& symbol() const { return symbol_; }
    void setSymbol(std::string symbol);
    const QColor& color() const { return color_; }
    void setColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    int pointSize_;
    QColor color_;
    std::optional<QSize> frame_;
};

} // namespace ostrelvirorez
