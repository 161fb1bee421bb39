#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRowStyles.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QVBoxLayout>

namespace ostrelvirorez {
namespace {

using ostreldesignkit::Color;

TEST(SettingsRowStyles, DestructiveButtonStrengthensItsFillWhenPressed) {
    const auto idle = OstrelDestructiveButtonStyle::look(false);
    const auto pressed = OstrelDestructiveButtonStyle::look(true);
    EXPECT_NEAR(idle.fill.alphaF(), 0.12, 0.003);
    EXPECT_NEAR(pressed.fill.alphaF(), 0.25, 0.003);
    EXPECT_NEAR(idle.rim.alphaF(), 0.3, 0.003);
    EXPECT_NEAR(pressed.rim.alphaF(), 0.3, 0.003);
    EXPECT_EQ(idle.opacity, 1.0);
    EXPECT_EQ(pressed.opacity, 0.8);
    EXPECT_EQ(idle.fill.rgb(), Color::ostrelRecording().rgb());
}

TEST(SettingsRowStyles, StatusDotIsGreenWhenActiveAndRedOtherwise) {
    EXPECT_EQ(statusDotColor(true), VirorezColors::success());
    EXPECT_EQ(statusDotColor(false), Color::ostrelRecording());
    EXPECT_EQ(VirorezColors::success().rgb(), QColor::fromRgbF(0.2f, 0.78f, 0.35f).rgb());
    EXPECT_EQ(VirorezColors::warning().rgb(), QColor(255, 148, 0).rgb());
}

TEST(SettingsRows, RowsWithoutIconStartTheirTitleAtTheLeadingEdge) {
    testing::testApplication();
    QWidget host;
    auto* layout = new QVBoxLayout(&host); // owned by host
    layout->setContentsMargins(0, 0, 0, 0);
    auto* withIcon = new OstrelRow(QStringLiteral("Microphone"), std::string("mic"), nullptr, &host);
    auto* without = new OstrelToggleRow(QStringLiteral("Sounds"), std::nullopt, true, &host);
    auto* divider = new OstrelAppDivider(&host);
    layout->addWidget(withIcon);
    layout->addWidget(divider);
    layout->addWidget(without);
    host.resize(300, 200);
    layout->activate();
    withIcon->layout()->activate();
    EXPECT_GE(withIcon->titleLabel()->x(), 28); // 20 pt icon column + 8 pt spacing
    EXPECT_EQ(divider->height(), 5);
    EXPECT_EQ(divider->width(), 300);
    EXPECT_TRUE(without->toggle().isChecked());
    without->toggle().click();
    EXPECT_FALSE(without->toggle().isChecked());
}

} // namespace
} // namespace ostrelvirorez
