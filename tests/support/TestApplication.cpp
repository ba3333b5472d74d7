#include "tests/support/TestApplication.h"

namespace zel::test {
namespace {

QtMessageHandler defaultHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support setting window masks")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

std::unique_ptr<QApplication> MakeTestApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!defaultHandler)
        defaultHandler = qInstallMessageHandler(FilterMessages);
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace zel::test
