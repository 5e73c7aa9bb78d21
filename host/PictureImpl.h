#pragma once
// Host-side only: the pixels behind a host::Picture.
#include <QImage>
#include <QRectF>

#include "host/Picture.h"

namespace host {

struct Picture::Impl {
  QImage image;
  // The size in host pixels of a picture whose image holds fewer pixels than
  // it shows (drawn at a bounded resolution, see pictureShownAt); empty when
  // the image's size over its pixel ratio is the picture's size.
  Size shown{};
};

// The size an image was given by pictureShownAt (kept in its text, so that
// it goes through the clipboard with it); empty for any other image.
[[nodiscard]] Size shownSizeOf(const QImage& image);

// A picture over an image (shares the image's pixels).
[[nodiscard]] inline Picture pictureOf(QImage image) {
  const Size shown = shownSizeOf(image);
  return Picture(std::make_unique<Picture::Impl>(Picture::Impl{std::move(image), shown}));
}

// A picture `shown` host pixels large whose image holds fewer pixels along
// either axis: a copy stretches them over the host pixels they stand for.
[[nodiscard]] Picture pictureShownAt(QImage image, Size shown);
// Gives an image the size in host pixels it shows at when it holds fewer
// pixels (pictureOf then makes a picture of that size of it).
void setShownSize(QImage& image, Size shown);

// The stored size of a drawing of `shown` host pixels that holds at most
// `mostPixels` pixels, no side longer than 2^22: the size itself when it
// fits; for a long strip its long side is shortened first, otherwise both
// alike.
[[nodiscard]] QSize storedSizeWithin(QSize shown, double mostPixels);

// The stored pixels of a picture behind a rectangle of its host pixels.
[[nodiscard]] QRectF storedRect(const Picture& picture, const Rect& hostPixels);

// The image behind a picture; a null image for no picture.
[[nodiscard]] inline QImage imageOf(const Picture& picture) {
  return picture.impl() ? picture.impl()->image : QImage();
}

}  // namespace host
