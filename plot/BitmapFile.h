#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace zel {

// Bit depth of the display (planes × bits per pixel) that decides a screenshot's format.
int DisplayBitDepth();

// Writes `bitmap` as an uncompressed Windows BMP with rows bottom-up, each padded to 4 bytes:
// 24 bits per pixel without colour table for a display deeper than 8 bits, otherwise 1, 4 or
// 8 bits with a colour table. Returns false, leaving any existing file alone, when the file
// cannot be created or written.
bool WriteBitmapFile(const QString& path, const QImage& bitmap, int displayDepth);
bool WriteBitmapFile(const QString& path, const QImage& bitmap);

// Saves the client area of `window` as it is shown; false when the file could not be written.
bool SaveWindowBitmap(const QString& path, QWidget* window);

} // namespace zel
