#pragma once
// The drawn pieces of the onboarding sheet: the step dots, the rounded
// permission row and the selectable engine card.

#include <QAbstractButton>
#include <QWidget>

namespace ostrelvirorez {

// `count` dots of 8 × 8 points, 6 apart; the one at `highlighted` in the
// electric cyan, the others in the secondary colour at 30 %.
class StepDots final : public QWidget {
public:
    StepDots(int count, QWidget* parent = nullptr);
    void setHighlighted(int index);
    int highlighted() const { return highlighted_; }
    // The centre of dot `index` in the widget's coordinates.
    QPointF dotCentre(int index) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count_;
    int highlighted_ = 0;
};

// A container on a rounded rectangle (radius 10) in the secondary colour at 8 %.
class SheetGroupPanel : public QWidget {
public:
    explicit SheetGroupPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A whole-card button: filled with the cyan at 12 % and outlined at 60 % while
// selected, the secondary colour at 8 % otherwise. Children only show.
class EngineCard final : public QAbstractButton {
public:
    EngineCard(const QString& name, const QString& description, bool selected, QWidget* parent = nullptr);
    bool isSelected() const { return selected_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool selected_;
};

} // namespace ostrelvirorez
