#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace ostrelvirorez {
namespace {

TEST(NotificationCenter, DeliversEachNameOnlyToItsObservers) {
    NotificationCenter center;
    std::vector<std::string> heard;
    auto feedback = center.observe(WindowNotification::showFeedbackSheet, [&] { heard.push_back("feedback"); });
    auto onboarding = center.observe(WindowNotification::showOnboardingSheet, [&] { heard.push_back("onboarding"); });
    auto secondFeedback = center.observe(WindowNotification::showFeedbackSheet, [&] { heard.push_back("feedback 2"); });

    center.post(WindowNotification::showFeedbackSheet);
    EXPECT_EQ(heard, (std::vector<std::string>{"feedback", "feedback 2"}));

    heard.clear();
    center.post(WindowNotification::checkForUpdatesRequested);
    center.post("unknown");
    EXPECT_TRUE(heard.empty());
}

TEST(NotificationCenter, AnObserverIsGoneOnceItsConnectionIs) {
    NotificationCenter center;
    int calls = 0;
    {
        auto observer = center.observe(WindowNotification::openSettingsWindow, [&] { ++calls; });
        EXPECT_EQ(center.observerCount(WindowNotification::openSettingsWindow), 1u);
        center.post(WindowNotification::openSettingsWindow);
    }
    center.post(WindowNotification::openSettingsWindow);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(WindowNotification::openSettingsWindow), 0u);
}

TEST(NotificationCenter, AnObserverMayStopObservingWhileBeingNotified) {
    NotificationCenter center;
    int calls = 0;
    platform::Connection observer;
    observer = center.observe(WindowNotification::openSettingsWindow, [&] {
        ++calls;
        observer.disconnect();
    });
    center.post(WindowNotification::openSettingsWindow);
    center.post(WindowNotification::openSettingsWindow);
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, DeliversOnThePostingThread) {
    NotificationCenter center;
    std::thread::id deliveredOn;
    auto observer = center.observe(WindowNotification::openSettingsWindow,
                                   [&] { deliveredOn = std::this_thread::get_id(); });
    std::thread::id postedOn;
    std::thread poster([&] {
        postedOn = std::this_thread::get_id();
        center.post(WindowNotification::openSettingsWindow);
    });
    poster.join();
    EXPECT_EQ(deliveredOn, postedOn);
}

} // namespace
} // namespace ostrelvirorez
