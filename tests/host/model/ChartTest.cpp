// The chart control: its table by name and in form files, and the picture it
// copies to the clipboard.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/Runtime.h"
#include "host/model/Chart.h"
#include "host/model/FormFile.h"

namespace {

using host::Value;

host::ChartTable sales() {
  host::ChartTable table;
  table.rows = {{3, 1, 4}, {5, 9, 2}, {6, 5, 3}};
  table.rowLabels = {"Jan", "Feb", "Mar"};
  table.columnLabels = {"North", "South", "West"};
  return table;
}

// The colours of a picture, and how many pixels differ from a background.
std::set<std::int32_t> coloursOf(const host::Picture& picture) {
  std::set<std::int32_t> colours;
  for (int y = 0; y < picture.height(); y += 2)
    for (int x = 0; x < picture.width(); x += 2) colours.insert(picture.pixel(x, y).toHost());
  return colours;
}

int differingPixels(const host::Picture& a, const host::Picture& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) == b.pixel(x, y) ? 0 : 1;
  return count;
}

TEST(Chart, EditCopyPutsTheChartOnTheClipboardAtTheControlSize) {
  auto runtime = testsupport::makeHeadless();
  host::MSChart chart;
  chart.setTable(sales());
  chart.set("Width", Value(3000));   // 200 x 150 pixels
  chart.set("Height", Value(2250));
  chart.set("BackColor", Value(0xE0FFFF));  // light yellow
  chart.set("TitleText", Value(std::string("Sales")));
  chart.call("EditCopy");
  const host::Picture copied = runtime.ui->clipboardPicture();
  ASSERT_FALSE(copied.isNull());
  EXPECT_EQ(copied.size(), (host::Size{200, 150}));
  EXPECT_EQ(copied.pixel(1, 1).toHost(), 0xE0FFFF);
  EXPECT_GT(coloursOf(copied).size(), 4u);  // bars, axes, labels
}

TEST(Chart, ATitleLongerThanItsLineIsDrawnAsTheLinePartOfIt) {
  // The chart's elision of a long title once took the square of its length:
  // a title of a hundred thousand characters took minutes. What the line
  // shows is the same however much more the title holds.
  auto runtime = testsupport::makeHeadless();
  std::string title;
  while (title.size() < 100000) title += "Quarterly sales of the northern region, \u00e9t\u00e9 ";
  auto pictureWith = [](const std::string& text) {
    host::MSChart chart;
    chart.setTable(sales());
    chart.set("Width", Value(3000));  // 200 pixels
    chart.set("Height", Value(2250));
    chart.set("TitleText", Value(text));
    return chart.chartPicture();
  };
  const host::Picture full = pictureWith(title);
  EXPECT_EQ(differingPixels(full, pictureWith(title.substr(0, 1000))), 0);
  EXPECT_GT(differingPixels(full, pictureWith("Quarterly")), 0) << "a title that fits is drawn whole";
}

TEST(Chart, EachKindOfChartDrawsItsOwnPicture) {
  auto runtime = testsupport::makeHeadless();
  host::MSChart chart;
  chart.setTable(sales());
  chart.set("Width", Value(2400));
  chart.set("Height", Value(1800));
  std::vector<host::Picture> pictures;
  for (int type : {1, 3, 5, 7, 9, 14, 16}) {
    chart.set("ChartType", Value(static_cast<std::int16_t>(type)));
    pictures.push_back(chart.chartPicture());
  }
  for (std::size_t i = 0; i < pictures.size(); ++i)
    for (std::size_t j = i + 1; j < pictures.size(); ++j)
      EXPECT_GT(differingPixels(pictures[i], pictures[j]), 100) << i << " and " << j;
  chart.set("ChartType", Value(std::int16_t{0}));  // a 3-D bar chart is drawn as its 2-D twin
  EXPECT_EQ(differingPixels(chart.chartPicture(), pictures[0]), 0);
}

// A pie of the table, 160 x 120 pixels, with its legend.
host::Picture pieOf(const host::ChartTable& table) {
  host::MSChart chart;
  chart.setTable(table);
  chart.set("Width", Value(2400));
  chart.set("Height", Value(1800));
  chart.set("ChartType", Value(std::int16_t{14}));
  chart.set("ShowLegend", Value(true));
  return chart.chartPicture();
}

host::ChartTable column(std::vector<double> values, std::vector<std::string> labels) {
  host::ChartTable table;
  for (double value : values) table.rows.push_back({value});
  table.rowLabels = std::move(labels);
  return table;
}

TEST(Chart, APieOfOneRowHasASliceForEachColumnLabelledWithTheColumn) {
  auto runtime = testsupport::makeHeadless();
  host::ChartTable oneRow;
  oneRow.rows = {{1, 2, 3}};
  oneRow.rowLabels = {"Total"};
  oneRow.columnLabels = {"North", "South", "West"};
  // The same three slices with the same legend as the pie of one column.
  EXPECT_EQ(differingPixels(pieOf(oneRow), pieOf(column({1, 2, 3}, {"North", "South", "West"}))), 0);
  EXPECT_GT(differingPixels(pieOf(oneRow), pieOf(column({1}, {"Total"}))), 100) << "not one disc of the row";
}

TEST(Chart, APieOfSeveralRowsHasASliceForEachRowSizedByItsFirstColumn) {
  auto runtime = testsupport::makeHeadless();
  EXPECT_EQ(differingPixels(pieOf(sales()), pieOf(column({3, 5, 6}, {"Jan", "Feb", "Mar"}))), 0);
}

TEST(Chart, TheCurrentDataPointIsReachedByName) {
  host::MSChart chart;
  chart.setTable(sales());
  EXPECT_EQ(chart.get("RowCount").toInteger(), 3);
  EXPECT_EQ(chart.get("ColumnCount").toInteger(), 3);
  chart.set("Row", Value(2));
  chart.set("Column", Value(2));
  EXPECT_EQ(chart.get("Data").toDouble(), 9);
  EXPECT_EQ(chart.get("RowLabel").toString(), "Feb");
  EXPECT_EQ(chart.get("ColumnLabel").toString(), "South");
  chart.set("Data", Value(7.5));
  EXPECT_EQ(chart.table().value(1, 1), 7.5);
  chart.set("RowCount", Value(4));
  chart.set("Row", Value(4));
  EXPECT_EQ(chart.get("Data").toDouble(), 0);
  EXPECT_EQ(chart.get("RowLabel").toString(), "R4");
  EXPECT_EQ(testsupport::errorNumberOf([&] { chart.set("Row", Value(5)); }), 380);
}

TEST(Chart, FormFileKeepsTheTableAndItsLabels) {
  const std::string json = R"({"Form": {"Name": "F", "Controls": [
    {"Type": "MSChart", "Name": "Sales", "ChartType": 3, "TitleText": "Sales", "ShowLegend": true,
     "ChartData": [["Jan", 3, 1], ["Feb", 5, null], [6, 5]], "ColumnLabels": ["North", "South"]}]}})";
  auto form = host::loadFormText(json);
  auto& chart = dynamic_cast<host::MSChart&>(*form->control("Sales"));
  EXPECT_EQ(chart.table().rows, (std::vector<std::vector<double>>{{3, 1}, {5, 0}, {6, 5}}));
  EXPECT_EQ(chart.table().rowLabels, (std::vector<std::string>{"Jan", "Feb", "R3"}));
  EXPECT_EQ(chart.table().columnLabel(1), "South");
  EXPECT_EQ(chart.get("ChartType").toInteger(), 3);

  auto again = host::loadFormText(host::saveFormText(*form));
  const auto& reloaded = dynamic_cast<host::MSChart&>(*again->control("Sales"));
  EXPECT_EQ(reloaded.table().rows, chart.table().rows);
  EXPECT_EQ(reloaded.table().rowLabels, chart.table().rowLabels);
  EXPECT_EQ(reloaded.table().columnLabels, chart.table().columnLabels);
  EXPECT_TRUE(reloaded.get("ShowLegend").toBool());

  try {
    (void)host::loadFormText(R"({"Form": {"Name": "F", "Controls": [
      {"Type": "MSChart", "Name": "C", "ChartData": [[1, 2], [3, "x"]]}]}})");
    FAIL() << "a text among the values was accepted";
  } catch (const host::FormFileError& error) {
    EXPECT_EQ(error.key(), "ChartData[1][1]");
  }
}

}  // namespace
