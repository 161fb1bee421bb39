#pragma once
// A container widget that draws a glass background behind its children,
// covering exactly its own rectangle.

#include "OstrelDesignKit/Glass/GlassBackground.hpp"

#include <QWidget>

namespace ostreldesignkit {

class GlassFrame final : public QWidget {
public:
    explicit GlassFrame(GlassBackground glass, QWidget* parent = nullptr);

    const GlassBackground& glass() const { return glass_; }
    void setGlass(const GlassBackground& glass);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    GlassBackground glass_;
};

} // namespace ostreldesignkit
