#pragma once
// Pictures on a page: the part of a picture box a picture primitive draws
// from, and a picture stretched into a target rectangle and cut at a bottom
// line: the rows of the target from that line down stay as they are, and the
// rows above show the same part of the picture they would show uncut.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "host/Dc.h"
#include "host/Object.h"
#include "host/Picture.h"

namespace surface {

// No cut: the whole target rectangle is drawn.
inline constexpr std::int32_t NoCut = std::numeric_limits<std::int32_t>::max();

// The client area of a picture box in pixels (its ScaleMode is set to
// pixels): what the picture primitives draw, and so what a page must hold.
[[nodiscard]] inline host::Size clientPixels(host::Object& source) {
  source.set("ScaleMode", std::int16_t{3});
  return {source.get("ScaleWidth").toLong(), source.get("ScaleHeight").toLong()};
}

// Whether a picture is a client area of `client` pixels as its box shows it:
// it covers the area, lets nothing behind it show and holds no more stored
// pixels than host pixels. Such a picture is drawn from as it is; a copy of
// the area would hold the same pixels (and for a chart 2,000,000 twips wide,
// gigabytes of them).
[[nodiscard]] inline bool coversClientArea(const host::Picture& picture, host::Size client) {
  return !picture.isNull() && picture.width() >= client.width && picture.height() >= client.height &&
         !picture.hasAlpha() && picture.pixelRatio() == 1;
}

inline void stretchPictureCut(host::Dc& dc, const host::Rect& target, const host::Picture& picture,
                              const host::Rect& source, std::int32_t cutAt) {
  if (target.isEmpty() || source.isEmpty()) return;
  if (cutAt >= target.bottom) {
    dc.stretchPicture(target, picture, source);
    return;
  }
  if (cutAt <= target.top) return;
  // The source rows that land above the cut, in the target's proportion.
  const double visible = static_cast<double>(cutAt - target.top) / target.height();
  const int sourceRows = std::max(1, static_cast<int>(source.height() * visible + 0.5));
  const int targetRows = static_cast<int>(static_cast<double>(sourceRows) / source.height() * target.height() + 0.5);
  dc.stretchPicture(host::Rect::fromLtrb(target.left, target.top, target.right, std::min(cutAt, target.top + targetRows)),
                    picture, host::Rect::fromXywh(source.left, source.top, source.width(), sourceRows));
}

}  // namespace surface
