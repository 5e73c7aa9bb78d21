// A rich-text page whose drawing is painted after its job has let the
// layout go (a printer's pages are painted when the document is delivered,
// a preview page when it is shown): the layout is made again and the page
// shows what it showed laid out.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "host/RasterDc.h"
#include "host/model/RichText.h"

namespace {

using host::Rect;

std::string paragraphs(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += (i > 1 ? "\nItem " : "Item ") + std::to_string(i) + " is on hand.";
  return text;
}

// The second page of the box, 300 x 400 pixels, painted before or after
// the box lets its layout go.
host::Picture secondPage(host::RichTextBox& box, bool paintedAfterRelease) {
  auto first = host::RasterDc::create({300, 400}, host::RasterFormat::Color);
  auto second = host::RasterDc::create({300, 400}, host::RasterFormat::Color);
  host::FormatRange range;
  range.target = first.get();
  range.drawTwips = Rect::fromLtrb(150, 150, 4350, 5850);
  range.pageTwips = Rect::fromLtrb(0, 0, 4500, 6000);
  range.wholePage = true;
  range.firstChar = box.formatRange(range);
  range.target = second.get();
  EXPECT_GT(box.formatRange(range), range.firstChar);
  if (paintedAfterRelease) box.releaseFormatRange();
  host::Picture page = second->picture();
  box.releaseFormatRange();
  return page;
}

TEST(RichTextRelayout, APagePaintedAfterTheLayoutIsLetGoShowsWhatItShowedLaidOut) {
  auto runtime = testsupport::makeHeadless();
  host::RichTextBox box;
  box.setPlainText(paragraphs(400));
  const host::Picture laidOut = secondPage(box, false);
  const host::Picture again = secondPage(box, true);
  int differing = 0, ink = 0;
  for (int y = 0; y < laidOut.height(); ++y)
    for (int x = 0; x < laidOut.width(); ++x) {
      differing += laidOut.pixel(x, y) == again.pixel(x, y) ? 0 : 1;
      ink += laidOut.pixel(x, y).brightness() < 100 ? 1 : 0;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(ink, 500) << "the page holds text";
}

}  // namespace
