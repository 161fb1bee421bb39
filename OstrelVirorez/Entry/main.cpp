// The program's entry: the Qt application with its event loop, the main
// queue on that loop, and the application delegate that owns everything else.

#include "OstrelVirorez/App/BackgroundWork.hpp"
#include "OstrelVirorez/Entry/AppDelegate.hpp"
#include "OstrelVirorez/Entry/TerminationSignals.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/QtMainQueue.hpp"
#include "Platform/Keychain/Keychain.hpp"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("OstrelVirorez");

    ostrelvirorez::QtMainQueue mainQueue;
    const auto quit = [] { QCoreApplication::quit(); };
    ostrelvirorez::TerminationSignals terminationSignals(quit);
    ostrelvirorez::AppDelegate delegate(
        ostrelvirorez::DesktopServices::Context{mainQueue, ostrelvirorez::sharedPoolExecutor(),
                                                ostrelvirorez::AppSettings::shared(),
                                                platform::Keychain::standard()},
        ostrelvirorez::NotificationCenter::defaultCenter(), quit);
    // Both run before the loop, so the state's queued set-up comes after them.
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    QApplication::exec();
    return 0;
}
