// Data-bound grids: a window onto the records of a database, its columns and
// its current cell, reached by name. The records are read only as the window
// comes to them (host/model/RecordSet.h), so a long table costs what the
// window shows.
#include "host/model/DataGridControls.h"

#include <algorithm>
#include <cmath>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/ModelErrors.h"

namespace host {

namespace {

// A bordered grid loses two pixels of its height at each edge.
constexpr double BorderTwips = 60;

[[noreturn]] void invalidValue(std::string_view name) {
  raise(err::InvalidPropertyValue, "Invalid property value: " + std::string(name));
}

[[noreturn]] void readOnly(std::string_view name) {
  raise(model_err::ReadOnly, "'" + std::string(name) + "' property is read-only");
}

void checkArgumentCount(Args index, std::size_t wanted, std::string_view name) {
  if (index.size() != wanted)
    raise(model_err::WrongArguments, "Wrong number of arguments or invalid property assignment: " + std::string(name));
}

// The grid's Columns collection: Count and Item(c), c from 0.
class ColumnCollection final : public Object {
 public:
  explicit ColumnCollection(std::shared_ptr<const DataGrid> grid) : grid_(std::move(grid)) {}
  [[nodiscard]] std::string typeName() const override { return "Columns"; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    if (equalsNoCase(name, "Count")) return Value(static_cast<std::int32_t>(grid_->columns().size()));
    if (equalsNoCase(name, "Item")) return grid_->get("Columns", index);
    missingMember(name);
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using Object::call;
  using Object::get;

 private:
  std::shared_ptr<const DataGrid> grid_;
};

}  // namespace

// --- a column -------------------------------------------------------------------

DataGridColumn::DataGridColumn(std::weak_ptr<const DataGrid> grid, std::string dataField, std::string caption)
    : dataField(std::move(dataField)), caption(std::move(caption)), grid_(std::move(grid)) {}

std::string DataGridColumn::cellText(const Value& bookmark) const {
  const std::shared_ptr<const DataGrid> grid = grid_.lock();
  if (!grid) raise(err::ObjectRequired, "Object required");
  const double record = bookmark.toDouble();
  if (record != std::floor(record) || record < 0 || record >= static_cast<double>(grid->rowCount()))
    raise(datagrid_err::InvalidBookmark, "Invalid bookmark");
  return grid->recordText(static_cast<std::int64_t>(record), field);
}

Value DataGridColumn::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "CellText") || equalsNoCase(name, "CellValue")) {
    checkArgumentCount(index, 1, name);
    return Value(cellText(index[0]));
  }
  if (!index.empty()) checkArgumentCount(index, 0, name);
  if (equalsNoCase(name, "Caption")) return Value(caption);
  if (equalsNoCase(name, "DataField")) return Value(dataField);
  if (equalsNoCase(name, "Width")) return Value(static_cast<float>(width));
  if (equalsNoCase(name, "Alignment")) return Value(alignment);
  if (equalsNoCase(name, "Visible")) return Value(visible);
  if (equalsNoCase(name, "WrapText")) return Value(wrapText);
  if (equalsNoCase(name, "DividerStyle")) return Value(dividerStyle);
  missingMember(name);
}

void DataGridColumn::set(std::string_view name, const Value& value, Args index) {
  checkArgumentCount(index, 0, name);
  if (equalsNoCase(name, "Caption")) {
    caption = value.toString();
  } else if (equalsNoCase(name, "Width")) {
    const double given = value.toDouble();
    if (!(given >= 0) || given > 2147483647.0) invalidValue(name);
    width = given;
  } else if (equalsNoCase(name, "Alignment")) {
    const std::int16_t given = value.toInteger();
    if (given < 0 || given > GeneralAlignment) invalidValue(name);
    alignment = given;
  } else if (equalsNoCase(name, "Visible")) {
    visible = value.toBool();
  } else if (equalsNoCase(name, "WrapText")) {
    wrapText = value.toBool();
  } else if (equalsNoCase(name, "DividerStyle")) {
    const std::int16_t given = value.toInteger();
    if (given < 0 || given > 6) invalidValue(name);
    dividerStyle = given;
  } else if (equalsNoCase(name, "DataField")) {
    const std::shared_ptr<const DataGrid> grid = grid_.lock();
    const std::string given = value.toString();
    const int found = grid && grid->records() != nullptr ? grid->records()->fieldIndex(given) : -1;
    if (grid && grid->records() != nullptr && found < 0 && !given.empty()) invalidValue(name);
    dataField = given;
    field = found;
  } else if (equalsNoCase(name, "CellText") || equalsNoCase(name, "CellValue")) {
    raise(datagrid_err::ReadOnlyData, "The grid's data cannot be changed");
  } else {
    missingMember(name);
  }
}

// --- the grid ---------------------------------------------------------------------

DataGrid::DataGrid(std::string typeName) : typeName_(std::move(typeName)), headFont_(FontObject::create()) {
  declareExtender();
  giveFont();
  giveWindow();
  declare({"Enabled", ValueType::Boolean, true});
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Caption", ValueType::String, std::string()});
  declare({"AllowAddNew", ValueType::Boolean, false});
  declare({"ColumnHeaders", ValueType::Boolean, true});
  declare(PropertyDef{"HeadLines", ValueType::Single, 1.0F}.between(0, 10));
  declare(PropertyDef{"RowHeight", ValueType::Single, static_cast<float>(DefaultRowHeight)}.between(1, 2147483647.0));
  declare(PropertyDef{"RowDividerStyle", ValueType::Integer, 2}.between(0, 6));
  declare({"RightToLeft", ValueType::Boolean, false});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare({"Width", ValueType::Single, 4800});
  declare({"Height", ValueType::Single, 2400});
}

void DataGrid::bind(const std::filesystem::path& database, const std::string& recordSource) {
  std::unique_ptr<RecordSet> records = RecordSet::open(database, recordSource);
  records_ = std::move(records);
  database_ = database;
  recordSource_ = recordSource;
  std::vector<std::shared_ptr<DataGridColumn>> columns;
  for (const std::string& field : records_->fieldNames())
    columns.push_back(std::make_shared<DataGridColumn>(std::static_pointer_cast<const DataGrid>(shared_from_this()),
                                                       field, field));
  setColumns(std::move(columns));
  columnsGiven = false;
  first_ = 0;
  row_ = col_ = leftCol_ = 0;
}

void DataGrid::setColumns(std::vector<std::shared_ptr<DataGridColumn>> columns) {
  columns_ = std::move(columns);
  for (const auto& column : columns_)
    column->field = records_ ? records_->fieldIndex(column->dataField) : -1;
  columnsGiven = true;
  col_ = std::clamp(col_, 0, std::max(static_cast<int>(columns_.size()) - 1, 0));
  leftCol_ = std::clamp(leftCol_, 0, std::max(static_cast<int>(columns_.size()) - 1, 0));
}

std::int64_t DataGrid::rowCount() const { return recordCount() + (Control::get("AllowAddNew").toBool() ? 1 : 0); }

int DataGrid::visibleRows() const {
  const double rowHeight = Control::get("RowHeight").toDouble();
  const double header = Control::get("ColumnHeaders").toBool() ? Control::get("HeadLines").toDouble() * rowHeight : 0;
  const double border = Control::get("BorderStyle").toInteger() != 0 ? BorderTwips : 0;
  const double rows = std::floor((Control::get("Height").toDouble() - border - header) / rowHeight);
  // However small, a grid shows its current row.
  return static_cast<int>(std::clamp(rows, 1.0, 32767.0));
}

int DataGrid::shownRows() const {
  const std::int64_t left = std::max<std::int64_t>(rowCount() - first_, 0);
  return static_cast<int>(std::min<std::int64_t>(visibleRows(), left));
}

std::string DataGrid::recordText(std::int64_t record, int field) const {
  if (!records_ || field < 0 || record < 0 || record >= records_->count()) return {};
  return records_->text(record, field);
}

std::shared_ptr<DataGridColumn> DataGrid::column(const Value& index) const {
  const std::int32_t c = index.toLong();
  if (c < 0 || c >= static_cast<std::int32_t>(columns_.size()))
    raise(err::SubscriptOutOfRange, "Subscript out of range: Columns(" + std::to_string(c) + ")");
  return columns_[static_cast<std::size_t>(c)];
}

Value DataGrid::columnsValue(Args index) const {
  if (index.empty())
    return Value(ObjectRef(std::make_shared<ColumnCollection>(std::static_pointer_cast<const DataGrid>(shared_from_this()))));
  checkArgumentCount(index, 1, "Columns");
  return Value(ObjectRef(column(index[0])));
}

// The properties that follow from the records and the window.
bool DataGrid::computed(std::string_view name, Args index, Value& out) const {
  const auto row = [&] { return std::min(row_, std::max(shownRows() - 1, 0)); };
  if (equalsNoCase(name, "Columns")) {
    out = columnsValue(index);
  } else if (equalsNoCase(name, "RowBookmark")) {
    checkArgumentCount(index, 1, name);
    const std::int32_t i = index[0].toLong();
    if (i < 0 || i >= shownRows()) raise(datagrid_err::InvalidRow, "Invalid row number");
    out = Value::fromInt64(first_ + i);
  } else if (!index.empty()) {
    return false;
  } else if (equalsNoCase(name, "Row")) {
    out = Value(static_cast<std::int32_t>(row()));
  } else if (equalsNoCase(name, "Col")) {
    out = Value(static_cast<std::int32_t>(col_));
  } else if (equalsNoCase(name, "LeftCol")) {
    out = Value(static_cast<std::int32_t>(leftCol_));
  } else if (equalsNoCase(name, "VisibleRows")) {
    out = Value(static_cast<std::int32_t>(visibleRows()));
  } else if (equalsNoCase(name, "VisibleCols")) {
    out = Value(static_cast<std::int32_t>(columns_.size()) - leftCol_);
  } else if (equalsNoCase(name, "ApproxCount")) {
    out = Value::fromInt64(recordCount());
  } else if (equalsNoCase(name, "FirstRow")) {
    out = Value::fromInt64(first_);
  } else if (equalsNoCase(name, "Bookmark")) {
    out = shownRows() > 0 ? Value::fromInt64(first_ + row()) : Value();
  } else if (equalsNoCase(name, "Text")) {
    const bool hasCell = shownRows() > 0 && !columns_.empty();
    out = Value(hasCell ? recordText(first_ + row(), columns_[static_cast<std::size_t>(col_)]->field) : std::string());
  } else if (equalsNoCase(name, "HeadFont")) {
    out = Value(ObjectRef(headFont_));
  } else if (equalsNoCase(name, "Database")) {
    out = Value(database_.string());
  } else if (equalsNoCase(name, "RecordSource")) {
    out = Value(recordSource_);
  } else {
    return false;
  }
  return true;
}

Value DataGrid::get(std::string_view name, Args index) const {
  Value out;
  if (computed(name, index, out)) return out;
  return Control::get(name, index);
}

void DataGrid::setRow(std::int32_t row) {
  if (row < 0 || row >= shownRows()) raise(datagrid_err::InvalidRow, "Invalid row number");
  row_ = row;
}

void DataGrid::setCol(std::int32_t col) {
  if (col < 0 || col >= static_cast<std::int32_t>(columns_.size())) invalidValue("Col");
  col_ = col;
}

void DataGrid::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Row")) return setRow(value.toLong());
  if (equalsNoCase(name, "Col")) return setCol(value.toLong());
  if (equalsNoCase(name, "LeftCol")) {
    const std::int32_t col = value.toLong();
    if (col < 0 || col >= std::max(static_cast<std::int32_t>(columns_.size()), 1)) invalidValue(name);
    leftCol_ = col;
    return;
  }
  if (equalsNoCase(name, "HeadFont")) {
    auto* font = dynamic_cast<FontObject*>(value.toObject().get());
    if (font == nullptr) raise(err::TypeMismatch, "Type mismatch: HeadFont");
    headFont_->setFont(font->font());
    return;
  }
  if (equalsNoCase(name, "Text") || equalsNoCase(name, "Columns"))
    raise(datagrid_err::ReadOnlyData, "The grid's data cannot be changed");
  for (std::string_view fixed : {"VisibleRows", "VisibleCols", "ApproxCount", "RowBookmark", "Bookmark", "FirstRow"})
    if (equalsNoCase(name, fixed)) readOnly(fixed);
  if (equalsNoCase(name, "RecordSource") || equalsNoCase(name, "Database")) {
    const bool source = equalsNoCase(name, "RecordSource");
    try {
      bind(source ? database_ : std::filesystem::path(value.toString()), source ? value.toString() : recordSource_);
    } catch (const RecordSetError& error) {
      raise(err::InvalidPropertyValue, std::string(name) + " " + error.problem);
    }
    return;
  }
  Control::set(name, value, index);
}

void DataGrid::scroll(std::int32_t columns, std::int32_t rows) {
  // The window may move until the last row is its first.
  first_ = std::clamp<std::int64_t>(first_ + rows, 0, std::max<std::int64_t>(rowCount() - 1, 0));
  leftCol_ = std::clamp(leftCol_ + columns, 0, std::max(static_cast<int>(columns_.size()) - 1, 0));
  row_ = std::min(row_, std::max(shownRows() - 1, 0));
}

Value DataGrid::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "Scroll")) {
    checkArgumentCount(args, 2, name);
    scroll(args[0].toLong(), args[1].toLong());
    return {};
  }
  Value out;
  if (computed(name, args, out)) return out;  // Columns(c) and RowBookmark(i) read as calls too
  return Control::call(name, args);
}

}  // namespace host
