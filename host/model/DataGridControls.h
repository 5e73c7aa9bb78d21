#pragma once
// The data-bound grid family (implementation header of the model; callers
// reach a grid by name through host::Object): "DataGrid", "DBGrid" and
// "TDBGrid". A grid is bound to a record set of an SQLite database
// (Database, RecordSource) and shows a window of VisibleRows of its records,
// which Scroll moves; with AllowAddNew a blank row for new entries follows
// the last record. Row is the current row within the window (assigning a row
// the window does not show raises 6148), Col the current column, Text the
// current cell's text, RowBookmark(i) the bookmark of the i-th shown row.
// Columns(c), from 0, are the grid's columns: Caption, DataField, Width,
// Alignment, Visible, WrapText, DividerStyle, and CellText(bookmark).
//
// VisibleRows follows from Height, the header (HeadLines rows of RowHeight
// when ColumnHeaders is True) and RowHeight; a grid shows at least one row.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/model/Families.h"
#include "host/model/RecordSet.h"

namespace host {

class DataGrid;

namespace datagrid_err {
inline constexpr int InvalidRow = 6148;       // a row the window does not show
inline constexpr int InvalidBookmark = 6160;  // a bookmark of no record
inline constexpr int ReadOnlyData = 4097;     // the grid's data cannot be changed
}  // namespace datagrid_err

// One column of a data grid, reached as grid.Columns(c).
class DataGridColumn final : public Object {
 public:
  static constexpr double DefaultWidth = 1500;
  static constexpr std::int16_t GeneralAlignment = 3;

  DataGridColumn(std::weak_ptr<const DataGrid> grid, std::string dataField, std::string caption);
  [[nodiscard]] std::string typeName() const override { return "Column"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override { return get(name, args); }
  using Object::call;
  using Object::get;
  using Object::set;

  std::string dataField;
  std::string caption;
  double width = DefaultWidth;
  std::int16_t alignment = GeneralAlignment;
  bool visible = true;
  bool wrapText = false;
  std::int16_t dividerStyle = 2;
  int field = -1;  // the record set's field it shows

  // The column's text of the record a bookmark names ("" for the blank row).
  [[nodiscard]] std::string cellText(const Value& bookmark) const;

 private:
  std::weak_ptr<const DataGrid> grid_;  // the grid owns its columns
};

class DataGrid final : public Control {
 public:
  static constexpr std::int32_t DefaultRowHeight = 255;

  explicit DataGrid(std::string typeName);
  [[nodiscard]] std::string typeName() const override { return typeName_; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  // Binds the grid to a record source of a database; throws RecordSetError.
  // The columns become one per field of the records. The grid must be owned
  // by a shared pointer (its columns refer back to it).
  void bind(const std::filesystem::path& database, const std::string& recordSource);
  [[nodiscard]] const std::filesystem::path& database() const { return database_; }
  [[nodiscard]] const std::string& recordSource() const { return recordSource_; }
  [[nodiscard]] RecordSet* records() const { return records_.get(); }

  // The columns, in order; a column may be given explicitly (the form file's
  // Columns) in place of one per field.
  [[nodiscard]] const std::vector<std::shared_ptr<DataGridColumn>>& columns() const { return columns_; }
  void setColumns(std::vector<std::shared_ptr<DataGridColumn>> columns);
  // Whether the columns are other than one per field of the records.
  bool columnsGiven = false;

  [[nodiscard]] const std::shared_ptr<FontObject>& headFont() const { return headFont_; }

  // The records and the blank row for new entries, the first shown, and how
  // many rows the window shows now.
  [[nodiscard]] std::int64_t rowCount() const;
  [[nodiscard]] std::int64_t firstRow() const { return first_; }
  [[nodiscard]] int visibleRows() const;
  [[nodiscard]] int shownRows() const;
  // The text of field `field` of record `record`; "" past the records.
  [[nodiscard]] std::string recordText(std::int64_t record, int field) const;

 private:
  [[nodiscard]] std::int64_t recordCount() const { return records_ ? records_->count() : 0; }
  [[nodiscard]] bool computed(std::string_view name, Args index, Value& out) const;
  void scroll(std::int32_t columns, std::int32_t rows);
  void setRow(std::int32_t row);
  void setCol(std::int32_t col);
  [[nodiscard]] Value columnsValue(Args index) const;
  [[nodiscard]] std::shared_ptr<DataGridColumn> column(const Value& index) const;

  std::string typeName_;
  std::filesystem::path database_;
  std::string recordSource_;
  std::unique_ptr<RecordSet> records_;
  std::vector<std::shared_ptr<DataGridColumn>> columns_;
  std::shared_ptr<FontObject> headFont_;
  std::int64_t first_ = 0;
  int row_ = 0, col_ = 0, leftCol_ = 0;
};

}  // namespace host
