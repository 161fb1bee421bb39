#include "OstrelVirorez/UI/Feedback/FeedbackSheet.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/Services/FeedbackDiagnosticsSources.hpp"
#include "OstrelVirorez/UI/Feedback/WindowCapture.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/UI/Feedback/FeedbackFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

class FixedDiagnosticsSources final : public FeedbackDiagnosticsSources {
public:
    std::chrono::system_clock::time_point now() const override { return {}; }
    std::string hotkeyName(KeyCode code) const override { return "Key " + std::to_string(code); }
    std::string languageDisplayName(const std::string& code) const override { return code; }
    bool isAccessibilityTrusted() const override { return true; }
    int microphoneAuthorizationStatus() const override { return 3; }
    std::optional<std::string> claudeAPIKey() const override { return std::nullopt; }
};

// The sheet's facts in these renders: the ones of this computer and build would
// change them from one machine and commit to the next.
const FeedbackSheetModel::Facts fixedFacts{"1.0.0 (4f2c9e1)", "6.1.0-18-amd64 (Debian GNU/Linux 12)", "testnutzer"};

// Drawn once the layouts have followed the last change, as on screen.
::testing::AssertionResult looksAsKept(QWidget& widget, const std::string& name) {
    QCoreApplication::sendPostedEvents();
    return testsupport::matchesReference(widget.grab().toImage(), {"OstrelVirorez/UI/Feedback", name},
                                         {.channel = 16, .pixels = 40});
}

QStringList visibleLabelTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) texts << label->text();
    }
    return texts;
}

void press(QWidget& widget, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class FeedbackSheetTest : public FeedbackFixture {
protected:
    FeedbackSheetTest() {
        settingsWindow.resize(320, 200);
        QPalette palette = settingsWindow.palette();
        palette.setColor(QPalette::Window, Qt::red);
        settingsWindow.setPalette(palette);
        settingsWindow.setAutoFillBackground(true);
    }

    // With `facts` empty the sheet shows this computer's.
    std::unique_ptr<FeedbackSheet> makeSheet(QString herkunft = "Einstellungen",
                                             std::function<FeedbackSheetModel::Facts()> facts = [] {
                                                 return fixedFacts;
                                             }) {
        auto sheet = std::make_unique<FeedbackSheet>(
            herkunft,
            FeedbackSheetServices{service, settings, sources, [this] { return windowToCapture; }, queue,
                                  inlineExecutor(), std::move(facts)},
            [this] { ++dismissals; });
        sheet->show();
        queue.runUntilIdle();
        return sheet;
    }

    [[maybe_unused]] bool applicationReady = (testApplication(), true);
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    FixedDiagnosticsSources sources;
    QWidget settingsWindow;
    QWidget* windowToCapture = &settingsWindow;
    int dismissals = 0;
};

TEST_F(FeedbackSheetTest, OpensAtItsFixedSizeWithTheFactsItSendsAndSendingDisabled) {
    auto sheet = makeSheet("Einstellungen", {});
    EXPECT_EQ(sheet->size(), QSize(540, 540));
    EXPECT_EQ(sheet->sendButton().text(), "Feedback senden");
    EXPECT_FALSE(sheet->sendButton().isEnabled());
    EXPECT_TRUE(sheet->cancelButton().isEnabled());
    EXPECT_FALSE(sheet->statusSection().isVisible());
    const QStringList texts = visibleLabelTexts(*sheet);
    for (const QString& expected :
         {QString("Feedback an Mika"), QString("Dein Feedback"), QString("Absender"), QString("Bereich"),
          QString("Einstellungen"), QString::fromStdString(loginUserName()),
          QString::fromStdString(FeedbackService::appVersion()), QString::fromStdString(FeedbackService::osVersion())}) {
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    }
    EXPECT_FALSE(visibleLabelTexts(*makeSheet("")).contains("Bereich"));
    // The project's version and build, and the running system named as such.
    EXPECT_TRUE(texts.contains(QStringLiteral("App-Version")));
    EXPECT_TRUE(QString::fromStdString(FeedbackService::appVersion()).startsWith(QStringLiteral("1.0.0 (")));
    EXPECT_NE(FeedbackService::appVersion(), "1.0.0 (0)");
    EXPECT_TRUE(texts.contains(QStringLiteral("Linux")));
    EXPECT_FALSE(texts.join(' ').contains(QStringLiteral("macOS")));
}

TEST_F(FeedbackSheetTest, ShowsTheFactsItIsGivenAndLooksAsKept) {
    auto sheet = makeSheet();
    const QStringList texts = visibleLabelTexts(*sheet);
    for (const std::string& fact : {fixedFacts.userName, fixedFacts.appVersion, fixedFacts.osVersion}) {
        EXPECT_TRUE(texts.contains(QString::fromStdString(fact))) << fact;
    }
    EXPECT_TRUE(looksAsKept(*sheet, "feedback-empty"));
}

TEST_F(FeedbackSheetTest, ScreenshotPreviewShowsTheSettingsWindowAndItsSize) {
    auto sheet = makeSheet();
    sheet->screenshotToggle().click();
    const auto* preview = sheet->screenshotArea().findChild<QLabel*>("screenshotPreview");
    ASSERT_TRUE(preview);
    const QImage image = preview->pixmap().toImage();
    EXPECT_LE(image.height(), 160);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::red));
    EXPECT_TRUE(visibleLabelTexts(sheet->screenshotArea()).filter("Größe: ").size() == 1);
    EXPECT_TRUE(looksAsKept(*sheet, "feedback-screenshot"));

    sheet->screenshotToggle().click();
    EXPECT_FALSE(sheet->model().screenshotData());
    EXPECT_FALSE(sheet->screenshotArea().isVisible());
}

TEST_F(FeedbackSheetTest, WithoutAWindowToCaptureTheSheetSaysTheScreenshotFailed) {
    for (QWidget* window : {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(&settingsWindow)}) {
        settingsWindow.resize(0, 0);
        windowToCapture = window;
        auto sheet = makeSheet();
        sheet->screenshotToggle().click();
        EXPECT_EQ(visibleLabelTexts(sheet->screenshotArea()),
                  QStringList{QString::fromStdString(FeedbackSheetModel::screenshotFailedText())});
        EXPECT_TRUE(looksAsKept(*sheet, "feedback-screenshot-failed"));
    }
}

TEST_F(FeedbackSheetTest, SendingShowsTheOutcomeThenClosesAndEscapeCancels) {
    auto sheet = makeSheet();
    sheet->editor().setPlainText("Hallo Mika");
    EXPECT_TRUE(sheet->sendButton().isEnabled());
    press(*sheet, Qt::Key_Return);
    ASSERT_EQ(server.requests().size(), 1u);
    queue.runUntilIdle();
    EXPECT_TRUE(sheet->statusSection().isVisible());
    EXPECT_TRUE(visibleLabelTexts(sheet->statusSection()).contains("Danke! Feedback ist drin (ID: rec_7)"));
    EXPECT_EQ(sheet->sendButton().text(), "Sende …");
    EXPECT_FALSE(sheet->sendButton().isEnabled());
    EXPECT_TRUE(looksAsKept(*sheet, "feedback-sent"));
    queue.advance(1500ms);
    EXPECT_EQ(dismissals, 1);

    auto second = makeSheet();
    press(*second, Qt::Key_Escape);
    EXPECT_EQ(dismissals, 2);
}

TEST_F(FeedbackSheetTest, AFailedSendShowsWhyAndKeepsTheMessage) {
    server.reply(path, testsupport::HttpTestReply::text(503, "später"));
    auto sheet = makeSheet();
    sheet->editor().setPlainText("Hallo");
    sheet->sendButton().click();
    queue.runUntilIdle();
    EXPECT_TRUE(visibleLabelTexts(sheet->statusSection()).contains("Senden fehlgeschlagen: HTTP 503: später"));
    EXPECT_EQ(sheet->editor().toPlainText(), "Hallo");
    EXPECT_TRUE(sheet->sendButton().isEnabled());
    EXPECT_TRUE(looksAsKept(*sheet, "feedback-failed"));
    EXPECT_EQ(dismissals, 0);
}

} // namespace
} // namespace ostrelvirorez::testing
