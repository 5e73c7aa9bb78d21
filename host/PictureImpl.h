#pragma once
// Host-side only: the pixels behind a host::Picture.
#include <QImage>

#include "host/Picture.h"

namespace host {

struct Picture::Impl {
  QImage image;
};

// A picture over an image (shares the image's pixels).
[[nodiscard]] inline Picture pictureOf(QImage image) {
  return Picture(std::make_unique<Picture::Impl>(Picture::Impl{std::move(image)}));
}

// The image behind a picture; a null image for no picture.
[[nodiscard]] inline QImage imageOf(const Picture& picture) {
  return picture.impl() ? picture.impl()->image : QImage();
}

}  // namespace host
