// Lines, shapes and frames on the preview page and on paper.
#include <gtest/gtest.h>

#include <string>

#include "RendererTestSupport.h"
#include "host/Lang.h"
#include "host/TextMetrics.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;

bool isGrey(host::Rgb pixel) { return pixel == grey; }
bool isColoured(host::Rgb p) { return p.red != p.blue || p.green != p.blue; }

class GraphicsTest : public RendererTest {
 protected:
  host::ObjectRef line(const std::string& name, int x1, int y1, int x2, int y2, int style = 1) {
    host::ObjectRef control = add("Line", name);
    control->set("X1", x1);
    control->set("Y1", y1);
    control->set("X2", x2);
    control->set("Y2", y2);
    control->set("BorderColor", redValue);
    control->set("BorderStyle", style);
    return control;
  }

  host::ObjectRef box(const std::string& type, const std::string& name, int width, int height) {
    host::ObjectRef control = add(type, name);
    control->set("Left", 600);
    control->set("Top", 300);
    control->set("Width", width);
    control->set("Height", height);
    return control;
  }
};

// --- lines -------------------------------------------------------------------

TEST_F(GraphicsTest, LineFromBottomLeftToTopRightKeepsItsEnds) {
  beginPreview();
  render(PrintLine, line("Line1", 600, 1200, 2100, 300));
  // Upper end y 300 -> CurY 80, lower end 60 pixels further; x 70 to 170.
  const auto drawn = boundsOf(previewPage(), red, Rect::fromLtrb(0, 0, 700, 400));
  ASSERT_TRUE(drawn.has_value());
  EXPECT_EQ(drawn->left, 70);
  EXPECT_LE(drawn->right, 170);
  EXPECT_GE(drawn->top, 80);
  EXPECT_EQ(drawn->bottom, 141);
  EXPECT_TRUE(boundsOf(previewPage(), red, Rect::fromLtrb(68, 134, 76, 142)).has_value());
  EXPECT_FALSE(boundsOf(previewPage(), red, Rect::fromLtrb(68, 78, 76, 88)).has_value());
  EXPECT_TRUE(boundsOf(previewPage(), red, Rect::fromLtrb(162, 78, 171, 88)).has_value());
}

TEST_F(GraphicsTest, PrintedHorizontalLineIsARectangleOfItsWidthEvenWhenTransparent) {
  for (int style : {1, 0}) {
    SCOPED_TRACE(style);
    printer_->pages.clear();
    host::printer().killDoc();
    beginPrint();
    host::ObjectRef across = line("Across" + std::to_string(style), 600, 600, 2100, 600, style);
    across->set("BorderWidth", 3);
    render(PrintLine, across);
    // y 600 twips -> CurY 100 + 62; x 600 and 2100 twips -> 122 and 279.
    EXPECT_EQ(boundsOf(*printedPage().raster, red, Rect::fromLtrb(0, 0, 600, 400)),
              Rect::fromLtrb(121, 162, 279, 165));
  }
}

TEST_F(GraphicsTest, SlantedLineWithTransparentBorderPrintsNothing) {
  beginPrint();
  render(PrintLine, line("Slant", 600, 1200, 2100, 300, 0));
  EXPECT_EQ(countWhere(*printedPage().raster, Rect::fromLtrb(0, 0, 600, 400), isColoured), 0);
  render(PrintLine, line("Solid", 600, 1200, 2100, 300, 1));
  EXPECT_GT(countWhere(*printedPage().raster, Rect::fromLtrb(0, 0, 600, 400), isColoured), 0);
}

// A line drawn upwards or leftwards is painted like the same line drawn the
// other way round.
TEST_F(GraphicsTest, AxisParallelLinesDrawnBackwardsStillShow) {
  beginPrint();
  render(PrintLine, line("Up", 600, 1200, 600, 300));
  render(PrintLine, line("Left", 2100, 1500, 600, 1500));
  const host::RasterDc& page = *printedPage().raster;
  EXPECT_TRUE(boundsOf(page, red, Rect::fromLtrb(110, 0, 130, 400)).has_value());
  // Up: x 122, from CurY 131 down 94 pixels; Left: 125 pixels further down.
  const auto across = boundsOf(page, red, Rect::fromLtrb(0, 240, 600, 400));
  ASSERT_TRUE(across.has_value());
  EXPECT_EQ(across->left, 121);
  EXPECT_EQ(across->right, 279);

  beginPreview();
  render(PrintLine, line("Up2", 600, 1200, 600, 300));
  const auto up = boundsOf(previewPage(), red, Rect::fromLtrb(0, 0, 700, 400));
  ASSERT_TRUE(up.has_value());
  EXPECT_GE(up->height(), 59);
}

TEST_F(GraphicsTest, PrintedLinesOfOneColourShareOneBrush) {
  beginPrint();
  render(PrintLine, line("A", 600, 600, 2100, 600));
  render(PrintLine, line("B", 600, 900, 2100, 900));
  EXPECT_EQ(job().LineBrushesMade, 1);
  host::ObjectRef blueLine = line("C", 600, 1200, 2100, 1200);
  blueLine->set("BorderColor", blueValue);
  render(PrintLine, blueLine);
  EXPECT_EQ(job().LineBrushesMade, 2);
}

// --- shapes ------------------------------------------------------------------

TEST_F(GraphicsTest, PreviewShapeSitsOnePixelAboveCurY) {
  beginPreview();
  host::ObjectRef shape = box("Shape", "Shape1", 1500, 600);
  shape->set("BorderColor", redValue);
  render(PrintShape, shape);
  EXPECT_EQ(boundsOf(previewPage(), red, Rect::fromLtrb(0, 0, 700, 400)), Rect::fromXywh(70, 79, 100, 40));
}

TEST_F(GraphicsTest, MonochromeShapeKeepsItsBorderColourOnAWhiteBackground) {
  beginPrint(0);
  host::ObjectRef shape = box("Shape", "Shape1", 1500, 600);
  shape->set("BorderColor", redValue);
  shape->set("BackColor", yellowValue);
  shape->set("BackStyle", 1);
  render(PrintShape, shape);
  const host::RasterDc& page = *printedPage().raster;
  const Rect all = Rect::fromLtrb(0, 0, 800, 600);
  const auto border = boundsOf(page, red, all);
  ASSERT_TRUE(border.has_value());
  EXPECT_EQ(border->left, host::CLng(600 / 9.6 + 60));
  EXPECT_EQ(border->top, job().CurY);
  EXPECT_EQ(countWhere(page, all, [](host::Rgb p) { return p == yellow; }), 0);

  beginPrint(2);
  render(PrintShape, shape);
  EXPECT_GT(countWhere(*printedPage().raster, all, [](host::Rgb p) { return p == yellow; }), 0);
}

TEST_F(GraphicsTest, ShapeWithAMissingPropertyIsAbandoned) {
  beginPreview();
  host::ObjectRef picture = box("PictureBox", "NotAShape", 1500, 600);
  render(PrintShape, picture);
  EXPECT_EQ(countWhere(previewPage(), Rect::fromLtrb(0, 0, 700, 400), [](host::Rgb p) { return p != host::Rgb::white; }),
            0);
}

// --- frames ------------------------------------------------------------------

TEST_F(GraphicsTest, FrameWithoutBorderIsAPlainFilledBox) {
  beginPreview();
  host::ObjectRef frame = box("Frame", "Frame1", 1500, 600);
  frame->set("BorderStyle", 0);
  frame->set("BackColor", yellowValue);
  frame->set("Caption", "Details");
  render(PrintFrame, frame);
  const Rect all = Rect::fromLtrb(0, 0, 700, 400);
  EXPECT_EQ(boundsOf(previewPage(), yellow, all), Rect::fromXywh(70, 79, 100, 40));
  EXPECT_EQ(countWhere(previewPage(), all, [](host::Rgb p) { return p != yellow && p != host::Rgb::white; }), 0);
}

TEST_F(GraphicsTest, FrameCaptionStaysOnOneLineWithTheOutlineShowingThrough) {
  beginPreview();
  host::ObjectRef frame = box("Frame", "Frame1", 3000, 900);
  frame->set("Caption", "Order details");
  frame->set("BackColor", yellowValue);
  render(PrintFrame, frame);
  // The frame has the default font; its caption line is one line of it high.
  const int h = host::CLng(host::measureText(host::Font(), "A").height + 1.0);
  const int captionTop = host::CLng(155 / 15.0 + job().CurY - h / 2.0);
  const Rect captionArea = Rect::fromLtrb(70, captionTop - 2, 270, captionTop + h + 4);
  const auto ink = boundsWhere(previewPage(), captionArea, isDark);
  ASSERT_TRUE(ink.has_value());
  EXPECT_EQ(inkBands(previewPage(), captionArea), 1);
  const int textWidth = host::measureText(host::Font(), "Order details").width;
  EXPECT_GE(ink->width(), textWidth - 2);
  // The grey outline runs through the caption line between the letters.
  const int outlineRow = host::CLng(h / 2.0 + job().CurY);
  EXPECT_GT(countWhere(previewPage(), Rect::fromLtrb(ink->left, outlineRow, ink->right, outlineRow + 1), isGrey), 0);
}

TEST_F(GraphicsTest, FrameNarrowerThanItsCaptionClipsTheCaption) {
  beginPreview();
  host::ObjectRef frame = box("Frame", "Frame1", 600, 900);
  frame->set("Caption", "A caption far wider than its frame");
  render(PrintFrame, frame);
  const auto ink = boundsWhere(previewPage(), Rect::fromLtrb(0, 0, 700, 400), isDark);
  ASSERT_TRUE(ink.has_value());
  // The frame is 40 pixels wide from x 70.
  EXPECT_LE(ink->right, 110);
}

TEST_F(GraphicsTest, PrintedFrameHasItsOutlineAndWholeCaption) {
  beginPrint();
  host::ObjectRef frame = box("Frame", "Frame1", 3000, 900);
  frame->set("Caption", "Order details");
  render(PrintFrame, frame);
  EXPECT_EQ(printedPage().texts, std::vector<std::string>{"Order details"});
  EXPECT_GT(countWhere(*printedPage().raster, Rect::fromLtrb(0, 0, 800, 600), isGrey), 100);
  const host::RasterDc& page = *printedPage().raster;
  EXPECT_EQ(inkBands(page, Rect::fromLtrb(0, 0, 800, 600)), 1);
  const auto ink = boundsWhere(page, Rect::fromLtrb(0, 0, 800, 600), isDark);
  ASSERT_TRUE(ink.has_value());
  EXPECT_GE(ink->width(), host::printer().hDC().textExtent("Order details").width - 2);
}

// Off the design size the caption shrinks with the frame it names.
TEST_F(GraphicsTest, FrameCaptionScalesWithTheLayoutFactor) {
  const auto previewCaption = [&](double factor, const std::string& name) {
    beginPreview();
    job().LayoutFactor = factor;
    host::ObjectRef frame = box("Frame", name, 3000, 900);
    frame->set("Caption", "Order details");
    frame->set("ForeColor", redValue);
    render(PrintFrame, frame);
    return boundsOf(previewPage(), red, Rect::fromLtrb(0, 0, 700, 400));
  };
  const auto full = previewCaption(1, "Full");
  const auto half = previewCaption(0.5, "Half");
  ASSERT_TRUE(full.has_value());
  ASSERT_TRUE(half.has_value());
  EXPECT_LE(half->height(), full->height() * 0.6);
  EXPECT_LE(half->width(), full->width() * 0.6);

  beginPrint();
  job().LayoutFactor = 0.5;
  host::ObjectRef frame = box("Frame", "Printed", 3000, 900);
  frame->set("Caption", "Order details");
  frame->set("ForeColor", redValue);
  const host::Size fullSize = host::printer().hDC().textExtent("Order details");
  render(PrintFrame, frame);
  const auto printed = boundsOf(*printedPage().raster, red, Rect::fromLtrb(0, 0, 800, 600));
  ASSERT_TRUE(printed.has_value());
  EXPECT_LE(printed->width(), fullSize.width * 0.6);
  EXPECT_LE(printed->height(), fullSize.height * 0.6);
  EXPECT_EQ(printedPage().texts, std::vector<std::string>{"Order details"});
}

}  // namespace
