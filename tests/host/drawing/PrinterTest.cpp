// The Printer object over the in-memory printer: page geometry, documents,
// page feed, killing documents and the page wipe rule.
#include <gtest/gtest.h>

#include "DrawingTestSupport.h"
#include <QColor>
#include <QPainter>

#include "host/PainterDc.h"
#include "host/Printer.h"

using namespace drawingtest;
using host::Brush;
using host::MemoryPrinter;
using host::Pen;
using host::Printer;
using host::Rect;
using host::Rgb;

namespace {

struct MemorySetup {
  std::shared_ptr<MemoryPrinter> device;
  std::unique_ptr<Printer> printer;
};

MemorySetup memoryPrinter(double dotsPerInch = 600, bool failToStart = false) {
  MemorySetup setup;
  setup.device = MemoryPrinter::create("Memory", dotsPerInch, failToStart);
  setup.printer = std::make_unique<Printer>(setup.device);
  return setup;
}

int blackPixels(const host::Picture& page, const Rect& area) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += page.pixel(x, y) == Rgb::black ? 1 : 0;
  return count;
}

}  // namespace

TEST(PrinterObject, WithoutADeviceEveryMemberRaisesPrinterError) {
  Printer printer;
  EXPECT_FALSE(printer.exists());
  const std::vector<std::function<void()>> members = {
      [&] { (void)printer.deviceName(); },       [&] { (void)printer.driverName(); },
      [&] { (void)printer.port(); },             [&] { (void)printer.orientation(); },
      [&] { printer.setOrientation(2); },        [&] { (void)printer.paperSize(); },
      [&] { printer.setPaperSize(9); },          [&] { (void)printer.copies(); },
      [&] { printer.setCopies(2); },             [&] { (void)printer.colorMode(); },
      [&] { printer.setColorMode(1); },          [&] { (void)printer.duplex(); },
      [&] { printer.setDuplex(1); },             [&] { (void)printer.printQuality(); },
      [&] { printer.setPrintQuality(-4); },      [&] { (void)printer.zoom(); },
      [&] { printer.setZoom(100); },             [&] { (void)printer.scaleMode(); },
      [&] { printer.setScaleMode(1); },          [&] { (void)printer.width(); },
      [&] { (void)printer.height(); },           [&] { (void)printer.twipsPerPixelX(); },
      [&] { (void)printer.twipsPerPixelY(); },   [&] { (void)printer.font(); },
      [&] { printer.setFont(host::Font()); },    [&] { (void)printer.hDC(); },
      [&] { printer.print("x"); },               [&] { printer.newPage(); },
      [&] { printer.endDoc(); },                 [&] { printer.killDoc(); },
      [&] { printer.startPagePrinter(); },       [&] { printer.endPagePrinter(); },
  };
  for (std::size_t i = 0; i < members.size(); ++i)
    EXPECT_EQ(errorNumberOf(members[i]), host::err::PrinterError) << "member " << i;
}

TEST(PrinterObject, PageGeometryFollowsPaperOrientationAndResolution) {
  auto setup = memoryPrinter(600);
  Printer& printer = *setup.printer;
  EXPECT_NEAR(printer.width(), 11906, 3);  // A4 by default
  EXPECT_NEAR(printer.height(), 16838, 3);
  EXPECT_DOUBLE_EQ(printer.twipsPerPixelX(), 2.4);
  EXPECT_DOUBLE_EQ(printer.twipsPerPixelY(), 2.4);
  printer.setOrientation(2);
  EXPECT_NEAR(printer.width(), 16838, 3);
  EXPECT_NEAR(printer.height(), 11906, 3);
  printer.setOrientation(1);
  printer.setPaperSize(1);
  EXPECT_NEAR(printer.width(), 12240, 3);  // Letter
  EXPECT_NEAR(printer.height(), 15840, 3);

  auto coarse = memoryPrinter(300);
  EXPECT_DOUBLE_EQ(coarse.printer->twipsPerPixelX(), 4.8);
  EXPECT_NEAR(coarse.printer->width(), 11906, 5);
}

TEST(PrinterObject, InvalidSettingsRaiseInvalidPropertyValueAndKeepTheOldValue) {
  auto setup = memoryPrinter();
  Printer& printer = *setup.printer;
  EXPECT_EQ(errorNumberOf([&] { printer.setOrientation(3); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorNumberOf([&] { printer.setPaperSize(999); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorNumberOf([&] { printer.setCopies(0); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorNumberOf([&] { printer.setColorMode(3); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(printer.orientation(), 1);
  EXPECT_EQ(printer.paperSize(), 9);
  EXPECT_EQ(printer.copies(), 1);
  EXPECT_EQ(printer.colorMode(), 2);
}

TEST(PrinterObject, SettingsGoWithTheDocument) {
  auto setup = memoryPrinter();
  Printer& printer = *setup.printer;
  printer.setCopies(3);
  printer.setOrientation(2);
  printer.setColorMode(1);
  printer.print("x");
  printer.endDoc();
  EXPECT_EQ(setup.device->lastSettings().copies, 3);
  EXPECT_EQ(setup.device->lastSettings().orientation, 2);
  ASSERT_EQ(setup.device->pages().size(), 1u);
  EXPECT_EQ(setup.device->pages()[0].depth(), 1);  // monochrome pages keep one bit per pixel
  EXPECT_GT(setup.device->pages()[0].width(), setup.device->pages()[0].height());
}

class MemoryPages : public testing::TestWithParam<double> {};

TEST_P(MemoryPages, PagesAreRasterPicturesOfTheSheetAtThePrinterResolution) {
  const double dpi = GetParam();
  auto setup = memoryPrinter(dpi);
  Printer& printer = *setup.printer;
  host::Dc& dc = printer.hDC();
  EXPECT_TRUE(printer.documentOpen());
  EXPECT_EQ(printer.pagesInDocument(), 1);
  // One inch square at one inch from the corner.
  const int inch = static_cast<int>(dpi);
  dc.fillRect(Rect::fromXywh(inch, inch, inch, inch), Brush::solid(Rgb::black));
  printer.newPage();
  EXPECT_EQ(printer.pagesInDocument(), 2);
  printer.hDC().fillRect(Rect::fromXywh(0, 0, inch / 2, inch / 2), Brush::solid(Rgb::black));
  EXPECT_TRUE(setup.device->pages().empty());  // nothing delivered before the document ends
  printer.endDoc();
  EXPECT_FALSE(printer.documentOpen());

  ASSERT_EQ(setup.device->pages().size(), 2u);
  EXPECT_EQ(setup.device->documentsDelivered(), 1);
  const host::Picture& first = setup.device->pages()[0];
  EXPECT_NEAR(first.width(), 8.27 * dpi, 2);  // A4 portrait
  EXPECT_NEAR(first.height(), 11.69 * dpi, 2);
  EXPECT_EQ(inkBounds(first), Rect::fromXywh(inch, inch, inch, inch));
  EXPECT_EQ(inkBounds(setup.device->pages()[1]), Rect::fromXywh(0, 0, inch / 2, inch / 2));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, MemoryPages, testing::Values(600.0, 300.0));

TEST(PrinterObject, PrintWritesLinesDownFromTheTopLeft) {
  auto setup = memoryPrinter(300);
  Printer& printer = *setup.printer;
  host::Font font("Arial", 12);
  printer.setFont(font);
  const int lineHeight = printer.hDC().textExtent("X").height;
  printer.print("XXXX");
  printer.print("XXXX");
  printer.endDoc();
  const host::Picture& page = setup.device->pages().at(0);
  const Rect ink = inkBounds(page);
  EXPECT_LT(ink.left, 10);
  EXPECT_LT(ink.top, lineHeight / 2);
  EXPECT_GT(blackPixels(page, Rect::fromXywh(0, lineHeight, 200, lineHeight)), 50);  // second line
  EXPECT_EQ(blackPixels(page, Rect::fromXywh(0, 2 * lineHeight, 400, 400)), 0);
  EXPECT_EQ(printer.hDC().font(), font);  // a new document selects the printer's font
}

TEST(PrinterObject, KillDocDiscardsTheWholeDocument) {
  auto setup = memoryPrinter();
  Printer& printer = *setup.printer;
  printer.print("first page");
  printer.newPage();
  printer.print("second page");
  printer.killDoc();
  EXPECT_FALSE(printer.documentOpen());
  EXPECT_EQ(printer.pagesInDocument(), 0);
  EXPECT_TRUE(setup.device->pages().empty());
  EXPECT_EQ(setup.device->documentsDelivered(), 0);
  printer.endDoc();  // nothing open: nothing delivered
  EXPECT_EQ(setup.device->documentsDelivered(), 0);
  printer.print("again");
  printer.endDoc();
  EXPECT_EQ(setup.device->pages().size(), 1u);
}

TEST(PrinterObject, ADeviceThatCannotStartRaisesPrinterErrorOnFirstUse) {
  auto setup = memoryPrinter(600, true);
  Printer& printer = *setup.printer;
  EXPECT_EQ(printer.deviceName(), "Memory");  // the printer itself exists
  EXPECT_EQ(errorNumberOf([&] { (void)printer.hDC(); }), host::err::PrinterError);
  EXPECT_EQ(errorNumberOf([&] { printer.print(" "); }), host::err::PrinterError);
  EXPECT_FALSE(printer.documentOpen());
}

TEST(PrinterObject, SpoolerPagesAreCountedInAndOut) {
  auto setup = memoryPrinter();
  Printer& printer = *setup.printer;
  printer.startPagePrinter();
  EXPECT_TRUE(printer.spoolerPageOpen());
  printer.endPagePrinter();
  EXPECT_FALSE(printer.spoolerPageOpen());
}

TEST(PrinterObject, SelectingAnotherDeviceKillsTheOpenDocument) {
  auto setup = memoryPrinter();
  Printer& printer = *setup.printer;
  printer.setCopies(2);
  printer.print("never delivered");
  auto other = MemoryPrinter::create("Other", 300);
  printer.select(other);
  EXPECT_FALSE(printer.documentOpen());
  EXPECT_EQ(printer.deviceName(), "Other");
  EXPECT_EQ(printer.copies(), 2);
  printer.endDoc();
  EXPECT_TRUE(setup.device->pages().empty());
}

TEST(PageWipe, AFullSheetWhiteFillDropsEverythingDrawnBefore) {
  auto setup = memoryPrinter(300);
  Printer& printer = *setup.printer;
  host::Dc& dc = printer.hDC();
  const host::Size sheet = dc.size();
  dc.fillRect(Rect::fromXywh(100, 100, 200, 200), Brush::solid(Rgb::black));
  dc.extTextOut({400, 400}, 0, Rect{}, "laid out, then wiped");
  // The page feed wipes with a null-pen rectangle reaching past the sheet.
  dc.selectPen(Pen::null());
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.rectangle(Rect::fromXywh(0, 0, sheet.width + 100, sheet.height + 100));
  dc.fillRect(Rect::fromXywh(10, 10, 30, 30), Brush::solid(Rgb::black));  // drawn after the wipe
  printer.endDoc();
  EXPECT_EQ(inkBounds(setup.device->pages().at(0)), Rect::fromXywh(10, 10, 30, 30));
}

TEST(PageWipe, AnOpaqueTextFillOverTheSheetWipesToo) {
  auto setup = memoryPrinter(300);
  Printer& printer = *setup.printer;
  host::Dc& dc = printer.hDC();
  dc.fillRect(Rect::fromXywh(100, 100, 200, 200), Brush::solid(Rgb::black));
  dc.setBkColor(Rgb::white);
  dc.extTextOut({0, 0}, host::eto::Opaque, Rect::fromXywh(0, 0, dc.size().width, dc.size().height), "");
  printer.endDoc();
  EXPECT_EQ(inkBounds(setup.device->pages().at(0)), Rect{});
}

TEST(PageWipe, FillsThatLeaveAnyOfTheSheetUncoveredKeepTheDrawing) {
  auto setup = memoryPrinter(300);
  Printer& printer = *setup.printer;
  host::Dc& dc = printer.hDC();
  const host::Size sheet = dc.size();
  dc.fillRect(Rect::fromXywh(0, 0, 50, 50), Brush::solid(Rgb::black));
  dc.fillRect(Rect::fromXywh(1, 0, sheet.width, sheet.height), Brush::solid(Rgb::white));  // misses column 0
  printer.endDoc();
  const host::Picture& page = setup.device->pages().at(0);
  EXPECT_EQ(page.pixel(0, 25), Rgb::black);
  EXPECT_EQ(page.pixel(25, 25), Rgb::white);
}

TEST(PageWipe, PainterDrawingIsRecordedAndWipedWithThePage) {
  auto setup = memoryPrinter(100);
  Printer& printer = *setup.printer;
  host::Dc& dc = printer.hDC();
  const auto box = [](int x) {
    return [x](QPainter& painter) { painter.fillRect(QRect(x, 10, 20, 20), Qt::black); };
  };
  ASSERT_TRUE(host::paintWithPainter(dc, Rect::fromXywh(10, 10, 20, 20), box(10)));
  printer.newPage();
  ASSERT_TRUE(host::paintWithPainter(printer.hDC(), Rect::fromXywh(10, 10, 20, 20), box(10)));
  printer.hDC().fillRect(Rect::fromXywh(0, 0, dc.size().width, dc.size().height), Brush::solid(Rgb::white));
  ASSERT_TRUE(host::paintWithPainter(printer.hDC(), Rect::fromXywh(50, 10, 20, 20), box(50)));
  printer.endDoc();
  ASSERT_EQ(setup.device->pages().size(), 2u);
  EXPECT_EQ(inkBounds(setup.device->pages()[0]), Rect::fromXywh(10, 10, 20, 20));
  EXPECT_EQ(inkBounds(setup.device->pages()[1]), Rect::fromXywh(50, 10, 20, 20));
}

// What a printer page records is replayed to the pixel as a raster page draws
// it at once, however fills, texts (clipped or not) and pens interleave.
TEST(PageRecordingReplay, InterleavedFillsTextsAndLinesLandAsOnARasterPage) {
  auto setup = memoryPrinter(100);
  Printer& printer = *setup.printer;
  host::Dc& page = printer.hDC();
  auto raster = host::RasterDc::create(page.size(), host::RasterFormat::Color, 100);
  const auto draw = [](host::Dc& dc) {
    dc.setFont(host::Font("Arial", 10));
    for (int row = 0; row < 6; ++row) {
      const Rect cell = Rect::fromXywh(20, 20 + row * 30, 200, 30);
      dc.fillRect(cell, Brush::solid(row % 2 == 0 ? Rgb::white : Rgb::fromRgb(220, 230, 240)));
      dc.frameRect(cell, Brush::solid(Rgb::black));
      dc.setTextColor(row % 3 == 0 ? Rgb::fromRgb(200, 0, 0) : Rgb::black);
      dc.setBkMode(row % 2 == 0 ? host::BkMode::Opaque : host::BkMode::Transparent);
      // Rows 4 and 5 hold more than their cell: those are cut at its edge.
      const std::string text = row < 4 ? "Row " + std::to_string(row) : "A text far too long for the cell it sits in";
      dc.extTextOut({cell.left + 4, cell.top + 6}, host::eto::Clipped, cell.inflated(-1), text);
      Rect box = cell.inflated(-2);
      dc.drawText(text, box, host::dt::Right | host::dt::NoPrefix);
    }
    dc.selectPen(Pen::solid(Rgb::fromRgb(0, 0, 200), 3));
    dc.moveTo({20, 220});
    dc.lineTo({220, 220});
    dc.fillRect(Rect::fromXywh(230, 20, 20, 20), Brush::solid(Rgb::fromRgb(0, 160, 0)));
  };
  draw(page);
  draw(*raster);
  printer.endDoc();
  const host::Picture& printed = setup.device->pages().at(0);
  const host::Picture expected = raster->picture();
  int differing = 0;
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 280; ++x)
      if (printed.pixel(x, y) != expected.pixel(x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(printed.pixel(240, 30), Rgb::fromRgb(0, 160, 0)) << "a fill after a pen line keeps its colour";
}
