#pragma once
// A one-line label that, when narrower than its text, ends the text with an
// ellipsis instead of cutting it off, and shows the whole text as its tooltip.
// text() stays the whole text. It carries the property "elidesText" (true), so
// layout checks know the shortened text is meant.

#include <QLabel>

namespace ostrelvirorez::editors {

class ElidingLabel final : public QLabel {
public:
    explicit ElidingLabel(const QString& text, QWidget* parent = nullptr);

    // As narrow as an ellipsis; as wide as the whole text when there is room.
    QSize minimumSizeHint() const override;
    // The text as drawn in the current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ostrelvirorez::editors
