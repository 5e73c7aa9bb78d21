// Tree views (and list views of several model columns) as list views; list
// widgets and other list views as list boxes.
//
// A list view's items are the view's rows as the user sees them: top-level
// rows and, under an expanded row, its children, indented a level each;
// hidden rows are left out. Its columns are the header's shown sections in
// the order shown, with the sections' widths. A list box's items are the
// list's shown rows; in a list whose items can be checked, the list box is of
// the check-box style and Selected(i) is the item's check, otherwise its
// selection.
#include <QHeaderView>
#include <QListView>
#include <QListWidget>
#include <QTreeView>

#include "host/HostError.h"
#include "host/Lang.h"
#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/TableCells.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

using host::equalsNoCase;

// Each level of a tree shows this much further in, as spaces before the text.
constexpr int IndentSpaces = 4;

// ---------------------------------------------------------------------------
// The list view
// ---------------------------------------------------------------------------

// What a list view adapter and its collections share: the view, its columns
// and its rows as shown.
class ListParts {
 public:
  ListParts(QAbstractItemView& view, QHeaderView* header, bool toWidgets)
      : widths(view, header, toWidgets), view_(&view), header_(header) {
    if (auto* tree = qobject_cast<QTreeView*>(&view)) {
      // Expanding or collapsing changes the rows shown, not the model.
      connections_.push_back(QObject::connect(tree, &QTreeView::expanded, [this] { ++expansions_; }));
      connections_.push_back(QObject::connect(tree, &QTreeView::collapsed, [this] { ++expansions_; }));
    }
  }
  ListParts(const ListParts&) = delete;
  ListParts& operator=(const ListParts&) = delete;
  ~ListParts() {
    for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
  }

  [[nodiscard]] QAbstractItemView& view() const {
    if (!view_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the list is gone");
    return *view_;
  }
  [[nodiscard]] const QAbstractItemModel* model() const { return view().model(); }

  // --- columns: the shown sections in the order shown ---

  [[nodiscard]] const std::vector<int>& columns() const {
    refresh();
    return columns_;
  }
  // The model column of list column j (from 1); 9 outside the columns.
  [[nodiscard]] int column(std::int32_t j) const {
    if (j < 1 || j > static_cast<std::int32_t>(columns().size()))
      host::raise(host::err::SubscriptOutOfRange, "Subscript out of range");
    return columns_[static_cast<std::size_t>(j - 1)];
  }

  // --- rows: top level and the children of expanded rows ---

  struct Row {
    QModelIndex index;  // column 0 of the row
    int depth = 0;
  };
  [[nodiscard]] const std::vector<Row>& rows() const {
    refresh();
    return rows_;
  }
  // The row of list item i (from 1); 9 outside the items.
  [[nodiscard]] const Row& row(std::int32_t i) const {
    if (i < 1 || i > static_cast<std::int32_t>(rows().size()))
      host::raise(host::err::SubscriptOutOfRange, "Subscript out of range");
    return rows_[static_cast<std::size_t>(i - 1)];
  }

  // The text of a row's cell in model column `column`, indented by its depth in the tree column.
  [[nodiscard]] std::string text(const Row& row, int column) const {
    const QModelIndex cell = row.index.siblingAtColumn(column);
    std::string shown = shownText(view(), cell);
    if (column == treeColumn() && row.depth > 0) shown.insert(0, static_cast<std::size_t>(row.depth * IndentSpaces), ' ');
    return shown;
  }

  [[nodiscard]] std::string caption(int column) const {
    return model()->headerData(column, Qt::Horizontal).toString().toStdString();
  }

  // A column's alignment (0 left, 1 right, 2 centre) as its first row shows it.
  [[nodiscard]] std::int16_t alignment(int column) const {
    if (rows().empty()) return 0;
    const auto shown = alignmentOf(rows_.front().index.siblingAtColumn(column).data(Qt::TextAlignmentRole));
    return shown ? hostAlignment(*shown) : std::int16_t{0};
  }

  ColumnWidths widths;

 private:
  [[nodiscard]] int treeColumn() const {
    const auto* tree = qobject_cast<const QTreeView*>(&view());
    return tree != nullptr ? std::max(tree->treePosition(), 0) : 0;
  }

  void refresh() const {
    const std::uint64_t generation = watch_.generation(model());
    if (built_ && generation == generation_ && expansions_ == builtExpansions_) return;
    built_ = true;
    generation_ = generation;
    builtExpansions_ = expansions_;
    rows_.clear();
    columns_.clear();
    if (model() == nullptr) return;
    collectRows(view().rootIndex(), 0);
    collectColumns();
  }

  void collectRows(const QModelIndex& parent, int depth) const {
    const auto* tree = qobject_cast<const QTreeView*>(&view());
    const auto* list = qobject_cast<const QListView*>(&view());
    const int count = model()->rowCount(parent);
    for (int r = 0; r < count; ++r) {
      if (tree != nullptr && tree->isRowHidden(r, parent)) continue;
      if (list != nullptr && list->isRowHidden(r)) continue;
      const QModelIndex index = model()->index(r, 0, parent);
      rows_.push_back({index, depth});
      if (tree != nullptr && tree->isExpanded(index)) collectRows(index, depth + 1);
    }
  }

  void collectColumns() const {
    const int count = model()->columnCount(view().rootIndex());
    for (int visual = 0; visual < count; ++visual) {
      const int logical = header_ ? header_->logicalIndex(visual) : visual;
      if (header_ && header_->isSectionHidden(logical)) continue;
      columns_.push_back(logical);
    }
  }

  QPointer<QAbstractItemView> view_;
  QPointer<QHeaderView> header_;
  std::vector<QMetaObject::Connection> connections_;
  std::uint64_t expansions_ = 0;
  mutable ModelWatch watch_;
  mutable bool built_ = false;
  mutable std::uint64_t generation_ = 0, builtExpansions_ = 0;
  mutable std::vector<Row> rows_;
  mutable std::vector<int> columns_;
};

// One column header, ColumnHeaders(j): Text, Width (twips), Alignment, Index.
class LiveColumnHeader final : public host::Object {
 public:
  LiveColumnHeader(std::shared_ptr<ListParts> parts, std::int32_t j) : parts_(std::move(parts)), j_(j) {}
  [[nodiscard]] std::string typeName() const override { return "ColumnHeader"; }
  [[nodiscard]] Value get(std::string_view name, Args) const override {
    const int column = parts_->column(j_);
    if (equalsNoCase(name, "Text")) return Value(parts_->caption(column));
    if (equalsNoCase(name, "Width")) return Value(static_cast<float>(parts_->widths.twips(column)));
    if (equalsNoCase(name, "Alignment")) return Value(parts_->alignment(column));
    if (equalsNoCase(name, "Index")) return Value(j_);
    missingMember(name);
  }
  void set(std::string_view name, const Value& value, Args index) override {
    if (equalsNoCase(name, "Width")) return parts_->widths.setTwips(parts_->column(j_), value.toDouble());
    (void)get(name, index);
    host::raise(host::err::InvalidPropertyValue, "Property is read-only: " + std::string(name));
  }
  using host::Object::get;
  using host::Object::set;

 private:
  std::shared_ptr<ListParts> parts_;
  std::int32_t j_;
};

// One list item, ListItems(i): Text, SubItems(j) (the texts of columns 2 on), Index.
class LiveListItem final : public host::Object {
 public:
  LiveListItem(std::shared_ptr<ListParts> parts, std::int32_t i) : parts_(std::move(parts)), i_(i) {}
  [[nodiscard]] std::string typeName() const override { return "ListItem"; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    const ListParts::Row& row = parts_->row(i_);
    if (equalsNoCase(name, "Text")) return Value(parts_->text(row, parts_->column(1)));
    if (equalsNoCase(name, "SubItems")) {
      const std::int32_t j = onlyIndex(index, name);
      if (j < 1 || j >= static_cast<std::int32_t>(parts_->columns().size())) badArrayIndex(name);
      return Value(parts_->text(row, parts_->column(j + 1)));
    }
    if (equalsNoCase(name, "Index")) return Value(i_);
    missingMember(name);
  }
  using host::Object::get;

 private:
  std::shared_ptr<ListParts> parts_;
  std::int32_t i_;
};

// ColumnHeaders and ListItems: Count and Item(i), i from 1.
template <class Member>
class LiveCollection final : public host::Object {
 public:
  LiveCollection(std::shared_ptr<ListParts> parts, std::string typeName, bool items)
      : parts_(std::move(parts)), typeName_(std::move(typeName)), items_(items) {}
  [[nodiscard]] std::string typeName() const override { return typeName_; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    if (equalsNoCase(name, "Count")) return Value(count());
    if (equalsNoCase(name, "Item")) {
      const std::int32_t i = onlyIndex(index, name);
      if (i < 1 || i > count()) host::raise(host::err::SubscriptOutOfRange, "Subscript out of range");
      return Value(host::ObjectRef(std::make_shared<Member>(parts_, i)));
    }
    missingMember(name);
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using host::Object::call;
  using host::Object::get;

 private:
  [[nodiscard]] std::int32_t count() const {
    return static_cast<std::int32_t>(items_ ? parts_->rows().size() : parts_->columns().size());
  }
  std::shared_ptr<ListParts> parts_;
  std::string typeName_;
  bool items_;
};

class ListViewControl final : public WidgetControl {
 public:
  ListViewControl(LiveForm& form, QAbstractItemView& view, QHeaderView* header)
      : WidgetControl(form, view, "ListView", host::Kind::Other),
        parts_(std::make_shared<ListParts>(view, header, form.writes() == Writes::ToWidgets)) {
    colorsFrom(QPalette::Base, QPalette::Text);
    auto headers = std::make_shared<LiveCollection<LiveColumnHeader>>(parts_, "ColumnHeaders", false);
    auto items = std::make_shared<LiveCollection<LiveListItem>>(parts_, "ListItems", true);
    property("ColumnHeaders", [headers](Args) { return Value(host::ObjectRef(headers)); });
    property("ListItems", [items](Args) { return Value(host::ObjectRef(items)); });
    property("View", [](Args) { return Value(std::int16_t{3}); });  // report: rows under column headers
    property("HideColumnHeaders", [header = QPointer<QHeaderView>(header)](Args) {
      return Value(header.isNull() || header->isHidden());
    });
    property("GridLines", [](Args) { return Value(false); });
    property("FullRowSelect",
             [this](Args) { return Value(parts_->view().selectionBehavior() == QAbstractItemView::SelectRows); });
    property("BorderStyle", [this](Args) {
      return Value(std::int16_t(as<QAbstractItemView>().frameShape() == QFrame::NoFrame ? 0 : 1));
    });
  }

 private:
  std::shared_ptr<ListParts> parts_;
};

// ---------------------------------------------------------------------------
// The list box
// ---------------------------------------------------------------------------

class ListBoxControl final : public WidgetControl {
 public:
  ListBoxControl(LiveForm& form, QListView& view) : WidgetControl(form, view, "ListBox", host::Kind::ListBox) {
    colorsFrom(QPalette::Base, QPalette::Text);
    declareItems();
    declareSelection();
    property("Columns", [](Args) { return Value(std::int16_t{0}); });
    property("IntegralHeight", [](Args) { return Value(true); });
    property("Sorted", [this](Args) {
      const auto* widget = qobject_cast<const QListWidget*>(&list());
      return Value(widget != nullptr && widget->isSortingEnabled());
    });
    property(
        "TopIndex", [this](Args) { return Value(topIndex()); },
        [this](const Value& v, Args) { topIndex_ = v.toInteger(); }, Changes::AdapterState);
  }

 private:
  [[nodiscard]] QListView& list() const { return as<QListView>(); }

  void declareItems() {
    property("ListCount", [this](Args) {
      refresh(true);
      return Value(static_cast<std::int16_t>(std::min<std::size_t>(rows_.size(), INT16_MAX)));
    });
    // Reading past the last item gives an empty text, as the host's lists do.
    property("List", [this](Args index) {
      const QModelIndex item = itemAt(onlyIndex(index, "List"));
      return Value(item.isValid() ? shownText(list(), item) : std::string());
    });
    property("ItemData", [this](Args index) {
      (void)checkedItem(onlyIndex(index, "ItemData"));
      return Value(std::int32_t{0});
    });
    property("Style", [this](Args) { return Value(std::int16_t(checkable() ? 1 : 0)); });
    property("Text", [this](Args) {
      const QModelIndex current = list().currentIndex();
      return Value(current.isValid() ? shownText(list(), current) : std::string());
    });
  }

  void declareSelection() {
    property("Selected", [this](Args index) {
      const QModelIndex item = checkedItem(onlyIndex(index, "Selected"));
      if (checkable()) return Value(item.data(Qt::CheckStateRole).toInt() == Qt::Checked);
      const QItemSelectionModel* selection = list().selectionModel();
      return Value(selection != nullptr && selection->isSelected(item));
    });
    property("SelCount", [this](Args) {
      const QItemSelectionModel* selection = list().selectionModel();
      const qsizetype count = selection != nullptr ? selection->selectedRows(list().modelColumn()).size() : 0;
      return Value(static_cast<std::int16_t>(std::min<qsizetype>(count, INT16_MAX)));
    });
    property("ListIndex", [this](Args) { return Value(positionOf(list().currentIndex())); });
    property("MultiSelect", [this](Args) {
      switch (list().selectionMode()) {
        case QAbstractItemView::MultiSelection: return Value(std::int16_t{1});
        case QAbstractItemView::ExtendedSelection:
        case QAbstractItemView::ContiguousSelection: return Value(std::int16_t{2});
        default: return Value(std::int16_t{0});
      }
    });
  }

  // The shown rows, read again when the model changed or when the list is
  // counted (rows hidden by hand tell no model of it).
  void refresh(bool recount) const {
    const QAbstractItemModel* model = list().model();
    const std::uint64_t generation = watch_.generation(model);
    if (built_ && !recount && generation == generation_) return;
    built_ = true;
    generation_ = generation;
    rows_.clear();
    if (model == nullptr) return;
    const int count = model->rowCount(list().rootIndex());
    for (int r = 0; r < count; ++r)
      if (!list().isRowHidden(r)) rows_.push_back(r);
  }

  [[nodiscard]] QModelIndex itemAt(std::int32_t i) const {
    refresh(false);
    if (i < 0 || i >= static_cast<std::int32_t>(rows_.size())) return {};
    return list().model()->index(rows_[static_cast<std::size_t>(i)], list().modelColumn(), list().rootIndex());
  }

  [[nodiscard]] QModelIndex checkedItem(std::int32_t i) const {
    const QModelIndex item = itemAt(i);
    if (!item.isValid()) badArrayIndex("Selected");
    return item;
  }

  [[nodiscard]] std::int16_t positionOf(const QModelIndex& index) const {
    refresh(false);
    if (!index.isValid() || index.parent() != list().rootIndex()) return -1;
    const auto found = std::find(rows_.begin(), rows_.end(), index.row());
    return found == rows_.end() ? std::int16_t{-1} : static_cast<std::int16_t>(found - rows_.begin());
  }

  // Whether the list's items show check boxes: any shown item with a check
  // state (a list widget's items may be checked by default, yet show no box
  // until they are given a state).
  [[nodiscard]] bool checkable() const {
    refresh(false);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (itemAt(static_cast<std::int32_t>(i)).data(Qt::CheckStateRole).isValid()) return true;
    }
    return false;
  }

  [[nodiscard]] std::int16_t topIndex() const {
    if (!topIndex_) topIndex_ = std::max<std::int16_t>(positionOf(list().indexAt(QPoint(0, 0))), 0);
    return *topIndex_;
  }

  mutable ModelWatch watch_;
  mutable bool built_ = false;
  mutable std::uint64_t generation_ = 0;
  mutable std::vector<int> rows_;
  mutable std::optional<std::int16_t> topIndex_;
};

// A list view in list mode whose model has several columns shows, in the
// host's terms, a list view of those columns.
bool showsColumns(const QListView& list) {
  return qobject_cast<const QListWidget*>(&list) == nullptr && list.viewMode() == QListView::ListMode &&
         list.model() != nullptr && list.model()->columnCount(list.rootIndex()) > 1;
}

}  // namespace

std::shared_ptr<WidgetControl> adaptListFamily(LiveForm& form, QWidget& widget) {
  if (auto* tree = qobject_cast<QTreeView*>(&widget)) return std::make_shared<ListViewControl>(form, *tree, tree->header());
  auto* list = qobject_cast<QListView*>(&widget);
  if (list == nullptr) return nullptr;
  if (showsColumns(*list)) return std::make_shared<ListViewControl>(form, *list, nullptr);
  return std::make_shared<ListBoxControl>(form, *list);
}

}  // namespace qtforms
