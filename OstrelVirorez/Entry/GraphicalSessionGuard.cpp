#include "OstrelVirorez/Entry/GraphicalSessionGuard.hpp"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace ostrelvirorez {
namespace {

// Qt's message handler is a plain function, so what it holds back lives here,
// for the one guard that may exist.
struct HeldMessages {
    QtMessageHandler previous = nullptr;
    std::vector<std::string> lines;
};

HeldMessages& held() {
    static HeldMessages messages;
    return messages;
}

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(GraphicalSessionGuard::message.size()),
                     GraphicalSessionGuard::message.data());
        std::fflush(stderr);
        std::_Exit(GraphicalSessionGuard::exitStatus);
    }
    held().lines.push_back(qFormatLogMessage(type, context, text).toStdString());
}

} // namespace

GraphicalSessionGuard::GraphicalSessionGuard() {
    held().lines.clear();
    held().previous = qInstallMessageHandler(&holdOrEnd);
}

GraphicalSessionGuard::~GraphicalSessionGuard() {
    qInstallMessageHandler(held().previous);
    for (const auto& line : held().lines) std::fprintf(stderr, "%s\n", line.c_str());
    held().lines.clear();
}

} // namespace ostrelvirorez
