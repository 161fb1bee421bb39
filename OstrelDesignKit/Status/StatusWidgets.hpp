#pragma once
// Widgets drawing the kit's status components from their looks.

#include "OstrelDesignKit/Status/StatusComponents.hpp"

#include <QLabel>
#include <QWidget>

namespace ostreldesignkit {

class OstrelSectionHeader final : public QLabel {
public:
    explicit OstrelSectionHeader(const QString& title, QWidget* parent = nullptr);
};

class OstrelStatusDotWidget final : public QWidget {
public:
    explicit OstrelStatusDotWidget(OstrelStatusDot dot, QWidget* parent = nullptr);
    void setDot(const OstrelStatusDot& dot);
    const OstrelStatusDot& dot() const { return dot_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OstrelStatusDot dot_;
};

class OstrelPillBadgeWidget final : public QWidget {
public:
    explicit OstrelPillBadgeWidget(OstrelPillBadge badge, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OstrelPillBadge badge_;
};

class OstrelCountBadgeWidget final : public QLabel {
public:
    explicit OstrelCountBadgeWidget(OstrelCountBadge badge, QWidget* parent = nullptr);
};

class OstrelDividerWidget final : public QWidget {
public:
    explicit OstrelDividerWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {int(2 * OstrelDividerLook::sideInset), 1}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ostreldesignkit
