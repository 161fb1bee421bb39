#include "PelluxCore/ModelState.hpp"
#include "PelluxCore/PelluxCoreError.hpp"

#include <gtest/gtest.h>

namespace pelluxcore {
namespace {

TEST(ModelState, DisplayTextAndBusyFlag) {
    struct Case {
        ModelState state;
        const char* text;
        bool busy;
    };
    const Case cases[] = {
        {ModelState::unloading, "Unloading", true},      {ModelState::unloaded, "Unloaded", false},
        {ModelState::loading, "Loading", true},          {ModelState::loaded, "Loaded", false},
        {ModelState::prewarming, "Specializing", true},  {ModelState::prewarmed, "Specialized", false},
        {ModelState::downloading, "Downloading", true},  {ModelState::downloaded, "Downloaded", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(description(c.state), c.text);
        EXPECT_EQ(isBusy(c.state), c.busy) << c.text;
    }
}

TEST(PelluxCoreError, InvalidConfigurationDescribesItsMessage) {
    const auto error = PelluxCoreError::invalidConfiguration("Cannot load in state: " + description(ModelState::loading));
    EXPECT_EQ(error.kind(), PelluxCoreErrorKind::invalidConfiguration);
    EXPECT_EQ(error.description(), "Cannot load in state: Loading");
    EXPECT_EQ(error.message(), "Cannot load in state: Loading");
}

} // namespace
} // namespace pelluxcore
