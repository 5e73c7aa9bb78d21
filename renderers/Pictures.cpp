// The printer's picture primitive: the persistent picture of a picture box
// drawn on the printer's page, scaled.
#include <cstdint>
#include <memory>

#include "host/Lang.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/model/Pictures.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"

namespace {

// The source's client area as a bitmap of w x h pixels with the picture at
// its top-left corner, as the picture box shows it; the picture alone when it
// is exactly that size.
[[nodiscard]] host::Picture clientBitmap(const host::Picture& picture, int w, int h) {
  if (picture.size() == host::Size{w, h}) return picture;
  auto bitmap = host::RasterDc::create({w, h}, host::RasterFormat::Color);
  const host::Rect copied = host::Rect::fromXywh(0, 0, w, h).intersected(host::Rect::fromXywh(0, 0, picture.width(), picture.height()));
  if (!copied.isEmpty()) bitmap->stretchPicture(copied, picture, copied);
  return bitmap->picture();
}

}  // namespace

void PrnPicture(PrintJob& /*job*/, const host::ObjectRef& Source, double Scale, std::int32_t nLeft,
                std::int32_t nTop) {
  Source->set("ScaleMode", std::int16_t{3});
  const std::int32_t w = Source->get("ScaleWidth").toLong();
  const std::int32_t h = Source->get("ScaleHeight").toLong();
  const host::Picture picture = host::pictureOf(*Source);
  host::Printer& printer = host::printer();
  // A source pixel is 13.5 twips wide and 14.6 twips high on paper, at the scale.
  const std::int32_t targetWidth = host::CLng(w * Scale * 13.5 / printer.twipsPerPixelX());
  const std::int32_t targetHeight = host::CLng(h * Scale * 14.6 / printer.twipsPerPixelY());
  // Nothing to copy from: the picture box holds no picture or has no area.
  if (picture.isNull() || w <= 0 || h <= 0) return;
  renderers::printerDc().stretchPicture(host::Rect::fromXywh(nLeft, nTop, targetWidth, targetHeight),
                                        clientBitmap(picture, w, h), host::Rect::fromXywh(0, 0, w, h));
}
