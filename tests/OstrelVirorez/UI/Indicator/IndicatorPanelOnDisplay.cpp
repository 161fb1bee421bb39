// Shows one indicator panel, settled, on the X display in $DISPLAY (Qt's xcb
// platform), for tests that look at the screen from outside: writes
// "ready <x> <y>" (the panel's position) once the panel is painted, then
// stays until it is terminated.
// Usage: IndicatorPanelOnDisplay notch|overlay|minimal

#include "OstrelVirorez/UI/Indicator/NotchGeometry.hpp"
#include "OstrelVirorez/UI/Indicator/ScreenDescription.hpp"
#include "OstrelVirorez/UI/IndicatorPanel.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    using namespace ostrelvirorez;
    QApplication application(argc, argv);
    IndicatorStyle style = IndicatorStyle::notch;
    if (argc > 1 && std::strcmp(argv[1], "overlay") == 0) style = IndicatorStyle::overlay;
    if (argc > 1 && std::strcmp(argv[1], "minimal") == 0) style = IndicatorStyle::minimal;

    const QRectF frame = QGuiApplication::primaryScreen()->geometry();
    const ScreenDescription screen{frame, 0, {}, {}};
    platform::ManualMainQueue queue;
    NotchGeometry geometry(screen);
    IndicatorInputs inputs;
    inputs.state = DictationState::transcribing(DictationMode::raw);
    IndicatorPanel panel(style, inputs, geometry, queue, queue.clock());
    panel.place(screen, PillPosition::island);
    panel.present();
    if (style == IndicatorStyle::notch) panel.setNotchPresented(true);
    queue.advance(std::chrono::seconds(1));

    QElapsedTimer waited;
    waited.start();
    while ((panel.windowHandle() == nullptr || !panel.windowHandle()->isExposed()) && waited.elapsed() < 10000) {
        application.processEvents(QEventLoop::AllEvents, 50);
    }
    panel.repaint();
    application.processEvents();
    application.sync();
    std::printf("ready %d %d\n", panel.x(), panel.y());
    std::fflush(stdout);
    return application.exec();
}
