#pragma once
// Compares an indicator render with its reference image, kept in
// references/ beside these tests.

#include "tests/Support/Qt/ReferenceImage.hpp"

#include <QImage>

#include <string>

namespace ostrelvirorez::indicatortest {

// Anti-aliased edges may differ by a few levels on a few pixels; a moved
// edge, another radius or colour differs on many more.
inline ::testing::AssertionResult matchesReference(const QImage& render, const std::string& name) {
    return testsupport::matchesReference(render, {"OstrelVirorez/UI/Indicator", name}, {8, 8});
}

} // namespace ostrelvirorez::indicatortest
