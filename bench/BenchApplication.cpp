#include "BenchApplication.h"

#include <QApplication>

namespace zel::bench {

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform cannot give the skinned windows their rounded mask and says so on
// every window; that notice would bury the figures.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support setting window masks")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

QApplication& BenchApplication() {
    static int argc = 1;
    static char name[] = "zel_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        defaultHandler = qInstallMessageHandler(FilterMessages);
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace zel::bench
