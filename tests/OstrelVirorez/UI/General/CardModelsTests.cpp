#include "OstrelVirorez/UI/General/AppearanceModel.hpp"
#include "OstrelVirorez/UI/General/AudioSectionModel.hpp"
#include "OstrelVirorez/UI/General/IndicatorSectionModel.hpp"
#include "OstrelVirorez/UI/General/MicrophoneModel.hpp"
#include "OstrelVirorez/UI/General/SmartFormattingModel.hpp"
#include "OstrelVirorez/UI/General/WholePercent.hpp"
#include "tests/OstrelVirorez/UI/General/GeneralTestSettings.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

using namespace ostrelvirorez::general;

using Writes = std::vector<std::string>;

TEST(IndicatorSectionModel, DefaultsShowNotchDuringActivityAtTheTopWithoutTheIntervalRow) {
    GeneralTestSettings store;
    IndicatorSectionModel model(store.settings);
    EXPECT_EQ(model.style(), IndicatorStyle::notch);
    EXPECT_EQ(model.visibility(), IndicatorVisibility::duringActivity);
    EXPECT_EQ(model.position(), PillPosition::island);
    EXPECT_TRUE(model.toggles()[0].isOn());
    EXPECT_FALSE(model.toggles()[1].isOn());
    EXPECT_FALSE(model.showsIntervalRow());
    EXPECT_TRUE(store.written.empty());

    model.choosePosition(PillPosition::free);
    EXPECT_EQ(store.written, Writes{"pillPosition=free"});
    model.chooseStyle(IndicatorStyle::minimal);
    model.chooseVisibility(IndicatorVisibility::never);
    EXPECT_EQ(store.settings.indicatorStyle(), IndicatorStyle::minimal);
    EXPECT_EQ(store.settings.indicatorVisibility(), IndicatorVisibility::never);
}

TEST(IndicatorSectionModel, PositionsSpeakOfTheTaskbarAndStoreTheirOwnValues) {
    struct Case {
        PillPosition value;
        const char* label;
        const char* stored;
    };
    const std::vector<Case> cases{{PillPosition::island, "Top (Island)", "pillPosition=island"},
                                  {PillPosition::dock, "Bottom (Above Taskbar)", "pillPosition=dock"},
                                  {PillPosition::free, "Free Position", "pillPosition=free"}};
    const auto& choices = IndicatorSectionModel::positionChoices();
    ASSERT_EQ(choices.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].label);
        EXPECT_EQ(choices[i].value, cases[i].value);
        EXPECT_EQ(choices[i].label, cases[i].label);
        GeneralTestSettings store;
        store.settings.setPillPosition(cases[i].value == PillPosition::free ? PillPosition::dock : PillPosition::free);
        store.written.clear();
        IndicatorSectionModel(store.settings).choosePosition(choices[i].value);
        EXPECT_EQ(store.written, Writes{cases[i].stored});
    }
}

TEST(IndicatorSectionModel, StepperMovesByAHundredAndStopsAtItsEnds) {
    GeneralTestSettings store;
    IndicatorSectionModel model(store.settings);
    model.toggles()[1].set(true);
    EXPECT_TRUE(model.showsIntervalRow());
    EXPECT_EQ(model.intervalLabel(), "1800 ms");
    for (int i = 0; i < 5; ++i) model.stepInterval(-1);
    EXPECT_EQ(model.intervalLabel(), "1300 ms");
    for (int i = 0; i < 20; ++i) model.stepInterval(-1);
    EXPECT_EQ(store.settings.liveTranscriptIntervalMs(), 500);
    for (int i = 0; i < 60; ++i) model.stepInterval(+1);
    EXPECT_EQ(store.settings.liveTranscriptIntervalMs(), 5000);

    store.settings.setLiveTranscriptIntervalMs(120); // written elsewhere, out of range
    model.stepInterval(+1);
    EXPECT_EQ(store.settings.liveTranscriptIntervalMs(), 500);
    model.toggles()[1].set(false);
    EXPECT_FALSE(model.showsIntervalRow());
    EXPECT_EQ(store.settings.liveTranscriptIntervalMs(), 500);
}

TEST(AudioSectionModel, DuckLevelSliderRunsFromFiveToFiftyPercent) {
    GeneralTestSettings store;
    AudioSectionModel model(store.settings);
    EXPECT_FALSE(model.showsLevelRow());
    model.toggles()[2].set(true);
    EXPECT_TRUE(model.showsLevelRow());
    EXPECT_EQ(model.levelText(), "20%");
    EXPECT_EQ(model.levelPosition(), 4);
    for (int position = AudioSectionModel::lowestLevelStep; position <= AudioSectionModel::highestLevelStep;
         ++position) {
        model.setLevelPosition(position);
        EXPECT_EQ(model.levelText(), std::to_string(position * 5) + "%") << "position " << position;
        EXPECT_EQ(model.levelPosition(), position);
    }
    model.setLevelPosition(0);
    EXPECT_EQ(model.levelText(), "5%");
    model.setLevelPosition(99);
    EXPECT_EQ(model.levelText(), "50%");
}

TEST(WholePercent, DropsTheFractionInsteadOfRounding) {
    struct Case {
        double fraction;
        std::string text;
    };
    const Case cases[] = {{0.2, "20%"}, {0.95, "95%"}, {0.0, "0%"}, {1.0, "100%"},
                          // 0.29 * 100 is 28.999999999999996
                          {0.29, "28%"}, {0.999, "99%"}};
    for (const auto& c : cases) EXPECT_EQ(wholePercent(c.fraction), c.text) << c.fraction;
}

TEST(SmartFormattingModel, SwitchesDefaultToOnOnOnOff) {
    GeneralTestSettings store;
    std::vector<std::string> shown;
    for (const auto& toggle : SmartFormattingModel::toggles(store.settings)) {
        shown.push_back(toggle.title + (toggle.isOn() ? " on" : " off"));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Smart Capitalization on", "Smart Paragraphs on",
                                               "Spoken Punctuation on", "Füllwörter entfernen off"}));
    SmartFormattingModel::toggles(store.settings)[3].set(true);
    EXPECT_TRUE(store.settings.fillerWordRemovalEnabled());
}

TEST(AppearanceModel, ChoosingAPresetWritesItsColoursInOrder) {
    GeneralTestSettings store;
    AppearanceModel model(store.settings);
    EXPECT_TRUE(store.written.empty()); // making the card applies nothing
    EXPECT_EQ(model.selectedPresetIndex(), 2u);
    EXPECT_EQ(model.darknessText(), "95%");

    model.choosePreset(0);
    EXPECT_EQ(store.written, (Writes{"ostrelAppearancePresetID=deepBlack", "ostrelBaseColorHex=#000000",
                                     "ostrelSidebarColorHex=", "ostrelSidebarDarknessDelta=0.05",
                                     "windowGlassDarkness=0.7"}));
    EXPECT_EQ(model.darknessText(), "70%");
}

// The preset is applied on a change of the stored id only: choosing the
// stored preset again after moving the slider keeps the slider's value.
TEST(AppearanceModel, ReChoosingTheStoredPresetDoesNotRestoreItsDarkness) {
    GeneralTestSettings store;
    AppearanceModel model(store.settings);
    model.setDarknessPosition(10);
    EXPECT_EQ(model.darknessText(), "50%");
    model.choosePreset(2);
    EXPECT_EQ(model.darknessText(), "50%");
    model.choosePreset(1);
    model.choosePreset(2);
    EXPECT_EQ(model.darknessText(), "95%");

    model.setDarknessPosition(0);
    EXPECT_EQ(model.darknessText(), "0%");
    model.setDarknessPosition(AppearanceModel::stepsPerWhole);
    EXPECT_EQ(model.darknessText(), "100%");

    store.written.clear();
    store.settings.setOstrelAppearancePresetID("neon");
    EXPECT_EQ(store.written, Writes{"ostrelAppearancePresetID=neon"});
    EXPECT_EQ(model.selectedPresetIndex(), std::nullopt);
}

TEST(MicrophoneModel, ListsTheDevicesAndStoresTheChosenUID) {
    GeneralTestSettings store;
    std::vector<AudioInputDevice> devices{{0, "System Default", ""}, {3, "USB", "usb-1"}, {9, "Headset", "hs"}};
    std::function<void()> announce;
    MicrophoneModel model(store.settings,
                          {[&] { return devices; },
                           [&](std::function<void()> changed) {
                               announce = std::move(changed);
                               return platform::Connection([&] { announce = nullptr; });
                           }});
    int changes = 0;
    const auto watch = model.changed().connect([&] { ++changes; });
    EXPECT_EQ(model.devices().front().name, "System Default");
    EXPECT_EQ(model.selectedIndex(), 0u);

    model.choose(2);
    EXPECT_EQ(store.settings.selectedMicrophoneUID(), "hs");
    EXPECT_EQ(model.selectedIndex(), 2u);
    devices.pop_back(); // unplugged: the UID stays stored, nothing is chosen
    announce();
    EXPECT_EQ(model.selectedIndex(), std::nullopt);
    EXPECT_EQ(store.settings.selectedMicrophoneUID(), "hs");
    model.choose(0);
    EXPECT_EQ(store.settings.selectedMicrophoneUID(), "");
    model.choose(7); // no such entry
    EXPECT_EQ(store.settings.selectedMicrophoneUID(), "");
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace ostrelvirorez::testing
