#include "widgets/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <mutex>

namespace zel {

namespace {

std::mutex handlerMutex;
FileDialog::Handler currentHandler;

} // namespace

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix) {
    return Show({parent, Mode::Open, filter, defaultSuffix, {}, {}});
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix, const QString& directory,
                                    const QString& fileName) {
    return Show({parent, Mode::Save, filter, defaultSuffix, directory, fileName});
}

FileDialog::Handler FileDialog::SetHandler(Handler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(currentHandler, handler);
    return handler;
}

QString FileDialog::Show(const Request& request) {
    Handler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    return handler ? handler(request) : ShowModal(request);
}

QString FileDialog::ShowModal(const Request& request) {
    const bool open = request.mode == Mode::Open;
    QFileDialog dialog(request.parent, QString(), request.directory, request.filter);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // With several filters, a name typed without an extension takes the chosen filter's.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const auto match = QRegularExpression(QStringLiteral(R"(\*\.(\w+))")).match(filter);
            if (match.hasMatch())
                dialog.setDefaultSuffix(match.captured(1));
        });
    // Qt asks before overwriting unless told not to; there is no read-only option to hide.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace zel
