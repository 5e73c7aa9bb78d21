// Live tree and list views as list views and list boxes: the items, columns
// and selections the renderers read, the resizer's column writes, and what
// prints.
#include <QHeaderView>
#include <QListView>
#include <QListWidget>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"
#include "qtforms/QtFormsTestSupport.h"

namespace {

using host::ObjectRef;
using host::Value;
using qtforms::LiveForm;
using qtforms::Writes;

Value at(int i) { return Value(static_cast<std::int32_t>(i)); }

// A tree of `groups` top-level rows "Group N" (Name, Size, Owner), each with two children.
struct TreeForm {
  explicit TreeForm(int groups = 3) {
    form.resize(600, 400);
    tree = new QTreeWidget(&form);
    tree->setGeometry(10, 10, 400, 250);
    tree->setHeaderLabels({"Name", "Size", "Owner"});
    for (int g = 1; g <= groups; ++g) {
      auto* group = new QTreeWidgetItem(tree, {QString("Group %1").arg(g), QString::number(g * 100), "ada"});
      new QTreeWidgetItem(group, {QString("Child %1.1").arg(g), "1", "bob"});
      new QTreeWidgetItem(group, {QString("Child %1.2").arg(g), "2", "eve"});
    }
  }
  ObjectRef list(Writes writes = Writes::KeptByAdapter) {
    live = LiveForm::adapt(form, writes);
    return live->adapterOf(*tree);
  }
  QWidget form;
  QTreeWidget* tree;
  std::shared_ptr<LiveForm> live;
};

ObjectRef item(const ObjectRef& list, int i) {
  return host::getObject(*list, "ListItems")->get("Item", {at(i)}).toObject();
}
ObjectRef header(const ObjectRef& list, int j) {
  return host::getObject(*list, "ColumnHeaders")->get("Item", {at(j)}).toObject();
}

TEST(ListFamily, ATreeIsAListViewOfItsShownRowsExpandedChildrenIndented) {
  TreeForm t;
  t.tree->expandItem(t.tree->topLevelItem(1));
  const ObjectRef list = t.list();
  ASSERT_TRUE(list);
  EXPECT_EQ(list->typeName(), "ListView");
  const ObjectRef items = host::getObject(*list, "ListItems");
  ASSERT_EQ(items->get("Count").toLong(), 5) << "three groups and the two children of the expanded one";
  EXPECT_EQ(item(list, 1)->get("Text").toString(), "Group 1");
  EXPECT_EQ(item(list, 2)->get("Text").toString(), "Group 2");
  EXPECT_EQ(item(list, 3)->get("Text").toString(), "    Child 2.1");
  EXPECT_EQ(item(list, 3)->get("SubItems", {at(2)}).toString(), "bob");
  EXPECT_EQ(item(list, 5)->get("Text").toString(), "Group 3");
  EXPECT_EQ(item(list, 5)->get("SubItems", {at(1)}).toString(), "300");
  EXPECT_EQ(testsupport::errorNumberOf([&] { (void)item(list, 5)->get("SubItems", {at(3)}); }),
            host::err::InvalidPropertyArrayIndex);
  EXPECT_EQ(testsupport::errorNumberOf([&] { (void)item(list, 6); }), host::err::SubscriptOutOfRange);

  t.tree->collapseItem(t.tree->topLevelItem(1));
  t.tree->topLevelItem(0)->setHidden(true);
  EXPECT_EQ(items->get("Count").toLong(), 2) << "the adapter follows the live tree";
  EXPECT_EQ(item(list, 1)->get("Text").toString(), "Group 2");
}

TEST(ListFamily, TheColumnsAreTheHeadersShownSectionsInTheOrderShown) {
  TreeForm t;
  t.tree->header()->resizeSection(0, 180);
  t.tree->header()->moveSection(2, 1);  // Name, Owner, Size
  t.tree->setColumnHidden(1, true);     // Size
  t.tree->topLevelItem(0)->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  const ObjectRef list = t.list();
  ASSERT_EQ(host::getObject(*list, "ColumnHeaders")->get("Count").toLong(), 2);
  EXPECT_EQ(header(list, 1)->get("Text").toString(), "Name");
  EXPECT_EQ(header(list, 1)->get("Width").toDouble(), 180 * 15);
  EXPECT_EQ(header(list, 2)->get("Text").toString(), "Owner");
  EXPECT_EQ(header(list, 2)->get("Alignment").toInteger(), 1) << "right, as its first row shows it";
  EXPECT_EQ(item(list, 1)->get("SubItems", {at(1)}).toString(), "ada");
  EXPECT_FALSE(list->get("HideColumnHeaders").toBool());
  t.tree->setHeaderHidden(true);
  EXPECT_TRUE(list->get("HideColumnHeaders").toBool());
}

TEST(ListFamily, ColumnWidthWritesAreKeptInAPrintJobAndResizeTheSectionsForTheResizer) {
  TreeForm t;
  const int width = t.tree->header()->sectionSize(1);
  const ObjectRef kept = t.list();
  header(kept, 2)->set("Width", Value(6000));
  EXPECT_EQ(header(kept, 2)->get("Width").toDouble(), 6000) << "the column objects share the kept width";
  EXPECT_EQ(t.tree->header()->sectionSize(1), width);

  const ObjectRef resized = t.list(Writes::ToWidgets);
  header(resized, 2)->set("Width", Value(3000));
  EXPECT_EQ(t.tree->header()->sectionSize(1), 200);
}

TEST(ListFamily, AListViewOfSeveralModelColumnsIsAListViewOfThoseColumns) {
  QWidget form;
  QStandardItemModel model(2, 2);
  model.setHorizontalHeaderLabels({"Code", "Name"});
  model.setItem(0, 0, new QStandardItem("A1"));
  model.setItem(0, 1, new QStandardItem("Apples"));
  auto* view = new QListView(&form);
  view->setModel(&model);
  view->setGeometry(0, 0, 300, 200);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  const ObjectRef list = live->adapterOf(*view);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->typeName(), "ListView");
  EXPECT_EQ(header(list, 2)->get("Text").toString(), "Name");
  EXPECT_EQ(item(list, 1)->get("SubItems", {at(1)}).toString(), "Apples");
  EXPECT_GT(header(list, 1)->get("Width").toDouble(), 0);
}

// --- list boxes ----------------------------------------------------------------------

struct ListForm {
  ListForm() {
    form.resize(400, 300);
    list = new QListWidget(&form);
    list->setGeometry(10, 10, 200, 150);
    list->addItems({"Red", "Green", "Blue", "Cyan"});
  }
  ObjectRef box() {
    live = LiveForm::adapt(form, Writes::KeptByAdapter);
    return live->adapterOf(*list);
  }
  QWidget form;
  QListWidget* list;
  std::shared_ptr<LiveForm> live;
};

TEST(ListFamily, AListWidgetIsAListBoxOfItsShownItemsAndItsSelection) {
  ListForm l;
  l.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  l.list->item(1)->setHidden(true);
  l.list->item(2)->setSelected(true);
  l.list->setCurrentRow(2);
  const ObjectRef box = l.box();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->kind(), host::Kind::ListBox);
  EXPECT_EQ(box->typeName(), "ListBox");
  EXPECT_EQ(box->get("ListCount").toLong(), 3) << "the hidden item is left out";
  EXPECT_EQ(box->get("List", {at(1)}).toString(), "Blue");
  EXPECT_EQ(box->get("List", {at(3)}).toString(), "") << "past the last item";
  EXPECT_EQ(box->get("Style").toInteger(), 0);
  EXPECT_FALSE(box->get("Selected", {at(0)}).toBool());
  EXPECT_TRUE(box->get("Selected", {at(1)}).toBool());
  EXPECT_EQ(box->get("ListIndex").toInteger(), 1);
  EXPECT_EQ(box->get("MultiSelect").toInteger(), 2);
  EXPECT_EQ(box->get("Text").toString(), "Blue");
}

TEST(ListFamily, ItemsThatCanBeCheckedMakeACheckBoxListWhoseSelectedIsTheCheck) {
  ListForm l;
  for (int i = 0; i < l.list->count(); ++i) {
    QListWidgetItem* entry = l.list->item(i);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    entry->setCheckState(i == 3 ? Qt::Checked : Qt::Unchecked);
  }
  l.list->item(0)->setSelected(true);
  const ObjectRef box = l.box();
  EXPECT_EQ(box->get("Style").toInteger(), 1);
  EXPECT_FALSE(box->get("Selected", {at(0)}).toBool()) << "selected, not checked";
  EXPECT_TRUE(box->get("Selected", {at(3)}).toBool());
}

TEST(ListFamily, AListViewOfOneColumnIsAListBox) {
  QWidget form;
  QStringListModel model({"one", "two"});
  auto* view = new QListView(&form);
  view->setModel(&model);
  view->setGeometry(0, 0, 200, 100);
  auto live = LiveForm::adapt(form, Writes::KeptByAdapter);
  const ObjectRef box = live->adapterOf(*view);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->typeName(), "ListBox");
  EXPECT_EQ(box->get("List", {at(1)}).toString(), "two");
}

// --- printed -------------------------------------------------------------------------

class ListPrint : public ::testing::Test {
 protected:
  std::filesystem::path folder = testsupport::makeTempDir("listprint");
  std::filesystem::path pdf = folder / "list.pdf";
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string printedText(QWidget& form) {
    qtforms::LivePrint job(form);
    job.control().setToPage(0);
    EXPECT_TRUE(job.printToPdf(pdf));
    std::string text;
    for (int page = 1; page <= qtformstest::pageCount(pdf); ++page) text += qtformstest::pageText(pdf, page);
    return text;
  }
};

TEST_F(ListPrint, ALongTreePrintsEveryShownRowOnceInOrder) {
  TreeForm t(120);
  t.tree->expandItem(t.tree->topLevelItem(60));
  const std::string text = printedText(t.form);
  std::vector<std::string> rows;
  for (int g = 1; g <= 120; ++g) {
    rows.push_back("Group " + std::to_string(g) + " ");
    if (g == 61) rows.insert(rows.end(), {"Child 61.1 ", "Child 61.2 "});
  }
  std::size_t previous = 0;
  for (const std::string& row : rows) {
    const std::size_t found = text.find(row);
    ASSERT_NE(found, std::string::npos) << row << " is missing from:\n" << text.substr(0, 600);
    EXPECT_EQ(text.find(row, found + 1), std::string::npos) << row << " printed twice";
    EXPECT_GE(found, previous) << row << " out of order";
    previous = found;
  }
  EXPECT_EQ(text.find("Child 60.1"), std::string::npos) << "the children of a collapsed row stay off the page";
}

TEST_F(ListPrint, PrintingListsLeavesThemAsTheyWere) {
  TreeForm t(80);
  auto* box = new QListWidget(&t.form);
  box->setGeometry(420, 10, 150, 120);
  for (int i = 0; i < 40; ++i) box->addItem(QString("Colour %1").arg(i));
  t.form.show();
  t.tree->setCurrentItem(t.tree->topLevelItem(20));
  t.tree->verticalScrollBar()->setValue(10);
  t.tree->header()->resizeSection(0, 150);
  box->setCurrentRow(30);
  const auto before = qtformstest::stateOf(t.form);
  const std::string text = printedText(t.form);
  EXPECT_NE(text.find("Colour 0"), std::string::npos) << "the list box prints";
  EXPECT_NE(text.find("Group 80"), std::string::npos);
  EXPECT_EQ(qtformstest::stateOf(t.form), before);
}

}  // namespace
