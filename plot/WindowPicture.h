#pragma once

#include <QString>

class QWidget;

namespace zel {

// The filter of the viewer's picture dialog: BMP as ever, PNG beside it.
QString PictureFileFilter();

// Saves the client area of `window` as it is shown: as PNG when the path ends in ".png" (any
// case), otherwise as BMP (SaveWindowBitmap). False when the file could not be written; an
// existing file is only replaced by a complete one.
bool SaveWindowPicture(const QString& path, QWidget* window);

} // namespace zel
