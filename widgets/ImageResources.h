#pragma once

#include <QIcon>
#include <QImage>
#include <memory>

namespace zel {

// The embedded PNG image with this id (248 to 261) decoded into a new image, or null when the
// program has no such image. The image owns its pixels; nothing else needs to stay alive.
std::unique_ptr<QImage> LoadPngResource(int id);

// The embedded bitmap with this id (130, the glyph strip), or a null image.
QImage LoadBitmapResource(int id);

// The embedded icon with this id (128, 133 to 138) with every size it is drawn in, or a null
// icon.
QIcon LoadIconResource(int id);

} // namespace zel
