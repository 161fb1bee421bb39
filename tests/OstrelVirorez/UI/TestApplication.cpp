#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace ostrelvirorez::testing {
namespace {

std::unique_ptr<QApplication>& application() {
    static std::unique_ptr<QApplication> instance;
    return instance;
}

// Lets the application go before the process's static objects do.
class ApplicationEnvironment final : public ::testing::Environment {
public:
    void TearDown() override { application().reset(); }
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

QApplication& testApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
    auto& instance = application();
    if (!instance) {
        if (!qEnvironmentVariableIsSet(onDisplayVariable)) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "OstrelVirorezTests";
        static char* argv[] = {name, nullptr};
        instance = std::make_unique<QApplication>(argc, argv);
    }
    return *instance;
}

} // namespace ostrelvirorez::testing
