// Flex grids: the table, the current cell and the properties that read and
// write it, reached by name. Renderers read a long grid cell by cell and
// property by property, so a name is found with one hash lookup and a cell
// with one multiplication.
#include "host/model/GridControls.h"

#include <algorithm>
#include <unordered_map>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/TextMetrics.h"
#include "host/model/ModelErrors.h"
#include "host/model/Pictures.h"

namespace host {

enum class FlexGrid::Member {
  Rows, Cols, FixedRows, FixedCols, Row, Col, TopRow, LeftCol, Text, TextMatrix, ColWidth, RowHeight,
  ColAlignment, CellAlignment, CellPicture, CellPictureAlignment, CellBackColor, CellForeColor, CellFontName,
  CellFontBold, CellFontItalic, CellFontUnderline, CellFontSize,
};

namespace {

// Space above and below the text of a row, in screen pixels.
constexpr int RowPaddingPixels = 4;
constexpr std::int16_t HighestAlignment = 9;

void checkAlignment(std::int32_t value, std::string_view name) {
  if (value < 0 || value > HighestAlignment) raise(err::InvalidPropertyValue, "Invalid property value: " + std::string(name));
}

// A width or height: -1 for the default, 0 hides the column or row.
std::int32_t sizeValue(const Value& value, std::string_view name) {
  const std::int32_t size = value.toLong();
  if (size < FlexGrid::DefaultSize) raise(err::InvalidPropertyValue, "Invalid property value: " + std::string(name));
  return size;
}

[[noreturn]] void outOfRange(std::string_view name) {
  raise(err::InvalidPropertyArrayIndex, errorText(err::InvalidPropertyArrayIndex) + ": " + std::string(name));
}

void checkArgumentCount(Args index, std::size_t wanted, std::string_view name) {
  if (index.size() != wanted)
    raise(model_err::WrongArguments, "Wrong number of arguments or invalid property assignment: " + std::string(name));
}

}  // namespace

FlexGrid::FlexGrid(std::string typeName) : typeName_(std::move(typeName)) {
  declareExtender();
  giveFont();
  giveWindow();
  declare({"Enabled", ValueType::Boolean, true});
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"BackColorFixed", ValueType::Long, ButtonFace});
  declare({"ForeColorFixed", ValueType::Long, ButtonText});
  declare({"BackColorBkg", ValueType::Long, systemColorValue(syscolor::AppWorkspace)});
  declare({"GridColor", ValueType::Long, 0xC0C0C0});
  declare({"GridColorFixed", ValueType::Long, 0});
  declare(PropertyDef{"GridLines", ValueType::Integer, 1}.between(0, 3));
  declare(PropertyDef{"GridLinesFixed", ValueType::Integer, 2}.between(0, 3));
  declare({"WordWrap", ValueType::Boolean, false});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"Redraw", ValueType::Boolean, true});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare({"Width", ValueType::Single, 4800});
  declare({"Height", ValueType::Single, 2400});
  resizeTable(2, 2);
  setFixedRows(1);
  setFixedCols(1);
}

// --- the table ----------------------------------------------------------------

void FlexGrid::resizeTable(int rows, int cols) {
  if (static_cast<std::int64_t>(rows) * cols > MaximumCells) raise(7, "Out of memory");
  if (cols != cols_) {
    std::vector<std::string> text(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    const int keptRows = std::min(rows, rows_);
    const int keptCols = std::min(cols, cols_);
    for (int r = 0; r < keptRows; ++r)
      for (int c = 0; c < keptCols; ++c)
        text[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c)] =
            std::move(text_[cellAt(r, c)]);
    text_ = std::move(text);
  } else {
    text_.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  }
  rows_ = rows;
  cols_ = cols;
  colWidth_.resize(static_cast<std::size_t>(cols), DefaultSize);
  colAlignment_.resize(static_cast<std::size_t>(cols), GeneralAlignment);
  rowHeight_.resize(static_cast<std::size_t>(rows), DefaultSize);
  std::erase_if(formats_, [&](const auto& entry) {
    return rowOfKey(entry.first) >= rows || colOfKey(entry.first) >= cols;
  });
  fixedRows_ = std::min(fixedRows_, rows);
  fixedCols_ = std::min(fixedCols_, cols);
  // The current cell and the scroll position stay inside the table.
  row_ = std::clamp(row_, 0, std::max(rows - 1, 0));
  col_ = std::clamp(col_, 0, std::max(cols - 1, 0));
  topRow_ = std::clamp(topRow_, 0, std::max(rows - 1, 0));
  leftCol_ = std::clamp(leftCol_, 0, std::max(cols - 1, 0));
  ++textWrites_;
}

void FlexGrid::setRows(std::int32_t rows) {
  if (rows < 0) raise(err::InvalidPropertyValue, "Invalid property value: Rows");
  resizeTable(rows, cols_);
}

void FlexGrid::setCols(std::int32_t cols) {
  if (cols < 0) raise(err::InvalidPropertyValue, "Invalid property value: Cols");
  resizeTable(rows_, cols);
}

// The first scrolling row or column follows the fixed ones, as the grid
// shows them; the current cell moves there when it was among them.
void FlexGrid::setFixedRows(std::int32_t rows) {
  if (rows < 0 || rows > rows_) raise(err::InvalidPropertyValue, "Invalid property value: FixedRows");
  fixedRows_ = rows;
  const int firstScrolling = std::min(rows, std::max(rows_ - 1, 0));
  topRow_ = std::max(topRow_, firstScrolling);
  row_ = std::max(row_, firstScrolling);
}

void FlexGrid::setFixedCols(std::int32_t cols) {
  if (cols < 0 || cols > cols_) raise(err::InvalidPropertyValue, "Invalid property value: FixedCols");
  fixedCols_ = cols;
  const int firstScrolling = std::min(cols, std::max(cols_ - 1, 0));
  leftCol_ = std::max(leftCol_, firstScrolling);
  col_ = std::max(col_, firstScrolling);
}

const std::string& FlexGrid::text(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) outOfRange("TextMatrix");
  return text_[cellAt(row, col)];
}

void FlexGrid::setText(int row, int col, std::string text) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) outOfRange("TextMatrix");
  text_[cellAt(row, col)] = std::move(text);
  ++textWrites_;
}

int FlexGrid::rowIndex(const Value& index, std::string_view name) const {
  const std::int32_t row = index.toLong();
  if (row < 0 || row >= rows_) outOfRange(name);
  return row;
}

int FlexGrid::colIndex(const Value& index, std::string_view name) const {
  const std::int32_t col = index.toLong();
  if (col < 0 || col >= cols_) outOfRange(name);
  return col;
}

void FlexGrid::checkCurrentCell() const {
  if (rows_ == 0 || cols_ == 0) outOfRange("Row");
}

const FlexGrid::CellFormat* FlexGrid::currentFormat() const {
  checkCurrentCell();
  auto found = formats_.find(cellKey(row_, col_));
  return found == formats_.end() ? nullptr : &found->second;
}

FlexGrid::CellFormat& FlexGrid::currentFormatForWrite() {
  checkCurrentCell();
  return formats_[cellKey(row_, col_)];
}

// A row as high as a line of the grid's font with a little space around it
// (240 twips for the default font).
std::int32_t FlexGrid::defaultRowHeight() const {
  const Font& font = fontObject()->font();
  if (measuredRowHeight_ == 0 || !(measuredFont_ == font)) {
    measuredFont_ = font;
    const int linePixels = measureText(font, "A").height;
    measuredRowHeight_ = static_cast<std::int32_t>((linePixels + RowPaddingPixels) * TwipsPerPixel);
  }
  return measuredRowHeight_;
}

// --- members by name --------------------------------------------------------------

const FlexGrid::Member* FlexGrid::memberNamed(std::string_view name) {
  static const std::unordered_map<std::string, Member, NoCaseHash, NoCaseEqual> members{
      {"Rows", Member::Rows},
      {"Cols", Member::Cols},
      {"FixedRows", Member::FixedRows},
      {"FixedCols", Member::FixedCols},
      {"Row", Member::Row},
      {"Col", Member::Col},
      {"TopRow", Member::TopRow},
      {"LeftCol", Member::LeftCol},
      {"Text", Member::Text},
      {"TextMatrix", Member::TextMatrix},
      {"ColWidth", Member::ColWidth},
      {"RowHeight", Member::RowHeight},
      {"ColAlignment", Member::ColAlignment},
      {"CellAlignment", Member::CellAlignment},
      {"CellPicture", Member::CellPicture},
      {"CellPictureAlignment", Member::CellPictureAlignment},
      {"CellBackColor", Member::CellBackColor},
      {"CellForeColor", Member::CellForeColor},
      {"CellFontName", Member::CellFontName},
      {"CellFontBold", Member::CellFontBold},
      {"CellFontItalic", Member::CellFontItalic},
      {"CellFontUnderline", Member::CellFontUnderline},
      {"CellFontSize", Member::CellFontSize},
  };
  auto found = members.find(name);
  return found == members.end() ? nullptr : &found->second;
}

Value FlexGrid::get(std::string_view name, Args index) const {
  if (const Member* member = memberNamed(name)) return getMember(*member, index);
  return Control::get(name, index);
}

void FlexGrid::set(std::string_view name, const Value& value, Args index) {
  if (const Member* member = memberNamed(name)) {
    setMember(*member, value, index);
    return;
  }
  Control::set(name, value, index);
}

Value FlexGrid::getMember(Member member, Args index) const {
  const bool indexed = member == Member::TextMatrix || member == Member::ColWidth || member == Member::RowHeight ||
                       member == Member::ColAlignment;
  if (!indexed) checkArgumentCount(index, 0, "grid property");
  const Font& font = fontObject()->font();
  switch (member) {
    case Member::Rows: return Value(static_cast<std::int32_t>(rows_));
    case Member::Cols: return Value(static_cast<std::int32_t>(cols_));
    case Member::FixedRows: return Value(static_cast<std::int32_t>(fixedRows_));
    case Member::FixedCols: return Value(static_cast<std::int32_t>(fixedCols_));
    case Member::Row: return Value(static_cast<std::int32_t>(row_));
    case Member::Col: return Value(static_cast<std::int32_t>(col_));
    case Member::TopRow: return Value(static_cast<std::int32_t>(topRow_));
    case Member::LeftCol: return Value(static_cast<std::int32_t>(leftCol_));
    case Member::Text:
      checkCurrentCell();
      return Value(text_[cellAt(row_, col_)]);
    case Member::TextMatrix:
      checkArgumentCount(index, 2, "TextMatrix");
      return Value(text(rowIndex(index[0], "TextMatrix"), colIndex(index[1], "TextMatrix")));
    case Member::ColWidth:
      checkArgumentCount(index, 1, "ColWidth");
      return Value(colWidth_[static_cast<std::size_t>(colIndex(index[0], "ColWidth"))]);
    case Member::RowHeight: {
      checkArgumentCount(index, 1, "RowHeight");
      const std::int32_t height = rowHeight_[static_cast<std::size_t>(rowIndex(index[0], "RowHeight"))];
      return Value(height == DefaultSize ? defaultRowHeight() : height);
    }
    case Member::ColAlignment:
      checkArgumentCount(index, 1, "ColAlignment");
      return Value(colAlignment_[static_cast<std::size_t>(colIndex(index[0], "ColAlignment"))]);
    default:
      break;
  }
  const CellFormat* cell = currentFormat();
  auto either = [&](const auto& own, auto fallback) { return own ? *own : fallback; };
  switch (member) {
    case Member::CellAlignment:
      return Value(cell != nullptr ? either(cell->alignment, colAlignment_[static_cast<std::size_t>(col_)])
                                   : colAlignment_[static_cast<std::size_t>(col_)]);
    case Member::CellPicture: return Value(cell != nullptr ? cell->picture.handle() : 0);
    case Member::CellPictureAlignment:
      return Value(cell != nullptr ? either(cell->pictureAlignment, std::int16_t{0}) : std::int16_t{0});
    case Member::CellBackColor: return Value(cell != nullptr ? either(cell->backColor, 0) : 0);
    case Member::CellForeColor: return Value(cell != nullptr ? either(cell->foreColor, 0) : 0);
    case Member::CellFontName:
      return Value(cell != nullptr && cell->fontName ? *cell->fontName : font.name());
    case Member::CellFontBold: return Value(cell != nullptr ? either(cell->fontBold, font.bold()) : font.bold());
    case Member::CellFontItalic:
      return Value(cell != nullptr ? either(cell->fontItalic, font.italic()) : font.italic());
    case Member::CellFontUnderline:
      return Value(cell != nullptr ? either(cell->fontUnderline, font.underline()) : font.underline());
    case Member::CellFontSize:
      return Value(static_cast<float>(cell != nullptr ? either(cell->fontSize, font.size()) : font.size()));
    default:
      break;
  }
  missingMember("grid property");
}

void FlexGrid::setMember(Member member, const Value& value, Args index) {
  const bool indexed = member == Member::TextMatrix || member == Member::ColWidth || member == Member::RowHeight ||
                       member == Member::ColAlignment;
  if (!indexed) checkArgumentCount(index, 0, "grid property");
  // An index of -1 sets a width, height or alignment of every column or row.
  enum class Along { Columns, Rows };
  auto eachOrOne = [&](auto& values, Along along, std::string_view name, auto converted) {
    checkArgumentCount(index, 1, name);
    const Value& at = index[0];
    if (at.toLong() == -1) {
      std::fill(values.begin(), values.end(), converted);
      return;
    }
    const int position = along == Along::Columns ? colIndex(at, name) : rowIndex(at, name);
    values[static_cast<std::size_t>(position)] = converted;
  };
  switch (member) {
    case Member::Rows: setRows(value.toLong()); return;
    case Member::Cols: setCols(value.toLong()); return;
    case Member::FixedRows: setFixedRows(value.toLong()); return;
    case Member::FixedCols: setFixedCols(value.toLong()); return;
    case Member::Row: row_ = rowIndex(value, "Row"); return;
    case Member::Col: col_ = colIndex(value, "Col"); return;
    case Member::TopRow: topRow_ = rowIndex(value, "TopRow"); return;
    case Member::LeftCol: leftCol_ = colIndex(value, "LeftCol"); return;
    case Member::Text:
      checkCurrentCell();
      setText(row_, col_, value.toString());
      return;
    case Member::TextMatrix: {
      checkArgumentCount(index, 2, "TextMatrix");
      const int row = rowIndex(index[0], "TextMatrix");
      setText(row, colIndex(index[1], "TextMatrix"), value.toString());
      return;
    }
    case Member::ColWidth:
      eachOrOne(colWidth_, Along::Columns, "ColWidth", sizeValue(value, "ColWidth"));
      return;
    case Member::RowHeight:
      eachOrOne(rowHeight_, Along::Rows, "RowHeight", sizeValue(value, "RowHeight"));
      return;
    case Member::ColAlignment: {
      const std::int16_t alignment = value.toInteger();
      checkAlignment(alignment, "ColAlignment");
      eachOrOne(colAlignment_, Along::Columns, "ColAlignment", alignment);
      return;
    }
    default:
      break;
  }
  CellFormat& cell = currentFormatForWrite();
  switch (member) {
    case Member::CellAlignment: {
      const std::int16_t alignment = value.toInteger();
      checkAlignment(alignment, "CellAlignment");
      cell.alignment = alignment;
      return;
    }
    case Member::CellPictureAlignment: {
      const std::int16_t alignment = value.toInteger();
      checkAlignment(alignment, "CellPictureAlignment");
      cell.pictureAlignment = alignment;
      return;
    }
    case Member::CellPicture:
      // A handle (another control's Picture), 0 to clear, or a file to load.
      if (value.isString()) {
        const std::string path = value.toString();
        cell.picture.hold(path.empty() ? Picture() : Picture::load(path), path);
      } else {
        cell.picture.holdHandle(value.toLong());
      }
      return;
    case Member::CellBackColor: cell.backColor = value.toLong(); return;
    case Member::CellForeColor: cell.foreColor = value.toLong(); return;
    case Member::CellFontName: {
      std::string family = value.toString();
      if (family.empty()) raise(err::InvalidPropertyValue, "Invalid property value: CellFontName");
      cell.fontName = std::move(family);
      return;
    }
    case Member::CellFontBold: cell.fontBold = value.toBool(); return;
    case Member::CellFontItalic: cell.fontItalic = value.toBool(); return;
    case Member::CellFontUnderline: cell.fontUnderline = value.toBool(); return;
    case Member::CellFontSize: {
      const double points = value.toDouble();
      if (!(points > 0) || points > 2160) raise(err::InvalidPropertyValue, "Invalid property value: CellFontSize");
      cell.fontSize = grantedFontSize(points);
      return;
    }
    default:
      break;
  }
  missingMember("grid property");
}

}  // namespace host
