// Labels, text boxes, masked edit boxes: where they land on the preview page
// and on paper, with their colours, borders, fonts and multi-line text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RendererTestSupport.h"
#include "TestSupport.h"
#include "host/Lang.h"
#include "host/model/Messages.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;
using testsupport::numberedLine;
using testsupport::numberedLines;

class TextBoxTest : public RendererTest {
 protected:
  host::ObjectRef label(const std::string& name, int left, int top, int width, int height,
                        const std::string& caption) {
    host::ObjectRef control = add("Label", name);
    control->set("Left", left);
    control->set("Top", top);
    control->set("Width", width);
    control->set("Height", height);
    control->set("Caption", caption);
    return control;
  }

  // Prints a label "Warning", red on yellow.
  void printWarningLabel() {
    host::ObjectRef caption = label("Label1", 600, 300, 1500, 300, "Warning");
    caption->set("BackColor", yellowValue);
    caption->set("ForeColor", redValue);
    render(PrnTextBox, caption);
  }

  host::ObjectRef multiLineBox(const std::string& name, int top, int height, const std::string& text) {
    host::ObjectRef box = add("TextBox", name);
    box->set("MultiLine", true);
    box->set("Left", 600);
    box->set("Top", top);
    box->set("Width", 3000);
    box->set("Height", height);
    box->set("Text", text);
    return box;
  }

  // A fresh job of either twin, its control list empty, and where it draws.
  void beginTwin(bool preview) {
    if (preview) {
      beginPreview();
    } else {
      beginPrint();
    }
    job().CtlList.clear();
  }
  host::RasterDc& twinPage(bool preview) { return preview ? previewPage() : *printedPage().raster; }
  static Renderer twinRenderer(bool preview) { return preview ? PrevTextBox : PrnTextBox; }

  static void setFontSize(const host::ObjectRef& control, double points) {
    control->get("Font").toObject()->set("Size", points);
  }
};

// --- single draw -----------------------------------------------------------

TEST_F(TextBoxTest, PreviewLabelFillsItsBoxInItsColours) {
  beginPreview();
  host::ObjectRef caption = label("Label1", 600, 300, 1500, 300, "Hi");
  caption->set("BackColor", yellowValue);
  caption->set("ForeColor", redValue);
  render(PrevTextBox, caption);

  // CurY = 60 + 300/15; the box starts two pixels above it, one pixel taller.
  EXPECT_EQ(job().CurY, 80);
  EXPECT_EQ(job().CurX, 70);
  const Rect around = Rect::fromLtrb(0, 0, 300, 200);
  EXPECT_EQ(boundsOf(previewPage(), yellow, around), Rect::fromXywh(70, 78, 100, 21));
  const auto text = boundsOf(previewPage(), red, around);
  ASSERT_TRUE(text.has_value());
  EXPECT_GE(text->left, 73);
  EXPECT_LT(text->right, 170);
}

TEST_F(TextBoxTest, MonochromePrintTurnsARedOnYellowLabelBlackOnWhite) {
  beginPrint(0);
  printWarningLabel();

  const host::RasterDc& page = *printedPage().raster;
  const Rect all = Rect::fromXywh(0, 0, 600, 400);
  EXPECT_EQ(countWhere(page, all, [](host::Rgb p) { return p.red != p.blue || p.green != p.blue; }), 0);
  const auto ink = boundsWhere(page, all, isDark);
  ASSERT_TRUE(ink.has_value());
  EXPECT_GE(ink->left, job().CurX);
  EXPECT_GE(ink->top, job().CurY);
  EXPECT_EQ(printedPage().texts, std::vector<std::string>{"Warning"});
}

TEST_F(TextBoxTest, ColourPrintKeepsTheLabelsColours) {
  beginPrint(2);
  printWarningLabel();

  const host::RasterDc& page = *printedPage().raster;
  const auto box = boundsOf(page, yellow, Rect::fromXywh(0, 0, 600, 400));
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->left, job().CurX);
  EXPECT_EQ(box->top, job().CurY);
  EXPECT_TRUE(boundsOf(page, red, *box).has_value());
}

TEST_F(TextBoxTest, TransparentLabelLeavesTheShapeBeneathVisible) {
  beginPreview();
  host::ObjectRef shape = add("Shape", "Shape1");
  shape->set("Left", 600);
  shape->set("Top", 300);
  shape->set("Width", 1500);
  shape->set("Height", 600);
  shape->set("BackStyle", 1);
  shape->set("BackColor", blueValue);
  render(PrintShape, shape);
  host::ObjectRef see = label("Label1", 600, 300, 1500, 300, "Hi");
  see->set("BackStyle", 0);
  see->set("BackColor", yellowValue);
  render(PrevTextBox, see);
  host::ObjectRef cover = label("Label2", 600, 600, 1500, 300, "Hi");
  cover->set("BackColor", yellowValue);
  render(PrevTextBox, cover);

  // Right of the short caption, inside each label's box.
  EXPECT_EQ(previewPage().pixel(150, 90), blue);
  EXPECT_EQ(previewPage().pixel(150, 110), yellow);
}

TEST_F(TextBoxTest, BorderOnlyWhenBorderTextAllowsIt) {
  for (bool borderText : {false, true}) {
    SCOPED_TRACE(borderText);
    control_->setBorderText(borderText);
    beginPreview();
    host::ObjectRef box = add("TextBox", borderText ? "Text1" : "Text2");
    box->set("Left", 600);
    box->set("Top", 300);
    box->set("Width", 1500);
    box->set("Height", 300);
    ASSERT_EQ(box->get("BorderStyle").toLong(), 1);
    render(PrevTextBox, box);
    // The frame runs one pixel left of the box (left 70, top 78).
    EXPECT_EQ(previewPage().pixel(69, 88) == host::Rgb::black, borderText);
    beginPrint();
    render(PrnTextBox, box);
    const Rect frameColumn = Rect::fromXywh(job().CurX, job().CurY + 5, 1, 10);
    EXPECT_EQ(countWhere(*printedPage().raster, frameColumn, isDark) == 10, borderText);
    printer_->pages.clear();
    host::printer().killDoc();
  }
}

TEST_F(TextBoxTest, NewPageTagStartsAPageExceptOnTheFirstControl) {
  beginPreview();
  host::ObjectRef first = label("Label1", 600, 300, 1500, 300, "first");
  first->set("Tag", "newpage");
  render(PrevTextBox, first);
  EXPECT_EQ(job().PageCounter, 0);

  host::ObjectRef wrongCase = label("Label2", 600, 700, 1500, 300, "second");
  wrongCase->set("Tag", "NewPage");
  render(PrevTextBox, wrongCase);
  EXPECT_EQ(job().PageCounter, 0);

  host::ObjectRef third = label("Label3", 600, 1100, 1500, 300, "third");
  third->set("Tag", "newpage");
  render(PrevTextBox, third);
  EXPECT_EQ(job().PageCounter, 1);
  ASSERT_EQ(job().PageStore.size(), 2u);
  // On the new page the label sits one line of the control's font below the body top.
  EXPECT_EQ(job().CurY, host::CLng(control_->TextHeight("A") + 60));
}

TEST_F(TextBoxTest, LayoutFactorScalesFontSizes) {
  const double designSize = host::grantedFontSize(10);
  for (double factor : {1.0, 0.8}) {
    SCOPED_TRACE(factor);
    beginPreview();
    job().LayoutFactor = factor;
    host::ObjectRef caption = label(factor == 1.0 ? "L1" : "L2", 600, 300, 1500, 300, "Hi");
    setFontSize(caption, 10);
    render(PrevTextBox, caption);
    const double previewSize = factor == 1.0 ? designSize : host::grantedFontSize(designSize * 0.8 / 1.1);
    EXPECT_DOUBLE_EQ(job().page().Font().size(), previewSize);

    beginPrint();
    job().LayoutFactor = factor;
    render(PrnTextBox, caption);
    const double printSize = factor == 1.0 ? designSize : host::grantedFontSize(designSize * 0.8);
    EXPECT_DOUBLE_EQ(host::printer().font().size(), printSize);
    host::printer().killDoc();
  }
}

// A masked edit box shows the text as typed in preview and the formatted text,
// with the mask's literal characters, on paper.
TEST_F(TextBoxTest, MaskedEditBoxPrintsFormattedTextAndPreviewsText) {
  host::ObjectRef masked = add("MaskEdBox", "Mask1");
  masked->set("Left", 600);
  masked->set("Top", 300);
  masked->set("Width", 2000);
  masked->set("Height", 300);
  masked->set("Mask", "##/##/####");
  masked->set("Text", "24/12/____");
  const std::string text = masked->get("Text").toString();
  const std::string formatted = masked->get("FormattedText").toString();
  ASSERT_NE(text, formatted);

  beginPrint();
  render(PrnTextBox, masked);
  EXPECT_EQ(printedPage().texts, std::vector<std::string>{formatted});

  beginPreview();
  render(PrevTextBox, masked);
  const Rect box = Rect::fromXywh(job().CurX, job().CurY - 2, 134, 21);
  // The preview page against the same cell drawn with the one text or the other.
  auto expectedFor = [&](const std::string& shown) {
    OffScreenDC reference(job().drawing);
    reference.Initialize(nullptr, 700, 1000, 2);
    reference.setFont(job().page().Font());
    reference.FillRect(box.left, box.top, box.width(), box.height(), shown, 0, 0, true, false, 5, false, 5);
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x)
        if (reference.dc()->pixel(x, y) != previewPage().pixel(x, y)) return false;
    return true;
  };
  EXPECT_TRUE(expectedFor(text));
  EXPECT_FALSE(expectedFor(formatted));
}

// A control that lacks some properties: the preview passes over the failing
// statements and still draws it; on paper it is abandoned.
class BareLabel : public host::Object {
 public:
  std::string typeName() const override { return "Label"; }
  host::Kind kind() const override { return host::Kind::Label; }
  host::Value get(std::string_view name, host::Args) const override {
    if (host::equalsNoCase(name, "Caption")) return host::Value("Bare label");
    if (host::equalsNoCase(name, "Height")) return host::Value(300);
    if (host::equalsNoCase(name, "Width")) return host::Value(2000);
    if (host::equalsNoCase(name, "Left") || host::equalsNoCase(name, "Top")) return host::Value(300);
    if (host::equalsNoCase(name, "Name")) return host::Value("Bare");
    missingMember(name);
  }
};

TEST_F(TextBoxTest, MissingPropertiesArePassedOverInPreviewAndAbandonTheControlOnPaper) {
  auto bare = std::make_shared<BareLabel>();
  beginPreview();
  render(PrevTextBox, bare);
  EXPECT_TRUE(boundsWhere(previewPage(), Rect::fromXywh(0, 0, 400, 200), isDark).has_value());

  beginPrint();
  render(PrnTextBox, bare);
  EXPECT_TRUE(printedPage().texts.empty());
}

TEST_F(TextBoxTest, StopDuringTheYieldLeavesTheControlUndrawn) {
  beginPreview();
  ui_->queue([this] { job().StopRequested = true; });
  render(PrevTextBox, label("Label1", 600, 300, 1500, 300, "Stopped"));
  EXPECT_FALSE(boundsWhere(previewPage(), Rect::fromXywh(0, 0, 400, 200), isDark).has_value());
}

// --- multi-line boxes --------------------------------------------------------

TEST_F(TextBoxTest, PreviewBoxWhoseLinesFitInsideIsDrawnAtItsOwnSizeWrapped) {
  beginPreview();
  host::ObjectRef box = multiLineBox("Text1", 300, 1500, "one\r\ntwo\r\nthree");
  box->set("BackColor", yellowValue);
  render(PrevTextBox, box);
  const auto fill = boundsOf(previewPage(), yellow, Rect::fromXywh(0, 0, 700, 400));
  EXPECT_EQ(fill, Rect::fromXywh(70, 78, 200, 101));
  EXPECT_EQ(inkBands(previewPage(), *fill), 3);
}

TEST_F(TextBoxTest, PreviewOneLineMultiLineBoxUsesTheBoxHeight) {
  beginPreview();
  host::ObjectRef box = multiLineBox("Text1", 300, 450, "just one line");
  box->set("BackColor", yellowValue);
  ASSERT_EQ(host::SendMessageA(box, host::msg::EM_GETLINECOUNT, 0, 0), 1);
  render(PrevTextBox, box);
  EXPECT_EQ(boundsOf(previewPage(), yellow, Rect::fromXywh(0, 0, 700, 400)), Rect::fromXywh(70, 78, 200, 31));
}

// Lines that run past the box but fit on the page are all shown, one under
// the other, as on paper.
TEST_F(TextBoxTest, PreviewBoxWhoseLinesOverrunItShowsThemAll) {
  beginPreview();
  host::ObjectRef box = multiLineBox("Text1", 300, 300, numberedLines(5));
  render(PrevTextBox, box);
  EXPECT_EQ(inkBands(previewPage(), Rect::fromXywh(70, 78, 200, 200)), 5);
}

// The lines of every page's texts that start with "Line ".
std::vector<std::string> printedLines(const TeePrinter& printer, std::vector<int>* perPage = nullptr) {
  std::vector<std::string> lines;
  for (const auto& page : printer.pages) {
    int onPage = 0;
    for (const std::string& text : page->texts) {
      std::size_t start = 0;
      while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Line ", 0) == 0) {
          lines.push_back(line);
          ++onPage;
        }
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
    if (perPage) perPage->push_back(onPage);
  }
  return lines;
}

TEST_F(TextBoxTest, PrintBoxThatFitsOnThePageIsDrawnWithTheHeightOfAllItsLines) {
  beginPrint();
  host::ObjectRef box = multiLineBox("Text1", 300, 300, numberedLines(6));
  box->set("BackColor", yellowValue);
  render(PrnTextBox, box);
  const auto fill = boundsOf(*printedPage().raster, yellow, Rect::fromXywh(0, 0, 1000, 1000));
  ASSERT_TRUE(fill.has_value());
  // Two lines more than the six it holds, whatever the box's own height.
  const int lineHeight = host::printer().hDC().textExtent("A").height;
  EXPECT_GE(fill->height(), lineHeight * (6 + 2) + 5);
  const std::vector<int> bands = inkBandHeights(*printedPage().raster, *fill);
  ASSERT_EQ(bands.size(), 6u);
  for (int height : bands) EXPECT_EQ(height, bands.front());
  ASSERT_EQ(printedPage().texts.size(), 1u);
  EXPECT_EQ(printedLines(*printer_).size(), 6u);
}

TEST_F(TextBoxTest, PrintBoxOverThreePagesPrintsEveryLineOnceInOrder) {
  beginPrint();
  host::ObjectRef box = multiLineBox("Text1", 300, 3000, numberedLines(190));
  render(PrnTextBox, box);
  std::vector<int> perPage;
  const std::vector<std::string> lines = printedLines(*printer_, &perPage);
  EXPECT_EQ(printer_->pages.size(), 3u);
  std::vector<std::string> expected;
  for (int i = 1; i <= 190; ++i) expected.push_back(numberedLine(i));
  EXPECT_EQ(lines, expected);
  // Every line handed to a page shows there whole: as many runs of ink as
  // lines, all of one height (none cut at the foot of its chunk).
  for (std::size_t page = 0; page < printer_->pages.size(); ++page) {
    SCOPED_TRACE(page);
    const int top = page == 0 ? 0 : job().BodyTop + 20;
    const std::vector<int> bands = inkBandHeights(
        *printedPage(static_cast<int>(page)).raster, Rect::fromLtrb(150, top, 400, job().PageHeight - 60));
    EXPECT_EQ(static_cast<int>(bands.size()), perPage[page]);
    for (int height : bands) EXPECT_EQ(height, bands.front());
  }
}

// Boxes whose last page holds exactly one line, or exactly a chunk's worth,
// are where a chunk's spare slot used to leave the last line out.
TEST_F(TextBoxTest, PrintBoxKeepsItsLastLineWhateverItsLength) {
  for (int count : {100, 141, 142, 143, 144, 210, 211}) {
    SCOPED_TRACE(count);
    printer_->pages.clear();
    host::printer().killDoc();
    beginPrint();
    render(PrnTextBox, multiLineBox("Text" + std::to_string(count), 300, 3000, numberedLines(count)));
    const std::vector<std::string> lines = printedLines(*printer_);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(lines.back(), numberedLine(count));
  }
}

TEST_F(TextBoxTest, PreviewBoxOverThreePagesShowsEveryLineOnce) {
  beginPreview();
  host::ObjectRef box = multiLineBox("Text1", 300, 3000, numberedLines(180));
  render(PrevTextBox, box);
  ASSERT_EQ(job().PageStore.size(), 3u);
  std::vector<int> bands;
  for (int page = 0; page < 3; ++page) {
    const int top = page == 0 ? 80 : job().BodyTop;
    const std::vector<int> onPage =
        inkBandHeights(previewPage(page), Rect::fromLtrb(73, top, 268, 1000 - job().BottomReserve));
    bands.insert(bands.end(), onPage.begin(), onPage.end());
  }
  EXPECT_EQ(bands.size(), 180u);
  for (int height : bands) EXPECT_EQ(height, bands.front());
}

// After a box that ran over pages the next control comes below the last
// chunk's lines, never over them.
TEST_F(TextBoxTest, ControlAfterALongBoxStartsBelowItsLastLines) {
  beginPrint();
  host::ObjectRef box = multiLineBox("Text1", 300, 3000, numberedLines(130));
  render(PrnTextBox, box);
  const int pages = static_cast<int>(printer_->pages.size());
  const host::RasterDc& page = *printedPage(pages - 1).raster;
  const auto lastLines = boundsWhere(page, Rect::fromLtrb(job().CurX + 5, 0, job().CurX + 300, 1600), isDark);
  host::ObjectRef after = label("After", 600, 3400, 1500, 300, "After the box");
  after->set("BackColor", yellowValue);
  render(PrnTextBox, after);
  ASSERT_EQ(static_cast<int>(printer_->pages.size()), pages);
  const auto labelBox = boundsOf(page, yellow, Rect::fromLtrb(0, 0, 1200, 1700));
  ASSERT_TRUE(lastLines.has_value());
  ASSERT_TRUE(labelBox.has_value());
  EXPECT_GE(labelBox->top, lastLines->bottom);
}

}  // namespace

namespace {

// The lowest dark pixel of a page area, or -1.
int lastInkRow(const host::RasterDc& page, Rect area) {
  const auto ink = boundsWhere(page, area, isDark);
  return ink ? ink->bottom : -1;
}

}  // namespace

// A box whose lines outgrow it pushes the next control down, in both twins:
// the label that stood just below the box comes below its last line.
TEST_F(TextBoxTest, ControlBelowABoxWhoseLinesOutgrowItStartsBelowItsLines) {
  for (bool preview : {true, false}) {
    SCOPED_TRACE(preview ? "preview" : "print");
    beginTwin(preview);
    host::ObjectRef box = multiLineBox("Text" + std::to_string(preview), 300, 300, numberedLines(8));
    render(twinRenderer(preview), box);
    host::RasterDc& page = twinPage(preview);
    const Rect top = Rect::fromLtrb(0, 0, page.size().width, page.size().height / 2);
    const int linesBottom = lastInkRow(page, top);
    ASSERT_GT(linesBottom, 0);
    host::ObjectRef after = label("After" + std::to_string(preview), 600, 700, 1500, 300, "");
    after->set("BackColor", yellowValue);
    render(twinRenderer(preview), after);
    const auto labelBox = boundsOf(page, yellow, top);
    ASSERT_TRUE(labelBox.has_value());
    EXPECT_GE(labelBox->top, linesBottom);
  }
}

// A word longer than a line of the box is broken over lines as the box
// breaks it, and each of its pieces prints: at least as many lines of ink as
// the box shows lines (a cell a little narrower than the box may wrap a
// piece once more), where a word kept whole would be cut at the cell's edge.
TEST_F(TextBoxTest, ALongWordPrintsWholeOverTheLinesTheBoxBreaksItInto) {
  const std::string word(90, 'W');
  for (bool preview : {true, false}) {
    SCOPED_TRACE(preview ? "preview" : "print");
    beginTwin(preview);
    host::ObjectRef box = multiLineBox("Word" + std::to_string(preview), 300, 2000, "Start " + word + " end");
    const int boxLines = host::SendMessageA(box, host::msg::EM_GETLINECOUNT, 0, 0);
    ASSERT_GE(boxLines, 3);
    render(twinRenderer(preview), box);
    host::RasterDc& page = twinPage(preview);
    const int bands = inkBands(page, Rect::fromLtrb(0, 0, page.size().width, page.size().height / 2));
    EXPECT_GE(bands, boxLines);
    EXPECT_LE(bands, boxLines + 2);
  }
}

// Later chunks of a printed box fill their whole pages: every page between
// the first and the last holds as many lines as the first one, which starts
// near the top of its page.
TEST_F(TextBoxTest, PrintedChunksFillEveryLaterPage) {
  beginPrint();
  host::ObjectRef box = multiLineBox("Text1", 300, 3000, numberedLines(400));
  render(PrnTextBox, box);
  std::vector<int> perPage;
  EXPECT_EQ(printedLines(*printer_, &perPage).size(), 400u);
  ASSERT_GE(perPage.size(), 4u);
  for (std::size_t page = 1; page + 1 < perPage.size(); ++page) {
    SCOPED_TRACE(page);
    EXPECT_GE(perPage[page], perPage[0] - 2);
    EXPECT_EQ(perPage[page], perPage[1]);
  }
}

// An auto-sized label prints its caption whole on its one line in both
// twins: its ink reaches as far as the caption's own width on the device.
TEST_F(TextBoxTest, AnAutoSizedLabelShowsItsLastWord) {
  for (bool preview : {true, false}) {
    SCOPED_TRACE(preview ? "preview" : "print");
    beginTwin(preview);
    host::ObjectRef signature = label("Signature" + std::to_string(preview), 600, 300, 100, 100, "Signed by the manager");
    signature->set("AutoSize", true);
    render(twinRenderer(preview), signature);
    host::RasterDc& page = twinPage(preview);
    const auto ink = boundsWhere(page, Rect::fromLtrb(0, 0, page.size().width, 600), isDark);
    ASSERT_TRUE(ink.has_value());
    const int caption = page.textExtent("Signed by the manager").width;
    const int shortened = page.textExtent("Signed by the").width;
    EXPECT_GT(ink->width(), (caption + shortened) / 2);
    EXPECT_EQ(inkBands(page, *ink), 1);
  }
}

TEST_F(TextBoxTest, AnAutoSizedLabelOfSeveralLinesShowsEachWhole) {
  for (bool preview : {true, false}) {
    SCOPED_TRACE(preview ? "preview" : "print");
    beginTwin(preview);
    host::ObjectRef signature =
        label("Lines" + std::to_string(preview), 600, 300, 100, 100, "Seen\r\nSigned by the manager\r\nOK");
    signature->set("AutoSize", true);
    render(twinRenderer(preview), signature);
    host::RasterDc& page = twinPage(preview);
    const auto ink = boundsWhere(page, Rect::fromLtrb(0, 0, page.size().width, 900), isDark);
    ASSERT_TRUE(ink.has_value());
    const int caption = page.textExtent("Signed by the manager").width;
    const int shortened = page.textExtent("Signed by the").width;
    EXPECT_GT(ink->width(), (caption + shortened) / 2) << "the widest line decides, not the first";
    EXPECT_EQ(inkBands(page, *ink), 3);
  }
}
