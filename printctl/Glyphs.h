#pragma once
// The four glyph pictures the check box and option button renderer draws
// beside a caption: a ticked and an empty check box, a selected and an empty
// option button. All four are GlyphSize x GlyphSize pixels, black on white,
// drawn by the control itself so that they look the same on every platform.
#include "host/Picture.h"

namespace glyphs {

inline constexpr int GlyphSize = 13;

[[nodiscard]] host::Picture Check();    // a ticked check box
[[nodiscard]] host::Picture Uncheck();  // an empty check box
[[nodiscard]] host::Picture Optik();    // a selected option button
[[nodiscard]] host::Picture Optinon();  // an empty option button

// The pictures on the control's two face buttons: a page under a magnifying
// glass (preview) and a printer with a sheet (print), FacePictureSize square,
// on the button's face colour. A disabled button's picture is drawn in grey.
inline constexpr int FacePictureSize = 16;
inline constexpr host::Rgb ButtonFace = host::Rgb::fromRgb(192, 192, 192);

enum class FaceState { Enabled, Disabled };

[[nodiscard]] host::Picture PreviewFace(FaceState state);
[[nodiscard]] host::Picture PrintFace(FaceState state);

}  // namespace glyphs
