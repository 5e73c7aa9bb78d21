// List boxes in place (columns, check boxes) and file lists flowing across pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "RendererTestSupport.h"
#include "TestSupport.h"
#include "host/Lang.h"
#include "host/model/FormFile.h"
#include "printctl/Glyphs.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;
using host::Value;

class ListBoxRenderTest : public RendererTest {
 protected:
  host::ObjectRef listBox(int items, std::int32_t height = 900, std::string_view name = "Items") {
    host::ObjectRef list = add("ListBox", name);
    list->set("Left", 600);
    list->set("Top", 300);
    list->set("Width", 3000);
    list->set("Height", height);
    for (int i = 1; i <= items; ++i) list->call("AddItem", {Value("Item " + std::to_string(i))});
    return list;
  }

  // The item height of the preview: the height of "A" in the list's font, and a little.
  std::int32_t previewItemHeight(const host::ObjectRef& list) {
    control_->setFont(list->get("Font").toObject()
                          ? dynamic_cast<const host::FontObject&>(*list->get("Font").toObject()).font()
                          : host::Font());
    return host::CLng(control_->TextHeight("A") + 1.57);
  }

  // Left edges of the runs of dark pixels along one row band.
  std::vector<int> inkColumns(const host::RasterDc& page, Rect area) {
    std::vector<int> starts;
    bool inInk = false;
    int gap = 0;
    for (int x = area.left; x < area.right; ++x) {
      bool ink = false;
      for (int y = area.top; y < area.bottom && !ink; ++y) ink = isDark(page.pixel(x, y));
      if (ink && !inInk && gap > 20) starts.push_back(x);
      if (ink && starts.empty()) starts.push_back(x);
      gap = ink ? 0 : gap + 1;
      inInk = ink;
    }
    return starts;
  }
};

TEST_F(ListBoxRenderTest, EmptyListBoxDrawsNothingAndLeavesCurYAtItsTop) {
  beginPreview();
  render(PrintListBox, listBox(0));
  EXPECT_EQ(job().CurY, 80);
  EXPECT_EQ(countWhere(previewPage(), Rect::fromXywh(0, 0, 700, 1000), isDark), 0);
  EXPECT_FALSE(job().StopRequested);
}

TEST_F(ListBoxRenderTest, ItemsBeyondTheBoxHeightGoIntoFurtherColumnsOfEvenHeight) {
  beginPreview();
  host::ObjectRef list = listBox(10, 900);  // 60 units high
  const std::int32_t h = previewItemHeight(list);
  const std::int32_t fit = host::CLng(60.0 / h);
  ASSERT_LT(fit, 10);
  const int columns = (10 + fit - 1) / fit;
  const int rows = (10 + columns - 1) / columns;
  render(PrintListBox, list);
  EXPECT_EQ(job().CurY, 80);
  // The first column holds `rows` lines of text, and nothing is written below them.
  EXPECT_EQ(inkBands(previewPage(), Rect::fromXywh(70, 80, 60, 200)), rows);
  EXPECT_EQ(countWhere(previewPage(), Rect::fromXywh(70, 80 + rows * h, 600, 200), isDark), 0);
  // Columns are one box width apart (Columns 0), each starting with its first item.
  const std::vector<int> starts = inkColumns(previewPage(), Rect::fromXywh(0, 80, 700, h));
  ASSERT_EQ(static_cast<int>(starts.size()), columns);
  for (int c = 1; c < columns; ++c) EXPECT_NEAR(starts[static_cast<std::size_t>(c)] - starts[0], c * 200, 2);
}

TEST_F(ListBoxRenderTest, ColumnsPropertySetsTheColumnWidth) {
  beginPreview();
  host::ObjectRef list = listBox(10, 450);
  list->set("Columns", Value(3));
  render(PrintListBox, list);
  const std::vector<int> starts = inkColumns(previewPage(), Rect::fromXywh(0, 80, 700, 10));
  ASSERT_GE(starts.size(), 2u);
  EXPECT_NEAR(starts[1] - starts[0], host::CLng(200 / 4.0 * 1.36), 2);  // W / (Columns + 1) x 1.36
}

// Each item of a check-box list keeps its own tick, with MultiSelect or
// without, set by the program or read from a form file.
TEST_F(ListBoxRenderTest, CheckBoxStyleShowsTheTickForEverySelectedItem) {
  auto showsGlyph = [&](const host::Picture& glyph, int left, int top) {
    for (int y = 0; y < glyph.height(); ++y)
      for (int x = 0; x < glyph.width(); ++x)
        if (previewPage().pixel(left + x, top + y) != glyph.pixel(x, y)) return false;
    return true;
  };
  auto expectTicks = [&](const host::ObjectRef& list, const std::vector<bool>& ticked) {
    beginPreview();
    render(PrintListBox, list);
    const std::int32_t h = previewItemHeight(list);
    const std::int32_t boxOffset = host::CLng((h - 16) / 2.0);
    for (std::size_t i = 0; i < ticked.size(); ++i) {
      const host::Picture glyph = ticked[i] ? glyphs::Check() : glyphs::Uncheck();
      EXPECT_TRUE(showsGlyph(glyph, 71, 80 + static_cast<int>(i) * h + boxOffset)) << "item " << i;
    }
  };
  for (const int multiSelect : {0, 1}) {
    SCOPED_TRACE(multiSelect);
    host::ObjectRef list = listBox(4, 1500, multiSelect == 0 ? "Single" : "Multiple");
    list->set("Style", Value(1));
    list->set("MultiSelect", Value(multiSelect));
    for (int i : {0, 2, 3}) list->set("Selected", Value(true), {Value(i)});
    list->set("Selected", Value(false), {Value(3)});
    list->set("ListIndex", Value(1));
    expectTicks(list, {true, false, true, false});
    EXPECT_EQ(list->get("SelCount").toInteger(), 2);
  }
  const auto form = host::loadFormText(R"({"Form": {"Name": "Ticks", "Controls": [
      {"Type": "ListBox", "Name": "Options", "Style": 1, "List": ["One", "Two", "Three"],
       "Selected": [true, false, true], "Left": 600, "Top": 300, "Width": 3000, "Height": 1500}]}})");
  SCOPED_TRACE("form file");
  expectTicks(form->controls().front(), {true, false, true});
}

TEST_F(ListBoxRenderTest, PrintedCheckBoxesLeaveTheTextUncovered) {
  beginPrint();
  host::ObjectRef list = listBox(2, 1500);
  list->set("Style", Value(1));
  render(PrintListBox, list);
  const host::RasterDc& page = *printedPage().raster;
  const std::int32_t columnLeft = host::CLng((600 / job().TwipsPerUnit + job().BodyLeft) * job().LayoutFactor);
  const std::int32_t glyphRight = columnLeft + 1 + host::CLng(glyphs::GlyphSize * 13.5 / host::printer().twipsPerPixelX());
  const Rect firstRow = Rect::fromXywh(columnLeft, job().CurY, 300, 12);
  const auto glyph = boundsWhere(page, Rect::fromXywh(columnLeft, job().CurY - 10, glyphRight - columnLeft, 40), isDark);
  ASSERT_TRUE(glyph);
  EXPECT_EQ(glyph->right, glyphRight);
  // A blank gap after the box, then the item's text.
  EXPECT_EQ(countWhere(page, Rect::fromXywh(glyphRight, firstRow.top - 10, 2, 40), isDark), 0);
  EXPECT_GT(countWhere(page, Rect::fromXywh(glyphRight + 2, firstRow.top, 100, 30), isDark), 20);
}

TEST_F(ListBoxRenderTest, PrintedListBoxWritesEveryItemInPlace) {
  beginPrint();
  host::ObjectRef list = listBox(4, 1500);
  list->set("Style", Value(1));
  render(PrintListBox, list);
  std::vector<std::string> texts = printedPage().texts;
  for (int i = 1; i <= 4; ++i)
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Item " + std::to_string(i)), 1) << i;
  EXPECT_EQ(job().CurY, host::CLng(300 / job().TwipsPerUnit + job().BodyTop));
}

TEST_F(ListBoxRenderTest, AFailingListGoesToTheCommonErrorExit) {
  beginPreview();
  host::ObjectRef list = listBox(2);
  place(list);
  job().CtlList.back().Ctl = add("Line", "NotAList");
  renderAt(PrintListBox, 0);
  EXPECT_TRUE(job().StopRequested);
  ASSERT_FALSE(ui_->messages().empty());
  EXPECT_EQ(ui_->messages().back().text, "Printer Operation # 438");
}

class FileListRenderTest : public RendererTest {
 protected:
  // How many cells of ink one line band holds: runs of ink separated by at least 6 blank columns.
  static int inkColumnsOf(const host::RasterDc& page, Rect area) {
    int runs = 0, blank = 6;
    for (int x = area.left; x < area.right; ++x) {
      bool ink = false;
      for (int y = area.top; y < area.bottom && !ink; ++y) ink = isDark(page.pixel(x, y));
      if (ink && blank >= 6) ++runs;
      blank = ink ? 0 : blank + 1;
    }
    return runs;
  }
  void SetUp() override {
    folder_ = testsupport::makeTempDir("file-list");
    for (int i = 0; i < 500; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "scan-%03d.png", i);
      std::ofstream(folder_ / name) << "x";
    }
    std::ofstream(folder_ / "notes.txt") << "x";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  host::ObjectRef fileList() {
    host::ObjectRef files = add("FileListBox", "Scans");
    files->set("Left", 600);
    files->set("Top", 300);
    files->set("Width", 1800);
    files->set("Height", 1500);
    files->set("Path", Value(folder_.string()));
    files->set("Pattern", Value("*.png;*.jpg"));
    return files;
  }
  std::filesystem::path folder_;
};

TEST_F(FileListRenderTest, FiveHundredFilesPrintOnceEachAcrossPages) {
  beginPrint();
  render(PrnListFull, fileList());
  ASSERT_GT(printer_->pages.size(), 2u);
  std::map<std::string, int> seen;
  for (const auto& page : printer_->pages)
    for (const std::string& text : page->texts) ++seen[text];
  for (int i = 0; i < 500; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "scan-%03d.png", i);
    EXPECT_EQ(seen[name], 1) << name;
  }
  EXPECT_EQ(seen["notes.txt"], 0);
  EXPECT_FALSE(job().StopRequested);
}

TEST_F(FileListRenderTest, PreviewFillsLinesAndContinuesOnTheNextPage) {
  beginPreview();
  host::ObjectRef files = fileList();
  files->set("Visible", Value(false));  // a hidden list is shown again when it has printed
  render(PrevListFull, files);
  control_->setFont(dynamic_cast<const host::FontObject&>(*files->get("Font").toObject()).font());
  const std::int32_t h = host::CLng(control_->TextHeight("A") * 1.2);
  // Lines follow each other from the list's top until a line would reach
  // the foot reserve: PageHeight - (BottomReserve + h + 20).
  const int linesOnFirstPage = (1000 - (60 + h + 20) - 80 + h - 1) / h;
  EXPECT_EQ(inkBands(previewPage(0), Rect::fromXywh(70, 80, 600, 1000 - 60 - 80)), linesOnFirstPage);
  // n items a line: (PageWidth - 20 - Left / 15) / w - 1, with w = Width / 15 / 1.07 + 2.
  const std::int32_t w = host::CLng(1800 / 15.0 / 1.07 + 2);
  const std::int32_t perLine = host::CLng((700 - 20 - 40.0) / w - 1);
  EXPECT_EQ(inkColumnsOf(previewPage(0), Rect::fromXywh(0, 80, 700, h - 2)), perLine);
  const int lines = (500 + perLine - 1) / perLine;
  EXPECT_GE(job().PageCounter, (lines - 1) / linesOnFirstPage);
  EXPECT_TRUE(files->get("Visible").toBool());
}

TEST_F(FileListRenderTest, StopRequestEndsTheListAtTheNextItem) {
  beginPrint();
  ui_->queue([&] { job().StopRequested = true; }, 10);
  render(PrnListFull, fileList());
  std::size_t written = 0;
  for (const auto& page : printer_->pages) written += page->texts.size();
  EXPECT_EQ(written, 10u);
}

}  // namespace
