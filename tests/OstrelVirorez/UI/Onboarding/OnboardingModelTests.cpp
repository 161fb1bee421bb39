#include "OstrelVirorez/UI/Onboarding/OnboardingModel.hpp"

#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "tests/OstrelVirorez/UI/Onboarding/OnboardingFakes.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

class OnboardingModelTest : public ::testing::Test {
protected:
    std::unique_ptr<OnboardingModel> makeModel() {
        auto model = std::make_unique<OnboardingModel>(OnboardingModel::Dependencies{
            store.settings, permissions, queue, [this] { ++engineLoads; },
            [this](const std::string& url) { openedURLs.push_back(url); }, [this] { ++dismissals; }});
        model->refreshPermissions(); // as the sheet does when it appears
        return model;
    }

    TestSettings store;
    ScriptedPermissions permissions;
    platform::ManualMainQueue queue;
    int engineLoads = 0;
    int dismissals = 0;
    std::vector<std::string> openedURLs;
};

TEST_F(OnboardingModelTest, EachStepHasItsTitleCounterButtonsAndOneHighlightedDot) {
    struct Case {
        int step;
        std::string title, counter, left, right;
    };
    const Case cases[] = {
        {0, "Willkommen bei OstrelVirorez", "Schritt 1 von 3", "Überspringen", "Weiter"},
        {1, "Berechtigungen", "Schritt 2 von 3", "Zurück", "Weiter"},
        {2, "Sprach-Engine wählen", "Schritt 3 von 3", "Zurück", "Los geht's"},
    };
    auto model = makeModel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        ASSERT_EQ(model->step(), c.step);
        EXPECT_EQ(model->headerTitle(), c.title);
        EXPECT_EQ(model->stepCounter(), c.counter);
        EXPECT_EQ(model->leftButtonTitle(), c.left);
        EXPECT_EQ(model->rightButtonTitle(), c.right);
        for (int dot = 0; dot < OnboardingModel::steps; ++dot) EXPECT_EQ(model->isDotHighlighted(dot), dot == c.step);
        if (c.step < 2) model->pressRight();
    }
    EXPECT_FALSE(store.settings.onboardingCompleted());
}

TEST_F(OnboardingModelTest, SkippingOnTheFirstStepCompletesTheGuideAtOnce) {
    auto model = makeModel();
    model->pressLeft();
    EXPECT_TRUE(store.settings.onboardingCompleted());
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(permissions.microphoneRequests + permissions.accessibilityPrompts, 0);
    EXPECT_EQ(engineLoads, 0);
}

TEST_F(OnboardingModelTest, BackLeadsOneStepBackAndOnlyTheLastStepFinishes) {
    auto model = makeModel();
    model->pressRight();
    model->pressLeft();
    EXPECT_EQ(model->step(), 0);
    EXPECT_EQ(model->leftButtonTitle(), "Überspringen");
    model->pressRight();
    model->pressRight();
    EXPECT_EQ(dismissals, 0);
    EXPECT_FALSE(store.settings.onboardingCompleted());
    model->pressRight();
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(store.settings.onboardingCompleted());
}

TEST_F(OnboardingModelTest, ClosingTheSheetAnyOtherWayLeavesTheGuideUncompleted) {
    auto model = makeModel();
    model->pressRight();
    model->chooseEngine(EngineType::hushframe);
    model.reset();
    queue.runUntilIdle();
    EXPECT_FALSE(store.settings.onboardingCompleted());
    EXPECT_EQ(store.settings.selectedEngine(), EngineType::hushframe);
}

TEST_F(OnboardingModelTest, OnlyAnAuthorisedMicrophoneAndATrustedProcessCountAsGranted) {
    struct Case {
        const char* name;
        CaptureAuthorizationStatus microphone;
        bool trusted;
        bool micAuthorized;
        bool showsTip;
    };
    const Case cases[] = {
        {"not determined", CaptureAuthorizationStatus::notDetermined, true, false, true},
        {"restricted", CaptureAuthorizationStatus::restricted, true, false, true},
        {"denied", CaptureAuthorizationStatus::denied, true, false, true},
        {"authorised, not trusted", CaptureAuthorizationStatus::authorized, false, true, true},
        {"both granted", CaptureAuthorizationStatus::authorized, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        permissions.microphone = c.microphone;
        permissions.accessibilityTrusted = c.trusted;
        auto model = makeModel();
        EXPECT_EQ(model->micAuthorized(), c.micAuthorized);
        EXPECT_EQ(model->accessibilityGranted(), c.trusted);
        EXPECT_EQ(model->showsPermissionTip(), c.showsTip);
    }
}

TEST_F(OnboardingModelTest, NextRefreshesThePermissionsAfterTheStepChange) {
    auto model = makeModel();
    const int ticks = model->refreshTick();
    permissions.microphone = CaptureAuthorizationStatus::authorized;
    model->pressRight();
    EXPECT_FALSE(model->micAuthorized());
    queue.runUntilIdle();
    EXPECT_TRUE(model->micAuthorized());
    EXPECT_EQ(model->refreshTick(), ticks + 1);
}

TEST_F(OnboardingModelTest, DeniedHintAppearsWithTheRequestAndGoesOnlyWhenTheMicrophoneIsAuthorised) {
    permissions.microphone = CaptureAuthorizationStatus::denied;
    auto model = makeModel();
    EXPECT_EQ(model->microphoneDeniedHint(), std::nullopt);

    model->requestMicrophone();
    EXPECT_EQ(permissions.microphoneRequests, 1);
    EXPECT_EQ(model->microphoneDeniedHint(),
              "Vom System abgelehnt — bitte in den Systemeinstellungen freigeben.");

    // The answer comes on another thread and only starts a refresh on the queue.
    const int ticks = model->refreshTick();
    std::thread([this] { permissions.answerMicrophone(false); }).join();
    EXPECT_EQ(model->refreshTick(), ticks);
    queue.runUntilIdle();
    EXPECT_EQ(model->refreshTick(), ticks + 1);
    EXPECT_TRUE(model->microphoneDeniedHint().has_value());

    permissions.microphone = CaptureAuthorizationStatus::authorized;
    model->refreshPermissions();
    EXPECT_EQ(model->microphoneDeniedHint(), std::nullopt);
}

TEST_F(OnboardingModelTest, AnswersAndDelayedRefreshesArrivingAfterTheSheetClosedAreDropped) {
    auto model = makeModel();
    model->requestMicrophone();
    model->requestAccessibility();
    model.reset();
    permissions.answerMicrophone(true);
    queue.advance(1s);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(OnboardingModelTest, AccessibilityRequestPromptsAndRefreshesHalfASecondLater) {
    auto model = makeModel();
    model->pressRight();
    queue.runUntilIdle();
    model->requestAccessibility();
    EXPECT_EQ(permissions.accessibilityPrompts, 1);
    permissions.accessibilityTrusted = true;
    queue.advance(499ms);
    EXPECT_FALSE(model->accessibilityGranted());
    queue.advance(1ms);
    EXPECT_TRUE(model->accessibilityGranted());
}

TEST_F(OnboardingModelTest, ChoosingACardStoresTheEngineAndLoadsItEveryTime) {
    auto model = makeModel();
    EXPECT_TRUE(model->isEngineSelected(EngineType::parakeet));
    model->chooseEngine(EngineType::hushframe);
    EXPECT_EQ(store.defaults.stringValue("selectedEngine"), "hushframe");
    EXPECT_TRUE(model->isEngineSelected(EngineType::hushframe));
    EXPECT_FALSE(model->isEngineSelected(EngineType::parakeet));
    EXPECT_EQ(engineLoads, 1);
    model->chooseEngine(EngineType::hushframe);
    EXPECT_EQ(engineLoads, 2);
}

TEST_F(OnboardingModelTest, SystemSettingsOpenThePrivacyPaneAndIgnoreAnAddressThatCannotBeFormed) {
    auto model = makeModel();
    model->openSystemSettings("Privacy_Microphone");
    model->openSystemSettings("Privacy_Accessibility");
    model->openSystemSettings("Privacy Microphone");
    EXPECT_EQ(openedURLs,
              (std::vector<std::string>{"x-apple.systempreferences:zar.apple.preference.security?Privacy_Microphone",
                                        "x-apple.systempreferences:zar.apple.preference.security?"
                                        "Privacy_Accessibility"}));
}

} // namespace
} // namespace ostrelvirorez::testing
