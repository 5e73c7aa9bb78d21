#pragma once
// The flex grid family (implementation header of the model; callers reach a
// grid by name through host::Object): "MSFlexGrid", "MSHFlexGrid",
// "vsFlexGrid" and "VSFlexGrid". A grid is a table of Rows x Cols text cells
// with FixedRows header rows and FixedCols title columns, a current cell (Row,
// Col) that every Cell* property refers to, per-column widths and
// alignments and per-row heights.
//
// Indexed reads and writes outside the table raise 381, as do assignments of
// Row, Col, TopRow or LeftCol outside it; a negative Rows or Cols, or a
// FixedRows/FixedCols beyond Rows/Cols, raises 380. A table of more than
// MaximumCells cells raises 7 (Out of memory).
//
// Texts are kept densely (a long table is read cell by cell); the cell
// attributes only for the cells that were given one. A Cell* property never
// set for a cell reads as the grid's own value: its font's name, size and
// styles, the column's alignment, and 0 for the colours and the picture.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/model/Families.h"

namespace host {

class FlexGrid final : public Control {
 public:
  static constexpr std::int64_t MaximumCells = std::int64_t{1} << 22;
  // ColWidth -1: the grid's default width; RowHeight -1: the height its font gives.
  static constexpr std::int32_t DefaultSize = -1;
  static constexpr std::int16_t GeneralAlignment = 9;

  explicit FlexGrid(std::string typeName);
  [[nodiscard]] std::string typeName() const override { return typeName_; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  // The table, for the form-file codec and tests (same checks as by name).
  [[nodiscard]] int rows() const { return rows_; }
  [[nodiscard]] int cols() const { return cols_; }
  [[nodiscard]] int fixedRows() const { return fixedRows_; }
  [[nodiscard]] int fixedCols() const { return fixedCols_; }
  void setRows(std::int32_t rows);
  void setCols(std::int32_t cols);
  void setFixedRows(std::int32_t rows);
  void setFixedCols(std::int32_t cols);
  [[nodiscard]] const std::string& text(int row, int col) const;
  void setText(int row, int col, std::string text);
  // Counts every change of a text or of the table's size.
  [[nodiscard]] std::uint64_t textWrites() const { return textWrites_; }
  // Explicit sizes only: DefaultSize where none was set.
  [[nodiscard]] std::int32_t colWidthSetting(int col) const { return colWidth_.at(static_cast<std::size_t>(col)); }
  [[nodiscard]] std::int32_t rowHeightSetting(int row) const { return rowHeight_.at(static_cast<std::size_t>(row)); }
  [[nodiscard]] std::int16_t colAlignment(int col) const { return colAlignment_.at(static_cast<std::size_t>(col)); }

  // The attributes one cell was given; unset members fall back to the grid.
  struct CellFormat {
    std::optional<std::int32_t> backColor, foreColor;
    std::optional<std::int16_t> alignment, pictureAlignment;
    std::optional<std::string> fontName;
    std::optional<bool> fontBold, fontItalic, fontUnderline;
    std::optional<double> fontSize;
    PictureHolder picture;
  };
  // The cells that carry attributes, keyed by cellKey(row, col).
  [[nodiscard]] const std::unordered_map<std::uint64_t, CellFormat>& formats() const { return formats_; }
  [[nodiscard]] static std::uint64_t cellKey(int row, int col) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
  }
  [[nodiscard]] static int rowOfKey(std::uint64_t key) { return static_cast<int>(key >> 32); }
  [[nodiscard]] static int colOfKey(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFu); }

  // Where the grid's cells were loaded from (empty when they were given
  // inline), and textWrites() right after that load.
  std::filesystem::path cellsFile;
  std::uint64_t textWritesAtLoad = 0;

 private:
  enum class Member;
  [[nodiscard]] static const Member* memberNamed(std::string_view name);
  [[nodiscard]] Value getMember(Member member, Args index) const;
  void setMember(Member member, const Value& value, Args index);
  void resizeTable(int rows, int cols);
  [[nodiscard]] int rowIndex(const Value& index, std::string_view name) const;
  [[nodiscard]] int colIndex(const Value& index, std::string_view name) const;
  [[nodiscard]] std::size_t cellAt(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
  }
  // The current cell's attributes (made on first write); raises 381 without a current cell.
  [[nodiscard]] const CellFormat* currentFormat() const;
  [[nodiscard]] CellFormat& currentFormatForWrite();
  void checkCurrentCell() const;
  [[nodiscard]] std::int32_t defaultRowHeight() const;

  std::string typeName_;
  int rows_ = 0, cols_ = 0, fixedRows_ = 0, fixedCols_ = 0;
  int row_ = 0, col_ = 0, topRow_ = 0, leftCol_ = 0;
  std::vector<std::string> text_;
  std::vector<std::int32_t> colWidth_, rowHeight_;
  std::vector<std::int16_t> colAlignment_;
  std::unordered_map<std::uint64_t, CellFormat> formats_;
  std::uint64_t textWrites_ = 0;
  // The default row height for the font it was measured in.
  mutable Font measuredFont_;
  mutable std::int32_t measuredRowHeight_ = 0;
};

}  // namespace host
