#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

TEST(DiarizerErrorTests, DescriptionsAndKinds) {
    EXPECT_EQ(DiarizerError::memoryAllocationFailed().description(), "Failed to allocate ANE-aligned memory.");
    EXPECT_EQ(DiarizerError::invalidArrayBounds().kind(), DiarizerErrorKind::invalidArrayBounds);
    EXPECT_EQ(DiarizerError::processingFailed("").description(), "Processing failed: ");
    const auto failed = DiarizerError::processingFailed("Missing segments output");
    EXPECT_EQ(failed.description(), "Processing failed: Missing segments output");
    EXPECT_EQ(failed.message(), "Missing segments output");
    EXPECT_THROW(throw DiarizerError::notInitialized(), platform::Error);
}

} // namespace
} // namespace razeziruzer
