#pragma once
// Compares a render with the reference image kept beside the tests, so that a
// changed size, radius, colour or spacing fails. Every render is also written
// under "renders/" of the working folder for a person to look at; a failure
// adds "<name>.diff.png" there, marking the differing pixels in red.
// With OSTREL_UPDATE_REFERENCES=1 the reference is rewritten from the render
// (a deliberate update, committed with the change that caused it).

#include <gtest/gtest.h>

#include <string>

class QImage;

namespace testsupport {

struct ReferenceTolerance {
    // Largest difference of one colour or alpha channel (0-255) still counted as equal.
    int channel = 8;
    // How many pixels may differ by more than `channel`.
    int pixels = 0;
};

// `referenceImage("OstrelDesignKit/Glass", "glass-clear")` names
// tests/OstrelDesignKit/Glass/references/glass-clear.png; an absolute
// `testFolder` is used as it is.
struct ReferenceImage {
    std::string testFolder;
    std::string name;
};

// Success when `actual` has the reference's size and differs from it in at
// most `tolerance.pixels` pixels; the failure names the image, the differing
// pixel count and their bounding region.
::testing::AssertionResult matchesReference(const QImage& actual, const ReferenceImage& reference,
                                            ReferenceTolerance tolerance = {});

// The file a reference is kept in.
std::string referencePath(const ReferenceImage& reference);

} // namespace testsupport
