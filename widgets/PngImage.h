#pragma once

#include <QImage>

namespace zel {

// An embedded PNG image that is drawn at its natural size, in the copy that suits the display:
// on displays scaled by 1.5 and more the one drawn at twice the size (its device pixel ratio
// set to 2, so that it covers the same area), the plain one otherwise. Each copy is decoded
// when first asked for.
class PngImage {
public:
    explicit PngImage(int id) : id_(id) {}

    // A null image when the program has no image of this id.
    const QImage& For(qreal devicePixelRatio) const;

private:
    int id_;
    mutable QImage plain_;
    mutable QImage sharp_;
    mutable bool plainLoaded_ = false;
    mutable bool sharpLoaded_ = false;
};

} // namespace zel
