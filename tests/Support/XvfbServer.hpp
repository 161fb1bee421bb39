#pragma once
// A private X server for one test: Xvfb on a free display with XTest, not
// listening on TCP, optionally with openbox as window manager. started() is
// false (and failure() says why) when it could not be brought up; tests hand
// that to REQUIRE_TEST_HOST.

#include "tests/Support/ChildProcess.hpp"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class XvfbServer {
public:
    struct Options {
        bool windowManager = false;
        // Further Xvfb arguments, such as "-extension" "XTEST".
        std::vector<std::string> extraArguments;
        // X resources published on the root window before any client comes,
        // as a desktop does (for example "Xft.dpi:\t192\n"); none when empty.
        std::string resources = {};
    };

    XvfbServer();
    explicit XvfbServer(Options options);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool started() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }
    // ":<number>"
    const std::string& displayName() const { return displayName_; }

private:
    void startServer(const std::vector<std::string>& extraArguments);
    void startWindowManager();
    void publishResources(const std::string& resources);

    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::string displayName_;
    std::string failure_;
};

} // namespace testsupport
