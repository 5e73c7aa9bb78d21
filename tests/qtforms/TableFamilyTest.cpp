// Live table views as flex grids and data grids: what the renderers read
// from a QTableWidget, a QTableView and an SQL query model, that the view is
// never moved, and what prints.
#include <QHeaderView>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/QtFont.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

using host::Value;
using qtforms::LiveForm;
using qtforms::Writes;

std::string cellName(int row, int col) {
  char text[16];
  std::snprintf(text, sizeof text, "R%04dC%d", row, col);
  return text;
}

// A form holding a table widget of `rows` x 3 cells named R0000C0 ..., headers Alpha, Beta, Gamma.
struct TableForm {
  explicit TableForm(int rows = 3) {
    form.resize(700, 500);
    table = new QTableWidget(rows, 3, &form);
    table->setObjectName("Orders");
    table->setGeometry(10, 10, 420, 300);
    table->setHorizontalHeaderLabels({"Alpha", "Beta", "Gamma"});
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < 3; ++c) table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(cellName(r, c))));
  }
  host::ObjectRef grid(Writes writes = Writes::KeptByAdapter) {
    live = LiveForm::adapt(form, writes);
    return live->adapterOf(*table);
  }
  QWidget form;
  QTableWidget* table;
  std::shared_ptr<LiveForm> live;
};

Value at(int i) { return Value(static_cast<std::int32_t>(i)); }
std::string text(const host::ObjectRef& grid, int row, int col) {
  return grid->get("TextMatrix", {at(row), at(col)}).toString();
}

TEST(TableFamily, ATableWidgetIsAFlexGridWithItsHeadersAsTheFixedRowAndColumn) {
  TableForm t;
  const host::ObjectRef grid = t.grid();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->typeName(), "MSFlexGrid");
  EXPECT_EQ(grid->get("Rows").toLong(), 4);
  EXPECT_EQ(grid->get("Cols").toLong(), 4);
  EXPECT_EQ(grid->get("FixedRows").toLong(), 1);
  EXPECT_EQ(grid->get("FixedCols").toLong(), 1);
  EXPECT_EQ(text(grid, 0, 0), "");
  EXPECT_EQ(text(grid, 0, 2), "Beta");
  EXPECT_EQ(text(grid, 2, 0), "2") << "the row header's number";
  EXPECT_EQ(text(grid, 2, 3), "R0001C2");
  EXPECT_EQ(grid->get("ColWidth", {at(1)}).toLong(), t.table->columnWidth(0) * 15);
  EXPECT_EQ(grid->get("RowHeight", {at(1)}).toLong(), t.table->rowHeight(0) * 15);
  EXPECT_GT(grid->get("RowHeight", {at(0)}).toLong(), 0) << "the header row";
  EXPECT_GT(grid->get("ColWidth", {at(0)}).toLong(), 0) << "the row-title column";
  EXPECT_EQ(testsupport::errorNumberOf([&] { (void)text(grid, 4, 0); }), host::err::InvalidPropertyArrayIndex);
  EXPECT_EQ(testsupport::errorNumberOf([&] { grid->set("Row", at(-1)); }), host::err::InvalidPropertyArrayIndex);
}

TEST(TableFamily, TheGridFollowsTheViewsOrderHiddenPartsAndHeaders) {
  TableForm t(4);
  t.table->horizontalHeader()->moveSection(2, 0);  // Gamma first
  t.table->setColumnHidden(1, true);
  t.table->setRowHidden(2, true);
  t.table->verticalHeader()->hide();
  const host::ObjectRef grid = t.grid();
  EXPECT_EQ(grid->get("FixedCols").toLong(), 0) << "a hidden row header is no fixed column";
  EXPECT_EQ(text(grid, 0, 0), "Gamma");
  EXPECT_EQ(text(grid, 1, 0), "R0000C2");
  EXPECT_EQ(text(grid, 1, 1), "R0000C0");
  EXPECT_EQ(grid->get("ColWidth", {at(2)}).toLong(), 0) << "the hidden column Beta";
  EXPECT_EQ(grid->get("RowHeight", {at(3)}).toLong(), 0) << "the hidden third row";
  EXPECT_GT(grid->get("RowHeight", {at(4)}).toLong(), 0);
  t.table->horizontalHeader()->hide();
  EXPECT_EQ(grid->get("FixedRows").toLong(), 0);
  EXPECT_EQ(text(grid, 0, 0), "R0000C2") << "the adapter reads the live view";
}

TEST(TableFamily, CellsAnswerTheirRolesAsTheGridsCellProperties) {
  TableForm t;
  QTableWidgetItem* item = t.table->item(0, 1);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  item->setBackground(QColor(255, 0, 0));
  item->setForeground(QColor(0, 0, 0));
  QFont bold = t.table->font();
  bold.setBold(true);
  item->setFont(bold);
  QPixmap swatch(8, 8);
  swatch.fill(Qt::blue);
  item->setIcon(QIcon(swatch));
  auto* number = new QTableWidgetItem;
  number->setData(Qt::DisplayRole, 1234.5);
  t.table->setItem(1, 0, number);
  const host::ObjectRef grid = t.grid();

  grid->set("Row", at(1));
  grid->set("Col", at(2));
  EXPECT_EQ(grid->get("CellAlignment").toLong(), 7) << "right, centred down";
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 255) << "red in the low byte";
  EXPECT_NE(grid->get("CellForeColor").toLong(), 0) << "a black of its own is not the grid's colour";
  EXPECT_TRUE(grid->get("CellFontBold").toBool());
  EXPECT_NE(grid->get("CellPicture").toLong(), 0);

  grid->set("Col", at(3));
  EXPECT_EQ(grid->get("CellAlignment").toLong(), 1) << "Qt's default: left, centred down";
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0) << "the grid's own colour";
  EXPECT_FALSE(grid->get("CellFontBold").toBool());
  EXPECT_EQ(grid->get("CellPicture").toLong(), 0);
  EXPECT_EQ(grid->get("CellFontName").toString(), host::fromQFont(t.table->font()).name());

  grid->set("Row", at(0));
  EXPECT_EQ(grid->get("CellAlignment").toLong(), 4) << "headers are centred";
  EXPECT_EQ(text(grid, 2, 1), t.table->locale().toString(1234.5).toStdString()) << "numbers as the view shows them";

  item->setBackground(QColor(0, 0, 255));
  grid->set("Row", at(1));
  grid->set("Col", at(2));
  EXPECT_EQ(grid->get("CellBackColor").toLong(), 0xFF0000) << "a change of the model is seen at once";
}

TEST(TableFamily, ASpanPrintsItsTextInItsFirstCellAndLeavesTheCoveredCellsBlank) {
  TableForm t;
  t.table->setSpan(0, 0, 2, 2);
  const host::ObjectRef grid = t.grid();
  EXPECT_EQ(text(grid, 1, 1), "R0000C0");
  EXPECT_EQ(text(grid, 1, 2), "");
  EXPECT_EQ(text(grid, 2, 1), "");
  EXPECT_EQ(text(grid, 2, 2), "");
  EXPECT_EQ(text(grid, 1, 3), "R0000C2");
}

TEST(TableFamily, TheGridsCurrentCellAndScrollAreItsOwnNeverTheViews) {
  TableForm t(200);
  t.form.show();
  t.table->setCurrentCell(5, 1);
  t.table->verticalScrollBar()->setValue(3);
  const auto before = qtformstest::stateOf(t.form);
  const host::ObjectRef grid = t.grid();
  EXPECT_EQ(grid->get("Row").toLong(), 6);
  EXPECT_EQ(grid->get("Col").toLong(), 2);
  EXPECT_EQ(grid->get("TopRow").toLong(), 4);
  grid->set("Row", at(150));
  grid->set("Col", at(3));
  grid->set("TopRow", at(120));
  grid->set("LeftCol", at(2));
  grid->set("ColWidth", Value(9000), {at(1)});
  grid->set("Width", Value(1500));
  EXPECT_EQ(grid->get("Row").toLong(), 150);
  EXPECT_EQ(grid->get("ColWidth", {at(1)}).toLong(), 9000) << "a print job's width is kept on the adapter";
  EXPECT_EQ(qtformstest::stateOf(t.form), before);
}

TEST(TableFamily, TheResizersWritesResizeTheViewsSections) {
  TableForm t;
  const host::ObjectRef grid = t.grid(Writes::ToWidgets);
  grid->set("ColWidth", Value(3000), {at(2)});
  EXPECT_EQ(t.table->columnWidth(1), 200);
  EXPECT_EQ(grid->get("ColWidth", {at(2)}).toLong(), 3000);
  grid->set("ColWidth", Value(1500), {at(-1)});
  EXPECT_EQ(t.table->columnWidth(0), 100);
  EXPECT_EQ(t.table->columnWidth(2), 100);
  host::getObject(*grid, "Font")->set("Size", Value(12.0));
  EXPECT_DOUBLE_EQ(t.table->font().pointSizeF(), 12.0);
}

TEST(TableFamily, AViewOnAnyModelIsAFlexGrid) {
  QWidget form;
  QStandardItemModel model(2, 2);
  model.setItem(1, 1, new QStandardItem("deep"));
  model.setHorizontalHeaderLabels({"One", "Two"});
  auto* view = new QTableView(&form);
  view->setModel(&model);
  view->setGeometry(0, 0, 300, 200);
  auto* empty = new QTableView(&form);
  empty->setGeometry(0, 210, 300, 100);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  const host::ObjectRef grid = live->adapterOf(*view);
  ASSERT_TRUE(grid);
  EXPECT_EQ(text(grid, 2, 2), "deep");
  EXPECT_EQ(text(grid, 0, 1), "One");
  const host::ObjectRef none = live->adapterOf(*empty);
  ASSERT_TRUE(none) << "a view without a model";
  EXPECT_EQ(none->get("Rows").toLong(), 1);
  EXPECT_EQ(none->get("Cols").toLong(), 1);
}

// --- data grids over SQL ---------------------------------------------------------

// An in-memory SQLite database of `rows` orders (id, customer "Customer 0001", amount).
class SqlOrders {
 public:
  explicit SqlOrders(int rows) : name_("orders" + QString::number(++made_)) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
    db.setDatabaseName(":memory:");
    if (!db.open()) throw std::runtime_error("no SQLite");
    QSqlQuery query(db);
    query.exec("CREATE TABLE orders (id INTEGER PRIMARY KEY, customer TEXT, amount INTEGER)");
    db.transaction();
    query.prepare("INSERT INTO orders VALUES (?, ?, ?)");
    for (int i = 1; i <= rows; ++i) {
      query.addBindValue(i);
      query.addBindValue(QString::asprintf("Customer %04d", i));
      query.addBindValue(i * 10);
      query.exec();
    }
    db.commit();
  }
  SqlOrders(const SqlOrders&) = delete;
  SqlOrders& operator=(const SqlOrders&) = delete;
  ~SqlOrders() { QSqlDatabase::removeDatabase(name_); }
  [[nodiscard]] QSqlDatabase db() const { return QSqlDatabase::database(name_); }

 private:
  static inline int made_ = 0;
  QString name_;
};

struct SqlForm {
  SqlForm(SqlOrders& orders, const QString& sql) {
    model.setQuery(sql, orders.db());
    view = new QTableView(&form);
    view->setModel(&model);
    view->setGeometry(10, 10, 400, 200);
    view->setColumnWidth(0, 180);  // room for a customer's name on one line
    form.resize(600, 400);
  }
  host::ObjectRef grid() {
    live = LiveForm::adapt(form, Writes::KeptByAdapter);
    return live->adapterOf(*view);
  }
  QSqlQueryModel model;
  QWidget form;  // after the model: the view goes before its model
  QTableView* view;
  std::shared_ptr<LiveForm> live;
};

std::string shownText(const host::ObjectRef& grid, int c) {
  grid->set("Col", at(c));
  return grid->get("Text").toString();
}

TEST(TableFamily, AViewOnAnSqlQueryIsADataGridThatReadsEveryRecordWithoutMakingTheModelFetch) {
  SqlOrders orders(1000);
  SqlForm sql(orders, "SELECT customer, amount FROM orders ORDER BY id");
  ASSERT_TRUE(sql.model.canFetchMore()) << "more rows than one fetch";
  const int loaded = sql.model.rowCount();
  const host::ObjectRef grid = sql.grid();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->typeName(), "DataGrid");
  EXPECT_EQ(grid->get("ApproxCount").toDouble(), 1000);
  const host::ObjectRef columns = host::getObject(*grid, "Columns");
  EXPECT_EQ(columns->get("Count").toLong(), 2);
  const host::ObjectRef amount = grid->get("Columns", {at(1)}).toObject();
  EXPECT_EQ(amount->get("Caption").toString(), "amount");
  EXPECT_EQ(amount->get("Width").toDouble(), sql.view->columnWidth(1) * 15);
  EXPECT_TRUE(grid->get("ColumnHeaders").toBool());

  // Page through every record as the renderer does, a window at a time.
  const int window = grid->get("VisibleRows").toLong();
  ASSERT_GE(window, 2);
  int record = 0;
  for (bool more = true; more;) {
    for (int r = 0; r < window && record < 1000; ++r, ++record) {
      grid->set("Row", at(r));
      ASSERT_EQ(shownText(grid, 0), QString::asprintf("Customer %04d", record + 1).toStdString());
      ASSERT_EQ(shownText(grid, 1), sql.view->locale().toString((record + 1) * 10).toStdString());
    }
    more = record < 1000;
    if (more) grid->call("Scroll", {Value(0), Value(window)});
  }
  EXPECT_EQ(grid->get("RowBookmark", {at(0)}).toDouble(), 1000 - window);
  EXPECT_EQ(testsupport::errorNumberOf([&] { grid->set("Row", at(window)); }), 6148) << "past the last record";
  grid->call("Scroll", {Value(0), Value(-5000)});
  grid->set("Row", at(0));
  EXPECT_EQ(shownText(grid, 0), "Customer 0001") << "back at the top after the records past one fetch";
  EXPECT_EQ(sql.model.rowCount(), loaded) << "the live model fetched nothing";
  grid->set("Height", Value(sql.view->height() * 45));
  EXPECT_GT(grid->get("VisibleRows").toLong(), window) << "a taller grid shows more rows";
  EXPECT_EQ(sql.view->height(), 200) << "on the adapter's side only";
}

TEST(TableFamily, ATableModelsUnwrittenEditsPrintAsTheViewShowsThem) {
  SqlOrders orders(300);
  QWidget form;
  QSqlTableModel model(nullptr, orders.db());
  model.setTable("orders");
  model.setEditStrategy(QSqlTableModel::OnManualSubmit);
  model.select();
  model.setData(model.index(0, 1), "Edited");
  auto* view = new QTableView(&form);
  view->setModel(&model);
  view->setGeometry(0, 0, 400, 200);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  const host::ObjectRef grid = live->adapterOf(*view);
  EXPECT_EQ(grid->get("ApproxCount").toDouble(), 300);
  grid->set("Row", at(0));
  EXPECT_EQ(shownText(grid, 1), "Edited");
  grid->call("Scroll", {Value(0), Value(280)});
  grid->set("Row", at(0));
  EXPECT_EQ(shownText(grid, 1), "Customer 0281");
}

// --- printed -------------------------------------------------------------------------

class TablePrint : public ::testing::Test {
 protected:
  std::filesystem::path folder = testsupport::makeTempDir("tableprint");
  std::filesystem::path pdf = folder / "table.pdf";
  void TearDown() override { std::filesystem::remove_all(folder); }

  // Every page's text, and checks that each of `names` prints exactly once, in order.
  std::vector<std::string> printed(QWidget& form) {
    qtforms::LivePrint job(form);
    job.control().setToPage(0);
    EXPECT_TRUE(job.printToPdf(pdf));
    std::vector<std::string> pages;
    for (int page = 1; page <= qtformstest::pageCount(pdf); ++page) pages.push_back(qtformstest::pageText(pdf, page));
    return pages;
  }
  static void expectEachOnceInOrder(const std::vector<std::string>& pages, const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& page : pages) all += page;
    std::size_t previous = 0;
    for (const std::string& name : names) {
      const std::size_t found = all.find(name);
      ASSERT_NE(found, std::string::npos) << name << " is missing from:\n" << all.substr(0, 600);
      EXPECT_EQ(all.find(name, found + 1), std::string::npos) << name << " printed twice";
      EXPECT_GE(found, previous) << name << " out of order";
      previous = found;
    }
  }
};

TEST_F(TablePrint, ALongTablePrintsEveryRowOnceInOrderWithItsHeaderOnEveryPage) {
  TableForm t(300);
  const std::vector<std::string> pages = printed(t.form);
  ASSERT_GT(pages.size(), 2u);
  std::vector<std::string> names;
  for (int r = 0; r < 300; ++r) names.push_back(cellName(r, 0));
  expectEachOnceInOrder(pages, names);
  for (std::size_t page = 0; page < pages.size(); ++page)
    EXPECT_NE(pages[page].find("Gamma"), std::string::npos) << "the header on page " << page + 1;
}

TEST_F(TablePrint, ALongQueryPrintsEveryRecordOnceInOrderAndTheModelFetchesNothing) {
  SqlOrders orders(700);
  SqlForm sql(orders, "SELECT customer, amount FROM orders ORDER BY id");
  const int loaded = sql.model.rowCount();
  const std::vector<std::string> pages = printed(sql.form);
  ASSERT_GT(pages.size(), 2u);
  std::vector<std::string> names;
  for (int i = 1; i <= 700; ++i) names.push_back(QString::asprintf("Customer %04d", i).toStdString());
  expectEachOnceInOrder(pages, names);
  for (std::size_t page = 0; page < pages.size(); ++page)
    EXPECT_NE(pages[page].find("customer"), std::string::npos) << "the header on page " << page + 1;
  EXPECT_EQ(sql.model.rowCount(), loaded);
}

TEST_F(TablePrint, PrintPreviewAndAStoppedJobLeaveTheTablesAsTheyWere) {
  TableForm t(300);
  SqlOrders orders(600);
  QSqlQueryModel model;
  model.setQuery("SELECT customer, amount FROM orders", orders.db());
  auto* sqlView = new QTableView(&t.form);
  sqlView->setModel(&model);
  sqlView->setGeometry(440, 10, 250, 120);
  t.form.show();
  t.table->setCurrentCell(40, 2);
  t.table->verticalScrollBar()->setValue(30);
  t.table->horizontalHeader()->resizeSection(1, 130);
  sqlView->setCurrentIndex(model.index(3, 1));
  sqlView->verticalScrollBar()->setValue(2);
  const auto before = qtformstest::stateOf(t.form);

  qtforms::LivePrint job(t.form);
  job.control().setToPage(0);
  ASSERT_TRUE(job.printToPdf(pdf));
  EXPECT_EQ(qtformstest::stateOf(t.form), before) << "after a print";
  ASSERT_TRUE(job.preview());
  EXPECT_EQ(qtformstest::stateOf(t.form), before) << "after a preview";
  job.control().events().Page = [&](std::int32_t& page) {
    if (page == 2) job.stopPrint();
  };
  EXPECT_FALSE(job.printToPdf(pdf));
  EXPECT_EQ(qtformstest::stateOf(t.form), before) << "after a stopped job";
}

}  // namespace
