#include "app/CZelmarineApp.h"

#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "app/UDisksDriveLister.h"
#include "resources/Resources.h"
#include "stored/StoredRecordWindows.h"
#include "widgets/ImageResources.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace zel {

int CZelmarineApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmarine"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    InitResources();
    QApplication::setWindowIcon(LoadIconResource(128));

    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            demo = true;
    }

    DemoEnvironment demoEnvironment;
    MainWindowEnvironment environment;
    if (demo) {
        if (!demoEnvironment.Start()) {
            std::fprintf(stderr, "zelmarine: the simulated instrument could not start\n");
            return 1;
        }
        environment = demoEnvironment.Environment();
    } else {
        environment = SystemEnvironment();
    }

    CZelmarineDlg mainWindow(environment);
    InstallStoredRecordWindows(mainWindow, *environment.link,
                               demo ? demoEnvironment.RemovableDrives()
                                    : RemovableDriveLister(SystemRemovableDrives));
    mainWindow.exec();
    return 0;
}

} // namespace zel
