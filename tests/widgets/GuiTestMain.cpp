// main() of the GUI test programs: GoogleTest runs inside a QApplication, so that widgets can
// be created, shown, grabbed and sent events.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform keeps a widget's mask but cannot give it to a window, and says so for
// every rounded frame; that notice is noise here.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support setting window masks")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(FilterMessages);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
