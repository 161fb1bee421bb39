#include "OstrelVirorez/UI/Settings/SettingsStatusModel.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ostrelvirorez::testing {
namespace {

using ostreldesignkit::Color;

class SettingsStatusModelTest : public AppStateFixture {
protected:
    std::unique_ptr<SettingsStatusModel> makeModel() {
        auto model = std::make_unique<SettingsStatusModel>(*appState, settings, *permissions);
        changesSeen = model->changed().connect([this] { ++changes; });
        return model;
    }

    int changes = 0;
    platform::Connection changesSeen;
};

TEST_F(SettingsStatusModelTest, BeforeAnyLoadTheEngineIsNotLoaded) {
    launch([this] { work.holdWork(); });
    const auto model = makeModel();
    EXPECT_EQ(model->engineStatusText(), QStringLiteral("Not loaded"));
    EXPECT_EQ(model->engineStatusColor(), Color::ostrelTextSecondary());

    work.runAll();
    runUntilIdle();
    EXPECT_EQ(model->engineStatusText(), QString::fromUtf8("Parakeet TDT v3 \u2014 Ready"));
    EXPECT_EQ(model->engineStatusColor(), VirorezColors::success());
    EXPECT_GT(changes, 0) << "the panel is told to draw again";
}

TEST_F(SettingsStatusModelTest, TheReadyLineNamesTheEngineLoadedNotTheOneSelected) {
    launch();
    const auto model = makeModel();
    settings.setSelectedEngine(EngineType::nemotron);
    EXPECT_EQ(model->engineStatusText(), QString::fromUtf8("Parakeet TDT v3 \u2014 Ready"));

    appState->engineManager().loadEngine(EngineType::nemotron);
    runUntilIdle();
    EXPECT_EQ(model->engineStatusText(), QString::fromUtf8("Nemotron 3.5 (Streaming) \u2014 Ready"));
}

TEST_F(SettingsStatusModelTest, AFailedLoadShowsItsMessageInRed) {
    engines->failToLoad = {EngineType::parakeet};
    launch();
    const auto model = makeModel();
    const EngineStatus status = appState->engineManager().status();
    ASSERT_EQ(status.kind(), EngineStatus::Kind::error);
    EXPECT_EQ(model->engineStatusText(), QString::fromStdString(status.message()));
    EXPECT_FALSE(model->engineStatusText().isEmpty());
    EXPECT_EQ(model->engineStatusColor(), Color::ostrelRecording());
}

TEST_F(SettingsStatusModelTest, PermissionsAreAskedEachTimeAndOnlyAuthorisedCaptureCounts) {
    launch();
    const auto model = makeModel();
    struct Case {
        const char* name;
        CaptureAuthorizationStatus microphone;
        bool trusted;
    };
    const std::vector<Case> cases{
        {"authorized", CaptureAuthorizationStatus::authorized, true},
        {"not determined", CaptureAuthorizationStatus::notDetermined, false},
        {"restricted", CaptureAuthorizationStatus::restricted, true},
        {"denied", CaptureAuthorizationStatus::denied, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        permissions->microphone = c.microphone;
        permissions->accessibilityTrusted = c.trusted;
        EXPECT_EQ(model->isMicrophoneGranted(), c.microphone == CaptureAuthorizationStatus::authorized);
        EXPECT_EQ(model->isAccessibilityTrusted(), c.trusted);
    }
    EXPECT_EQ(permissions->microphoneRequests, 0) << "the panel never asks for a grant";
    EXPECT_EQ(permissions->accessibilityPrompts, 0);
}

TEST_F(SettingsStatusModelTest, TheLastErrorIsShownWhileHeldEvenWhenEmpty) {
    launch();
    const auto model = makeModel();
    EXPECT_EQ(model->lastError(), std::nullopt);
    appState->lastErrorMessage.set(std::string());
    EXPECT_EQ(model->lastError(), QString());
    EXPECT_EQ(changes, 1);
    appState->lastErrorMessage.set(std::string("Microphone unavailable"));
    EXPECT_EQ(model->lastError(), QStringLiteral("Microphone unavailable"));
}

} // namespace
} // namespace ostrelvirorez::testing
