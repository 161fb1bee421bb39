#pragma once
// A Qt layout that wraps its items like words in a paragraph, each at its
// size hint, lines aligned to the top-left; `spacing` is used both between
// neighbours and between lines.

#include <QLayout>

#include <memory>
#include <vector>

namespace ostreldesignkit {

class FlowLayout final : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr, double spacing = 8);
    ~FlowLayout() override;

    double flowSpacing() const { return spacing_; }
    void setFlowSpacing(double spacing);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    Qt::Orientations expandingDirections() const override { return {}; }
    void setGeometry(const QRect& rect) override;

private:
    std::vector<QSizeF> childSizes() const;

    std::vector<std::unique_ptr<QLayoutItem>> items_;
    double spacing_;
};

} // namespace ostreldesignkit
