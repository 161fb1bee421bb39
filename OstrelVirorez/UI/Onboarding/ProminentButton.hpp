#pragma once
// The sheet's default action: the filled accent button, with the same font,
// padding and corner radius as the kit's text button beside it, so the two
// stand level in the footer.

#include <QAbstractButton>

namespace ostrelvirorez {

class ProminentButton final : public QAbstractButton {
public:
    explicit ProminentButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ostrelvirorez
