#include "app/CZelmarineApp.h"

#include "app/CZelmarineDlg.h"
#include "app/DemoEnvironment.h"
#include "app/InfoOptions.h"
#include "app/ProgramWindows.h"
#include "app/TerminationSignals.h"
#include "app/ViewerLaunch.h"
#include "common/FileLocations.h"
#include "common/Language.h"
#include "common/Version.h"
#include "platform/UDisksDriveLister.h"
#include "records/EventLimitsConfig.h"
#include "resources/Resources.h"
#include "viewer/ViewDlg.h"
#include "widgets/ImageResources.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>

namespace zel {

int CZelmarineApp::Run(int argc, char** argv) {
    if (const auto status = AnswerInfoOptions(argc, argv, std::cout))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmarine"));
    QApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
    QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));
    InitResources();
    // The language is chosen once, at start: the settings dialog's choice takes effect on the
    // next start.
    InstallTranslations(ResolveLanguage(
        ReadLanguageChoice(FileLocations::ForThisProcess().ConfigFile()), SystemLanguage()));
    QApplication::setWindowIcon(LoadIconResource(128));

    if (auto viewer = ViewerForCommandLine(QApplication::arguments())) {
        TerminationSignals ending(*viewer, [&viewer] { viewer->close(); });
        viewer->exec();
        return 0;
    }

    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            demo = true;
    }

    // Only the demo has a simulated instrument and its temporary folders: the program on the
    // real instrument makes none that a kill could leave behind.
    std::optional<DemoEnvironment> demoEnvironment;
    MainWindowEnvironment environment;
    if (demo) {
        demoEnvironment.emplace();
        if (!demoEnvironment->Start()) {
            std::fprintf(stderr, "zelmarine: the simulated instrument could not start\n");
            return 1;
        }
        environment = demoEnvironment->Environment();
    } else {
        environment = SystemEnvironment();
    }

    // The live windows and the viewer watch the limits the settings dialog stores.
    SetEventLimitsFile(environment.configPath);
    CZelmarineDlg mainWindow(environment);
    RegisterProgramWindows(mainWindow, *environment.link,
                           demo ? demoEnvironment->RemovableDrives()
                                : RemovableDriveLister(SystemRemovableDrives));
    // On SIGTERM and SIGINT the windows close as the user's close would; the demo's folders go
    // with demoEnvironment as on every other way out.
    TerminationSignals ending(mainWindow, [&mainWindow] { mainWindow.CloseWithoutQuestion(); });
    mainWindow.exec();
    return 0;
}

} // namespace zel
