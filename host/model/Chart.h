#pragma once
// The chart control (type name "MSChart"): a table of values drawn as a chart
// picture by Qt Charts, with no display needed.
//
// Properties by name: ChartType, TitleText, ShowLegend, BackColor, Width,
// Height; RowCount and ColumnCount (assigning them resizes the table), Row and
// Column (1-based, the current data point), Data (its value), RowLabel and
// ColumnLabel (of the current row and column). Method EditCopy puts the
// chart's picture, at the control's size in pixels (15 twips a pixel), on the
// clipboard.
//
// Chart types (the classic numbering; a 3-D type is drawn as its 2-D twin):
//   0, 1  bars: one bar set per column, a group per row;
//   2, 3  lines: one line per column over the rows;
//   4, 5  areas: the columns stacked as areas;
//   6, 7  steps: one step line per column;
//   8, 9  combination: the last column as a line over the others as bars;
//   14    pie: one slice per row, sized by the first column and labelled
//         with the row; a table of one row is one pie of its columns, a
//         slice per column labelled with the column;
//   16    XY: columns taken in pairs (x, y), one line with points per pair.
// Any other value draws bars.
//
// Form files give the table as "ChartData": rows of numbers, each row
// optionally starting with its label (text); "RowLabels" and "ColumnLabels"
// are arrays of texts.
#include <string>
#include <vector>

#include "host/Picture.h"
#include "host/model/Control.h"

namespace host {

struct ChartTable {
  std::vector<std::vector<double>> rows;  // rows x columns; short rows count as 0
  std::vector<std::string> rowLabels;
  std::vector<std::string> columnLabels;
  [[nodiscard]] int rowCount() const { return static_cast<int>(rows.size()); }
  [[nodiscard]] int columnCount() const;
  [[nodiscard]] double value(int row, int column) const;  // 0-based; 0 outside the table
  [[nodiscard]] std::string rowLabel(int row) const;      // "R1", "R2", ... when none is given
  [[nodiscard]] std::string columnLabel(int column) const;  // "C1", ... when none is given
};

class MSChart final : public Control {
 public:
  MSChart();
  [[nodiscard]] std::string typeName() const override { return "MSChart"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  [[nodiscard]] const ChartTable& table() const { return table_; }
  void setTable(ChartTable table);
  // The chart drawn at the control's size in pixels. Needs a Qt widget
  // application (raises 5 without one).
  [[nodiscard]] Picture chartPicture() const;

 private:
  void resizeTable(int rows, int columns);
  [[nodiscard]] int currentRow() const;     // 0-based
  [[nodiscard]] int currentColumn() const;  // 0-based
  ChartTable table_;
  int row_ = 1;
  int column_ = 1;
};

}  // namespace host
