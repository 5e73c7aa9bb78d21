// The data-bound grid renderer on grids bound to a real SQLite database, on
// the preview page and on a printer that keeps its pages: every record once
// across pages with the headers heading each, the scroll to the first record
// and back, the blank row for new entries, a window too small to page
// through, frames, right-to-left and column bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "RendererTestSupport.h"
#include "TestSupport.h"
#include "host/model/DataGridControls.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::ObjectRef;
using host::Rect;
using host::Value;

// Passes everything on to a grid and keeps the heights it is given.
class HeightSpy final : public host::Object {
 public:
  explicit HeightSpy(ObjectRef inner) : inner_(std::move(inner)) {}
  std::string typeName() const override { return inner_->typeName(); }
  Value get(std::string_view name, host::Args index) const override { return inner_->get(name, index); }
  void set(std::string_view name, const Value& value, host::Args index) override {
    if (host::equalsNoCase(name, "Height")) heights.push_back(value.toDouble());
    inner_->set(name, value, index);
  }
  Value call(std::string_view name, host::Args args) override { return inner_->call(name, args); }
  std::vector<double> heights;

 private:
  ObjectRef inner_;
};

class DataGridRenderTest : public RendererTest {
 protected:
  DataGridRenderTest() : folder_(testsupport::makeTempDir("vellora-datagrid-render")) {
    testsupport::makeDatabase(folder_ / "orders.sqlite", testsupport::ordersTable(200));
  }
  ~DataGridRenderTest() override { std::filesystem::remove_all(folder_); }

  void print() {
    host::printer().endDoc();
    firstPage_ = static_cast<int>(printer_->pages.size());
    beginPrint();
    job().BodyRight = 60;
  }
  void preview() {
    beginPreview();
    job().BodyRight = 30;
  }
  // Where a text first shows on a printed page, in the order the page was written.
  std::ptrdiff_t firstPlaceOf(int page, const std::string& prefix) {
    const std::vector<std::string>& all = printedPage(firstPage_ + page).texts;
    const auto found = std::find_if(all.begin(), all.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
    return found == all.end() ? -1 : found - all.begin();
  }
  [[nodiscard]] int pagesPrinted() const { return static_cast<int>(printer_->pages.size()) - firstPage_; }

  // A grid at the form's top-left on `source`, showing `rows` rows.
  ObjectRef grid(const std::string& source, int rows = 5) {
    ObjectRef g = add("DataGrid", "Orders" + std::to_string(++made_));
    dynamic_cast<host::DataGrid&>(*g).bind(folder_ / "orders.sqlite", source);
    g->set("Left", Value(0));
    g->set("Top", Value(0));
    g->set("Height", Value(60 + (rows + 1) * host::DataGrid::DefaultRowHeight));
    return g;
  }

  // The texts of a printed page that start with `prefix`, in order.
  std::vector<std::string> texts(int page, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& text : printedPage(firstPage_ + page).texts)
      if (text.rfind(prefix, 0) == 0) found.push_back(text);
    return found;
  }
  // The same over every page printed.
  std::vector<std::string> allTexts(const std::string& prefix) {
    std::vector<std::string> found;
    for (int page = 0; page < pagesPrinted(); ++page) {
      const std::vector<std::string> more = texts(page, prefix);
      found.insert(found.end(), more.begin(), more.end());
    }
    return found;
  }
  static std::vector<std::string> customers(int from, int to, int skip = 0) {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i)
      if (i != skip) names.push_back("Customer " + std::to_string(i));
    return names;
  }

  std::filesystem::path folder_;
  int firstPage_ = 0;

 private:
  int made_ = 0;
};

TEST_F(DataGridRenderTest, EveryRecordPrintsOnceInOrderUnderTheHeadersOfEveryPage) {
  for (const bool headers : {true, false}) {
    SCOPED_TRACE(headers);
    print();
    ObjectRef g = grid("SELECT id, customer AS who, total FROM orders");
    g->set("ColumnHeaders", Value(headers));
    render(PrnDataGrid, g);
    ASSERT_GE(pagesPrinted(), 2);
    EXPECT_EQ(allTexts("Customer "), customers(1, 200));
    for (int page = 0; page < pagesPrinted(); ++page) {
      const std::vector<std::string> heads = texts(page, "who");
      EXPECT_EQ(heads.size(), headers ? 1U : 0U) << "page " << page;
      if (headers) {
        EXPECT_LT(firstPlaceOf(page, "who"), firstPlaceOf(page, "Customer ")) << "the header comes first";
      }
    }
    EXPECT_EQ(g->get("FirstRow").toLong(), 0) << "the grid is scrolled back";
    EXPECT_EQ(g->get("Height").toDouble(), 60 + 6 * host::DataGrid::DefaultRowHeight);
  }
}

TEST_F(DataGridRenderTest, AQueryOfFewerRecordsThanItCountedEndsWhereTheyEnd) {
  // Every run of the query picks other rows: the count taken when the grid
  // was bound is rarely the number of records the printing reads.
  for (int run = 0; run < 6; ++run) {
    SCOPED_TRACE(run);
    print();
    ObjectRef g = grid("SELECT id, customer AS who FROM orders WHERE random() % 2 = 0");
    render(PrnDataGrid, g);
    const std::vector<std::string> printed = allTexts("Customer ");
    EXPECT_EQ(static_cast<double>(printed.size()), g->get("ApproxCount").toDouble())
        << "every record read is printed, and no row past them";
    EXPECT_TRUE(std::is_sorted(printed.begin(), printed.end(), [](const std::string& a, const std::string& b) {
      return std::stoi(a.substr(9)) < std::stoi(b.substr(9));
    }));
  }
}

TEST_F(DataGridRenderTest, AGridScrolledDownPrintsFromItsFirstRecordAndIsScrolledBack) {
  print();
  // Column 1 reads alike in every row: only the rows' bookmarks tell the top.
  ObjectRef g = grid("SELECT customer, 'same' AS what FROM orders WHERE id <= 40");
  g->call("Scroll", {Value(0), Value(17)});
  g->set("Row", Value(3));
  g->set("Col", Value(1));
  render(PrnDataGrid, g);
  EXPECT_EQ(allTexts("Customer "), customers(1, 40));
  EXPECT_EQ(g->get("FirstRow").toLong(), 17);
  EXPECT_EQ(g->get("Row").toLong(), 3);
  EXPECT_EQ(g->get("Col").toLong(), 1);
}

TEST_F(DataGridRenderTest, TheBlankRowForNewEntriesEndsTheGridButABlankRecordPrints) {
  print();
  ObjectRef g = grid("SELECT CASE WHEN id = 3 THEN NULL ELSE customer END AS who FROM orders WHERE id <= 12");
  g->set("AllowAddNew", Value(true));
  render(PrnDataGrid, g);
  EXPECT_EQ(allTexts("Customer "), customers(1, 12, 3));
  EXPECT_EQ(pagesPrinted(), 1);
  // Twelve records below one header: the cursor is a row's gap below them.
  const std::int32_t row = host::CLng(host::DataGrid::DefaultRowHeight / job().TwipsPerUnit);
  EXPECT_EQ(job().CurY, job().BodyTop + 13 * row + row);
}

TEST_F(DataGridRenderTest, AnEmptyRecordSetPrintsNothingNotEvenItsHeader) {
  for (const bool addNew : {false, true}) {
    print();
    ObjectRef g = grid("SELECT id, customer FROM orders WHERE id > 1000");
    g->set("AllowAddNew", Value(addNew));
    render(PrnDataGrid, g);
    EXPECT_TRUE(texts(0, "").empty()) << addNew;
  }
}

TEST_F(DataGridRenderTest, AGridShowingTwoRowsIsMadeTallerWhilePrintingAndShrinksBack) {
  print();
  ObjectRef g = grid("SELECT customer FROM orders WHERE id <= 30", 2);
  const double height = g->get("Height").toDouble();
  auto spy = std::make_shared<HeightSpy>(g);
  render(PrnDataGrid, spy);
  ASSERT_EQ(spy->heights.size(), 2U);
  EXPECT_EQ(spy->heights[0], 3 * height);
  EXPECT_EQ(spy->heights[1], height);
  EXPECT_EQ(allTexts("Customer "), customers(1, 30));

  // A window of one row could never move on: it grows until it can.
  print();
  ObjectRef tiny = grid("SELECT customer FROM orders WHERE id <= 30", 1);
  tiny->set("Height", Value(100));
  render(PrnDataGrid, tiny);
  EXPECT_EQ(allTexts("Customer "), customers(1, 30));
  EXPECT_EQ(tiny->get("Height").toDouble(), 100);
}

// A grid shrunk below its current row (as a resizer puts a zoomed form back
// to its design size for the job) reads its last shown row as current; the
// job gives back the row it keeps, so that growing again shows it, however
// many times the window must grow to show it.
TEST_F(DataGridRenderTest, ACurrentRowTheWindowIsTooSmallToShowIsKeptForWhenItGrowsAgain) {
  for (const bool printing : {true, false}) {
    SCOPED_TRACE(printing ? "print" : "preview");
    if (printing) {
      print();
    } else {
      preview();
    }
    ObjectRef g = grid("SELECT customer, total FROM orders WHERE id <= 30", 9);
    const double zoomed = g->get("Height").toDouble();
    g->call("Scroll", {Value(0), Value(2)});
    g->set("Row", Value(8));
    g->set("Col", Value(1));
    const std::string text = g->get("Text").toString();
    const double design = 60 + 2 * host::DataGrid::DefaultRowHeight;
    g->set("Height", Value(design));
    ASSERT_EQ(g->get("Row").toLong(), 0);

    render(printing ? PrnDataGrid : PrevDataGrid, g);
    if (printing) {
      EXPECT_EQ(allTexts("Customer "), customers(1, 30));
    }
    EXPECT_EQ(g->get("Height").toDouble(), design);
    EXPECT_EQ(g->get("Row").toLong(), 0);
    EXPECT_EQ(g->get("FirstRow").toLong(), 2);
    g->set("Height", Value(zoomed));
    EXPECT_EQ(g->get("Row").toLong(), 8);
    EXPECT_EQ(g->get("Col").toLong(), 1);
    EXPECT_EQ(g->get("Text").toString(), text);
  }
}

TEST_F(DataGridRenderTest, GridLinesOKFalsePrintsNoFramesWhateverTheRowDividers) {
  for (const bool linesOk : {true, false}) {
    preview();
    control_->setGridLinesOK(linesOk);
    ObjectRef g = grid("SELECT '' AS a, '' AS b FROM orders WHERE id <= 6");
    g->set("ColumnHeaders", Value(false));
    g->set("RowDividerStyle", Value(2));
    render(PrevDataGrid, g);
    const int dark = countWhere(previewPage(), Rect::fromXywh(0, 0, 700, 400), isDark);
    if (linesOk) {
      EXPECT_GT(dark, 100);
    } else {
      EXPECT_EQ(dark, 0);
    }
  }
}

TEST_F(DataGridRenderTest, RightToLeftDrawsTheFirstVisibleColumnRightmost) {
  std::optional<Rect> ink[2];
  for (const bool rightToLeft : {false, true}) {
    preview();
    control_->setGridLinesOK(false);
    ObjectRef g = grid("SELECT 'WWWWWWWW' AS wide, '' AS empty FROM orders WHERE id <= 3");
    g->set("ColumnHeaders", Value(false));
    g->set("RightToLeft", Value(rightToLeft));
    render(PrevDataGrid, g);
    ink[rightToLeft] = boundsWhere(previewPage(), Rect::fromXywh(0, 0, 700, 300), isDark);
  }
  ASSERT_TRUE(ink[0] && ink[1]);
  EXPECT_LT(ink[0]->left, 60);
  // The first column ends at the body's right; 1500 twips wide, it starts 100 units before.
  EXPECT_GT(ink[1]->left, job().PageWidth - (job().BodyLeft + job().BodyRight) - 110);
}

TEST_F(DataGridRenderTest, ColumnBandsOnNewPagesRepeatTheRecordsUnderTheirHeader) {
  print();
  control_->setGridToFit(vellora::SplitNewPage);
  ObjectRef g = grid("SELECT customer AS a, 'B' || id AS b, 'Z' || id AS c FROM orders WHERE id <= 20");
  const double wide = job().PageWidth * job().TwipsPerUnit * 0.6;
  for (int c = 0; c < 3; ++c) g->get("Columns", {Value(c)}).toObject()->set("Width", Value(wide));
  render(PrnDataGrid, g);
  ASSERT_EQ(pagesPrinted(), 3);
  const char* heads[] = {"a", "b", "c"};
  const char* prefixes[] = {"Customer ", "B", "Z"};
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page);
    const std::ptrdiff_t head = firstPlaceOf(page, heads[page]);
    EXPECT_GE(head, 0);
    EXPECT_LT(head, firstPlaceOf(page, prefixes[page])) << "the band's header comes first";
    EXPECT_EQ(texts(page, prefixes[page]).size(), 20U);
    EXPECT_EQ(texts(page, "Customer "), customers(1, 20)) << "the row titles lead every band";
  }
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);
}

// The titles written at each page break change the printer's font: a grid
// whose rows all share one font (no header row, or a header in the grid's
// own font) must still set it on every page.
TEST_F(DataGridRenderTest, EveryPrintedPageWritesTheRecordsInTheGridsFont) {
  for (const bool headers : {false, true}) {
    SCOPED_TRACE(headers);
    print();
    ObjectRef g = grid("SELECT customer FROM orders");
    g->set("ColumnHeaders", Value(headers));
    host::getObject(*g, "Font")->set("Size", Value(9.75));
    host::getObject(*g, "HeadFont")->set("Size", Value(9.75));
    render(PrnDataGrid, g);
    ASSERT_GE(pagesPrinted(), 3);
    for (int page = 0; page < pagesPrinted(); ++page)
      EXPECT_EQ(fontSizesOf(printedPage(firstPage_ + page), "Customer "), std::set<double>{9.75})
          << "page " << page + 1;
  }
}

TEST_F(DataGridRenderTest, StopEndsTheGridWithItsScrollAndCurrentCellGivenBack) {
  print();
  ObjectRef g = grid("SELECT customer FROM orders");
  g->set("Row", Value(2));
  const double height = g->get("Height").toDouble();
  // The stop comes with the grid hidden and resized: the job gives both back.
  ui_->queue([&] {
    job().StopRequested = true;
    g->set("Visible", Value(false));
    g->set("Height", Value(height * 3));
  }, 30);
  render(PrnDataGrid, g);
  const std::size_t printed = allTexts("Customer ").size();
  EXPECT_GT(printed, 10U);
  EXPECT_LT(printed, 200U);
  EXPECT_EQ(g->get("FirstRow").toLong(), 0);
  EXPECT_EQ(g->get("Row").toLong(), 2);
  EXPECT_TRUE(g->get("Visible").toBool());
  EXPECT_DOUBLE_EQ(g->get("Height").toDouble(), height);
}

}  // namespace
