// The program's entry: one instance per user session, the Qt application with
// its event loop, the main queue on that loop, and the application delegate
// that owns everything else. The settings are saved one last time after the
// loop, while the log still works.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Entry/AppDelegate.hpp"
#include "OstrelVirorez/Entry/GraphicalSessionGuard.hpp"
#include "OstrelVirorez/Entry/SingleInstance.hpp"
#include "OstrelVirorez/Entry/TerminationSignals.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/QtMainQueue.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <QApplication>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

using namespace ostrelvirorez;

// The session's instance, or nothing when the session folder cannot be used
// (then more than one may run, as before).
std::unique_ptr<SingleInstance> claimSession() {
    try {
        return std::make_unique<SingleInstance>(SingleInstance::sessionFolder());
    } catch (const platform::Error& error) {
        virorezLogger().warning("Cannot make sure that only one instance runs: " + error.description());
        return nullptr;
    }
}

int handOverToRunningInstance(const SingleInstance& instance) {
    if (instance.activatePrimary()) {
        std::fprintf(stderr, "OstrelVirorez is already running; its settings window is brought forward\n");
        return 0;
    }
    std::fprintf(stderr, "OstrelVirorez is already running but did not answer\n");
    return 1;
}

int runApplication(int& argc, char* argv[], SingleInstance* instance) {
    std::optional<GraphicalSessionGuard> guard(std::in_place);
    QApplication application(argc, argv);
    guard.reset();
    QApplication::setApplicationName("OstrelVirorez");

    QtMainQueue mainQueue;
    const auto quit = [] { QCoreApplication::quit(); };
    TerminationSignals terminationSignals(quit);
    AppDelegate delegate(DesktopServices::Context{mainQueue, sharedPoolExecutor(), AppSettings::shared(),
                                                  platform::Keychain::standard()},
                         NotificationCenter::defaultCenter(), quit);
    const auto activationRequests = instance ? instance->listen([] {
        logVirorez("Another start asked for the settings window");
        NotificationCenter::defaultCenter().post(WindowNotification::openSettingsWindow);
    })
                                             : nullptr;
    // Both run before the loop, so the state's queued set-up comes after them.
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    const auto instance = claimSession();
    if (instance && !instance->isPrimary()) return handOverToRunningInstance(*instance);

    const int status = runApplication(argc, argv, instance.get());
    // The settings store does no file work when the process's static objects
    // go, so a save that failed during the run is tried once more here and
    // its failure reported while everything still lives.
    if (!platform::UserDefaults::standard().synchronize()) {
        virorezLogger().error("Settings could not be saved before quitting; this session's changes are lost");
    }
    return status;
}
