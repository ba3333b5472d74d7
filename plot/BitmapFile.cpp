#include "plot/BitmapFile.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

namespace zel {

namespace {

int BitCountFor(int depth) {
    if (depth <= 1)
        return 1;
    if (depth <= 4)
        return 4;
    if (depth <= 8)
        return 8;
    return 24;
}

// The sixteen colours every palette starts with, then a 6×6×6 cube and a grey ramp.
QList<QRgb> PaletteFor(int bits) {
    if (bits == 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QList<QRgb> table = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    if (bits == 4)
        return table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table << qRgb(r * 51, g * 51, b * 51);
    for (int i = 0; table.size() < 256; ++i)
        table << qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10);
    return table;
}

template <typename T> void Put(QByteArray& buffer, int offset, T value) {
    qToLittleEndian(value, buffer.data() + offset);
}

void PutInfoHeader(QByteArray& buffer, int width, int height, int bits) {
    Put<quint32>(buffer, 14, 40);
    Put<qint32>(buffer, 18, width);
    Put<qint32>(buffer, 22, height); // positive: rows bottom-up
    Put<quint16>(buffer, 26, 1);
    Put<quint16>(buffer, 28, static_cast<quint16>(bits));
    // Compression, image size, resolutions and colour counts stay 0.
}

void PutTrueColourRows(QByteArray& buffer, int offset, const QImage& image, int rowSize) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        auto* row =
            reinterpret_cast<uchar*>(buffer.data()) + offset + (rgb.height() - 1 - y) * rowSize;
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            row[3 * x] = static_cast<uchar>(qBlue(src[x]));
            row[3 * x + 1] = static_cast<uchar>(qGreen(src[x]));
            row[3 * x + 2] = static_cast<uchar>(qRed(src[x]));
        }
    }
}

void PutIndexedRows(QByteArray& buffer, int offset, const QImage& image, int rowSize, int bits) {
    const QList<QRgb> palette = PaletteFor(bits);
    for (int i = 0; i < palette.size(); ++i) {
        uchar* entry = reinterpret_cast<uchar*>(buffer.data()) + 54 + 4 * i;
        entry[0] = static_cast<uchar>(qBlue(palette[i]));
        entry[1] = static_cast<uchar>(qGreen(palette[i]));
        entry[2] = static_cast<uchar>(qRed(palette[i]));
    }
    const QImage indexed =
        image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
    const int perByte = 8 / bits;
    for (int y = 0; y < indexed.height(); ++y) {
        auto* row =
            reinterpret_cast<uchar*>(buffer.data()) + offset + (indexed.height() - 1 - y) * rowSize;
        const uchar* src = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const int shift = (perByte - 1 - x % perByte) * bits;
            row[x / perByte] |= static_cast<uchar>(src[x] << shift);
        }
    }
}

} // namespace

int DisplayBitDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

bool WriteBitmapFile(const QString& path, const QImage& bitmap, int displayDepth) {
    const int bits = BitCountFor(displayDepth);
    const int table = bits <= 8 ? 4 << bits : 0;
    const int width = bitmap.width(), height = bitmap.height();
    const int rowSize = ((bits * width + 31) / 32) * 4;
    const qint64 imageSize = static_cast<qint64>(rowSize) * height;

    QByteArray buffer(14 + 40 + table + imageSize, '\0');
    Put<quint16>(buffer, 0, 0x4D42); // "BM"
    Put<quint32>(buffer, 2, static_cast<quint32>(buffer.size()));
    Put<quint32>(buffer, 10, static_cast<quint32>(54 + table));
    PutInfoHeader(buffer, width, height, bits);
    if (bits == 24)
        PutTrueColourRows(buffer, 54, bitmap, rowSize);
    else
        PutIndexedRows(buffer, 54 + table, bitmap, rowSize, bits);

    // Written beside the target and renamed on commit, so a failure leaves nothing behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(buffer) != buffer.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteBitmapFile(const QString& path, const QImage& bitmap) {
    return WriteBitmapFile(path, bitmap, DisplayBitDepth());
}

bool SaveWindowBitmap(const QString& path, QWidget* window) {
    if (!window)
        return false;
    // Plots keep their scroll bar outside the contents rectangle, which is their client area.
    const QImage shot = window->grab(window->contentsRect()).toImage();
    return WriteBitmapFile(path, shot);
}

} // namespace zel
