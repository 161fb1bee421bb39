#include "OstrelVirorez/UI/Feedback/FeedbackSheetModel.hpp"

#include "tests/OstrelVirorez/UI/Feedback/FeedbackFixture.hpp"

#include <mutex>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;
using State = FeedbackSheetModel::ScreenshotState;

class FeedbackSheetModelTest : public FeedbackFixture {
protected:
    std::unique_ptr<FeedbackSheetModel> makeModel(std::string herkunft = "Einstellungen",
                                                  std::optional<Executor> executor = std::nullopt) {
        return std::make_unique<FeedbackSheetModel>(
            std::move(herkunft),
            FeedbackSheetModel::Dependencies{
                [this](const FeedbackPayload& payload, std::stop_token stop) {
                    {
                        std::lock_guard lock(mutex);
                        uploadStop = stop;
                    }
                    return service.send(payload, std::move(stop));
                },
                [] { return FeedbackSheetModel::Facts{"1.4.2 (57)", "Linux 6.1.0", "jo"}; },
                [this] {
                    ++diagnoseRuns;
                    return std::string("=== OstrelVirorez Diagnose ===");
                },
                [this] {
                    ++captures;
                    return screenshot;
                },
                queue, executor.value_or(inlineExecutor()), [this] { ++dismissals; }});
    }

    std::optional<PNGData> screenshot = solidPNG({4, 3}, Qt::red);
    int diagnoseRuns = 0;
    int captures = 0;
    int dismissals = 0;
    std::mutex mutex;
    std::stop_token uploadStop;

    bool uploadStopRequested() {
        std::lock_guard lock(mutex);
        return uploadStop.stop_requested();
    }
};

TEST_F(FeedbackSheetModelTest, ModuleNamesTheOriginAfterAnEnDash) {
    EXPECT_EQ(makeModel("Einstellungen")->appModule(), "OstrelVirorez \u2013 Einstellungen");
    EXPECT_EQ(makeModel("")->appModule(), "OstrelVirorez");
}

TEST_F(FeedbackSheetModelTest, SizesAreKilobytesBelowOneMegabyteAlwaysWithAPoint) {
    struct Case {
        std::int64_t bytes;
        const char* text;
    };
    const Case cases[] = {{0, "0 KB"},           {2048, "2 KB"},       {1'048'575, "1024 KB"},
                          {1'048'576, "1.0 MB"}, {1'572'864, "1.5 MB"}, {1'535, "1 KB"}};
    for (const auto& c : cases) EXPECT_EQ(FeedbackSheetModel::formatBytes(c.bytes), c.text) << c.bytes;
}

TEST_F(FeedbackSheetModelTest, OnlyAMessageWithMoreThanBlanksCanBeSent) {
    struct Case {
        const char* text;
        bool canSend;
    };
    const Case cases[] = {{"", false}, {"  \n\t\r\n ", false}, {"\u00a0\u2003", false}, {" x ", true}};
    auto model = makeModel();
    for (const auto& c : cases) {
        model->setText(c.text);
        EXPECT_EQ(model->canSend(), c.canSend) << c.text;
    }
    model->setText(" \n ");
    model->senden();
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FeedbackSheetModelTest, SuccessThanksWithTheIdentifierAndClosesOneAndAHalfSecondsLater) {
    auto model = makeModel();
    model->laden();
    model->setText("  Die Aufnahme bricht ab\n");
    model->senden();
    EXPECT_TRUE(model->sending());
    EXPECT_EQ(model->sendButtonTitle(), "Sende …");
    EXPECT_FALSE(model->canSend());

    queue.runUntilIdle();
    const auto body = lastJSONBody();
    EXPECT_EQ(body["text"], "  Die Aufnahme bricht ab\n");
    EXPECT_EQ(body["user_name"], "jo");
    EXPECT_EQ(body["app_version"], "1.4.2 (57)");
    EXPECT_EQ(body["os_version"], "Linux 6.1.0");
    EXPECT_EQ(body["app_module"], "OstrelVirorez \u2013 Einstellungen");
    EXPECT_EQ(body["diagnose"], "=== OstrelVirorez Diagnose ===");
    EXPECT_EQ(model->status(), "Danke! Feedback ist drin (ID: rec_7)");
    EXPECT_EQ(model->statusOK(), true);
    EXPECT_TRUE(model->sending());

    queue.advance(1499ms);
    EXPECT_EQ(dismissals, 0);
    queue.advance(1ms);
    EXPECT_EQ(dismissals, 1);
    EXPECT_FALSE(model->sending());
}

TEST_F(FeedbackSheetModelTest, FailureKeepsTheSheetOpenAndItsLineUntilTheNextOutcome) {
    server.reply(path, testsupport::HttpTestReply::text(500, "boom"));
    auto model = makeModel();
    model->setText("Hallo");
    model->senden();
    queue.runUntilIdle();
    EXPECT_EQ(model->status(), "Senden fehlgeschlagen: HTTP 500: boom");
    EXPECT_EQ(model->statusOK(), false);
    EXPECT_FALSE(model->sending());
    EXPECT_EQ(model->text(), "Hallo");
    EXPECT_TRUE(model->canSend());

    server.reply(path, jsonReply(200, R"({"id":"rec_8"})"));
    model->senden();
    EXPECT_EQ(model->status(), "Senden fehlgeschlagen: HTTP 500: boom");
    queue.runUntilIdle();
    EXPECT_EQ(model->status(), "Danke! Feedback ist drin (ID: rec_8)");
    queue.advance(2s);
    EXPECT_EQ(dismissals, 1);
}

TEST_F(FeedbackSheetModelTest, SendingBeforeTheDiagnosticsAreLoadedComputesThemAfresh) {
    auto model = makeModel("");
    EXPECT_EQ(model->diagnoseShown(), "\u2014");
    model->setText("früh");
    model->senden();
    queue.runUntilIdle();
    EXPECT_EQ(diagnoseRuns, 1);
    EXPECT_EQ(lastJSONBody()["diagnose"], "=== OstrelVirorez Diagnose ===");
    EXPECT_EQ(lastJSONBody()["app_module"], "OstrelVirorez");
}

TEST_F(FeedbackSheetModelTest, EverySwitchOnCapturesAfreshAndSwitchingOffDropsTheImage) {
    auto model = makeModel();
    EXPECT_EQ(model->screenshotState(), State::off);
    model->setScreenshotMitschicken(true);
    EXPECT_EQ(model->screenshotState(), State::preview);
    EXPECT_EQ(model->screenshotSizeText(), "Größe: " + FeedbackSheetModel::formatBytes(std::int64_t(screenshot->size())));
    model->setScreenshotMitschicken(false);
    EXPECT_EQ(model->screenshotState(), State::off);
    EXPECT_FALSE(model->screenshotData());
    model->setScreenshotMitschicken(true);
    EXPECT_EQ(captures, 2);

    model->setText("mit Bild");
    model->senden();
    queue.runUntilIdle();
    const auto contentType = server.requests().back().header("Content-Type");
    ASSERT_TRUE(contentType);
    EXPECT_EQ(contentType->rfind("multipart/form-data; boundary=", 0), 0u);
}

TEST_F(FeedbackSheetModelTest, AFailedScreenshotIsReportedAndTheFeedbackGoesOutWithoutIt) {
    struct Case {
        const char* name;
        std::optional<PNGData> capture;
    };
    const Case cases[] = {{"no window", std::nullopt}, {"not an image", PNGData{'n', 'o', 'p', 'e'}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        screenshot = c.capture;
        auto model = makeModel();
        model->setScreenshotMitschicken(true);
        EXPECT_EQ(model->screenshotState(), State::failed);
        EXPECT_FALSE(model->screenshotData());
        model->setText("ohne Bild");
        model->senden();
        queue.runUntilIdle();
        EXPECT_EQ(server.requests().back().header("Content-Type"), "application/json");
        EXPECT_EQ(model->statusOK(), true);
    }
}

TEST_F(FeedbackSheetModelTest, CancellingStopsTheRunningUploadAndClosesAtOnce) {
    auto model = makeModel("Einstellungen", threadExecutor());
    auto arrived = holdNextReply();
    model->setText("Hallo");
    model->senden();
    arrived.wait();
    model->cancel();
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(uploadStopRequested());
    server.release();
    joinUploads();
    queue.runUntilIdle();
    EXPECT_EQ(model->status(), "");
}

TEST_F(FeedbackSheetModelTest, ASheetThatGoesAwayStopsItsUploadAndIgnoresTheAnswer) {
    auto model = makeModel("Einstellungen", threadExecutor());
    auto arrived = holdNextReply();
    model->setText("Hallo");
    model->senden();
    arrived.wait();
    model.reset();
    EXPECT_TRUE(uploadStopRequested());
    server.release();
    joinUploads();
    queue.runUntilIdle();
    EXPECT_EQ(dismissals, 0);
}

TEST_F(FeedbackSheetModelTest, CancellingDuringTheThankYouPauseClosesOnlyOnce) {
    auto model = makeModel();
    model->setText("Hallo");
    model->senden();
    queue.runUntilIdle();
    model->cancel();
    queue.advance(2s);
    EXPECT_EQ(dismissals, 1);
}

} // namespace
} // namespace ostrelvirorez::testing
