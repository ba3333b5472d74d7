#include "widgets/PngImage.h"

#include "widgets/ImageResources.h"

namespace zel {

const QImage& PngImage::For(qreal devicePixelRatio) const {
    if (devicePixelRatio >= kSharpImageRatio) {
        if (!sharpLoaded_) {
            sharpLoaded_ = true;
            if (const auto image = LoadPngResource(id_, devicePixelRatio))
                sharp_ = *image;
        }
        if (!sharp_.isNull())
            return sharp_;
    }
    if (!plainLoaded_) {
        plainLoaded_ = true;
        if (const auto image = LoadPngResource(id_))
            plain_ = *image;
    }
    return plain_;
}

} // namespace zel
