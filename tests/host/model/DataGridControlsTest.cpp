// Data-bound grids on a real SQLite database: the window of shown rows and
// how Scroll, Row and the bookmarks move through it, the columns, the form
// file's keys and everything it refuses, and a database that no record
// source can change.
#include <gtest/gtest.h>
#include <QSqlQuery>
#include <QSqlDatabase>

#include <filesystem>

#include "TestSupport.h"
#include "host/HostError.h"
#include "host/model/DataGridControls.h"
#include "host/model/FormFile.h"
#include "host/model/RecordSet.h"

namespace {

namespace fs = std::filesystem;
using host::ObjectRef;
using host::Value;
using testsupport::errorNumberOf;

class DataGridTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vellora-datagrid");
    database_ = folder_ / "orders.sqlite";
    testsupport::makeDatabase(database_, testsupport::ordersTable(30));
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A grid of the orders that shows `rows` rows below its one-line header.
  std::shared_ptr<host::DataGrid> grid(int rows = 5, const std::string& source = "orders") {
    auto g = std::make_shared<host::DataGrid>("DataGrid");
    g->bind(database_, source);
    g->set("Height", Value(60 + (rows + 1) * host::DataGrid::DefaultRowHeight));
    return g;
  }
  static std::string cell(const ObjectRef& g, int column, int shownRow) {
    const Value bookmark = g->get("RowBookmark", {Value(shownRow)});
    return g->get("Columns", {Value(column)}).toObject()->get("CellText", {bookmark}).toString();
  }

  std::shared_ptr<host::Form> load(const std::string& gridKeys) {
    const std::string text = R"({"Form": {"Name": "F", "Controls": [{"Type": "DataGrid", "Name": "G", )" + gridKeys +
                             "}]}}";
    return host::loadFormText(text, folder_, "orders.json");
  }
  // The key a form refuses, and the problem it gives.
  std::pair<std::string, std::string> refusal(const std::string& gridKeys) {
    try {
      (void)load(gridKeys);
    } catch (const host::FormFileError& error) {
      EXPECT_EQ(error.file(), "orders.json");
      EXPECT_EQ(error.place(), "Form.Controls[0]");
      return {error.key(), error.problem()};
    }
    ADD_FAILURE() << "the form loaded: " << gridKeys;
    return {};
  }

  fs::path folder_;
  fs::path database_;
  std::string saved_;
};

TEST_F(DataGridTest, TheWindowShowsVisibleRowsAndScrollMovesItUntilTheLastRecordIsFirst) {
  auto g = grid(5);
  EXPECT_EQ(g->get("VisibleRows").toLong(), 5);
  EXPECT_EQ(g->get("ApproxCount").toLong(), 30);
  EXPECT_EQ(cell(g, 1, 0), "Customer 1");
  EXPECT_EQ(cell(g, 2, 4), "7.5");

  g->set("Row", Value(4));
  g->set("Col", Value(1));
  EXPECT_EQ(g->get("Text").toString(), "Customer 5");
  EXPECT_EQ(errorNumberOf([&] { g->set("Row", Value(5)); }), host::datagrid_err::InvalidRow);
  EXPECT_EQ(errorNumberOf([&] { (void)g->get("RowBookmark", {Value(5)}); }), host::datagrid_err::InvalidRow);

  g->call("Scroll", {Value(0), Value(4)});
  EXPECT_EQ(cell(g, 1, 0), "Customer 5") << "the last shown row became the first";
  g->call("Scroll", {Value(0), Value(100)});
  EXPECT_EQ(cell(g, 1, 0), "Customer 30");
  EXPECT_EQ(errorNumberOf([&] { g->set("Row", Value(1)); }), host::datagrid_err::InvalidRow)
      << "past the records no row is shown";
  g->call("Scroll", {Value(0), Value(-100)});
  EXPECT_EQ(cell(g, 1, 0), "Customer 1");

  // The window follows the grid's height and its header.
  g->set("Height", Value(g->get("Height").toDouble() * 3));
  EXPECT_EQ(g->get("VisibleRows").toLong(), 17);
  g->set("ColumnHeaders", Value(false));
  EXPECT_EQ(g->get("VisibleRows").toLong(), 18);
  g->set("Height", Value(10));
  EXPECT_EQ(g->get("VisibleRows").toLong(), 1) << "a grid always shows its current row";
}

// A grid made too small to show its current row reads its last shown row as
// current, and keeps its own: grown again, it shows the same current record.
TEST_F(DataGridTest, AWindowTooSmallForTheCurrentRowKeepsItUntilItGrowsAgain) {
  auto g = grid(5);
  g->call("Scroll", {Value(0), Value(2)});
  g->set("Row", Value(3));
  g->set("Col", Value(1));
  const double height = g->get("Height").toDouble();

  g->set("Height", Value(60 + 3 * host::DataGrid::DefaultRowHeight));
  ASSERT_EQ(g->get("VisibleRows").toLong(), 2);
  EXPECT_EQ(g->get("Row").toLong(), 1) << "the last row shown";
  EXPECT_EQ(g->get("Text").toString(), "Customer 4");
  EXPECT_EQ(g->get("Bookmark").toLong(), 3);

  g->set("Height", Value(height));
  EXPECT_EQ(g->get("Row").toLong(), 3);
  EXPECT_EQ(g->get("Text").toString(), "Customer 6");
  EXPECT_EQ(g->get("Bookmark").toLong(), 5);
  EXPECT_EQ(g->get("FirstRow").toLong(), 2);
}

TEST_F(DataGridTest, TheBlankRowForNewEntriesFollowsTheLastRecord) {
  auto g = grid(5);
  g->call("Scroll", {Value(0), Value(28)});
  EXPECT_EQ(errorNumberOf([&] { g->set("Row", Value(2)); }), host::datagrid_err::InvalidRow);
  g->set("AllowAddNew", Value(true));
  g->set("Row", Value(2));
  for (int c = 0; c < 3; ++c) {
    g->set("Col", Value(c));
    EXPECT_EQ(g->get("Text").toString(), "");
  }
  EXPECT_EQ(cell(g, 1, 2), "");
  EXPECT_EQ(errorNumberOf([&] { g->set("Row", Value(3)); }), host::datagrid_err::InvalidRow);
}

TEST_F(DataGridTest, ColumnsAreOnePerFieldFromZeroUnlessGiven) {
  auto g = grid(5, "SELECT customer AS who, total FROM orders WHERE id > 10 ORDER BY id DESC");
  const ObjectRef columns = g->get("Columns").toObject();
  ASSERT_EQ(columns->get("Count").toLong(), 2);
  EXPECT_EQ(g->get("Columns", {Value(0)}).toObject()->get("Caption").toString(), "who");
  EXPECT_EQ(columns->get("Item", {Value(1)}).toObject()->get("DataField").toString(), "total");
  EXPECT_EQ(errorNumberOf([&] { (void)g->get("Columns", {Value(2)}); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(g->get("ApproxCount").toLong(), 20);
  EXPECT_EQ(cell(g, 0, 0), "Customer 30");
  const ObjectRef total = g->get("Columns", {Value(1)}).toObject();
  EXPECT_EQ(errorNumberOf([&] { total->set("DataField", Value("nothing")); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(errorNumberOf([&] { (void)total->get("CellText", {Value(99)}); }), host::datagrid_err::InvalidBookmark);
  EXPECT_EQ(errorNumberOf([&] { g->set("Text", Value("x")); }), host::datagrid_err::ReadOnlyData);
}

TEST_F(DataGridTest, AFormFileBindsTheGridAndSavesWhatItWasGiven) {
  const std::string keys = R"("Left": 240, "Top": 3000, "Width": 9000, "Height": 2400,
    "Database": "orders.sqlite", "RecordSource": "SELECT id, customer, total FROM orders ORDER BY id",
    "AllowAddNew": true, "ColumnHeaders": true, "HeadLines": 1, "RowHeight": 255, "RowDividerStyle": 2,
    "HeadFont": {"Name": "Arial", "Size": 9, "Bold": true}, "Font": {"Name": "Arial", "Size": 9},
    "Columns": [{"DataField": "id", "Caption": "Order", "Width": 900, "Alignment": 1},
                {"DataField": "customer", "Caption": "Customer", "Width": 3000},
                {"DataField": "total", "Caption": "Total", "Width": 1200, "Alignment": 1, "DividerStyle": 0}])";
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const auto form = round == 0 ? load(keys) : host::loadFormText(saved_, folder_, "orders.json");
    const ObjectRef g = form->control("G");
    EXPECT_EQ(g->get("ApproxCount").toLong(), 30);
    EXPECT_EQ(g->get("VisibleRows").toLong(), 8);
    EXPECT_TRUE(g->get("AllowAddNew").toBool());
    EXPECT_TRUE(g->get("HeadFont").toObject()->get("Bold").toBool());
    const ObjectRef total = g->get("Columns", {Value(2)}).toObject();
    EXPECT_EQ(total->get("Caption").toString(), "Total");
    EXPECT_EQ(total->get("Width").toDouble(), 1200);
    EXPECT_EQ(total->get("Alignment").toLong(), 1);
    EXPECT_EQ(total->get("DividerStyle").toLong(), 0);
    EXPECT_EQ(cell(g, 0, 7), "8");
    saved_ = host::saveFormText(*form, folder_);
    EXPECT_NE(saved_.find(R"("Database": "orders.sqlite")"), std::string::npos) << saved_;
  }
}

TEST_F(DataGridTest, WhatTheGridCannotShowIsRefusedAtItsKey) {
  testsupport::makeDatabase(folder_ / "other.sqlite", testsupport::ordersTable(3, "other"));
  std::ofstream(folder_ / "notes.txt") << "these are notes, not a database\n";
  const auto source = [](const std::string& sql) {
    return R"("Database": "orders.sqlite", "RecordSource": ")" + sql + "\"";
  };
  const struct {
    std::string keys, key, problem;
  } cases[] = {
      {R"("Database": "missing.sqlite", "RecordSource": "orders")", "Database", "no such database file"},
      {R"("Database": "notes.txt", "RecordSource": "orders")", "Database", "is not an SQLite database"},
      {source("invoices"), "RecordSource", "no such table: invoices"},
      {source("SELECT id, price FROM orders"), "RecordSource", "no such column: price"},
      {source("SELECT id FROM orders WHERE"), "RecordSource", "syntax error"},
      {source("UPDATE orders SET total = 0"), "RecordSource", "must be a table name or a SELECT statement"},
      {source("DELETE FROM orders"), "RecordSource", "must be a table name or a SELECT statement"},
      {source("ATTACH 'other.sqlite' AS o"), "RecordSource", "must be a table name or a SELECT statement"},
      {source("SELECT 1); DELETE FROM orders; --"), "RecordSource", ""},
      {source("WITH gone AS (SELECT 1) DELETE FROM orders"), "RecordSource", "syntax error"},
      {R"("RecordSource": "orders")", "RecordSource", "needs a \"Database\""},
      {source("orders") + R"(, "Columns": [{"DataField": "price"}])", "Columns[0].DataField",
       "names no field of the record source: \"price\" (its fields: id, customer, total)"},
      {source("orders") + R"(, "Columns": [{"DataField": "id", "Colour": 3}])", "Columns[0].Colour",
       "is not a property of a column"},
      {source("orders") + R"(, "Columns": [{"DataField": "id", "Alignment": 7}])", "Columns[0].Alignment",
       "Invalid property value"},
      {source("orders") + R"(, "HeadFont": {"Size": "big"})", "HeadFont.Size", "must be a number"},
  };
  const std::string before = testsupport::fileBytes(database_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    const auto [key, problem] = refusal(c.keys);
    EXPECT_EQ(key, c.key);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
  EXPECT_EQ(testsupport::fileBytes(database_), before) << "no record source may change the database";
  EXPECT_EQ(host::DataGrid("DataGrid").get("ApproxCount").toLong(), 0) << "an unbound grid shows nothing";
}

TEST_F(DataGridTest, ADatabaseLockedByAnotherProgramIsSaidToBeSo) {
  const std::filesystem::path file = folder_ / "locked.sqlite";
  testsupport::makeDatabase(file, testsupport::ordersTable(3));
  // Another writer holds the database exclusively for as long as the grid waits.
  {
    QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-writer"));
    writer.setDatabaseName(QString::fromStdString(file.string()));
    ASSERT_TRUE(writer.open());
    QSqlQuery lock(writer);
    ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    try {
      (void)host::RecordSet::open(file, "orders");
      ADD_FAILURE() << "a locked database was opened";
    } catch (const host::RecordSetError& error) {
      EXPECT_NE(error.problem.find("is locked by another program: " + file.string()), std::string::npos)
          << error.problem;
    }
    lock.exec(QStringLiteral("ROLLBACK"));
    writer.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("other-writer"));
}

TEST_F(DataGridTest, ARecordSetReadsOnlyForwardInBlocksUntilItMustStepBack) {
  testsupport::makeDatabase(folder_ / "long.sqlite", testsupport::ordersTable(5000));
  auto records = host::RecordSet::open(folder_ / "long.sqlite", "orders");
  ASSERT_EQ(records->count(), 5000);
  for (std::int64_t r = 0; r < records->count(); ++r) ASSERT_EQ(records->text(r, 0), std::to_string(r + 1));
  EXPECT_EQ(records->runs(), 1) << "reading in order runs the query once";
  EXPECT_EQ(records->text(4900, 1), "Customer 4901") << "a recent block is kept";
  EXPECT_EQ(records->runs(), 1);
  EXPECT_EQ(records->text(10, 2), "16.5");
  EXPECT_EQ(records->runs(), 2) << "stepping back past the kept blocks runs it again";
  EXPECT_EQ(host::RecordSet::queryOf(" SELECT 1; \n"), "SELECT * FROM (SELECT 1\n)");
}

// Whether the guard refuses a record source, and for its record source.
bool refusedAsRecordSource(const std::string& source) {
  try {
    (void)host::RecordSet::queryOf(source);
  } catch (const host::RecordSetError& error) {
    return error.cause == host::RecordSetError::Cause::RecordSource && !error.problem.empty();
  }
  return false;
}

TEST(RecordSourceGuard, ASelectThatWouldEndBeforeItsTextIsRefused) {
  // Each of these once passed as one SELECT, and closed the wrapping
  // subquery early so that another statement could follow.
  for (const std::string& source :
       {std::string("SELECT 1); DELETE FROM orders; SELECT (1"), std::string("SELECT 1);)"),
        std::string("SELECT 1) UNION SELECT (2"), std::string("SELECT 'open"), std::string("SELECT \"open"),
        std::string("SELECT 1 /* open"), std::string("SELECT (1"), std::string("SELECT 1; SELECT 2"),
        std::string("SELECT 1\0); DROP TABLE orders; --", 34)})
    EXPECT_TRUE(refusedAsRecordSource(source)) << source;
  // Separators and parentheses inside quotes and comments are text.
  for (const std::string& source :
       {std::string("SELECT ';' AS semi, \"a)\" FROM t -- ; )"), std::string("SELECT [x;y], `b)` FROM t /* ; ) */"),
        std::string("SELECT 'it''s;' FROM t"), std::string("WITH a(x) AS (SELECT (1)) SELECT x FROM a;")})
    EXPECT_FALSE(refusedAsRecordSource(source)) << source;
  EXPECT_EQ(host::RecordSet::queryOf("SELECT 'a;b' FROM t -- end"), "SELECT * FROM (SELECT 'a;b' FROM t -- end\n)");
}

TEST_F(DataGridTest, ARecordSetOfFewerRecordsThanItCountedEndsWhereTheyEnd) {
  testsupport::makeDatabase(folder_ / "long.sqlite", testsupport::ordersTable(3000));
  for (int run = 0; run < 5; ++run) {
    auto records = host::RecordSet::open(folder_ / "long.sqlite", "SELECT id FROM orders WHERE random() % 2 = 0");
    const std::int64_t counted = records->count();
    std::int64_t read = 0;
    for (std::int64_t r = 0; r < records->count(); ++r)
      if (!records->text(r, 0).empty()) ++read;
    EXPECT_LE(records->count(), counted);
    EXPECT_EQ(records->count(), read) << "counted " << counted;
    EXPECT_EQ(records->text(counted + 10, 0), "") << "a record past the end reads as nothing";
    EXPECT_EQ(records->text(0, 7), "") << "so does a field it does not have";
  }
}

TEST_F(DataGridTest, AnEndlessQueryOpensAtOnceAndIsCountedAsItIsRead) {
  const std::string endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c";
  auto records = host::RecordSet::open(database_, endless);
  EXPECT_FALSE(records->countComplete());
  const std::int64_t counted = records->count();
  EXPECT_GT(counted, 0);
  // Reading on past what was counted finds more, and counts them.
  const std::int64_t far = counted + 1000;
  for (std::int64_t r = counted - 5; r <= far; ++r) ASSERT_EQ(records->text(r, 0), std::to_string(r + 1));
  EXPECT_GT(records->count(), far);
  EXPECT_FALSE(records->countComplete());

  // One that ends past the count at open ends where it ends.
  const std::string long_ =
      "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100300) SELECT x FROM c";
  auto ending = host::RecordSet::open(database_, long_);
  for (std::int64_t r = 0; r < 100400 && r < ending->count(); ++r) ASSERT_FALSE(ending->text(r, 0).empty()) << r;
  EXPECT_TRUE(ending->countComplete());
  EXPECT_EQ(ending->count(), 100300);
}

TEST_F(DataGridTest, AValueLongerThanAQueryMayMakeIsAnErrorOfTheJobNotAllTheMemory) {
  // Refused where the value is made: when the query is counted, or read.
  std::string problem;
  try {
    auto records = host::RecordSet::open(database_, "SELECT randomblob(900000000) AS b");
    (void)records->text(0, 0);
  } catch (const host::RecordSetError& error) {
    problem = error.problem;
  } catch (const host::HostError& error) {
    problem = error.what();
  }
  EXPECT_NE(problem.find("too big"), std::string::npos) << problem;
}

}  // namespace
