#pragma once
// The one QApplication of the test process, made on first use on the
// offscreen platform (no display is ever needed) and destroyed after the last
// test. A test that starts this program again on an X server of its own sets
// the variable named by `onDisplayVariable` for it; that run keeps the
// platform and display it is given.

class QApplication;

namespace ostrelvirorez::testing {

inline constexpr const char* onDisplayVariable = "OSTREL_TEST_ON_DISPLAY";

QApplication& testApplication();

} // namespace ostrelvirorez::testing
