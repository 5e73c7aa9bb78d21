// Table views as the table families the print control knows: any table view
// (a QTableWidget, a QTableView on any model) as a flex grid, and a table
// view over an SQL query model as a data grid that reads its records as it
// pages through them.
//
// A flex grid's table is the view as the user sees it: the horizontal header
// is its fixed row, the vertical header (when shown) its fixed column, the
// rows and columns in the view's visual order, hidden ones 0 high or wide,
// widths and heights from the headers' sections. A span prints unspanned:
// its text in its top-left cell, the cells it covers blank.
//
// Everything the renderers move (the current cell, the scroll position, a
// data grid's window and height) is the adapter's own state, first read from
// the view; the view itself is never moved.
#include <QHeaderView>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <deque>
#include <unordered_map>

#include "host/HostError.h"
#include "host/QtFont.h"
#include "host/Lang.h"
#include "host/PictureImpl.h"
#include "host/model/Families.h"
#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/TableCells.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

bool writesToWidgets(const LiveForm& form) { return form.writes() == Writes::ToWidgets; }

// The height of a header row and the width of a header column as the table
// view lays its headers out.
int headerRowPixels(const QHeaderView& header) {
  return header.isHidden() ? 0 : std::max(header.minimumHeight(), header.sizeHint().height());
}
int headerColumnPixels(const QHeaderView& header) {
  return header.isHidden() ? 0 : std::max(header.minimumWidth(), header.sizeHint().width());
}

// Whether the view's text wraps as the user sees it: a view that wraps
// words shows a second line only where its rows are high enough for one.
// Qt's own rows are about two lines high with their padding, and show one:
// only rows clearly taller than that wrap (a cell that would wrap on paper
// in the printer's font would break its words, digits and all).
bool wrapsText(const QTableView& view) {
  return view.wordWrap() && view.verticalHeader()->defaultSectionSize() >= 2.5 * view.fontMetrics().lineSpacing();
}

// ---------------------------------------------------------------------------
// The flex grid
// ---------------------------------------------------------------------------

class FlexGridControl final : public WidgetControl {
 public:
  FlexGridControl(LiveForm& form, QTableView& view)
      : WidgetControl(form, view, "MSFlexGrid", host::Kind::Other),
        widths_(view, view.horizontalHeader(), writesToWidgets(form)) {
    colorsFrom(QPalette::Base, QPalette::Text);
    declareLooks();
  }

  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    if (const Member* member = memberNamed(name)) return getMember(*member, index);
    return WidgetControl::get(name, index);
  }
  void set(std::string_view name, const Value& value, Args index) override {
    if (const Member* member = memberNamed(name)) return setMember(*member, value, index);
    WidgetControl::set(name, value, index);
  }
  using WidgetControl::get;
  using WidgetControl::set;

 private:
  // The members a renderer reads cell by cell, found with one lookup.
  enum class Member {
    Rows, Cols, FixedRows, FixedCols, Row, Col, TopRow, LeftCol, Text, TextMatrix, ColWidth, RowHeight,
    ColAlignment, CellAlignment, CellPicture, CellPictureAlignment, CellBackColor, CellForeColor,
    CellFontName, CellFontBold, CellFontItalic, CellFontUnderline, CellFontSize,
  };

  [[nodiscard]] static const Member* memberNamed(std::string_view name) {
    static const std::unordered_map<std::string, Member, host::NoCaseHash, host::NoCaseEqual> members{
        {"Rows", Member::Rows}, {"Cols", Member::Cols}, {"FixedRows", Member::FixedRows},
        {"FixedCols", Member::FixedCols}, {"Row", Member::Row}, {"Col", Member::Col}, {"TopRow", Member::TopRow},
        {"LeftCol", Member::LeftCol}, {"Text", Member::Text}, {"TextMatrix", Member::TextMatrix},
        {"ColWidth", Member::ColWidth}, {"RowHeight", Member::RowHeight}, {"ColAlignment", Member::ColAlignment},
        {"CellAlignment", Member::CellAlignment}, {"CellPicture", Member::CellPicture},
        {"CellPictureAlignment", Member::CellPictureAlignment}, {"CellBackColor", Member::CellBackColor},
        {"CellForeColor", Member::CellForeColor}, {"CellFontName", Member::CellFontName},
        {"CellFontBold", Member::CellFontBold}, {"CellFontItalic", Member::CellFontItalic},
        {"CellFontUnderline", Member::CellFontUnderline}, {"CellFontSize", Member::CellFontSize},
    };
    auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
  }

  // Where a cell of the grid comes from: the corner, a header section or a
  // model cell (logical row and column of the model).
  enum class Source { Corner, ColumnHeader, RowHeader, Body };
  struct Place {
    Source source = Source::Corner;
    int row = -1, col = -1;
  };

  // What the model gives for one cell, read a role group at a time when
  // first wanted; kept until the cell or the model changes.
  struct Cell {
    int row = -1, col = -1;
    std::uint64_t generation = 0;
    Place place;
    std::optional<std::string> text;
    bool formatRead = false;
    std::optional<Qt::Alignment> alignment;
    std::optional<host::Font> font;
    std::int32_t backColor = 0, foreColor = 0;
    bool pictureRead = false;
    host::PictureHolder picture;
  };

  // The current cell and scroll position, read from the view when first wanted.
  struct ViewState {
    std::int32_t row = 0, col = 0, topRow = 0, leftCol = 0;
  };

  // --- the view and its table ---

  [[nodiscard]] QTableView& view() const { return as<QTableView>(); }
  [[nodiscard]] const QAbstractItemModel* model() const { return view().model(); }
  [[nodiscard]] QHeaderView& columnHeader() const { return *view().horizontalHeader(); }
  [[nodiscard]] QHeaderView& rowHeader() const { return *view().verticalHeader(); }
  [[nodiscard]] int fixedRows() const { return columnHeader().isHidden() ? 0 : 1; }
  [[nodiscard]] int fixedCols() const { return rowHeader().isHidden() ? 0 : 1; }
  [[nodiscard]] int rows() const {
    const QAbstractItemModel* m = model();
    return fixedRows() + (m != nullptr ? m->rowCount(view().rootIndex()) : 0);
  }
  [[nodiscard]] int cols() const {
    const QAbstractItemModel* m = model();
    return fixedCols() + (m != nullptr ? m->columnCount(view().rootIndex()) : 0);
  }

  [[nodiscard]] int rowIndex(const Value& at, std::string_view name) const {
    const std::int32_t row = at.toLong();
    if (row < 0 || row >= rows()) badArrayIndex(name);
    return row;
  }
  [[nodiscard]] int colIndex(const Value& at, std::string_view name) const {
    const std::int32_t col = at.toLong();
    if (col < 0 || col >= cols()) badArrayIndex(name);
    return col;
  }

  [[nodiscard]] Place placeOf(int row, int col) const {
    const int fr = fixedRows(), fc = fixedCols();
    Place place;
    place.row = row < fr ? -1 : rowHeader().logicalIndex(row - fr);
    place.col = col < fc ? -1 : columnHeader().logicalIndex(col - fc);
    if (place.row < 0 && place.col < 0) place.source = Source::Corner;
    else if (place.row < 0) place.source = Source::ColumnHeader;
    else if (place.col < 0) place.source = Source::RowHeader;
    else place.source = Source::Body;
    return place;
  }

  [[nodiscard]] QModelIndex modelIndex(const Place& place) const {
    return model()->index(place.row, place.col, view().rootIndex());
  }

  [[nodiscard]] QVariant role(const Place& place, int role) const {
    switch (place.source) {
      case Source::ColumnHeader: return model()->headerData(place.col, Qt::Horizontal, role);
      case Source::RowHeader: return model()->headerData(place.row, Qt::Vertical, role);
      case Source::Body: return modelIndex(place).data(role);
      case Source::Corner: break;
    }
    return {};
  }

  // A cell that a span of the view covers, other than the span's own first cell.
  [[nodiscard]] bool coveredBySpan(const Place& place) const {
    const QTableView& v = view();
    if (v.rowSpan(place.row, place.col) == 1 && v.columnSpan(place.row, place.col) == 1) return false;
    const QRect span = v.visualRect(modelIndex(place));
    const int x = v.columnViewportPosition(place.col);
    const bool leading = v.isRightToLeft() ? span.right() == x + v.columnWidth(place.col) - 1 : span.left() == x;
    return !(leading && span.top() == v.rowViewportPosition(place.row));
  }

  // --- one cell ---

  [[nodiscard]] Cell& cellAt(int row, int col) const {
    const std::uint64_t generation = watch_.generation(model());
    if (cell_.row != row || cell_.col != col || cell_.generation != generation) {
      cell_ = Cell{};
      cell_.row = row;
      cell_.col = col;
      cell_.generation = generation;
      cell_.place = placeOf(row, col);
    }
    return cell_;
  }

  [[nodiscard]] const std::string& textOf(Cell& cell) const {
    if (cell.text) return *cell.text;
    const Place& place = cell.place;
    if (place.source == Source::Body) {
      cell.text = coveredBySpan(place) ? std::string() : shownText(view(), modelIndex(place));
    } else {
      cell.text = role(place, Qt::DisplayRole).toString().toStdString();
    }
    return *cell.text;
  }

  Cell& formatted(Cell& cell) const {
    if (cell.formatRead) return cell;
    cell.formatRead = true;
    const Place& place = cell.place;
    if (place.source == Source::Corner) return cell;
    cell.alignment = alignmentOf(role(place, Qt::TextAlignmentRole));
    if (!cell.alignment && place.source != Source::Body)
      cell.alignment = (place.source == Source::ColumnHeader ? columnHeader() : rowHeader()).defaultAlignment();
    if (const QVariant font = role(place, Qt::FontRole); font.isValid()) cell.font = host::fromQFont(font.value<QFont>());
    else if (place.source != Source::Body)
      cell.font = host::fromQFont((place.source == Source::ColumnHeader ? columnHeader() : rowHeader()).font());
    if (const auto back = colorOf(role(place, Qt::BackgroundRole))) {
      cell.backColor = cellColor(*back);
    } else if (place.source == Source::Body && view().alternatingRowColors() && (cell.row - fixedRows()) % 2 == 1) {
      cell.backColor = cellColor(view().palette().color(QPalette::AlternateBase));
    }
    if (const auto fore = colorOf(role(place, Qt::ForegroundRole))) cell.foreColor = cellColor(*fore);
    return cell;
  }

  [[nodiscard]] std::int32_t pictureOf(Cell& cell) const {
    if (!cell.pictureRead) {
      cell.pictureRead = true;
      const QImage image = decorationImage(role(cell.place, Qt::DecorationRole), view().iconSize());
      if (!image.isNull()) cell.picture.hold(host::pictureOf(image));
    }
    return cell.picture.handle();
  }

  // The grid's own font (the view's, or what a print job set on it), read
  // once for each current row.
  [[nodiscard]] const host::Font& gridFont() const {
    if (!gridFont_ || gridFontRow_ != state().row) {
      const host::ObjectRef font = WidgetControl::get("Font").toObject();
      host::Font read(font->get("Name").toString(), font->get("Size").toDouble());
      read.setBold(font->get("Bold").toBool());
      read.setItalic(font->get("Italic").toBool());
      read.setUnderline(font->get("Underline").toBool());
      gridFont_ = read;
      gridFontRow_ = state().row;
    }
    return *gridFont_;
  }

  [[nodiscard]] host::Font cellFont() const {
    Cell& cell = formatted(current());
    return cell.font ? *cell.font : gridFont();
  }

  [[nodiscard]] Cell& current() const {
    const ViewState& at = state();
    if (at.row >= rows() || at.col >= cols()) badArrayIndex("Row");
    return cellAt(at.row, at.col);
  }

  // --- sizes ---

  [[nodiscard]] std::int32_t colWidth(int col) const {
    if (auto kept = keptHeights_.find(-1 - col); kept != keptHeights_.end()) return kept->second;
    if (col < fixedCols()) return toTwips(headerColumnPixels(rowHeader()));
    return host::CLng(widths_.twips(columnHeader().logicalIndex(col - fixedCols())));
  }

  [[nodiscard]] std::int32_t rowHeight(int row) const {
    if (auto kept = keptHeights_.find(row); kept != keptHeights_.end()) return kept->second;
    if (row < fixedRows()) return toTwips(headerRowPixels(columnHeader()));
    const int logical = rowHeader().logicalIndex(row - fixedRows());
    return rowHeader().isSectionHidden(logical) ? 0 : toTwips(rowHeader().sectionSize(logical));
  }

  // ColWidth(c) = w (c = -1: every column). The resizer resizes the header's
  // sections; a print job's widths are kept. The row-title column follows
  // the header's own font.
  void setColWidth(int col, double twips) {
    if (col < fixedCols()) {
      if (!writesReachWidget()) keptHeights_[-1 - col] = host::CLng(twips);
      return;
    }
    widths_.setTwips(columnHeader().logicalIndex(col - fixedCols()), twips);
  }

  void setRowHeight(int row, double twips) {
    if (!writesReachWidget() || row < fixedRows()) {
      keptHeights_[row] = host::CLng(twips);
      return;
    }
    const int logical = rowHeader().logicalIndex(row - fixedRows());
    if (!rowHeader().isSectionHidden(logical)) rowHeader().resizeSection(logical, toPixels(twips));
  }

  // --- view state ---

  [[nodiscard]] ViewState& state() const {
    if (!state_) state_ = readViewState();
    return *state_;
  }

  [[nodiscard]] ViewState readViewState() const {
    const QTableView& v = view();
    const int fr = fixedRows(), fc = fixedCols();
    const int lastRow = std::max(rows() - 1, 0), lastCol = std::max(cols() - 1, 0);
    ViewState at;
    const QModelIndex currentIndex = v.currentIndex();
    at.row = currentIndex.isValid() ? fr + rowHeader().visualIndex(currentIndex.row()) : fr;
    at.col = currentIndex.isValid() ? fc + columnHeader().visualIndex(currentIndex.column()) : fc;
    const int top = v.rowAt(0), left = v.columnAt(0);
    at.topRow = top >= 0 ? fr + rowHeader().visualIndex(top) : fr;
    at.leftCol = left >= 0 ? fc + columnHeader().visualIndex(left) : fc;
    at.row = std::clamp(at.row, 0, lastRow);
    at.col = std::clamp(at.col, 0, lastCol);
    at.topRow = std::clamp(at.topRow, 0, lastRow);
    at.leftCol = std::clamp(at.leftCol, 0, lastCol);
    return at;
  }

  // --- members ---

  [[nodiscard]] Value getMember(Member member, Args index) const {
    switch (member) {
      case Member::Rows: return Value(static_cast<std::int32_t>(rows()));
      case Member::Cols: return Value(static_cast<std::int32_t>(cols()));
      case Member::FixedRows: return Value(static_cast<std::int32_t>(fixedRows()));
      case Member::FixedCols: return Value(static_cast<std::int32_t>(fixedCols()));
      case Member::Row: return Value(state().row);
      case Member::Col: return Value(state().col);
      case Member::TopRow: return Value(state().topRow);
      case Member::LeftCol: return Value(state().leftCol);
      case Member::Text: return Value(textOf(current()));
      case Member::TextMatrix: {
        if (index.size() != 2) badArrayIndex("TextMatrix");
        const int row = rowIndex(index[0], "TextMatrix");
        return Value(textOf(cellAt(row, colIndex(index[1], "TextMatrix"))));
      }
      case Member::ColWidth: return Value(colWidth(colIndex(Value(onlyIndex(index, "ColWidth")), "ColWidth")));
      case Member::RowHeight: return Value(rowHeight(rowIndex(Value(onlyIndex(index, "RowHeight")), "RowHeight")));
      case Member::ColAlignment:
        (void)colIndex(Value(onlyIndex(index, "ColAlignment")), "ColAlignment");
        return Value(QtDefaultAlignment);
      case Member::CellAlignment: {
        const Cell& cell = formatted(current());
        return Value(cell.alignment ? gridAlignment(*cell.alignment) : QtDefaultAlignment);
      }
      case Member::CellPicture: return Value(pictureOf(current()));
      case Member::CellPictureAlignment: return Value(QtDefaultAlignment);
      case Member::CellBackColor: return Value(formatted(current()).backColor);
      case Member::CellForeColor: return Value(formatted(current()).foreColor);
      case Member::CellFontName: return Value(cellFont().name());
      case Member::CellFontBold: return Value(cellFont().bold());
      case Member::CellFontItalic: return Value(cellFont().italic());
      case Member::CellFontUnderline: return Value(cellFont().underline());
      case Member::CellFontSize: return Value(static_cast<float>(cellFont().size()));
    }
    missingMember("grid property");
  }

  void setMember(Member member, const Value& value, Args index) {
    ViewState& at = state();
    switch (member) {
      case Member::Row: at.row = rowIndex(value, "Row"); return;
      case Member::Col: at.col = colIndex(value, "Col"); return;
      case Member::TopRow: at.topRow = rowIndex(value, "TopRow"); return;
      case Member::LeftCol: at.leftCol = colIndex(value, "LeftCol"); return;
      case Member::ColWidth: {
        const std::int32_t col = onlyIndex(index, "ColWidth");
        if (value.toDouble() < 0) host::raise(host::err::InvalidPropertyValue, "Invalid property value: ColWidth");
        if (col == -1) {
          for (int c = 0; c < cols(); ++c) setColWidth(c, value.toDouble());
          return;
        }
        setColWidth(colIndex(Value(col), "ColWidth"), value.toDouble());
        return;
      }
      case Member::RowHeight:
        if (value.toDouble() < 0) host::raise(host::err::InvalidPropertyValue, "Invalid property value: RowHeight");
        setRowHeight(rowIndex(Value(onlyIndex(index, "RowHeight")), "RowHeight"), value.toDouble());
        return;
      default:
        // The live table's contents and formats are the application's.
        host::raise(host::err::InvalidPropertyValue, "The live table's cells cannot be changed");
    }
  }

  // The grid-wide looks: the headers' colours, the grid lines, word wrap.
  void declareLooks() {
    property("BackColorFixed", [this](Args) { return Value(hostColor(columnHeader().palette().color(QPalette::Button))); });
    property("ForeColorFixed",
             [this](Args) { return Value(hostColor(columnHeader().palette().color(QPalette::ButtonText))); });
    property("BackColorBkg", [this](Args) { return Value(hostColor(view().palette().color(QPalette::Base))); });
    property("GridColor", [this](Args) { return Value(hostColor(gridColor())); });
    property("GridColorFixed", [this](Args) { return Value(hostColor(columnHeader().palette().color(QPalette::Mid))); });
    property("GridLines", [this](Args) { return Value(std::int16_t(view().showGrid() ? 1 : 0)); });
    property("GridLinesFixed", [this](Args) { return Value(std::int16_t(view().showGrid() ? 1 : 0)); });
    property("WordWrap", [this](Args) { return Value(wrapsText(view())); });
    property("MergeCells", [](Args) { return Value(std::int16_t{0}); });
    property("BorderStyle", [this](Args) { return Value(std::int16_t(view().frameShape() == QFrame::NoFrame ? 0 : 1)); });
    property("Redraw", [this](Args) { return Value(view().updatesEnabled()); },
             [this](const Value& v, Args) { view().setUpdatesEnabled(v.toBool()); });
  }

  [[nodiscard]] QColor gridColor() const {
    QStyleOptionViewItem option;
    option.initFrom(&view());
    const int hint = view().style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &view());
    return hint != -1 ? QColor::fromRgba(static_cast<QRgb>(hint)) : view().palette().color(QPalette::Mid);
  }

  // A cell without an alignment of its own shows as Qt's items do: left, centred down.
  static constexpr std::int16_t QtDefaultAlignment = 1;

  ColumnWidths widths_;
  std::unordered_map<int, std::int32_t> keptHeights_;  // row heights; -1 - c for header column widths
  mutable ModelWatch watch_;
  mutable Cell cell_;
  mutable std::optional<ViewState> state_;
  mutable std::optional<host::Font> gridFont_;
  mutable std::int32_t gridFontRow_ = -1;
};

// ---------------------------------------------------------------------------
// The data grid's records
// ---------------------------------------------------------------------------

// The records of an SQL query model, all of them, without making the model
// fetch any: the rows the model holds are read from it (edits a table model
// has not yet written included); the rows after them from a forward-only
// cursor of our own on the same query, of which only the last few hundred
// rows are kept. The live model, and so the view's scroll range, stay as
// they were, and memory stays flat however long the query.
class SqlRecords {
 public:
  explicit SqlRecords(const QSqlQueryModel& model) : model_(&model) {}
  SqlRecords(const SqlRecords&) = delete;
  SqlRecords& operator=(const SqlRecords&) = delete;

  // Every record of the query (and rows a table model inserted).
  [[nodiscard]] std::int64_t count() {
    const QSqlQueryModel& m = model();
    if (!m.canFetchMore()) return m.rowCount();
    if (!queryRows_) queryRows_ = countQueryRows();
    return *queryRows_ + inserted();
  }

  // One field (a model column) of a record; an invalid value past the records.
  [[nodiscard]] QVariant value(std::int64_t record, int column) {
    const QSqlQueryModel& m = model();
    if (record < 0) return {};
    if (record < m.rowCount()) return m.index(static_cast<int>(record), column).data(Qt::DisplayRole);
    const std::vector<QVariant>* row = queryRow(record - inserted());
    const int field = cursorField(column);
    if (row == nullptr || field < 0 || field >= static_cast<int>(row->size())) return {};
    return (*row)[static_cast<std::size_t>(field)];
  }

 private:
  static constexpr std::size_t KeptRows = 512;

  [[nodiscard]] const QSqlQueryModel& model() const {
    if (!model_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the grid's model is gone");
    return *model_;
  }
  // Rows a table model shows that the query has not (inserted, not yet written).
  [[nodiscard]] std::int64_t inserted() const { return model().rowCount() - model().QSqlQueryModel::rowCount(); }

  void restart() {
    const QSqlQuery source = model().query();
    if (source.driver() == nullptr) host::raise(host::err::ObjectRequired, "The grid's query has no database");
    cursor_.emplace(source.driver()->createResult());
    cursor_->setForwardOnly(true);
    bool ran = cursor_->prepare(source.lastQuery());
    const QVariantList bound = source.boundValues();
    for (int i = 0; ran && i < bound.size(); ++i) cursor_->bindValue(i, bound[i]);
    ran = ran && cursor_->exec();
    if (!ran) {
      const std::string why = cursor_->lastError().text().toStdString();
      cursor_.reset();
      host::raise(host::err::InvalidProcedureCall, "The grid's records cannot be read again: " + why);
    }
    at_ = -1;
    kept_.clear();
    firstKept_ = 0;
  }

  [[nodiscard]] std::int64_t countQueryRows() {
    const QSqlQuery source = model().query();
    if (source.size() >= 0) return source.size();
    restart();
    std::int64_t rows = 0;
    while (cursor_->next()) ++rows;
    cursor_.reset();  // at its end: the next read starts it again
    return rows;
  }

  // Row `q` of the query (from 0); nullptr past its end.
  [[nodiscard]] const std::vector<QVariant>* queryRow(std::int64_t q) {
    if (q >= firstKept_ && q < firstKept_ + static_cast<std::int64_t>(kept_.size()))
      return &kept_[static_cast<std::size_t>(q - firstKept_)];
    if (!cursor_ || q < firstKept_ || q < at_) restart();
    while (at_ < q) {
      if (!cursor_->next()) return nullptr;
      ++at_;
      if (q - at_ >= static_cast<std::int64_t>(KeptRows)) {
        kept_.clear();  // far before the row wanted: not kept
        continue;
      }
      if (kept_.empty()) firstKept_ = at_;
      kept_.push_back(currentRow());
      if (kept_.size() > KeptRows) {
        kept_.pop_front();
        ++firstKept_;
      }
    }
    return kept_.empty() ? nullptr : &kept_.back();
  }

  [[nodiscard]] std::vector<QVariant> currentRow() const {
    const QSqlRecord record = cursor_->record();
    std::vector<QVariant> row(static_cast<std::size_t>(record.count()));
    for (int f = 0; f < record.count(); ++f) row[static_cast<std::size_t>(f)] = record.value(f);
    return row;
  }

  // The cursor's field of a model column: the same position unless the
  // model's columns were changed, then by name.
  [[nodiscard]] int cursorField(int column) const {
    const QSqlRecord fields = cursor_ ? cursor_->record() : QSqlRecord();
    if (fields.count() == model().columnCount()) return column;
    return fields.indexOf(model().record().fieldName(column));
  }

  QPointer<const QSqlQueryModel> model_;
  std::optional<QSqlQuery> cursor_;
  std::int64_t at_ = -1;  // the query row the cursor is on
  std::deque<std::vector<QVariant>> kept_;
  std::int64_t firstKept_ = 0;
  std::optional<std::int64_t> queryRows_;
};

// ---------------------------------------------------------------------------
// The data grid
// ---------------------------------------------------------------------------

// What the data grid and its column objects share.
struct DataGridParts {
  QPointer<QTableView> view;
  ColumnWidths widths;
  SqlRecords records;

  DataGridParts(QTableView& table, bool toWidgets, const QSqlQueryModel& model)
      : view(&table), widths(table, table.horizontalHeader(), toWidgets), records(model) {}

  [[nodiscard]] QTableView& table() const {
    if (!view) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the grid is gone");
    return *view;
  }
  [[nodiscard]] QHeaderView& header() const { return *table().horizontalHeader(); }
  [[nodiscard]] int columnCount() const { return table().model()->columnCount(); }
  // The model column shown as the grid's column c (visual order).
  [[nodiscard]] int logical(int c) const { return header().logicalIndex(c); }
  [[nodiscard]] int column(const Value& at) const {
    const std::int32_t c = at.toLong();
    if (c < 0 || c >= columnCount())
      host::raise(host::err::SubscriptOutOfRange, "Subscript out of range: Columns(" + std::to_string(c) + ")");
    return c;
  }
  // A record's field as the view shows it.
  [[nodiscard]] std::string text(std::int64_t record, int c) {
    const int field = logical(c);
    return shownText(table(), table().model()->index(0, field), records.value(record, field));
  }
};

// One column of the data grid, grid.Columns(c), c from 0 in the order shown.
class DataGridColumn final : public host::Object {
 public:
  DataGridColumn(std::shared_ptr<DataGridParts> parts, int c) : parts_(std::move(parts)), c_(c) {}
  [[nodiscard]] std::string typeName() const override { return "Column"; }

  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    using host::equalsNoCase;
    DataGridParts& parts = *parts_;
    const int field = parts.logical(c_);
    const QAbstractItemModel& model = *parts.table().model();
    if (equalsNoCase(name, "CellText") || equalsNoCase(name, "CellValue"))
      return Value(parts.text(static_cast<std::int64_t>(onlyIndex(index, name)), c_));
    if (equalsNoCase(name, "Caption")) return Value(model.headerData(field, Qt::Horizontal).toString().toStdString());
    if (equalsNoCase(name, "DataField")) {
      const auto* sql = qobject_cast<const QSqlQueryModel*>(&model);
      return Value(sql != nullptr ? sql->record().fieldName(field).toStdString() : std::string());
    }
    if (equalsNoCase(name, "Width")) return Value(static_cast<float>(parts.widths.twips(field)));
    if (equalsNoCase(name, "Visible")) return Value(!parts.header().isSectionHidden(field));
    if (equalsNoCase(name, "Alignment")) return Value(alignment(model, field));
    if (equalsNoCase(name, "WrapText")) return Value(wrapsText(parts.table()));
    if (equalsNoCase(name, "DividerStyle")) return Value(std::int16_t(parts.table().showGrid() ? 2 : 0));
    if (equalsNoCase(name, "ColIndex")) return Value(static_cast<std::int32_t>(c_));
    missingMember(name);
  }

  void set(std::string_view name, const Value& value, Args index) override {
    if (host::equalsNoCase(name, "Width")) return parts_->widths.setTwips(parts_->logical(c_), value.toDouble());
    (void)get(name, index);
    host::raise(host::err::InvalidPropertyValue, "Property is read-only: " + std::string(name));
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using host::Object::call;
  using host::Object::get;
  using host::Object::set;

 private:
  // The column's alignment (0 left, 1 right, 2 centre) as its first record shows it.
  static std::int16_t alignment(const QAbstractItemModel& model, int field) {
    const auto shown = alignmentOf(model.index(0, field).data(Qt::TextAlignmentRole));
    return shown ? hostAlignment(*shown) : std::int16_t{0};
  }

  std::shared_ptr<DataGridParts> parts_;
  int c_;
};

// grid.Columns: Count and Item(c), c from 0.
class DataGridColumns final : public host::Object {
 public:
  explicit DataGridColumns(std::shared_ptr<DataGridParts> parts) : parts_(std::move(parts)) {}
  [[nodiscard]] std::string typeName() const override { return "Columns"; }
  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    if (host::equalsNoCase(name, "Count")) return Value(static_cast<std::int32_t>(parts_->columnCount()));
    if (host::equalsNoCase(name, "Item")) return Value(column(onlyIndex(index, name)));
    missingMember(name);
  }
  Value call(std::string_view name, Args args) override { return get(name, args); }
  using host::Object::call;
  using host::Object::get;

  [[nodiscard]] host::ObjectRef column(std::int32_t c) const {
    return std::make_shared<DataGridColumn>(parts_, parts_->column(Value(c)));
  }

 private:
  std::shared_ptr<DataGridParts> parts_;
};

// A table view over an SQL query model as a data grid: a window of
// VisibleRows records from FirstRow, which Scroll moves; Row is the current
// row within the window (a row the window does not show raises 6148), Col
// the current column, Text the current cell's text. The window and its
// current cell are the adapter's; the view's own scroll and current cell
// stay as they are.
class DataGridControl final : public WidgetControl {
 public:
  static constexpr int InvalidRow = 6148;

  DataGridControl(LiveForm& form, QTableView& view, const QSqlQueryModel& model)
      : WidgetControl(form, view, "DataGrid", host::Kind::Other),
        parts_(std::make_shared<DataGridParts>(view, writesToWidgets(form), model)),
        columns_(std::make_shared<DataGridColumns>(parts_)),
        headFont_(std::make_shared<PartFont>(*view.horizontalHeader(), writesToWidgets(form))) {
    colorsFrom(QPalette::Base, QPalette::Text);
    declareLayout();
    declareWindow();
    declareCells();
  }

 private:
  [[nodiscard]] QTableView& view() const { return parts_->table(); }
  [[nodiscard]] int rowPixels() const { return std::max(view().verticalHeader()->defaultSectionSize(), 1); }
  [[nodiscard]] bool columnHeaders() const { return !view().horizontalHeader()->isHidden(); }

  void declareLayout() {
    property("ColumnHeaders", [this](Args) { return Value(columnHeaders()); });
    property("HeadLines", [](Args) { return Value(1.0F); });
    property("RowHeight", [this](Args) { return Value(static_cast<float>(toTwips(rowPixels()))); });
    property("RowDividerStyle", [this](Args) { return Value(std::int16_t(view().showGrid() ? 2 : 0)); });
    property("BorderStyle", [this](Args) { return Value(std::int16_t(view().frameShape() == QFrame::NoFrame ? 0 : 1)); });
    property("AllowAddNew", [](Args) { return Value(false); });
    property("Caption", [](Args) { return Value(std::string()); });
    property("HeadFont", [this](Args) { return Value(headFont_); });
    property("Columns", [this](Args index) {
      return index.empty() ? Value(host::ObjectRef(columns_)) : Value(columns_->column(onlyIndex(index, "Columns")));
    });
    method("Columns", [this](Args index) { return get("Columns", index); });
  }

  void declareWindow() {
    property("ApproxCount", [this](Args) { return Value::fromInt64(parts_->records.count()); });
    property("VisibleRows", [this](Args) { return Value(static_cast<std::int32_t>(visibleRows())); });
    property("VisibleCols", [this](Args) { return Value(static_cast<std::int32_t>(parts_->columnCount() - state().leftCol)); });
    property("FirstRow", [this](Args) { return Value::fromInt64(state().first); });
    property("RowBookmark", [this](Args index) {
      const std::int32_t i = onlyIndex(index, "RowBookmark");
      if (i < 0 || i >= shownRows()) host::raise(InvalidRow, "Invalid row number");
      return Value::fromInt64(state().first + i);
    });
    method("RowBookmark", [this](Args index) { return get("RowBookmark", index); });
    property("Bookmark", [this](Args) { return shownRows() > 0 ? Value::fromInt64(state().first + row()) : Value(); });
    property(
        "Row", [this](Args) { return Value(static_cast<std::int32_t>(row())); },
        [this](const Value& v, Args) {
          const std::int32_t r = v.toLong();
          if (r < 0 || r >= shownRows()) host::raise(InvalidRow, "Invalid row number");
          state().row = r;
        },
        Changes::AdapterState);
    property(
        "LeftCol", [this](Args) { return Value(state().leftCol); },
        [this](const Value& v, Args) { state().leftCol = columnIndex(v, "LeftCol"); }, Changes::AdapterState);
    method("Scroll", [this](Args args) {
      if (args.size() != 2) host::raise(host::err::InvalidProcedureCall, "Wrong number of arguments: Scroll");
      scroll(args[0].toLong(), args[1].toLong());
      return Value();
    });
  }

  void declareCells() {
    property(
        "Col", [this](Args) { return Value(state().col); },
        [this](const Value& v, Args) { state().col = columnIndex(v, "Col"); }, Changes::AdapterState);
    property("Text", [this](Args) {
      if (shownRows() == 0 || parts_->columnCount() == 0) return Value(std::string());
      return Value(parts_->text(state().first + row(), state().col));
    });
  }

  // --- the window ---

  struct Window {
    std::int64_t first = 0;
    std::int32_t row = 0, col = 0, leftCol = 0;
  };

  [[nodiscard]] Window& state() const {
    if (!window_) window_ = readWindow();
    return *window_;
  }

  [[nodiscard]] Window readWindow() const {
    Window window;
    const QTableView& v = view();
    window.first = std::max(v.rowAt(0), 0);
    const QModelIndex current = v.currentIndex();
    if (current.isValid()) {
      window.col = std::max(v.horizontalHeader()->visualIndex(current.column()), 0);
      const std::int64_t offset = current.row() - window.first;
      if (offset >= 0 && offset < visibleRows()) window.row = static_cast<std::int32_t>(offset);
    }
    const int left = v.columnAt(0);
    window.leftCol = left >= 0 ? std::max(v.horizontalHeader()->visualIndex(left), 0) : 0;
    return window;
  }

  // The rows the grid's height holds below its header; at least one.
  [[nodiscard]] int visibleRows() const {
    const double heightPixels = WidgetControl::get("Height").toDouble() / TwipsPerPixel;
    const double header = columnHeaders() ? rowPixels() : 0;
    const double rows = std::floor((heightPixels - 2 * view().frameWidth() - header) / rowPixels());
    return static_cast<int>(std::clamp(rows, 1.0, 32767.0));
  }

  [[nodiscard]] int shownRows() const {
    const std::int64_t left = std::max<std::int64_t>(parts_->records.count() - state().first, 0);
    return static_cast<int>(std::min<std::int64_t>(visibleRows(), left));
  }

  [[nodiscard]] int row() const { return std::min(state().row, std::max(shownRows() - 1, 0)); }

  [[nodiscard]] std::int32_t columnIndex(const Value& v, std::string_view name) const {
    const std::int32_t c = v.toLong();
    if (c < 0 || c >= std::max(parts_->columnCount(), 1))
      host::raise(host::err::InvalidPropertyValue, "Invalid property value: " + std::string(name));
    return c;
  }

  // The window may move until the last record is its first.
  void scroll(std::int32_t columns, std::int32_t rows) {
    Window& window = state();
    const std::int64_t last = std::max<std::int64_t>(parts_->records.count() - 1, 0);
    window.first = std::clamp<std::int64_t>(window.first + rows, 0, last);
    window.leftCol = std::clamp(window.leftCol + columns, 0, std::max(parts_->columnCount() - 1, 0));
    window.row = std::min(window.row, std::max(shownRows() - 1, 0));
  }

  std::shared_ptr<DataGridParts> parts_;
  std::shared_ptr<DataGridColumns> columns_;
  std::shared_ptr<PartFont> headFont_;
  mutable std::optional<Window> window_;
};

}  // namespace

std::shared_ptr<WidgetControl> adaptTableFamily(LiveForm& form, QWidget& widget) {
  auto* view = qobject_cast<QTableView*>(&widget);
  if (view == nullptr) return nullptr;
  if (const auto* sql = qobject_cast<const QSqlQueryModel*>(view->model()))
    return std::make_shared<DataGridControl>(form, *view, *sql);
  return std::make_shared<FlexGridControl>(form, *view);
}

}  // namespace qtforms
