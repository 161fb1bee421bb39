#include "OstrelDesignKit/Layout/FlowArrangement.hpp"
#include "OstrelDesignKit/Layout/FlowLayout.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QWidget>

#include <optional>
#include <vector>

namespace ostreldesignkit {
namespace {

struct FlowCase {
    const char* name;
    std::optional<double> width;
    std::vector<QSizeF> children;
    QSizeF size;
    std::vector<QPointF> positions;
};

TEST(FlowArrangement, WrapsChildrenIntoLines) {
    const std::vector<FlowCase> cases{
        {"no children", 100, {}, {0, 0}, {}},
        // The reported width is what the children cover, with no trailing spacing.
        {"three in two lines", 100, {{40, 20}, {40, 20}, {40, 20}}, {88, 48}, {{0, 0}, {48, 0}, {0, 28}}},
        {"single child", 100, {{40, 20}}, {40, 20}, {{0, 0}}},
        {"child wider than the offer overflows", 100, {{150, 20}}, {150, 20}, {{0, 0}}},
        {"wide child after another starts a line", 100, {{40, 20}, {150, 10}}, {150, 38}, {{0, 0}, {0, 28}}},
        {"unbounded width is one line", std::nullopt, {{40, 20}, {40, 20}, {40, 20}}, {136, 20},
         {{0, 0}, {48, 0}, {96, 0}}},
        {"next line below the tallest", 100, {{40, 10}, {40, 30}, {40, 20}}, {88, 58}, {{0, 0}, {48, 0}, {0, 38}}},
        {"exact fit stays on the line", 88, {{40, 20}, {40, 20}}, {88, 20}, {{0, 0}, {48, 0}}},
        {"one point over wraps", 87, {{40, 20}, {40, 20}}, {40, 48}, {{0, 0}, {0, 28}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FlowArrangement result = arrangeFlow(c.width, c.children, 8);
        EXPECT_EQ(result.size, c.size);
        EXPECT_EQ(result.positions, c.positions);
    }
}

class FixedWidget final : public QWidget {
public:
    explicit FixedWidget(QSize size, QWidget* parent) : QWidget(parent), size_(size) {}
    QSize sizeHint() const override { return size_; }

private:
    QSize size_;
};

TEST(FlowLayout, PlacesWidgetsAtTheirSizeHintsFromTheOrigin) {
    testing::kitApplication();
    QWidget host;
    auto* layout = new FlowLayout(&host, 8); // owned by host
    std::vector<QWidget*> children;
    for (int i = 0; i < 3; ++i) {
        children.push_back(new FixedWidget(QSize(40, 20), &host)); // owned by host
        layout->addWidget(children.back());
    }
    EXPECT_EQ(layout->sizeHint(), QSize(136, 20));
    EXPECT_EQ(layout->heightForWidth(100), 48);
    layout->setGeometry(QRect(10, 5, 100, 60));
    EXPECT_EQ(children[0]->geometry(), QRect(10, 5, 40, 20));
    EXPECT_EQ(children[1]->geometry(), QRect(58, 5, 40, 20));
    EXPECT_EQ(children[2]->geometry(), QRect(10, 33, 40, 20));
    EXPECT_EQ(layout->minimumSize(), QSize(40, 20));
}

} // namespace
} // namespace ostreldesignkit
