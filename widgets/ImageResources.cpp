#include "widgets/ImageResources.h"

#include "resources/Resources.h"

#include <QDir>
#include <QFile>

namespace zel {

namespace {

QImage LoadImageFile(const QString& path) {
    InitResources();
    if (!QFile::exists(path))
        return {};
    QImage image(path, "PNG");
    return image;
}

} // namespace

std::unique_ptr<QImage> LoadPngResource(int id) {
    QImage image = LoadImageFile(QStringLiteral(":/png/%1.png").arg(id));
    if (image.isNull())
        return nullptr;
    return std::make_unique<QImage>(image.convertToFormat(QImage::Format_ARGB32));
}

std::unique_ptr<QImage> LoadPngResource(int id, qreal devicePixelRatio) {
    if (devicePixelRatio < kSharpImageRatio)
        return nullptr;
    QImage image = LoadImageFile(QStringLiteral(":/png/%1@2x.png").arg(id));
    if (image.isNull())
        return nullptr;
    image.setDevicePixelRatio(2);
    return std::make_unique<QImage>(image.convertToFormat(QImage::Format_ARGB32));
}

QImage LoadBitmapResource(int id) {
    return LoadImageFile(QStringLiteral(":/bitmap/%1.png").arg(id));
}

QIcon LoadIconResource(int id) {
    InitResources();
    // Each size of an icon is its own file, named <id>-<size>.png.
    const QDir dir(QStringLiteral(":/icons"));
    const QStringList files =
        dir.entryList({QStringLiteral("%1-*.png").arg(id)}, QDir::Files, QDir::Name);
    QIcon icon;
    for (const QString& file : files)
        icon.addFile(dir.filePath(file));
    return icon;
}

} // namespace zel
