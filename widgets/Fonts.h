#pragma once

#include <QFont>

namespace zel {

// The Chinese serif face the windows were designed with ("宋体"), or the nearest installed face
// that has the Chinese characters. The size is the character height in pixels.
QFont SongtiFont(int pixelHeight);

// "Arial", or the metric-compatible face the setup installs, at this pixel height.
QFont ArialFont(int pixelHeight);

// The system's user-interface face at this pixel height, able to show Chinese titles.
QFont GuiFont(int pixelHeight);

// The dialog templates' face ("MS Shell Dlg") at this point size, measured at 96 dots per inch.
QFont ShellDlgFont(int pointSize);

} // namespace zel
