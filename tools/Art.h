#pragma once

#include <QImage>
#include <QString>

// Drawings of the embedded images. Every function returns a finished ARGB image of the size its
// resource requires, or `scale` times that size for the sharper copy a scaled display is given;
// ArtGen.cpp writes them out as PNG files.
namespace art {

enum class FrameButton { Close, Maximize, Minimize, Restore };
enum class ButtonState { Normal, Hover, Pressed };

QImage FrameButtonImage(FrameButton button, ButtonState state, int scale = 1);

// 204 x 32: seventeen 12 x 32 glyph cells, cyan digits and marks, magenta letters, on black.
QImage GlyphStrip();

QImage Logo(int size);

// Button icons 133 to 138 at one of their sizes.
QImage ButtonIcon(int id, int size);

// The main window's picture, 1245 x 328.
QImage MainPicture(int scale = 1);

} // namespace art
