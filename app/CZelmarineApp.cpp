#include "app/CZelmarineApp.h"

#include "resources/Resources.h"
#include "widgets/CMyDialog.h"
#include "widgets/ImageResources.h"

#include <QApplication>

namespace zel {

int CZelmarineApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmarine"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    InitResources();
    QApplication::setWindowIcon(LoadIconResource(128));

    // The main window comes with its own task; until then an empty frame stands in for it.
    CMyDialog mainWindow(nullptr, true);
    mainWindow.SetTitle(QStringLiteral("Velquist"));
    mainWindow.resize(1000, 560);
    mainWindow.exec();
    return 0;
}

} // namespace zel
