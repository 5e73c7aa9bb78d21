// The flex grid renderer on the preview page and on a printer that keeps its
// pages: rows and columns, bands and shrinking, header repeats across pages,
// colours and frames, pictures, grids side by side, and the grid's state
// given back after a stop or a run-time error.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "RendererTestSupport.h"
#include "host/HostError.h"
#include "host/SysColors.h"
#include "host/model/Pictures.h"
#include "renderers/Renderers.h"
#include "renderers/TableSupport.h"

namespace {

using namespace renderertest;
using host::ObjectRef;
using host::Rect;
using host::Value;

constexpr host::Rgb green = host::Rgb::fromRgb(0, 255, 0);
// Rows of the default font: 240 twips, 16 pixels on a preview page.
constexpr int PreviewRow = 16;

class FlexGridTest : public RendererTest {
 protected:
  // A preview page whose body runs from x 30 to 30 pixels before its right edge.
  void preview(std::int16_t colorMode = 2) {
    beginPreview(colorMode);
    job().BodyRight = 30;
  }
  // A print job on a fresh document: its pages are those from firstPage_ on.
  void print(std::int16_t colorMode = 2) {
    host::printer().endDoc();
    firstPage_ = static_cast<int>(printer_->pages.size());
    beginPrint(colorMode);
    job().BodyRight = 60;
  }
  [[nodiscard]] int pagesPrinted() const { return static_cast<int>(printer_->pages.size()) - firstPage_; }
  TeePage& printed(int page = 0) { return printedPage(firstPage_ + page); }

  // A grid at the form's top-left with no fixed column, each cell holding "R<row>C<col>".
  // Names repeat across the rounds of a test; the form gets each once.
  ObjectRef grid(const char* name, int rows, int cols, int fixedRows = 1, const char* type = "MSFlexGrid") {
    ObjectRef g = add(type, std::string(name) + std::to_string(++made_));
    g->set("Rows", Value(rows));
    g->set("Cols", Value(cols));
    g->set("FixedRows", Value(fixedRows));
    g->set("FixedCols", Value(0));
    g->set("Top", Value(0));
    g->set("Left", Value(0));
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) setText(g, r, c, "R" + std::to_string(r) + "C" + std::to_string(c));
    return g;
  }
  static void setText(const ObjectRef& g, int row, int col, const std::string& text) {
    g->set("TextMatrix", Value(text), {Value(row), Value(col)});
  }
  static void clearTexts(const ObjectRef& g) {
    for (int r = 0; r < g->get("Rows").toLong(); ++r)
      for (int c = 0; c < g->get("Cols").toLong(); ++c) setText(g, r, c, "");
  }
  static void colourColumn(const ObjectRef& g, int col, std::int32_t colour) {
    g->set("Col", Value(col));
    for (int r = 0; r < g->get("Rows").toLong(); ++r) {
      g->set("Row", Value(r));
      g->set("CellBackColor", Value(colour));
    }
  }

  // The texts written on a printed page that belong to grid cells, in order.
  std::vector<std::string> cellTexts(int page) {
    std::vector<std::string> texts;
    for (const std::string& text : printed(page).texts)
      if (text.size() > 1 && text[0] == 'R' && std::isdigit(static_cast<unsigned char>(text[1])))
        texts.push_back(text);
    return texts;
  }
  std::optional<Rect> previewBounds(host::Rgb colour, int page = 0) {
    return boundsOf(previewPage(page), colour, Rect::fromXywh(0, 0, 700, 1000));
  }

 private:
  int made_ = 0;
  int firstPage_ = 0;
};

TEST(FlexGridRules, AlignmentMappingFollowsItsTableInOrder) {
  using renderers::captionAlignment;
  // host value -> code without and with right-to-left
  const struct { int host; int leftToRight; int rightToLeft; } table[] = {
      {0, 0, 0}, {1, 0, 1}, {2, 0, 0}, {3, 2, 2}, {4, 2, 2}, {5, 2, 2},
      {6, 1, 1}, {7, 1, 1}, {8, 1, 1}, {10, 1, 1}, {-1, 0, 1}, {-7, 0, 1}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.host);
    EXPECT_EQ(captionAlignment(row.host, false, false), row.leftToRight);
    EXPECT_EQ(captionAlignment(row.host, true, false), row.rightToLeft);
  }
  EXPECT_EQ(captionAlignment(9, false, true), 1) << "general: numbers to the right";
  EXPECT_EQ(captionAlignment(9, false, false), 0) << "general: words to the left";
  EXPECT_TRUE(renderers::isNumericText(" 4.50 "));
  EXPECT_FALSE(renderers::isNumericText("4 items"));
  EXPECT_FALSE(renderers::isNumericText(""));
}

TEST_F(FlexGridTest, DefaultWidthIs1100TwipsAndHiddenColumnsAndRowsTakeNoSpace) {
  preview();
  ObjectRef g = grid("Items", 3, 3, 0);
  clearTexts(g);
  setText(g, 2, 2, "x");  // the last row has content: every row prints
  g->set("GridLines", Value(0));
  g->set("ColWidth", Value(0), {Value(1)});
  g->set("ColWidth", Value(1500), {Value(2)});
  g->set("RowHeight", Value(0), {Value(1)});
  colourColumn(g, 0, yellowValue);
  colourColumn(g, 1, redValue);
  colourColumn(g, 2, blueValue);
  render(PrevFlexGrid, g);
  EXPECT_EQ(previewBounds(yellow), Rect::fromLtrb(30, 60, 30 + 73, 60 + 2 * PreviewRow)) << "1100 / 15 = 73";
  EXPECT_EQ(previewBounds(blue), Rect::fromLtrb(103, 60, 203, 60 + 2 * PreviewRow));
  EXPECT_FALSE(previewBounds(red)) << "the hidden column and row draw nothing";
  EXPECT_EQ(job().CurY, 60 + 3 * PreviewRow) << "two rows, and a row's gap below the grid";
}

TEST_F(FlexGridTest, EmptyLastRowEndsTheGridAtTheFirstEmptyRow) {
  print();
  ObjectRef g = grid("Items", 10, 1);
  clearTexts(g);
  for (int r : {0, 1, 2, 3, 5}) setText(g, r, 0, "R" + std::to_string(r));
  render(PrnFlexGrid, g);
  EXPECT_EQ(cellTexts(0), (std::vector<std::string>{"R0", "R1", "R2", "R3"}));

  // With text in the last row every row prints, the empty ones included.
  job().CtlList.clear();
  const std::int32_t top = job().CurY;
  setText(g, 9, 0, "R9");
  render(PrnFlexGrid, g);
  const std::vector<std::string> all = cellTexts(0);
  EXPECT_EQ(std::vector<std::string>(all.begin() + 4, all.end()),
            (std::vector<std::string>{"R0", "R1", "R2", "R3", "R5", "R9"}));
  const std::int32_t rowPixels = host::CLng(240 / job().DevTwipsY + 3) - 3;
  EXPECT_EQ(job().CurY - top, 11 * rowPixels) << "ten rows and the gap below";
}

// Whether an empty row ends the grid is settled over the first band: a last
// row with text there only keeps every row in every band.
TEST_F(FlexGridTest, EveryBandEndsAtTheSameRow) {
  print();
  control_->setRowRepeatTitle(false);
  ObjectRef g = grid("Bands", 8, 6);
  g->set("ColWidth", Value(3000), {Value(-1)});
  for (int c = 0; c < 6; ++c) setText(g, 3, c, "");
  for (int c = 1; c < 6; ++c) setText(g, 7, c, "");
  render(PrnFlexGrid, g);
  std::map<std::string, int> printedTimes;
  for (int page = 0; page < pagesPrinted(); ++page)
    for (const std::string& text : cellTexts(page)) ++printedTimes[text];
  for (int r = 0; r < 7; ++r) {
    if (r == 3) continue;
    for (int c = 0; c < 6; ++c)
      EXPECT_EQ(printedTimes["R" + std::to_string(r) + "C" + std::to_string(c)], 1) << r << ", " << c;
  }
  EXPECT_EQ(printedTimes["R7C0"], 1);
}

// A hidden row between two rows takes no part in the page test: the row after
// it is tested and goes to the next page rather than into the foot.
TEST_F(FlexGridTest, ARowAfterAHiddenRowStaysAboveTheFoot) {
  preview();
  control_->setGridLinesOK(false);
  ObjectRef g = grid("Hidden", 160, 1);
  g->set("BackColor", Value(yellowValue));
  for (int r = 1; r < 160; r += 2) g->set("RowHeight", Value(0), {Value(r)});
  render(PrevFlexGrid, g);
  ASSERT_GE(job().PageStore.size(), 2u);
  // A row may start only above PageHeight - (BottomReserve + its height + 20).
  const int lowestBottom = 1000 - (60 + 20);
  for (std::size_t page = 0; page < job().PageStore.size(); ++page) {
    const std::optional<Rect> rows = previewBounds(yellow, static_cast<int>(page));
    ASSERT_TRUE(rows) << "page " << page + 1;
    EXPECT_LE(rows->bottom, lowestBottom) << "page " << page + 1;
  }
}

// Fixed rows too tall to share a page with a row are not repeated after a
// break: every row prints once and the grid ends by itself.
TEST_F(FlexGridTest, AHeaderThatLeavesNoRoomForARowIsNotRepeated) {
  print();
  control_->setToPage(12);  // a limit, so that a regression ends instead of hanging
  ObjectRef g = grid("Tall", 120, 1);
  const double pageTwips = job().PageHeight * job().DevTwipsY;
  g->set("RowHeight", Value(host::CLng(pageTwips * 0.85)), {Value(0)});
  render(PrnFlexGrid, g);
  EXPECT_FALSE(job().JobEnded) << "the grid ends before the page limit";
  std::map<std::string, int> printedTimes;
  for (int page = 0; page < pagesPrinted(); ++page)
    for (const std::string& text : cellTexts(page)) ++printedTimes[text];
  for (int r = 0; r < 120; ++r) EXPECT_EQ(printedTimes["R" + std::to_string(r) + "C0"], 1) << "row " << r;
}

TEST_F(FlexGridTest, ShrinkToFitScalesAWideGridOnlyAndGivesTheScaleBack) {
  preview();
  control_->setGridToFit(vellora::Shrink);
  ObjectRef narrow = grid("Narrow", 3, 2);
  narrow->set("GridLines", Value(0));
  narrow->set("ColWidth", Value(1500), {Value(-1)});
  colourColumn(narrow, 1, yellowValue);
  render(PrevFlexGrid, narrow);
  EXPECT_EQ(previewBounds(yellow)->width(), 100) << "a grid narrower than the page keeps its size";
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);

  ObjectRef wide = grid("Wide", 3, 6);
  wide->set("GridLines", Value(0));
  wide->set("ColWidth", Value(3000), {Value(-1)});
  colourColumn(wide, 5, blueValue);
  wide->set("Top", Value(3000));
  render(PrevFlexGrid, wide);
  // Every column shrinks by one factor: 700 / (30 + 6 x 190 + 30 + 134).
  const double s = 700.0 / (30 + 6 * 190 + 30 + 134);
  const auto last = previewBounds(blue);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->width(), host::CLng(200 * s));
  EXPECT_EQ(last->left, 30 + 5 * host::CLng(200 * s));
  EXPECT_LT(last->right, 700) << "the whole grid on the page";
  EXPECT_LT(last->height(), 2 * PreviewRow) << "three rows shrink with the font";
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0) << "the next control gets the job's scale back";

  job().CtlList.clear();
  job().CurY = 600;
  render(PrevFlexGrid, narrow);
  EXPECT_EQ(boundsOf(previewPage(), yellow, Rect::fromLtrb(0, 600, 700, 1000))->width(), 100);
}

TEST_F(FlexGridTest, SplitBandsContinueTwoRowsBelowOrOnANewPage) {
  for (const std::int32_t fit : {vellora::Split, vellora::SplitNewPage}) {
    SCOPED_TRACE(fit);
    preview();
    control_->setGridToFit(fit);
    control_->setRowRepeatTitle(true);
    ObjectRef g = grid(fit == vellora::Split ? "Below" : "Paged", 3, 3);
    g->set("GridLines", Value(0));
    g->set("ColWidth", Value(4000), {Value(-1)});  // 267 pixels: two columns fit the page
    colourColumn(g, 0, yellowValue);
    colourColumn(g, 1, redValue);
    colourColumn(g, 2, blueValue);
    render(PrevFlexGrid, g);
    const int bandHeight = 3 * PreviewRow;
    EXPECT_EQ(previewBounds(red), Rect::fromXywh(297, 60, 267, bandHeight)) << "the first band holds two columns";
    if (fit == vellora::Split) {
      ASSERT_EQ(job().PageStore.size(), 1u);
      const int secondTop = 60 + bandHeight + 2 * PreviewRow;
      EXPECT_EQ(previewBounds(blue), Rect::fromXywh(297, secondTop, 267, bandHeight))
          << "two rows below, after the row title";
      EXPECT_EQ(previewBounds(yellow), Rect::fromLtrb(30, 60, 297, secondTop + bandHeight))
          << "column 0 repeated at the left of the later band";
    } else {
      ASSERT_EQ(job().PageStore.size(), 2u);
      EXPECT_FALSE(previewBounds(blue, 0));
      EXPECT_EQ(previewBounds(blue, 1), Rect::fromXywh(297, 60, 267, bandHeight)) << "the band on a page of its own";
    }
    job().PageStore.clear();
  }
}

// The titles written at each page break change the printer's font; a grid
// shrunk to the page prints every page in its shrunk font all the same.
TEST_F(FlexGridTest, EveryPrintedPageWritesTheCellsInTheGridsFont) {
  print();
  control_->setGridToFit(vellora::Shrink);
  ObjectRef g = grid("Fonts", 200, 6);
  g->set("ColWidth", Value(3000), {Value(-1)});
  render(PrnFlexGrid, g);
  ASSERT_GE(pagesPrinted(), 3);
  const std::set<double> firstPage = fontSizesOf(printed(0), "R");
  ASSERT_EQ(firstPage.size(), 1u);
  EXPECT_LT(*firstPage.begin(), 8.25) << "the font is shrunk";
  for (int page = 1; page < pagesPrinted(); ++page)
    EXPECT_EQ(fontSizesOf(printed(page), "R"), firstPage) << "page " << page + 1;
}

TEST_F(FlexGridTest, HeaderRowsRepeatOnEveryPageAndDataRowsPrintOnce) {
  for (const int fixed : {0, 1, 2}) {
    SCOPED_TRACE(fixed);
    print();
    const std::int32_t rowPixels = host::CLng(240 / job().DevTwipsY + 3) - 3;
    const int perPage = (job().PageHeight - job().BodyTop - job().BottomReserve - 20) / rowPixels;
    const int rows = perPage * 5 / 2;
    ObjectRef g = grid("Long", rows, 1, fixed);
    render(PrnFlexGrid, g);
    ASSERT_EQ(pagesPrinted(), 3);
    std::vector<std::string> data;
    for (int page = 0; page < 3; ++page) {
      const std::vector<std::string> texts = cellTexts(page);
      ASSERT_GT(texts.size(), static_cast<std::size_t>(fixed));
      for (int h = 0; h < fixed; ++h) EXPECT_EQ(texts[h], "R" + std::to_string(h) + "C0") << "page " << page;
      if (fixed == 0 && page > 0) {
        EXPECT_NE(texts[0], "R0C0");
      }
      data.insert(data.end(), texts.begin() + (page == 0 ? 0 : fixed), texts.end());
    }
    ASSERT_EQ(data.size(), static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) EXPECT_EQ(data[r], "R" + std::to_string(r) + "C0");
  }
}

TEST_F(FlexGridTest, GeneralAlignmentPutsNumbersRightAndWordsLeft) {
  preview();
  ObjectRef g = grid("Amounts", 2, 1, 0);
  g->set("ColWidth", Value(3000), {Value(0)});  // 200 pixels from x 30
  setText(g, 0, 0, "12.50");
  setText(g, 1, 0, "word");
  render(PrevFlexGrid, g);
  const auto number = boundsWhere(previewPage(), Rect::fromLtrb(31, 61, 229, 60 + PreviewRow - 1), isDark);
  const auto word = boundsWhere(previewPage(), Rect::fromLtrb(31, 61 + PreviewRow, 229, 60 + 2 * PreviewRow - 1), isDark);
  ASSERT_TRUE(number && word);
  EXPECT_GT(number->left, 130);
  EXPECT_LT(word->right, 130);
}

TEST_F(FlexGridTest, GridLinesOKFalseDrawsNoFrames) {
  for (const bool linesOK : {true, false}) {
    SCOPED_TRACE(linesOK);
    preview();
    control_->setGridLinesOK(linesOK);
    ObjectRef g = grid("Framed", 3, 2);
    g->set("BackColorFixed", Value(0xFFFFFF));
    clearTexts(g);
    setText(g, 2, 1, "x");
    render(PrevFlexGrid, g);
    // The frame's left edge lies one pixel left of the cell.
    const int framed = countWhere(previewPage(), Rect::fromLtrb(29, 60, 30, 60 + 3 * PreviewRow), isDark);
    if (linesOK) {
      EXPECT_GT(framed, 3 * PreviewRow - 4);
    } else {
      EXPECT_EQ(framed, 0);
    }
    job().PageStore.clear();
  }
}

TEST_F(FlexGridTest, TwoGridsSideBySideStartLevel) {
  preview();
  control_->setSideBySide(true);
  ObjectRef left = grid("Left", 5, 1);
  left->set("GridLines", Value(0));
  colourColumn(left, 0, yellowValue);
  ObjectRef right = grid("Right", 3, 1);
  right->set("GridLines", Value(0));
  right->set("Left", Value(3000));
  colourColumn(right, 0, blueValue);
  job().CurY = 200;
  place(left);
  place(right);
  renderAt(PrevFlexGrid, 0);
  renderAt(PrevFlexGrid, 1);
  ASSERT_TRUE(previewBounds(yellow) && previewBounds(blue));
  EXPECT_EQ(previewBounds(yellow)->top, 200);
  EXPECT_EQ(previewBounds(blue)->top, 200);
  EXPECT_EQ(previewBounds(blue)->left, 230);
}

TEST_F(FlexGridTest, StopEndsTheGridAfterTheCurrentRowWithItsStateGivenBack) {
  preview();
  control_->setGridToFit(vellora::Shrink);
  ObjectRef g = grid("Long", 40, 8);
  g->set("ColWidth", Value(3000), {Value(-1)});
  g->set("Row", Value(5));
  g->set("Col", Value(2));
  g->set("TopRow", Value(3));
  g->set("LeftCol", Value(1));
  // The stop comes with the grid scrolled elsewhere: the job scrolls it back.
  ui_->queue([&] {
    job().StopRequested = true;
    g->set("TopRow", Value(20));
    g->set("LeftCol", Value(5));
  }, 10);
  render(PrevFlexGrid, g);
  EXPECT_TRUE(job().StopRequested);
  const int drawn = inkBands(previewPage(), Rect::fromLtrb(31, 60, 100, 1000));
  EXPECT_GE(drawn, 8);
  EXPECT_LE(drawn, 11) << "the grid ends within a row of the stop";
  EXPECT_EQ(g->get("Row").toLong(), 5);
  EXPECT_EQ(g->get("Col").toLong(), 2);
  EXPECT_EQ(g->get("TopRow").toLong(), 3);
  EXPECT_EQ(g->get("LeftCol").toLong(), 1);
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);
}

// A grid that fails a property read after a number of reads, as a host
// grid lacking a member would.
class FailingGrid final : public host::Object {
 public:
  FailingGrid(ObjectRef inner, int failAfter) : inner_(std::move(inner)), left_(failAfter) {}
  std::string typeName() const override { return inner_->typeName(); }
  Value get(std::string_view name, host::Args index) const override {
    if (name == "CellFontSize" && --left_ < 0) host::raise(host::err::Overflow);
    return inner_->get(name, index);
  }
  void set(std::string_view name, const Value& value, host::Args index) override { inner_->set(name, value, index); }
  Value call(std::string_view name, host::Args args) override { return inner_->call(name, args); }

 private:
  ObjectRef inner_;
  mutable int left_;
};

TEST_F(FlexGridTest, RunTimeErrorIsReportedAndTheGridStateGivenBack) {
  print();
  control_->setGridToFit(vellora::Shrink);
  ObjectRef inner = grid("Broken", 20, 12);
  inner->set("ColWidth", Value(3000), {Value(-1)});
  inner->set("Row", Value(4));
  inner->set("Col", Value(3));
  auto failing = std::make_shared<FailingGrid>(inner, 30);
  render(PrnFlexGrid, failing);
  EXPECT_TRUE(job().StopRequested);
  ASSERT_FALSE(ui_->messages().empty());
  EXPECT_EQ(ui_->messages().back().text, "Printer Operation # 6");
  EXPECT_EQ(inner->get("Row").toLong(), 4);
  EXPECT_EQ(inner->get("Col").toLong(), 3);
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);
}

TEST_F(FlexGridTest, PrintedFramesTakeTheGridColourInTheSecondFlavourOnly) {
  for (const char* type : {"VSFlexGrid", "MSFlexGrid"}) {
    SCOPED_TRACE(type);
    print();
    ObjectRef g = grid("Lines", 3, 2, 1, type);
    g->set("GridColor", Value(redValue));
    g->set("GridColorFixed", Value(blueValue));
    render(PrnFlexGrid, g);
    const host::RasterDc& page = *printed().raster;
    const Rect all = Rect::fromXywh(0, 0, page.size().width, page.size().height);
    const bool second = std::string(type) == "VSFlexGrid";
    EXPECT_EQ(boundsOf(page, red, all).has_value(), second);
    EXPECT_EQ(boundsOf(page, blue, all).has_value(), second) << "fixed cells take GridColorFixed";
    EXPECT_GT(countWhere(page, all, isDark), 0);
  }
}

TEST_F(FlexGridTest, FixedCellsTakeTheFixedColoursAndMonochromeTakesNone) {
  for (const std::int16_t mode : {std::int16_t{2}, std::int16_t{0}}) {
    SCOPED_TRACE(mode);
    preview(mode);
    ObjectRef g = grid("Colours", 3, 1);
    clearTexts(g);
    setText(g, 2, 0, "x");
    g->set("GridLines", Value(0));
    g->set("BackColor", Value(yellowValue));
    render(PrevFlexGrid, g);
    const host::Rgb face = host::GetSysColor(host::syscolor::ButtonFace);
    const host::Rgb header = previewPage().pixel(40, 60 + PreviewRow / 2);
    const host::Rgb body = previewPage().pixel(40, 60 + PreviewRow + 2);
    EXPECT_EQ(header, mode == 2 ? face : host::Rgb::white) << "the fixed row's system colour, translated";
    EXPECT_EQ(body, mode == 2 ? yellow : host::Rgb::white);
    job().PageStore.clear();
  }
}

TEST_F(FlexGridTest, CellPicturesShowInTheFirstFlavourOnly) {
  for (const char* type : {"MSFlexGrid", "VSFlexGrid"}) {
    SCOPED_TRACE(type);
    preview();
    ObjectRef g = grid("Pictured", 2, 2, 0, type);
    ObjectRef box = add("PictureBox", g->get("Name").toString() + "Holder");
    host::setPicture(*box, host::Picture::filled({5, 4}, green));
    g->set("Row", Value(1));
    g->set("Col", Value(1));
    g->set("CellPicture", box->get("Picture"));
    g->set("CellPictureAlignment", Value(4));
    render(PrevFlexGrid, g);
    const auto picture = previewBounds(green);
    if (std::string(type) == "MSFlexGrid") {
      ASSERT_TRUE(picture);
      EXPECT_GT(picture->left, 30 + 73) << "in the second column";
      EXPECT_GE(picture->top, 60 + PreviewRow) << "in the second row";
    } else {
      EXPECT_FALSE(picture);
    }
    job().PageStore.clear();
  }
}

TEST_F(FlexGridTest, RightToLeftLaysTheColumnsOutFromTheRight) {
  preview();
  ObjectRef g = grid("Mirrored", 2, 2, 0);
  g->set("RightToLeft", Value(true));
  g->set("GridLines", Value(0));
  colourColumn(g, 0, yellowValue);
  colourColumn(g, 1, blueValue);
  render(PrevFlexGrid, g);
  ASSERT_TRUE(previewBounds(yellow) && previewBounds(blue));
  EXPECT_EQ(previewBounds(yellow)->right, 700 - 30 - 30 - 2);
  EXPECT_EQ(previewBounds(blue)->right, previewBounds(yellow)->left);
}

}  // namespace

namespace {

TEST_F(FlexGridTest, AColumnWiderThanThePageGetsABandOfItsOwn) {
  print();
  control_->setGridToFit(vellora::Split);
  control_->setRowRepeatTitle(false);
  ObjectRef g = grid("Wide", 2, 3, 0);
  // Each column alone passes the band width test, yet stays inside the right cut.
  const double columnPixels = job().PageWidth - 50;
  g->set("ColWidth", Value(columnPixels * job().TwipsPerUnit), {Value(-1)});
  render(PrnFlexGrid, g);
  EXPECT_EQ(cellTexts(0), (std::vector<std::string>{"R0C0", "R1C0", "R0C1", "R1C1", "R0C2", "R1C2"}))
      << "one band per column, each printed once";
}

}  // namespace
