#include "plot/WindowPicture.h"

#include "plot/BitmapFile.h"

#include <QImage>
#include <QSaveFile>
#include <QWidget>

namespace zel {

QString PictureFileFilter() {
    return QStringLiteral("Bitmap Files (*.bmp);;PNG Files (*.png)");
}

bool SaveWindowPicture(const QString& path, QWidget* window) {
    if (!window)
        return false;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return SaveWindowBitmap(path, window);
    const QImage shot = window->grab(window->contentsRect()).toImage();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !shot.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace zel
