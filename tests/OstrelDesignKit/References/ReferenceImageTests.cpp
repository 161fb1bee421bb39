#include "tests/Support/Qt/ReferenceImage.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include <filesystem>
#include <string>

namespace {

using testsupport::matchesReference;
using testsupport::ReferenceImage;
using testsupport::ReferenceTolerance;

QImage squares() {
    QImage image(8, 6, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(20, 40, 60));
    for (int x = 0; x < 4; ++x) image.setPixelColor(x, 2, QColor(200, 100, 50));
    return image;
}

class ReferenceImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment.unset("OSTREL_UPDATE_REFERENCES");
        std::filesystem::create_directories(folder.path() / "references");
        ASSERT_TRUE(squares().save(QString::fromStdString(testsupport::referencePath(reference))));
    }

    testsupport::TemporaryDirectory folder;
    testsupport::ScopedEnvironment environment;
    ReferenceImage reference{folder.path().string(), "squares"};
};

TEST_F(ReferenceImageTest, SameImageMatchesAndIsKeptAsRender) {
    EXPECT_TRUE(matchesReference(squares(), reference));
    EXPECT_TRUE(QFileInfo::exists("renders/squares.png"));
}

TEST_F(ReferenceImageTest, DifferencesBeyondTheToleranceFailNamingCountAndRegion) {
    QImage changed = squares();
    changed.setPixelColor(5, 1, QColor(20, 40, 70));  // 10 off in blue
    changed.setPixelColor(6, 4, QColor(20, 43, 60));  // 3 off: within the default tolerance

    const auto result = matchesReference(changed, reference);
    ASSERT_FALSE(result);
    const std::string message = result.message();
    EXPECT_NE(message.find("squares"), std::string::npos) << message;
    EXPECT_NE(message.find("1 pixels differ"), std::string::npos) << message;
    EXPECT_NE(message.find("1x1 at (5, 1)"), std::string::npos) << message;
    EXPECT_TRUE(QFileInfo::exists("renders/squares.diff.png"));

    EXPECT_TRUE(matchesReference(changed, reference, ReferenceTolerance{.channel = 10}));
    EXPECT_TRUE(matchesReference(changed, reference, ReferenceTolerance{.channel = 8, .pixels = 1}));
}

TEST_F(ReferenceImageTest, SizeChangeAndMissingReferenceFail) {
    const auto wider = matchesReference(squares().copy(0, 0, 9, 6), reference);
    ASSERT_FALSE(wider);
    EXPECT_NE(std::string(wider.message()).find("is 8x6 but the render is 9x6"), std::string::npos) << wider.message();

    const auto missing = matchesReference(squares(), ReferenceImage{reference.testFolder, "absent"});
    ASSERT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("OSTREL_UPDATE_REFERENCES=1"), std::string::npos);
}

TEST_F(ReferenceImageTest, UpdateVariableRewritesTheReference) {
    QImage changed = squares();
    changed.fill(Qt::white);
    environment.set("OSTREL_UPDATE_REFERENCES", "1");
    EXPECT_TRUE(matchesReference(changed, ReferenceImage{reference.testFolder, "fresh"}));
    environment.unset("OSTREL_UPDATE_REFERENCES");
    EXPECT_TRUE(matchesReference(changed, ReferenceImage{reference.testFolder, "fresh"}));
    EXPECT_FALSE(matchesReference(squares(), ReferenceImage{reference.testFolder, "fresh"}));
}

} // namespace
