// The top title and the foot line, on a preview page and on the printer.
#include <gtest/gtest.h>

#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/Titles.h"
#include "printctl/VelloraHarness.h"

namespace {

using velloratest::Harness;

// Ink (non-white pixels) inside a rectangle of a picture.
long inkIn(const host::Picture& picture, const host::Rect& rect) {
  long inked = 0;
  for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, picture.height()); ++y) {
    for (int x = std::max(rect.left, 0); x < std::min(rect.right, picture.width()); ++x) {
      inked += picture.pixel(x, y) == host::Rgb::white ? 0 : 1;
    }
  }
  return inked;
}

// The rightmost inked column inside a rectangle (-1 when there is none).
int rightmostInk(const host::Picture& picture, const host::Rect& rect) {
  for (int x = std::min(rect.right, picture.width()) - 1; x >= std::max(rect.left, 0); --x) {
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, picture.height()); ++y) {
      if (!(picture.pixel(x, y) == host::Rgb::white)) return x;
    }
  }
  return -1;
}

// A preview page of 400 x 600 pixels painted black, with margins of 40.
struct PreviewPage {
  Harness h;
  PrintJob& job = h.control->job();

  PreviewPage() {
    job.PageWidth = 400;
    job.PageHeight = 600;
    job.BodyLeft = job.BodyRight = job.BodyTop = job.BottomReserve = 40;
    job.FirstPageNo = 2;
    job.CurrentPage = 0;
    job.PageStore.clear();
    job.PageStore.push_back(std::make_unique<OffScreenDC>(job.drawing, &job));
    job.page().Initialize(nullptr, 400, 600, 2);
    job.page().setBackColor(0);
    job.page().FillRect(0, 0, 400, 600);
  }
  [[nodiscard]] host::Picture picture() { return job.page().dc()->picture(); }
  [[nodiscard]] host::Rect topBand() const { return host::Rect::fromLtrb(38, 0, 358, 37); }
  [[nodiscard]] host::Rect footBand() const { return host::Rect::fromLtrb(38, 566, 358, 600); }
};

TEST(PreviewTitles, TheTopBandIsFilledWhiteEvenWithoutTitle) {
  PreviewPage page;
  page.h.control->setTopTitle("");
  DrawPreviewTitles(page.job);
  const host::Picture picture = page.picture();
  EXPECT_EQ(inkIn(picture, page.topBand()), 0);
  // Left of the band the page keeps what was there.
  EXPECT_EQ(picture.pixel(10, 10), host::Rgb::black);
}

TEST(PreviewTitles, TheFootLineIsWrittenWithoutFillingItsBand) {
  PreviewPage page;
  DrawPreviewTitles(page.job);
  const host::Picture picture = page.picture();
  // The band stays black except for the text drawn over it.
  const long black = page.footBand().width() * page.footBand().height();
  EXPECT_EQ(inkIn(picture, page.footBand()), black);
}

TEST(PreviewTitles, WithoutPageNumbersThereIsNoFootLine) {
  PreviewPage withNumbers;
  withNumbers.job.page().setBackColor(0xFFFFFF);
  withNumbers.job.page().FillRect(0, 0, 400, 600);
  DrawPreviewTitles(withNumbers.job);
  EXPECT_GT(inkIn(withNumbers.picture(), withNumbers.footBand()), 0);

  PreviewPage without;
  without.h.control->setPagesNumbers(false);
  without.job.page().setBackColor(0xFFFFFF);
  without.job.page().FillRect(0, 0, 400, 600);
  DrawPreviewTitles(without.job);
  EXPECT_EQ(inkIn(without.picture(), without.footBand()), 0);
}

TEST(PreviewTitles, TheTitleIsWrittenInBlackOnWhiteAndAlignedByTopFootAlignTxt) {
  PreviewPage left;
  left.h.control->setTopTitle("Quarterly");
  DrawPreviewTitles(left.job);
  PreviewPage right;
  right.h.control->setTopTitle("Quarterly");
  right.h.control->setTopFootAlignTxt(vellora::RRight);
  DrawPreviewTitles(right.job);
  const int leftEnd = rightmostInk(left.picture(), left.topBand());
  const int rightEnd = rightmostInk(right.picture(), right.topBand());
  ASSERT_GT(leftEnd, 0);
  EXPECT_GT(rightEnd, leftEnd + 100);
  EXPECT_LE(rightEnd, 358);
}

// Draws the titles of one printed page and delivers it.
host::Picture printedTitles(Harness& h, int pageNumber) {
  PrintJob& job = h.control->job();
  host::printer().print(" ");
  job.Printing = 1;
  job.PageCounter = static_cast<std::int16_t>(pageNumber);
  job.PageWidth = host::CLng(host::printer().width() / host::printer().twipsPerPixelX() / 1.064);
  job.PageHeight = host::CLng(host::printer().height() / host::printer().twipsPerPixelY() / 1.064);
  job.BodyLeft = job.BodyRight = 50;
  job.BodyTop = job.BottomReserve = 128;
  job.PrnGapUnit = 7.058824 / host::printer().twipsPerPixelX();
  job.FootLift = 0;
  DrawPrintTitles(job);
  host::printer().endDoc();
  return h.env.printer->pages().back();
}

TEST(PrintTitles, AnEmptyTopTitlePrintsNothingAndTheFootCarriesTheNumber) {
  Harness h;
  h.control->setTopTitle("");
  const host::Picture page = printedTitles(h, 3);
  const PrintJob& job = h.control->job();
  EXPECT_EQ(inkIn(page, host::Rect::fromLtrb(0, 0, page.width(), job.BodyTop)), 0);
  EXPECT_GT(inkIn(page, host::Rect::fromLtrb(0, job.PageHeight - job.BottomReserve - 20, page.width(), page.height())), 0);
  EXPECT_EQ(job.CellFillColor, 0xFFFFFF);
  EXPECT_EQ(job.GridLineColor, 0xFFFFFF);
  EXPECT_DOUBLE_EQ(host::printer().font().size(), host::grantedFontSize(host::grantedFontSize(9) * 1.2));
}

TEST(PrintTitles, WithoutPageNumbersTheFootTitleStandsAlone) {
  Harness numbered;
  numbered.control->setTopTitle("");
  const host::Picture withNumber = printedTitles(numbered, 12);
  Harness plain;
  plain.control->setTopTitle("");
  plain.control->setPagesNumbers(false);
  const host::Picture alone = printedTitles(plain, 12);
  const PrintJob& job = plain.control->job();
  const host::Rect foot = host::Rect::fromLtrb(0, job.PageHeight - job.BottomReserve - 20, alone.width(), alone.height());
  EXPECT_GT(inkIn(alone, foot), 0);
  EXPECT_LT(rightmostInk(alone, foot), rightmostInk(withNumber, foot));
}

TEST(PrintTitles, ARightAlignedFootEndsAtThePagesRightEdgeNotTheMargin) {
  Harness h;
  h.control->setTopTitle("");
  h.control->setTopFootAlignTxt(vellora::RRight);
  const host::Picture page = printedTitles(h, 1);
  const PrintJob& job = h.control->job();
  const host::Rect foot = host::Rect::fromLtrb(0, job.PageHeight - job.BottomReserve - 20, page.width(), page.height());
  EXPECT_GT(rightmostInk(page, foot), job.PageWidth - job.BodyRight);
}

}  // namespace
