// Raster surfaces as stores of pixels: monochrome pages at one bit per pixel,
// copies between surfaces, stretched pictures and loaded images, and drawing
// kept until its pixels are wanted.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>

#include "DrawingTestSupport.h"
#include "TestSupport.h"
#include "host/Dc.h"
#include "host/PainterDc.h"
#include "host/Printer.h"

using namespace drawingtest;
using host::BkMode;
using host::Brush;
using host::Pen;
using host::Picture;
using host::Point;
using host::Rect;
using host::Rgb;

TEST(MonochromeSurface, AnA4PageKeepsOneBitPerPixel) {
  auto page = host::RasterDc::create({794, 1123}, host::RasterFormat::Monochrome);
  EXPECT_EQ(page->format(), host::RasterFormat::Monochrome);
  page->fillRect(Rect::fromLtrb(100, 100, 400, 300), Brush::solid(red));
  page->setFont(host::Font("Arial", 10));
  page->extTextOut({50, 50}, 0, Rect{}, "Text on a black and white page");
  const Picture picture = page->picture();
  EXPECT_EQ(picture.depth(), 1);
  EXPECT_LE(picture.byteCount(), 120u * 1024u);
  EXPECT_EQ(picture.size(), (host::Size{794, 1123}));
}

TEST(MonochromeSurface, ColoursBecomeBlackOrWhiteByBrightness) {
  auto dc = monoSurface(8, 1);
  const Rgb colours[] = {
      Rgb::fromRgb(127, 127, 127),  // just below the middle: black
      Rgb::fromRgb(128, 128, 128),  // the middle: white
      Rgb::fromRgb(255, 255, 0),    // yellow is bright
      Rgb::fromRgb(0, 0, 255),      // blue is dark
      Rgb::fromRgb(255, 0, 0),      // red is dark
      Rgb::fromRgb(0, 255, 0),      // green is bright
      Rgb::fromRgb(192, 192, 192),
      Rgb::fromRgb(0, 0, 0),
  };
  for (int x = 0; x < 8; ++x) dc->fillRect(Rect::fromXywh(x, 0, 1, 1), Brush::solid(colours[x]));
  EXPECT_EQ(row(*dc, 0, 0, 8), "#..##..#");
}

TEST(MonochromeSurface, PaintingKeepsThePixelsAroundTheFigure) {
  // A figure is painted through a colour copy of its area; what was there
  // before and is not painted over must survive the trip.
  auto dc = monoSurface(40, 40);
  dc->fillRect(Rect::fromLtrb(10, 10, 30, 30), Brush::solid(Rgb::black));
  dc->selectPen(Pen::solid(Rgb::white));
  dc->selectBrush(Brush::hollow());
  dc->ellipse(Rect::fromLtrb(5, 5, 35, 35));
  EXPECT_EQ(dc->pixel(20, 20), Rgb::black);
  EXPECT_EQ(dc->pixel(11, 11), Rgb::black);  // inside the ellipse's box, outside its outline
  EXPECT_EQ(dc->pixel(5, 20), Rgb::white);
}

TEST(MonochromeSurface, TextHatchesAndLinesArriveInBlackAndWhite) {
  auto dc = monoSurface(100, 40);
  dc->setFont(host::Font("Arial", 12));
  dc->setBkMode(BkMode::Transparent);
  dc->setTextColor(Rgb::fromRgb(0, 0, 128));
  dc->extTextOut({2, 2}, 0, Rect{}, "Navy");
  EXPECT_GT(countPixels(*dc, Rgb::black, Rect::fromLtrb(0, 0, 100, 40)), 20);

  auto light = monoSurface(100, 40);
  light->setFont(host::Font("Arial", 12));
  light->setTextColor(Rgb::fromRgb(255, 255, 200));
  light->setBkColor(Rgb::fromRgb(0, 0, 0));
  light->setBkMode(BkMode::Opaque);  // a light text on a black cell
  light->extTextOut({2, 2}, 0, Rect{}, "Light");
  EXPECT_EQ(light->pixel(2, 2), Rgb::black);

  auto hatched = monoSurface(16, 16);
  hatched->setBkMode(BkMode::Transparent);
  hatched->fillRect(Rect::fromLtrb(0, 0, 16, 16), Brush::hatched(host::HatchStyle::Horizontal, red));
  EXPECT_EQ(row(*hatched, 3, 0, 16), std::string(16, '#'));
  EXPECT_EQ(row(*hatched, 4, 0, 16), std::string(16, '.'));
}

TEST(MonochromeSurface, InvertRectFlipsBits) {
  auto dc = monoSurface(10, 2);
  dc->fillRect(Rect::fromLtrb(0, 0, 5, 2), Brush::solid(Rgb::black));
  dc->invertRect(Rect::fromLtrb(3, 0, 8, 1));
  EXPECT_EQ(row(*dc, 0, 0, 10), "###..###..");
  EXPECT_EQ(row(*dc, 1, 0, 10), "#####.....");
}

TEST(CompactedSurface, KeepsEveryPixelInAQuarterOfTheMemory) {
  auto page = host::RasterDc::create({794, 1123}, host::RasterFormat::Color);
  page->fillRect(Rect::fromLtrb(100, 100, 400, 300), Brush::solid(red));
  page->setFont(host::Font("Arial", 10));
  page->extTextOut({50, 50}, 0, Rect{}, "A finished preview page");
  const Picture before = page->picture();
  page->compact();
  const Picture after = page->picture();
  EXPECT_LT(after.byteCount(), before.byteCount() / 3);
  for (int y = 0; y < before.height(); y += 7)
    for (int x = 0; x < before.width(); x += 3) ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;

  // Drawing on a compacted page goes on as before, in any colour.
  page->fillRect(Rect::fromLtrb(0, 0, 10, 10), Brush::solid(Rgb::fromRgb(1, 2, 3)));
  EXPECT_EQ(page->pixel(5, 5), Rgb::fromRgb(1, 2, 3));
  EXPECT_EQ(page->pixel(200, 200), red);
}

TEST(CompactedSurface, APageOfManyColoursStaysAsItIs) {
  auto page = colourSurface(300, 1);
  for (int x = 0; x < 300; ++x) page->fillRect(Rect::fromLtrb(x, 0, x + 1, 1), Brush::solid(Rgb::fromRgb(x % 256, x / 256, 7)));
  const Picture before = page->picture();
  page->compact();
  EXPECT_EQ(page->picture().byteCount(), before.byteCount());
  EXPECT_EQ(page->pixel(299, 0), Rgb::fromRgb(299 % 256, 1, 7));
}

TEST(RasterCopies, CopyFromMovesPixelsOneToOne) {
  auto source = colourSurface(20, 20);
  source->fillRect(Rect::fromLtrb(2, 2, 6, 5), Brush::solid(red));
  auto target = colourSurface(30, 30);
  target->copyFrom(*source, Rect::fromLtrb(0, 0, 10, 10), Point{10, 12});
  EXPECT_EQ(inkBounds(*target), Rect::fromLtrb(12, 14, 16, 17));
  EXPECT_EQ(target->pixel(12, 14), red);

  auto mono = monoSurface(30, 30);
  mono->fillRect(Rect::fromLtrb(0, 0, 30, 30), Brush::solid(Rgb::black));
  mono->copyFrom(*source, Rect::fromLtrb(0, 0, 10, 10), Point{0, 0});  // white copied over black too
  EXPECT_FALSE(inkBounds(*mono, Rgb::black).isEmpty());
  EXPECT_EQ(mono->pixel(0, 0), Rgb::white);
  EXPECT_EQ(mono->pixel(3, 3), Rgb::black);
  EXPECT_EQ(mono->pixel(10, 10), Rgb::black);
}

TEST(RasterCopies, APictureIsASnapshotOfTheSurface) {
  auto dc = colourSurface(10, 10);
  dc->fillRect(Rect::fromLtrb(0, 0, 2, 2), Brush::solid(red));
  const Picture before = dc->picture();
  dc->fillRect(Rect::fromLtrb(0, 0, 10, 10), Brush::solid(blue));
  EXPECT_EQ(before.pixel(0, 0), red);
  EXPECT_EQ(before.pixel(5, 5), Rgb::white);
  EXPECT_EQ(dc->picture().pixel(5, 5), blue);
}

TEST(RasterCopies, StretchPictureScalesTheSourceRegionIntoTheTarget) {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixelColor(0, 0, Qt::red);
  image.setPixelColor(1, 0, Qt::blue);
  image.setPixelColor(0, 1, Qt::green);
  image.setPixelColor(1, 1, Qt::black);
  const auto dir = testsupport::makeTempDir();
  ASSERT_TRUE(image.save(QString::fromStdString((dir / "quad.png").string())));
  const Picture picture = Picture::load(dir / "quad.png");

  auto dc = colourSurface(20, 20);
  dc->stretchPicture(Rect::fromLtrb(4, 4, 12, 12), picture, Rect::fromLtrb(0, 0, 2, 2));
  EXPECT_EQ(inkBounds(*dc), Rect::fromLtrb(4, 4, 12, 12));
  EXPECT_EQ(dc->pixel(4, 4), red);
  EXPECT_EQ(dc->pixel(7, 7), red);
  EXPECT_EQ(dc->pixel(8, 4), blue);
  EXPECT_EQ(dc->pixel(4, 11), green);
  EXPECT_EQ(dc->pixel(11, 11), Rgb::black);

  dc->stretchPicture(Rect::fromLtrb(14, 0, 18, 4), picture, Rect::fromLtrb(1, 0, 2, 1));  // one source pixel
  EXPECT_EQ(countPixels(*dc, blue, Rect::fromLtrb(14, 0, 18, 4)), 16);
  dc->stretchPicture(Rect::fromLtrb(0, 0, 3, 3), Picture(), Rect::fromLtrb(0, 0, 2, 2));  // no picture
  EXPECT_EQ(dc->pixel(0, 0), Rgb::white);
  std::filesystem::remove_all(dir);
}

TEST(Pictures, LoadTheCommonImageFormats) {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixelColor(1, 2, Qt::black);
  const auto dir = testsupport::makeTempDir();
  for (const char* format : {"png", "jpg", "bmp"}) {
    const auto file = dir / (std::string("image.") + format);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), format)) << format;
    const Picture picture = Picture::load(file);
    EXPECT_EQ(picture.size(), (host::Size{6, 4})) << format;
    EXPECT_LT(picture.pixel(1, 2).brightness(), 60) << format;
    EXPECT_GT(picture.pixel(4, 1).brightness(), 200) << format;
  }
  std::filesystem::remove_all(dir);
}

TEST(Pictures, LoadGifImages) {
  // Qt reads GIF but does not write it: a 2 x 2 GIF (red, blue / black, white).
  const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf1, 0x00, 0x00, 0x00, 0x00,
                               0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0x2c, 0x00, 0x00, 0x00, 0x00,
                               0x02, 0x00, 0x02, 0x00, 0x00, 0x02, 0x04, 0x14, 0x47, 0x30, 0x05, 0x00, 0x3b};
  const auto dir = testsupport::makeTempDir();
  std::ofstream(dir / "tiny.gif", std::ios::binary).write(reinterpret_cast<const char*>(gif), sizeof gif);
  const Picture picture = Picture::load(dir / "tiny.gif");
  EXPECT_EQ(picture.size(), (host::Size{2, 2}));
  EXPECT_EQ(picture.pixel(0, 0), red);
  EXPECT_EQ(picture.pixel(1, 0), blue);
  EXPECT_EQ(picture.pixel(0, 1), Rgb::black);
  EXPECT_EQ(picture.pixel(1, 1), Rgb::white);
  std::filesystem::remove_all(dir);
}

TEST(Pictures, LoadFailuresNameTheFile) {
  const auto dir = testsupport::makeTempDir();
  const auto missing = dir / "missing.png";
  try {
    (void)Picture::load(missing);
    FAIL() << "a missing file loaded";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), host::err::FileNotFound);
    EXPECT_NE(std::string(error.what()).find("missing.png"), std::string::npos);
  }
  const auto garbage = dir / "garbage.png";
  std::ofstream(garbage) << "this is not an image";
  try {
    (void)Picture::load(garbage);
    FAIL() << "a broken file loaded";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), 481);
    EXPECT_NE(std::string(error.what()).find("garbage.png"), std::string::npos);
  }
  EXPECT_EQ(errorNumberOf([&] { (void)Picture::load(dir); }), host::err::FileNotFound);
  std::filesystem::remove_all(dir);
}

TEST(Pictures, EmptyAndFilledPictures) {
  const Picture none;
  EXPECT_TRUE(none.isNull());
  EXPECT_EQ(none.size(), (host::Size{}));
  EXPECT_EQ(none.pixel(0, 0), Rgb::black);
  const Picture filled = Picture::filled({3, 2}, red);
  EXPECT_FALSE(filled.isNull());
  EXPECT_EQ(filled.pixel(2, 1), red);
  EXPECT_EQ(filled.pixel(3, 1), Rgb::black);  // outside
  Picture copy = filled;
  EXPECT_EQ(copy.pixel(0, 0), red);
  Picture moved = std::move(copy);
  EXPECT_EQ(moved.size(), (host::Size{3, 2}));
}

TEST(Pictures, SavePngRoundTripsAndReportsFailure) {
  const auto dir = testsupport::makeTempDir();
  Picture::filled({5, 5}, blue).savePng(dir / "blue.png");
  EXPECT_EQ(Picture::load(dir / "blue.png").pixel(4, 4), blue);
  EXPECT_NE(errorNumberOf([&] { Picture::filled({5, 5}, blue).savePng(dir / "no" / "such" / "x.png"); }), 0);
  std::filesystem::remove_all(dir);
}

TEST(PainterDrawing, HostDrawingWithoutACallOfItsOwnFollowsTheSurfaceRules) {
  const auto greyBox = [](QPainter& painter) { painter.fillRect(QRect(2, 2, 4, 3), QColor(100, 100, 100)); };
  auto mono = monoSurface(10, 10);
  ASSERT_TRUE(host::paintWithPainter(*mono, Rect::fromLtrb(2, 2, 6, 5), greyBox));
  EXPECT_EQ(inkBounds(*mono), Rect::fromLtrb(2, 2, 6, 5));
  EXPECT_EQ(mono->pixel(3, 3), Rgb::black);  // dark grey on a one-bit page
  EXPECT_EQ(mono->picture().depth(), 1);
}

TEST(CompactedSurface, APageOfTwoColoursKeepsEveryPixelInOneBit) {
  const Rgb yellow = Rgb::fromRgb(255, 255, 0);
  auto page = host::RasterDc::create({794, 1123}, host::RasterFormat::Color);
  page->fillRect(Rect::fromLtrb(0, 0, 794, 1123), Brush::solid(yellow));
  page->setTextColor(red);
  page->setBkMode(host::BkMode::Transparent);
  page->setFont(host::Font("Arial", 10));
  page->extTextOut({50, 50}, 0, Rect{}, "Red on yellow, one bit a pixel");
  const Picture before = page->picture();
  page->compact();
  const Picture after = page->picture();
  EXPECT_LE(after.byteCount(), before.byteCount() / 30);
  for (int y = 40; y < 70; ++y)
    for (int x = 40; x < 300; ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
  EXPECT_EQ(page->pixel(700, 1000), yellow);

  page->fillRect(Rect::fromLtrb(0, 0, 10, 10), Brush::solid(Rgb::fromRgb(1, 2, 3)));
  EXPECT_EQ(page->pixel(5, 5), Rgb::fromRgb(1, 2, 3));
  EXPECT_EQ(page->pixel(700, 1000), yellow);
}

// A finished page of table cells (more steps than a page keeps as its
// drawing, three colours and text) is packed to a few tens of kilobytes and
// gives back every pixel, as often as it is shown, at any zoom, and drawn on
// again.
TEST(CompactedSurface, APageOfTableCellsIsKeptPackedAndShownAsDrawn) {
  const Rgb grey = Rgb::fromRgb(192, 192, 192);
  auto page = host::RasterDc::create({794, 1123}, host::RasterFormat::Color);
  page->setFont(host::Font("Arial", 8));
  for (int row = 0; row < 50; ++row) {
    for (int col = 0; col < 6; ++col) {
      const Rect cell = Rect::fromXywh(20 + col * 125, 40 + row * 20, 126, 21);
      page->fillRect(cell, Brush::solid(row == 0 ? grey : Rgb::white));
      page->frameRect(cell, Brush::solid(Rgb::black));
      page->setBkColor(row == 0 ? grey : Rgb::white);
      page->extTextOut({cell.left + 4, cell.top + 3}, host::eto::Clipped, cell,
                       std::string(1, static_cast<char>('a' + col)) + std::to_string(row));
    }
  }
  const QImage drawn = host::imageOf(page->picture()).convertToFormat(QImage::Format_RGB32);
  page->compact();
  EXPECT_LT(page->pixelBytes(), 80u * 1024);
  for (int shown = 0; shown < 2; ++shown) {
    ASSERT_EQ(host::imageOf(page->picture()).convertToFormat(QImage::Format_RGB32), drawn) << "shown " << shown;
    EXPECT_LT(page->pixelBytes(), 80u * 1024) << "the page is packed again once shown";
  }
  const Picture zoomed = page->pictureAt(2.0);
  EXPECT_EQ(zoomed.width(), 2 * 794);
  EXPECT_EQ(zoomed.pixel(2 * 100, 2 * 50), grey);
  EXPECT_EQ(page->pixel(20, 500), Rgb::black);

  page->fillRect(Rect::fromLtrb(0, 0, 10, 10), Brush::solid(red));
  EXPECT_EQ(page->pixel(5, 5), red);
  EXPECT_EQ(page->pixel(21, 45), grey);
  page->compact();
  QImage expected = drawn;
  QPainter(&expected).fillRect(QRect(0, 0, 10, 10), QColor(255, 0, 0));
  EXPECT_EQ(host::imageOf(page->picture()).convertToFormat(QImage::Format_RGB32), expected);
}

TEST(CompactedSurface, ABlankPageStaysBlank) {
  auto page = colourSurface(40, 30);
  page->compact();
  EXPECT_EQ(page->picture().depth(), 1);
  EXPECT_EQ(page->pixel(0, 0), Rgb::white);
  EXPECT_EQ(page->pixel(39, 29), Rgb::white);
  page->fillRect(Rect::fromLtrb(3, 3, 5, 5), Brush::solid(red));
  EXPECT_EQ(page->pixel(4, 4), red);
  EXPECT_EQ(page->pixel(6, 6), Rgb::white);
}

namespace {

// A page of every kind of drawing step, in an order where each step lands on
// what the steps before it drew: opaque and clipped text, tabs, hatches,
// outlines, shapes, inversions, copies, pictures, a fill of the whole page
// part way through and thousands of small fills. `afterEachStep` runs between
// the steps.
template <class AfterEachStep>
void drawEveryKindOfStep(host::RasterDc& page, const host::RasterDc& source, AfterEachStep&& afterEachStep) {
  page.fillRect(Rect::fromLtrb(0, 0, 40, 40), Brush::solid(blue));
  afterEachStep();
  page.fillRect(Rect::fromLtrb(0, 0, page.size().width, page.size().height), Brush::solid(Rgb::fromRgb(250, 250, 200)));
  afterEachStep();
  page.setFont(host::Font("Arial", 10));
  page.setBkColor(green);
  page.extTextOut({5, 5}, host::eto::Opaque, Rect::fromLtrb(0, 0, 150, 25), "Opaque words");
  afterEachStep();
  page.setBkMode(BkMode::Transparent);
  page.setTextColor(red);
  page.extTextOut({20, 30}, host::eto::Clipped, Rect::fromLtrb(20, 30, 70, 40), "Clipped in half");
  afterEachStep();
  Rect cell = Rect::fromLtrb(10, 50, 180, 120);
  (void)page.drawText("Tab\tstops and a line that wraps at its words", cell,
                      host::dt::WordBreak | host::dt::ExpandTabs | host::dt::Center);
  afterEachStep();
  page.setBkMode(BkMode::Opaque);
  page.fillRect(Rect::fromLtrb(100, 10, 160, 45), Brush::hatched(host::HatchStyle::DiagonalCross, blue));
  afterEachStep();
  page.selectPen(Pen{host::PenStyle::DashDot, 1, red});
  page.selectBrush(Brush::hollow());
  page.rectangle(Rect::fromLtrb(5, 125, 120, 170));
  afterEachStep();
  page.selectPen(Pen::solid(blue, 3));
  page.selectBrush(Brush::solid(green));
  page.ellipse(Rect::fromLtrb(130, 125, 190, 175));
  page.moveTo({0, 190});
  page.lineTo({199, 140});
  afterEachStep();
  page.invertRect(Rect::fromLtrb(60, 60, 140, 150));
  afterEachStep();
  page.copyFrom(source, Rect::fromLtrb(0, 0, 30, 30), Point{160, 160});
  page.stretchPicture(Rect::fromLtrb(0, 175, 60, 200), source.picture(), Rect::fromLtrb(0, 0, 30, 30));
  afterEachStep();
  for (int i = 0; i < 5000; ++i) page.fillRect(Rect::fromXywh(i % 200, 195 + i % 5, 1, 1), Brush::solid(Rgb::fromRgb(i % 256, 0, 0)));
  afterEachStep();
  page.setTextColor(Rgb::black);
  page.extTextOut({90, 185}, 0, Rect{}, "last");
}

void expectSamePixels(const host::RasterDc& actual, const host::RasterDc& expected) {
  for (int y = 0; y < expected.size().height; ++y)
    for (int x = 0; x < expected.size().width; ++x)
      ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

}  // namespace

// A surface paints its drawing when its pixels are read: the page must come
// out the same whether it is read after every step or only at the end.
TEST(KeptDrawing, APageReadOnlyAtTheEndEqualsOneReadAfterEveryStep) {
  auto source = colourSurface(30, 30);
  source->fillRect(Rect::fromLtrb(5, 5, 25, 25), Brush::solid(red));
  for (host::RasterFormat format : {host::RasterFormat::Color, host::RasterFormat::Monochrome}) {
    SCOPED_TRACE(format == host::RasterFormat::Color ? "colour" : "monochrome");
    auto readEachTime = host::RasterDc::create({200, 200}, format);
    auto readAtEnd = host::RasterDc::create({200, 200}, format);
    drawEveryKindOfStep(*readEachTime, *source, [&] { (void)readEachTime->pixel(0, 0); });
    drawEveryKindOfStep(*readAtEnd, *source, [] {});
    expectSamePixels(*readAtEnd, *readEachTime);
  }
}

TEST(KeptDrawing, CopiesAndPicturesTakeTheSourceAsItWasThen) {
  auto source = colourSurface(20, 20);
  source->fillRect(Rect::fromLtrb(0, 0, 20, 20), Brush::solid(red));
  auto page = colourSurface(40, 20);
  page->copyFrom(*source, Rect::fromLtrb(0, 0, 20, 20), Point{0, 0});
  page->stretchPicture(Rect::fromLtrb(20, 0, 40, 20), source->picture(), Rect::fromLtrb(0, 0, 20, 20));
  source->fillRect(Rect::fromLtrb(0, 0, 20, 20), Brush::solid(blue));
  EXPECT_EQ(page->pixel(10, 10), red);
  EXPECT_EQ(page->pixel(30, 10), red);
}

// Drawing from outside the device's own calls may read objects that change
// later: it lands as they were when it was asked for.
TEST(KeptDrawing, HostDrawingIsPaintedAsItsObjectsStoodWhenItWasAsked) {
  auto page = colourSurface(10, 10);
  QColor ink(255, 0, 0);
  ASSERT_TRUE(host::paintWithPainter(*page, Rect::fromLtrb(0, 0, 10, 10),
                                     [&ink](QPainter& painter) { painter.fillRect(QRect(0, 0, 10, 10), ink); }));
  ink = QColor(0, 0, 255);
  EXPECT_EQ(page->pixel(5, 5), red);
}

// A finished page kept for a preview is painted when it is shown, and kept
// compact from then on; drawing on it again goes on as on any page.
TEST(KeptDrawing, AFinishedPageIsCompactOnceItIsShown) {
  auto page = host::RasterDc::create({794, 1123}, host::RasterFormat::Color);
  page->setFont(host::Font("Arial", 10));
  page->extTextOut({50, 50}, 0, Rect{}, "A page shown late");
  page->compact();
  const Picture shown = page->picture();
  EXPECT_EQ(shown.depth(), 1);
  EXPECT_EQ(inkBounds(shown).left, 50);
  page->fillRect(Rect::fromLtrb(0, 0, 10, 10), Brush::solid(red));
  EXPECT_EQ(page->pixel(5, 5), red);
  EXPECT_EQ(page->pixel(50, 20), Rgb::white);
}

namespace {

// Pixels of a picture neither the fill's colour nor white: what smoothing
// leaves along edges that fall between pixels.
int blendedPixels(const Picture& picture, Rgb fill) {
  int blended = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb pixel = picture.pixel(x, y);
      if (pixel != fill && pixel != Rgb::white) ++blended;
    }
  }
  return blended;
}

}  // namespace

TEST(ScaledPages, AFinishedPageKeptAsItsDrawingIsDrawnAfreshAtTheScale) {
  for (const host::RasterFormat format : {host::RasterFormat::Color, host::RasterFormat::Monochrome}) {
    const auto page = host::RasterDc::create({100, 60}, format);
    page->fillRect(Rect::fromXywh(10, 20, 30, 7), Brush::solid(Rgb::black));
    page->invertRect(Rect::fromXywh(60, 0, 5, 5));
    page->compact();
    const Picture shown = page->picture();  // shown at 100 % first: the drawing stays kept

    const Picture scaled = page->pictureAt(1.5);
    ASSERT_EQ(scaled.width(), 150);
    ASSERT_EQ(scaled.height(), 90);
    EXPECT_EQ(blendedPixels(scaled, Rgb::black), 0) << "edges between pixels stay sharp";
    EXPECT_EQ(scaled.pixel(15, 30), Rgb::black);
    EXPECT_EQ(scaled.pixel(59, 40), Rgb::black) << "the fill reaches 40 * 1.5";
    EXPECT_EQ(scaled.pixel(60, 40), Rgb::white);
    EXPECT_EQ(scaled.pixel(14, 30), Rgb::white);
    EXPECT_EQ(scaled.pixel(91, 1), Rgb::black) << "an inversion is scaled too";

    const Picture doubled = page->pictureAt(2.0);
    EXPECT_EQ(doubled.width(), 200);
    EXPECT_EQ(doubled.pixel(20, 40), Rgb::black);
    EXPECT_EQ(doubled.pixel(19, 40), Rgb::white);
    EXPECT_EQ(page->pixel(10, 20), Rgb::black) << "the page itself is as it was";
    EXPECT_EQ(page->picture().width(), 100);
    EXPECT_EQ(shown.pixel(10, 20), Rgb::black);
  }
}

TEST(ScaledPages, TextDrawnAfreshIsAsDarkAsAtFullSize) {
  const auto page = host::RasterDc::create({200, 40}, host::RasterFormat::Color);
  page->setFont(host::Font("DejaVu Sans", 9));
  page->setTextColor(Rgb::black);
  page->setBkMode(BkMode::Transparent);
  page->extTextOut({2, 2}, 0, {}, "Invoice 4711 shipped");
  page->compact();
  const auto darkest = [](const Picture& picture) {
    int darkest = 255;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) darkest = std::min(darkest, picture.pixel(x, y).brightness());
    return darkest;
  };
  const auto darkCount = [](const Picture& picture) {
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) dark += picture.pixel(x, y).brightness() < 60 ? 1 : 0;
    return dark;
  };
  const Picture atFour = page->pictureAt(4.0);
  ASSERT_EQ(atFour.width(), 800);
  EXPECT_LT(darkest(atFour), 40) << "the strokes are solid, not a blur of the small text";
  // Text drawn at four times the size covers about sixteen times the dark area.
  EXPECT_GT(darkCount(atFour), 10 * darkCount(page->picture()));
}

TEST(ScaledPages, APageKeptAsPixelsIsScaledSmoothly) {
  const auto page = host::RasterDc::create({100, 60}, host::RasterFormat::Color);
  // More steps than a finished page keeps as its drawing: its pixels hold it.
  for (int i = 0; i < 300; ++i) page->fillRect(Rect::fromXywh(i % 90, 20, 1, 7), Brush::solid(Rgb::black));
  page->compact();
  const Picture scaled = page->pictureAt(1.5);
  ASSERT_EQ(scaled.width(), 150);
  EXPECT_GT(blendedPixels(scaled, Rgb::black), 0) << "smoothed along the edges between pixels";
  EXPECT_EQ(scaled.pixel(60, 33), Rgb::black);
}

TEST(PrintedPages, APageKeptByTheStandInShowsItsHairRulesOnAScreenAtEveryZoom) {
  const auto keeper = host::PageKeepingPrinter::standingFor(host::MemoryPrinter::create("Office", 600));
  EXPECT_EQ(keeper->deviceName(), "Office");
  EXPECT_DOUBLE_EQ(keeper->dotsPerInch(), 600);
  {
    auto killed = keeper->startDocument({}, "killed");
    killed->page().fillRect(Rect::fromXywh(0, 0, 100, 100), Brush::solid(Rgb::black));
    killed->abort();
  }
  EXPECT_TRUE(keeper->pages().empty()) << "a killed document leaves no pages";

  auto document = keeper->startDocument({}, "rules");
  // A rule one printer pixel high: a sixth of a screen pixel.
  document->page().fillRect(Rect::fromXywh(600, 1203, 3000, 1), Brush::solid(Rgb::black));
  document->newPage();
  document->page().fillRect(Rect::fromXywh(600, 600, 600, 600), Brush::solid(Rgb::black));
  document->end();
  ASSERT_EQ(keeper->pages().size(), 2U);
  EXPECT_EQ(keeper->keptPageSize(), host::Size(4961, 7016)) << "A4 at the printer's resolution";

  const double toScreen = 96.0 / 600;
  const auto screen = host::RasterDc::create({794, 1123}, host::RasterFormat::Color);
  screen->drawPrintedPage(keeper->pages().front(), toScreen);
  screen->compact();
  const auto darkInColumn = [](const Picture& page, int x) {
    int dark = 0;
    for (int y = 0; y < page.height(); ++y) dark += page.pixel(x, y).brightness() < 160 ? 1 : 0;
    return dark;
  };
  const Picture shown = screen->picture();
  EXPECT_EQ(darkInColumn(shown, 300), 1) << "the rule is one screen pixel, not lost between two";
  EXPECT_EQ(darkInColumn(shown, 50), 0);
  const Picture zoomed = screen->pictureAt(2.0);
  EXPECT_EQ(darkInColumn(zoomed, 600), 1) << "drawn afresh at 200 %, still a hairline";
  EXPECT_EQ(darkInColumn(zoomed, 1200), 0) << "the rule ends where it ends on paper";

  const auto second = host::RasterDc::create({794, 1123}, host::RasterFormat::Monochrome);
  second->drawPrintedPage(keeper->pages().back(), toScreen);
  EXPECT_EQ(second->pixel(96, 96), Rgb::black) << "the square from an inch in, in black and white too";
  EXPECT_EQ(second->pixel(95, 95), Rgb::white);
  EXPECT_EQ(second->pixel(191, 191), Rgb::black);
  EXPECT_EQ(second->pixel(192, 192), Rgb::white);
}
