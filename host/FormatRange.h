#pragma once
// The format-range operation of a host rich-text control: the control lays out
// its text from a character index into a rectangle of a device, draws it there
// and tells where it stopped, so that a long rich text continues page by page.
// Host rich-text controls implement FormatRangeControl beside host::Object.
#include <cstdint>

#include "host/Dc.h"
#include "host/Geometry.h"
#include "host/HostError.h"
#include "host/Object.h"

namespace host {

struct FormatRange {
  Dc* target = nullptr;         // the device drawn on and measured with
  Rect drawTwips;               // where the text goes, in twips from the device's origin
  Rect pageTwips;               // the page that rectangle lies on, in twips
  std::int32_t firstChar = 0;   // first character to lay out
  std::int32_t lastChar = -1;   // last character; -1 means to the end of the text
  bool render = true;           // false: lay out and measure only
  // The rectangle is all the room a page gives: a following page would not
  // give more. A line or picture taller than it is then drawn cut at its
  // bottom and the text goes on after it, so that a whole page always takes
  // something; otherwise what does not fit is left for a larger rectangle.
  bool wholePage = false;
  // The height a whole page gives (0: not known). A table row the rectangle
  // cannot hold waits for the next page only when a whole page can hold it;
  // a taller one is cut between its lines at once.
  std::int32_t wholePageTwips = 0;
};

class FormatRangeControl {
 public:
  virtual ~FormatRangeControl() = default;
  // Lays out the range into drawTwips (converted with the target's dots per
  // inch), draws it when asked, and returns the index of the first character
  // that did not fit (the text length when everything fitted). Given the
  // index it returned, the next call goes on from where this one stopped.
  virtual std::int32_t formatRange(const FormatRange& request) = 0;
  // Frees the layout the control keeps between calls.
  virtual void releaseFormatRange() = 0;
};

// The format-range operation of a host control. A control without one raises
// error 438, as any member a control lacks does.
[[nodiscard]] inline FormatRangeControl& formatRangeOf(Object& control) {
  auto* ranged = dynamic_cast<FormatRangeControl*>(&control);
  if (ranged == nullptr) raise(err::MemberNotFound, "Object doesn't support this property or method: FormatRange");
  return *ranged;
}

}  // namespace host
