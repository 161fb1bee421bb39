#include "OstrelDesignKit/Chips/OstrelChip.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>

#include <vector>

namespace ostreldesignkit {
namespace {

const QColor tint(255, 128, 0);
const QColor own(0, 200, 100);
const QColor clear(Qt::transparent);

TEST(OstrelChipChrome, FillOutlineAndTextPerStyleAndSelection) {
    struct Case {
        const char* name;
        OstrelChipStyle style;
        bool selected;
        bool disabled;
        QColor fill;
        QColor outline;
        QColor text;
    };
    const std::vector<Case> cases{
        {"standard", OstrelChipStyle::standard(), false, false, Color::ostrelChipFill(), clear,
         Color::ostrelTextSecondary()},
        {"standard selected", OstrelChipStyle::standard(), true, false, Color::withOpacity(tint, 0.2),
         Color::withOpacity(tint, 0.5), tint},
        {"plain", OstrelChipStyle::plain(), false, false, clear, Color::ostrelAccentStrokeFaint(),
         Color::ostrelTextSecondary()},
        {"plain selected", OstrelChipStyle::plain(), true, false, clear, Color::withOpacity(tint, 0.5), tint},
        {"tab bare", OstrelChipStyle::tabBare(), false, false, clear, clear, Color::ostrelTextSecondary()},
        {"tab bare selected", OstrelChipStyle::tabBare(), true, false, clear, clear, Qt::white},
        {"colored", OstrelChipStyle::colored(own), false, false, Color::ostrelChipFill(), Color::withOpacity(own, 0.3),
         own},
        {"colored selected", OstrelChipStyle::colored(own), true, false, Color::withOpacity(own, 0.9), clear, Qt::white},
        {"disabled selected keeps its chrome", OstrelChipStyle::standard(), true, true, Color::withOpacity(tint, 0.2),
         Color::withOpacity(tint, 0.5), Color::ostrelTextTertiary()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const OstrelChipChrome chrome{c.selected, tint, c.style, OstrelChipSize::compact};
        EXPECT_EQ(chrome.fill().rgba(), c.fill.rgba());
        EXPECT_EQ(chrome.outline().rgba(), c.outline.rgba());
        EXPECT_EQ(chipTextColor(chrome, c.disabled).rgba(), c.text.rgba());
    }
    EXPECT_EQ(OstrelChipStyle::colored(own), OstrelChipStyle::colored(own));
    EXPECT_FALSE(OstrelChipStyle::colored(own) == OstrelChipStyle::colored(tint));
}

void click(QWidget& widget, QPoint at) {
    const QPointF local(at);
    const QPointF global = widget.mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(&widget, &release);
}

TEST(OstrelChip, IsItsTextPlusPaddingAndReactsOnlyWhenEnabled) {
    testing::kitApplication();
    struct Case {
        const char* name;
        OstrelChipSize size;
        int horizontal;
        int vertical;
    };
    for (const auto& c : std::vector<Case>{{"compact", OstrelChipSize::compact, 16, 8},
                                           {"comfortable", OstrelChipSize::comfortable, 20, 12}}) {
        SCOPED_TRACE(c.name);
        OstrelChip chip(QStringLiteral("Mail"), std::nullopt, {false, tint, OstrelChipStyle::standard(), c.size});
        QLabel reference(QStringLiteral("Mail"));
        reference.setFont(ostrelFont(14, OstrelFontWeight::medium));
        EXPECT_EQ(chip.sizeHint(), reference.sizeHint() + QSize(c.horizontal, c.vertical));
    }

    OstrelChip chip(QStringLiteral("Mail"), std::string("mic"), {true, tint, OstrelChipStyle::standard(),
                                                                 OstrelChipSize::compact});
    chip.resize(chip.sizeHint());
    int presses = 0;
    QObject::connect(&chip, &QAbstractButton::clicked, [&] { ++presses; });
    click(chip, chip.rect().center());
    EXPECT_EQ(presses, 1);
    click(chip, QPoint(0, 0)); // outside the rounded corner
    EXPECT_EQ(presses, 1);
    chip.setEnabled(false);
    EXPECT_EQ(chip.textColor(), Color::ostrelTextTertiary());
    click(chip, chip.rect().center());
    EXPECT_EQ(presses, 1);

    QImage image(chip.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    chip.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    testing::expectLooksAsKept(image, "chip-standard-selected-disabled");
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0); // rounded corner
    EXPECT_GT(image.pixelColor(2, image.height() / 2).alpha(), 0);
}

} // namespace
} // namespace ostreldesignkit
