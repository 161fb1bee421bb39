#pragma once
// The one QApplication of the test process, made on first use on the
// offscreen platform (no display is ever needed) and destroyed after the last
// test.

class QApplication;

namespace ostrelvirorez::testing {

QApplication& testApplication();

} // namespace ostrelvirorez::testing
