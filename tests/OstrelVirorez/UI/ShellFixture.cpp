#include "tests/OstrelVirorez/UI/ShellFixture.hpp"

#include "tests/OstrelVirorez/UI/TestApplication.hpp"

namespace ostrelvirorez::testing {

ShellFixture::ShellFixture() {
    testApplication();
    controller = std::make_unique<StatusBarController>(queue, notifications, activationPolicy,
                                                       [this] { ++quitRequests; });
    launch();
}

ShellFixture::~ShellFixture() {
    controller.reset();
}

std::shared_ptr<int> ShellFixture::countPosts(std::string_view name) {
    auto count = std::make_shared<int>(0);
    counters_.push_back(notifications.observe(name, [count] { ++*count; }));
    return count;
}

QAction* entryTitled(const QMenu& menu, const QString& title) {
    for (QAction* entry : menu.actions()) {
        if (entry->text() == title) return entry;
    }
    return nullptr;
}

} // namespace ostrelvirorez::testing
