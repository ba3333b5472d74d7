#include "app/ViewerLaunch.h"

#include "viewer/ViewDlg.h"

namespace zel {

std::unique_ptr<CViewDlg> ViewerForCommandLine(const QStringList& arguments) {
    bool view = false;
    QString file;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--view"))
            view = true;
        else if (!argument.startsWith(QLatin1Char('-')) && file.isEmpty())
            file = argument;
    }
    if (!view && file.isEmpty())
        return nullptr;
    auto viewer = std::make_unique<CViewDlg>();
    if (!file.isEmpty())
        viewer->OpenRecord(file);
    return viewer;
}

} // namespace zel
