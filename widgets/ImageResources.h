#pragma once

#include <QIcon>
#include <QImage>
#include <memory>

namespace zel {

// The embedded PNG image with this id (248 to 261) decoded into a new image, or null when the
// program has no such image. The image owns its pixels; nothing else needs to stay alive.
std::unique_ptr<QImage> LoadPngResource(int id);

// From this device pixel ratio on, images come in their @2x copies where there is one.
constexpr qreal kSharpImageRatio = 1.5;

// The same for a display of the given device pixel ratio: from kSharpImageRatio on, the copy
// drawn at twice the size (device pixel ratio 2) when the image has one, otherwise null.
std::unique_ptr<QImage> LoadPngResource(int id, qreal devicePixelRatio);

// The embedded bitmap with this id (130, the glyph strip), or a null image.
QImage LoadBitmapResource(int id);

// The embedded icon with this id (128, 133 to 138) with every size it is drawn in, @2x files
// included, so that a scaled display gets pixels of its own resolution; or a null icon.
QIcon LoadIconResource(int id);

} // namespace zel
