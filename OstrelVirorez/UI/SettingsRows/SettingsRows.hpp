#pragma once
// The widgets every settings screen is composed of: a titled glass card, a
// labelled row with an optional icon and a trailing control, a switch row, a
// status dot with a label, the application's row divider and the red button
// of destructive actions.

#include <QAbstractButton>
#include <QCheckBox>
#include <QWidget>

#include <optional>
#include <string>

class QVBoxLayout;

namespace ostrelvirorez {

class OstrelSection final : public QWidget {
public:
    explicit OstrelSection(const QString& title, QWidget* parent = nullptr);
    // Adds `child` (taking ownership) below the earlier ones in the card.
    void addContent(QWidget* child);
    QWidget* card() const { return card_; }

private:
    QWidget* card_;        // owned by this widget
    QVBoxLayout* content_; // owned by the card
};

class OstrelRow final : public QWidget {
public:
    // Takes ownership of `control`, placed at the trailing end.
    OstrelRow(const QString& title, const std::optional<std::string>& icon, QWidget* control,
              QWidget* parent = nullptr);
    QWidget* titleLabel() const { return title_; }

private:
    QWidget* title_;
};

// A switch of the accent colour.
class OstrelSwitch final : public QAbstractButton {
public:
    explicit OstrelSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {32, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A row whose control is a switch; `toggled` carries the new value.
class OstrelToggleRow final : public QWidget {
public:
    OstrelToggleRow(const QString& title, const std::optional<std::string>& icon, bool isOn,
                    QWidget* parent = nullptr);
    OstrelSwitch& toggle() const { return *switch_; }

private:
    OstrelSwitch* switch_; // owned by the row
};

class VirorezStatusDot final : public QWidget {
public:
    VirorezStatusDot(bool active, const QString& label, QWidget* parent = nullptr);
};

// The application's divider: the full width, 2 pt clear above and below.
class OstrelAppDivider final : public QWidget {
public:
    explicit OstrelAppDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class OstrelDestructiveButton final : public QAbstractButton {
public:
    explicit OstrelDestructiveButton(const QString& text, QWidget* parent = nullptr);
    // A symbol name drawn before the text; empty for none.
    void setSymbol(std::string symbol);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
};

} // namespace ostrelvirorez
