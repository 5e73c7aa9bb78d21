#pragma once
// The pictures behind picture boxes and image controls. By name a control's
// Picture reads as a Long handle (0 when it holds none) and takes a handle
// (another control's Picture or Image), 0 to clear it, or a file path to load;
// these helpers reach the pictures themselves.
#include <cstdint>
#include <filesystem>

#include "host/Object.h"
#include "host/Picture.h"

namespace host {

// The picture a picture box or image control holds; a null picture when it
// holds none or the object is neither.
[[nodiscard]] Picture pictureOf(const Object& control);
// The picture as the control displays it: a picture box's client area in its
// back colour with its Picture at the top-left corner (its Image); an image
// control's Picture. Null when the control shows nothing.
[[nodiscard]] Picture displayedImageOf(const Object& control);
// Puts a picture into a picture box or image control (a null picture clears
// it); `source` is the file it came from, kept for saving. Raises 438 for
// other objects.
void setPicture(Object& control, const Picture& picture, const std::filesystem::path& source = {});
// The file the control's picture was loaded from (empty when not known).
[[nodiscard]] std::filesystem::path pictureSourceOf(const Object& control);
// The picture a handle stands for while some control holds it; null otherwise.
[[nodiscard]] Picture pictureFromHandle(std::int32_t handle);
// The picture stretched to `size` host pixels, as an image control with
// Stretch shows it: without smoothing, as the page surfaces copy pictures, and
// with as many stored pixels per host pixel as it had; null for a null
// picture or an empty size.
[[nodiscard]] Picture stretchedPicture(const Picture& picture, Size size);

}  // namespace host
