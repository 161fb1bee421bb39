#include "OstrelVirorez/Entry/TerminationSignals.hpp"

#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <QCoreApplication>
#include <QEventLoop>

#include <csignal>

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

TEST(TerminationSignalsTest, EachSignalBecomesAQuitOnTheEventLoop) {
    testApplication();
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        int quits = 0;
        {
            TerminationSignals signals([&quits] { ++quits; });
            ASSERT_EQ(std::raise(number), 0);
            // The handler only writes to a pipe: nothing happens until the loop runs.
            EXPECT_EQ(quits, 0);
            for (int turn = 0; turn < 100 && quits == 0; ++turn) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 100);
            }
        }
        EXPECT_EQ(quits, 1);
    }
}

} // namespace
} // namespace ostrelvirorez::testing
