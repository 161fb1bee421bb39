#pragma once
// A titled side card: a header (optional symbol, title, optional expand and
// close buttons) above the caller's content, on a faint rounded fill with a
// hairline rim; and the small symbol button that opens and closes a panel.
// Which panel shows and whether a toggle is active are the caller's.

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QVBoxLayout;

namespace ostreldesignkit {

class OstrelTooltipModel;

class OstrelFloatingPanel final : public QWidget {
public:
    static constexpr double cornerRadius = 14;

    // Buttons appear only for the actions given, expand before close.
    OstrelFloatingPanel(const QString& title, const std::optional<std::string>& icon,
                        std::function<void()> onExpand, std::function<void()> onClose, QWidget* parent = nullptr);
    ~OstrelFloatingPanel() override;

    // Adds `child` (taking ownership) to the content, below earlier ones.
    void addContent(QWidget* child);
    // The header's trailing buttons by their tooltip text ("Expand", "Close").
    QAbstractButton* headerButton(const QString& help) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* content_;
};

class OstrelPanelToggleButton final : public QAbstractButton {
public:
    OstrelPanelToggleButton(std::string icon, bool isActive, const QString& help, QWidget* parent = nullptr);

    void setActive(bool active);
    QColor symbolColor() const;
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string icon_;
    bool isActive_;
};

} // namespace ostreldesignkit
