#include "tests/support/TestApplication.h"

#include "widgets/Translations.h"

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
    auto app = std::make_unique<QApplication>(argc, argv);
    // The windows speak Chinese, whatever the machine's locale, unless a test asks for English
    // (UseLanguage) or the run does: ZEL_TEST_LANGUAGE=en.
    UseLanguage(qEnvironmentVariable("ZEL_TEST_LANGUAGE") == QLatin1String("en")
                    ? UiLanguage::English
                    : UiLanguage::Chinese);
    return app;
}

void UseLanguage(UiLanguage language) {
    // Chinese is the program's own text and the Qt texts of the pixel references (none loaded).
    InstallTranslations(language, language == UiLanguage::English);
}

} // namespace zel::test
