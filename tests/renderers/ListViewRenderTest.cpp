// The list view renderer on the preview page and on a printer that keeps its
// pages: the header and item rows, hidden headers, missing sub-items, empty
// lists, column bands, page breaks with the header heading every page, and
// the list's state given back after a stop or a run-time error.
#include <gtest/gtest.h>

#include "RendererTestSupport.h"
#include "host/HostError.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::ObjectRef;
using host::Rect;
using host::Value;

constexpr host::Rgb headerGrey = host::Rgb::fromRgb(192, 192, 192);
// Rows of the default font (8.25 points) on a preview page: Int(8.25 x 2.121).
constexpr int PreviewRow = 17;
// Preview cells sit 5 units right of the list's left (x 30); the header row
// takes a unit more than a row, and eight more before the first item.
constexpr int CellLeft = 35;
constexpr int FirstItemTop = 60 + PreviewRow + 1 + 8;

class ListViewRenderTest : public RendererTest {
 protected:
  void preview() {
    beginPreview();
    job().BodyRight = 30;
  }
  void print() {
    host::printer().endDoc();
    firstPage_ = static_cast<int>(printer_->pages.size());
    beginPrint();
    job().BodyRight = 60;
  }
  [[nodiscard]] int pagesPrinted() const { return static_cast<int>(printer_->pages.size()) - firstPage_; }
  TeePage& printed(int page = 0) { return printedPage(firstPage_ + page); }

  // A list at the form's top-left with a header per width ("H1", "H2", ...)
  // and `items` items whose cells read "I<item>C<column>".
  ObjectRef list(const std::vector<double>& widths, int items) {
    ObjectRef l = add("ListView", "People" + std::to_string(++made_));
    l->set("Top", Value(0.0));
    l->set("Left", Value(0.0));
    l->set("View", Value(std::int16_t{3}));
    ObjectRef headers = host::getObject(*l, "ColumnHeaders");
    for (std::size_t j = 0; j < widths.size(); ++j)
      headers->call("Add", {Value(), Value(), Value("H" + std::to_string(j + 1)), Value(widths[j])});
    ObjectRef listItems = host::getObject(*l, "ListItems");
    for (int i = 1; i <= items; ++i) {
      ObjectRef item = listItems->call("Add", {Value(), Value(), Value(cellText(i, 1))}).toObject();
      for (int j = 2; j <= static_cast<int>(widths.size()); ++j)
        item->set("SubItems", Value(cellText(i, j)), {Value(j - 1)});
    }
    return l;
  }
  static std::string cellText(int item, int column) {
    return "I" + std::to_string(item) + "C" + std::to_string(column);
  }
  static ObjectRef item(const ObjectRef& l, int i) {
    return host::getObject(*l, "ListItems")->get("Item", {Value(i)}).toObject();
  }

  // The header and item texts written on a printed page, in order.
  std::vector<std::string> listTexts(int page) {
    std::vector<std::string> texts;
    for (const std::string& text : printed(page).texts)
      if (text.size() > 1 && (text[0] == 'H' || text[0] == 'I') && std::isdigit(static_cast<unsigned char>(text[1])))
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

TEST_F(ListViewRenderTest, HeaderRowThenOneRowPerItemInTheListsColours) {
  preview();
  control_->setGridLinesOK(false);
  ObjectRef l = list({1500, 3000}, 3);
  l->set("BackColor", Value(yellowValue));
  host::getObject(*l, "ColumnHeaders")->get("Item", {Value(2)}).toObject()->set("Alignment", Value(std::int16_t{1}));
  render(PrevListView, l);
  EXPECT_EQ(previewBounds(headerGrey), Rect::fromXywh(CellLeft, 60, 300, PreviewRow)) << "1500 and 3000 twips";
  EXPECT_EQ(previewBounds(yellow), Rect::fromXywh(CellLeft, FirstItemTop, 300, 3 * PreviewRow));
  EXPECT_EQ(job().CurY, FirstItemTop + 3 * PreviewRow);
  // The second column is right-aligned: its text keeps to the right half.
  const auto ink = boundsWhere(previewPage(), Rect::fromXywh(CellLeft + 101, FirstItemTop, 198, PreviewRow), isDark);
  ASSERT_TRUE(ink);
  EXPECT_GT(ink->left, CellLeft + 200);
  EXPECT_TRUE(l->get("Visible").toBool());
}

TEST_F(ListViewRenderTest, MissingSubItemsPrintAsEmptyCells) {
  preview();
  control_->setGridLinesOK(false);
  ObjectRef l = list({1500, 1500, 1500}, 0);
  l->set("BackColor", Value(yellowValue));
  ObjectRef ada = host::getObject(*l, "ListItems")->call("Add", {Value(), Value(), Value("Ada")}).toObject();
  ada->set("SubItems", Value("London"), {Value(std::int32_t{1})});
  render(PrevListView, l);
  EXPECT_EQ(previewBounds(yellow), Rect::fromXywh(CellLeft, FirstItemTop, 300, PreviewRow))
      << "the third cell is painted, empty";
  EXPECT_FALSE(boundsWhere(previewPage(), Rect::fromXywh(CellLeft + 201, FirstItemTop, 98, PreviewRow), isDark));

  print();
  render(PrnListView, l);
  EXPECT_EQ(printed().texts, (std::vector<std::string>{"H1", "H2", "H3", "Ada", "London"}));
}

TEST_F(ListViewRenderTest, AListWithoutItemsPrintsNothingNotEvenItsHeader) {
  preview();
  ObjectRef l = list({1500, 1500}, 0);
  job().CurY = 100;
  render(PrevListView, l);
  EXPECT_FALSE(previewBounds(headerGrey));
  EXPECT_EQ(countWhere(previewPage(), Rect::fromXywh(0, 0, 700, 1000), isDark), 0);
  EXPECT_EQ(job().CurY, 100);
  EXPECT_EQ(job().PageStore.size(), 1u);
}

TEST_F(ListViewRenderTest, TheHeaderHeadsEveryPageUnlessHiddenAndEveryItemPrintsOnce) {
  for (const bool hidden : {false, true}) {
    SCOPED_TRACE(hidden);
    print();
    ObjectRef l = list({2000}, 150);
    l->set("hidecolumnheaders", Value(hidden));
    render(PrnListView, l);
    ASSERT_GE(pagesPrinted(), 3);
    int expected = 1;
    for (int page = 0; page < pagesPrinted(); ++page) {
      std::vector<std::string> texts = listTexts(page);
      ASSERT_FALSE(texts.empty()) << "page " << page;
      if (hidden) {
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "H1"), 0) << "page " << page;
      } else {
        EXPECT_EQ(texts.front(), "H1") << "page " << page;
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "H1"), 1) << "page " << page;
        texts.erase(texts.begin());
      }
      for (const std::string& text : texts) EXPECT_EQ(text, cellText(expected++, 1)) << "page " << page;
    }
    EXPECT_EQ(expected, 151);
  }
}

TEST_F(ListViewRenderTest, GridToFitThreeStartsEveryBandOnANewPageHeaderFirst) {
  // Six columns of 3000 twips: bands 1-3, then 4-5 and 6, each after the row title.
  const std::vector<std::vector<std::string>> bands = {
      {"H1", "H2", "H3", "I1C1", "I1C2", "I1C3", "I2C1", "I2C2", "I2C3"},
      {"H1", "H4", "H5", "I1C1", "I1C4", "I1C5", "I2C1", "I2C4", "I2C5"},
      {"H1", "H6", "I1C1", "I1C6", "I2C1", "I2C6"}};
  print();
  control_->setGridToFit(vellora::SplitNewPage);
  ObjectRef wide = list({3000, 3000, 3000, 3000, 3000, 3000}, 2);
  render(PrnListView, wide);
  ASSERT_EQ(pagesPrinted(), 3);
  for (int page = 0; page < 3; ++page) EXPECT_EQ(listTexts(page), bands[static_cast<std::size_t>(page)]);

  preview();
  control_->setGridLinesOK(false);
  render(PrevListView, wide);
  ASSERT_EQ(job().PageStore.size(), 3u) << "the preview twin bands the same way";
  for (int page = 0; page < 3; ++page)
    EXPECT_EQ(previewBounds(headerGrey, page)->top, 60) << "the header opens page " << page;

  // GridToFit 1 puts the later bands two rows below the one before.
  print();
  control_->setGridToFit(vellora::Split);
  render(PrnListView, wide);
  EXPECT_EQ(pagesPrinted(), 1);
  EXPECT_EQ(listTexts(0).size(), 24u);
}

TEST_F(ListViewRenderTest, ShrinkToFitNarrowsTheColumnsOfAWideListOnlyAndGivesTheScaleBack) {
  control_->setGridToFit(vellora::Shrink);
  control_->setGridLinesOK(false);
  preview();
  render(PrevListView, list({1500, 1500}, 1));
  EXPECT_EQ(previewBounds(headerGrey)->width(), 200) << "a list narrower than the page keeps its widths";

  preview();
  // 800 units of columns from x 30: the scale becomes 700 / (30 + 800 + 30 + 120).
  render(PrevListView, list({6000, 6000}, 1));
  EXPECT_EQ(previewBounds(headerGrey), Rect::fromXywh(CellLeft, 60, 2 * 286, PreviewRow))
      << "both columns shrink by one factor; the rows keep the list's font";
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);
}

TEST_F(ListViewRenderTest, WithoutARowTitleLaterBandsLeaveTheFirstColumnOut) {
  print();
  control_->setGridToFit(vellora::SplitNewPage);
  control_->setRowRepeatTitle(false);
  render(PrnListView, list({3000, 3000, 3000, 3000, 3000, 3000}, 1));
  ASSERT_EQ(pagesPrinted(), 2);
  EXPECT_EQ(listTexts(1), (std::vector<std::string>{"H4", "H5", "H6", "I1C4", "I1C5", "I1C6"}));
}

TEST_F(ListViewRenderTest, PageBreaksComeBeforeARowThatReachesTheFootTheLastOneIncluded) {
  control_->setGridLinesOK(false);
  preview();
  // A row whose top reaches PageHeight - (BottomReserve + row + 20) goes to the next page.
  const int footLine = 1000 - (60 + PreviewRow + 20);
  const int perPage = (footLine - FirstItemTop + PreviewRow - 1) / PreviewRow;
  render(PrevListView, list({1500}, perPage - 1));
  EXPECT_EQ(job().PageStore.size(), 1u) << "a list ending above the foot opens no page";

  // After a last row that reaches the foot, the next control starts on a new page.
  preview();
  ObjectRef full = list({1500}, perPage);
  render(PrevListView, full);
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_EQ(job().CurY, 60) << "the next control starts at the top of the new page";
  EXPECT_FALSE(previewBounds(headerGrey, 1)) << "the list leaves the new page to the next control";

  preview();
  ObjectRef more = list({1500}, perPage + 1);
  render(PrevListView, more);
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_EQ(previewBounds(headerGrey, 1)->top, 60) << "the header heads the second page";

  // A list whose top already lies at the foot starts on the next page.
  preview();
  job().CurY = footLine + 5;
  render(PrevListView, list({1500}, 2));
  ASSERT_EQ(job().PageStore.size(), 2u);
  EXPECT_FALSE(previewBounds(headerGrey, 0)) << "nothing is drawn into the foot";
  EXPECT_EQ(previewBounds(headerGrey, 1)->top, 60);
}

// The titles written at each page break change the printer's font; the
// printer keeps its one device context across pages, so every row must set
// the list's font again.
TEST_F(ListViewRenderTest, EveryPrintedPageWritesTheRowsInTheListsFont) {
  print();
  render(PrnListView, list({1500, 1500}, 200));
  ASSERT_GE(pagesPrinted(), 3);
  const std::set<double> listFont{8.25};
  for (int page = 0; page < pagesPrinted(); ++page) {
    EXPECT_EQ(fontSizesOf(printed(page), "I"), listFont) << "items on page " << page + 1;
    EXPECT_EQ(fontSizesOf(printed(page), "H"), listFont) << "the header on page " << page + 1;
  }
}

TEST_F(ListViewRenderTest, AHeaderThatFillsAPageIsNotRepeatedForever) {
  preview();
  control_->setToPage(12);  // a limit, so that a regression ends instead of hanging
  ObjectRef huge = list({6000}, 3);
  host::getObject(*huge, "Font")->set("Size", Value(220.0));
  render(PrevListView, huge);
  EXPECT_FALSE(job().JobEnded);
  ASSERT_EQ(job().PageStore.size(), 6u) << "header, header, one item a page, and a page after the last item";
  for (int page = 2; page < 6; ++page) EXPECT_FALSE(previewBounds(headerGrey, page)) << "page " << page;
}

TEST_F(ListViewRenderTest, TwoListsSideBySideStartLevelInPreview) {
  preview();
  control_->setSideBySide(true);
  control_->setGridLinesOK(false);
  ObjectRef left = list({1500}, 5);
  ObjectRef right = list({1500}, 2);
  right->set("Left", Value(3000.0));
  right->set("BackColor", Value(blueValue));
  job().CurY = 200;
  place(left);
  place(right);
  renderAt(PrevListView, 0);
  renderAt(PrevListView, 1);
  ASSERT_TRUE(previewBounds(blue));
  EXPECT_EQ(previewBounds(blue)->top, 200 + PreviewRow + 9);
  EXPECT_EQ(previewBounds(blue)->left, 230 + 5);
}

TEST_F(ListViewRenderTest, StopEndsTheListAfterTheCurrentRowWithTheScaleGivenBack) {
  preview();
  control_->setGridToFit(vellora::Shrink);
  control_->setGridLinesOK(false);
  ObjectRef l = list({6000, 6000}, 40);
  l->set("Height", Value(2400.0));
  // The stop comes with the list hidden and resized: the job gives both back.
  ui_->queue([&] {
    job().StopRequested = true;
    l->set("Visible", Value(false));
    l->set("Height", Value(600.0));
  }, 10);
  render(PrevListView, l);
  EXPECT_TRUE(job().StopRequested);
  const int drawn = inkBands(previewPage(), Rect::fromLtrb(36, 60, 60, 1000));
  EXPECT_GE(drawn, 8);
  EXPECT_LE(drawn, 11) << "the list ends within a row of the stop";
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0);
  EXPECT_TRUE(l->get("Visible").toBool());
  EXPECT_DOUBLE_EQ(l->get("Height").toDouble(), 2400.0);
}

// A list view lacking the member that hides the headers, as another maker's might.
class ListWithoutHideMember final : public host::Object {
 public:
  explicit ListWithoutHideMember(ObjectRef inner) : inner_(std::move(inner)) {}
  std::string typeName() const override { return inner_->typeName(); }
  Value get(std::string_view name, host::Args index) const override {
    if (host::equalsNoCase(name, "hidecolumnheaders")) {
      inner_->set("Height", Value(600.0));  // resized as it prints: the job gives the height back
      host::raise(host::err::MemberNotFound);
    }
    return inner_->get(name, index);
  }
  void set(std::string_view name, const Value& value, host::Args index) override { inner_->set(name, value, index); }
  Value call(std::string_view name, host::Args args) override { return inner_->call(name, args); }

 private:
  ObjectRef inner_;
};

TEST_F(ListViewRenderTest, RunTimeErrorIsReportedAndTheListStateGivenBack) {
  print();
  control_->setGridToFit(vellora::Shrink);
  ObjectRef inner = list({9000, 9000}, 3);
  inner->set("Height", Value(1234.0));
  render(PrnListView, std::make_shared<ListWithoutHideMember>(inner));
  EXPECT_TRUE(job().StopRequested);
  ASSERT_FALSE(ui_->messages().empty());
  EXPECT_EQ(ui_->messages().back().text, "Printer Operation # 438");
  EXPECT_DOUBLE_EQ(job().LayoutFactor, 1.0) << "the shrunk scale is given back";
  EXPECT_DOUBLE_EQ(inner->get("Height").toDouble(), 1234.0);
}

}  // namespace
