// A flex grid in a form file: its size, texts (inline as TextMatrix or from a
// CSV file as CellsFile), column widths and alignments, row heights, the
// attributes of single cells, and its current cell and scroll position.
// Everything is applied in the order it depends on: the table's size first,
// then what lies in it, the current cell last.
#include <algorithm>
#include <cmath>
#include <map>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Csv.h"
#include "host/model/FormData.h"
#include "host/model/GridControls.h"
#include "host/model/UserFile.h"

namespace host {

namespace {

using Table = std::vector<std::vector<std::string>>;

std::string element(std::string_view key, std::size_t index) {
  return std::string(key) + "[" + std::to_string(index) + "]";
}

class GridCodec final : public FormDataCodec {
 public:
  [[nodiscard]] std::vector<std::string_view> keys() const override {
    return {"Rows", "Cols", "FixedRows", "FixedCols", "TextMatrix", "CellsFile", "ColWidth", "RowHeight",
            "ColAlignment", "Cells", "Row", "Col", "TopRow", "LeftCol"};
  }

  void load(Control& control, const FormDataReader& data) const override {
    auto& grid = dynamic_cast<FlexGrid&>(control);
    const std::optional<Table> texts = tableOf(data);
    if (auto file = data.value("CellsFile")) grid.cellsFile = data.resolved(file->toString().toStdString());
    sizeTable(grid, data, texts);
    if (texts) fillTexts(grid, data, *texts);
    applyList(grid, data, "ColWidth", grid.cols());
    applyList(grid, data, "RowHeight", grid.rows());
    applyList(grid, data, "ColAlignment", grid.cols());
    if (auto cells = data.value("Cells")) applyCells(grid, data, *cells);
    for (std::string_view position : {"Row", "Col", "TopRow", "LeftCol"})
      if (auto given = data.value(position)) {
        const std::string key = data.spelling(position);
        assign(grid, data, key, position, Value(whole(data, *given, key)));
      }
    grid.textWritesAtLoad = grid.textWrites();
  }

  void save(const Control& control, FormDataWriter& out) const override {
    const auto& grid = dynamic_cast<const FlexGrid&>(control);
    const FlexGrid pristine(grid.typeName());
    addIfDiffers(out, "Rows", grid.rows(), pristine.rows());
    addIfDiffers(out, "Cols", grid.cols(), pristine.cols());
    addIfDiffers(out, "FixedRows", grid.fixedRows(), pristine.fixedRows());
    addIfDiffers(out, "FixedCols", grid.fixedCols(), pristine.fixedCols());
    if (!grid.cellsFile.empty() && grid.textWrites() == grid.textWritesAtLoad) {
      out.add("CellsFile", Json::string(out.relative(grid.cellsFile)));
    } else {
      addTexts(out, grid);
    }
    addList(out, "ColWidth", grid.cols(), FlexGrid::DefaultSize, [&](int c) { return grid.colWidthSetting(c); });
    addList(out, "RowHeight", grid.rows(), FlexGrid::DefaultSize, [&](int r) { return grid.rowHeightSetting(r); });
    addList(out, "ColAlignment", grid.cols(), FlexGrid::GeneralAlignment,
            [&](int c) { return static_cast<std::int32_t>(grid.colAlignment(c)); });
    addCells(out, grid);
    addPositions(out, grid);
  }

 private:
  // --- loading ---

  static double whole(const FormDataReader& data, const QJsonValue& value, std::string_view key) {
    const double number = data.number(value, key);
    if (std::floor(number) != number || std::abs(number) > 2147483647.0) data.fail(key, "must be a whole number");
    return number;
  }

  // Assigns a property of the grid by name; a failure is refused at `key`
  // (the key as the file gives it, or one of its elements).
  static void assign(FlexGrid& grid, const FormDataReader& data, const std::string& key, std::string_view property,
                     const Value& value, Args index = {}) {
    try {
      grid.set(property, value, index);
    } catch (const HostError& error) {
      data.fail(key, error.description());
    }
  }

  // The texts given inline or in the CSV file; nullopt when neither is given.
  static std::optional<Table> tableOf(const FormDataReader& data) {
    auto inline_ = data.value("TextMatrix");
    auto file = data.value("CellsFile");
    if (inline_ && file)
      data.fail(data.spelling("CellsFile"), "cannot be given together with \"" + data.spelling("TextMatrix") + "\"");
    if (file) return tableFromFile(data, data.text(*file, data.spelling("CellsFile")));
    if (!inline_) return std::nullopt;
    const std::string key = data.spelling("TextMatrix");
    Table table;
    const std::vector<QJsonValue> rows = data.array(*inline_, key);
    table.reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const std::string rowKey = element(key, r);
      std::vector<std::string>& texts = table.emplace_back();
      for (const QJsonValue& cell : data.array(rows[r], rowKey)) texts.push_back(cellText(data, cell, rowKey));
    }
    return table;
  }

  // A cell is text; a number or true/false is taken as the text it reads as.
  static std::string cellText(const FormDataReader& data, const QJsonValue& cell, const std::string& key) {
    if (cell.isString()) return cell.toString().toStdString();
    if (cell.isDouble()) return numberText(cell.toDouble());
    if (cell.isBool()) return cell.toBool() ? "True" : "False";
    data.fail(key, std::string("a cell must be text or a number, not ") + jsonKindName(cell));
  }

  static Table tableFromFile(const FormDataReader& data, const std::string& given) {
    const std::string key = data.spelling("CellsFile");
    const std::filesystem::path file = data.resolved(given);
    QByteArray bytes;
    try {
      bytes = readUserFile(file);
    } catch (const UserFileError& error) {
      data.fail(key, file.string() + ": " + error.what());
    }
    Table table;
    try {
      table = parseCsv(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const CsvError& error) {
      data.fail(key, file.string() + ", " + error.what());
    }
    // Said here: taken as it is, the grid would be refused for rows it never had.
    if (table.empty()) data.fail(key, file.string() + " is empty: a grid takes its cells from one row or more");
    return table;
  }

  static int widest(const Table& table) {
    std::size_t width = 0;
    for (const auto& row : table) width = std::max(width, row.size());
    return static_cast<int>(width);
  }

  // Rows and Cols as given, else as large as the texts; then the fixed rows and columns.
  static void sizeTable(FlexGrid& grid, const FormDataReader& data, const std::optional<Table>& texts) {
    auto dimension = [&](std::string_view key, int fromTexts) -> std::optional<double> {
      if (auto given = data.value(key)) {
        const double count = whole(data, *given, data.spelling(key));
        if (count < 0) data.fail(data.spelling(key), "must not be negative");
        return count;
      }
      if (texts) return fromTexts;
      return std::nullopt;
    };
    const std::optional<double> rows = dimension("Rows", texts ? static_cast<int>(texts->size()) : 0);
    const std::optional<double> cols = dimension("Cols", texts ? widest(*texts) : 0);
    if (rows && cols && *rows * *cols > static_cast<double>(FlexGrid::MaximumCells))
      data.fail(data.spelling("Rows"), "makes a table of more than " + std::to_string(FlexGrid::MaximumCells) + " cells");
    if (cols) assign(grid, data, data.spelling("Cols"), "Cols", Value(*cols));
    if (rows) assign(grid, data, data.spelling("Rows"), "Rows", Value(*rows));
    for (std::string_view name : {"FixedRows", "FixedCols"}) {
      if (auto given = data.value(name)) {
        const std::string key = data.spelling(name);
        assign(grid, data, key, name, Value(whole(data, *given, key)));
      }
    }
  }

  static void fillTexts(FlexGrid& grid, const FormDataReader& data, const Table& texts) {
    const std::string key = data.spelling(data.value("CellsFile") ? "CellsFile" : "TextMatrix");
    if (static_cast<int>(texts.size()) > grid.rows())
      data.fail(key, "has " + std::to_string(texts.size()) + " rows, more than the grid's " +
                         std::to_string(grid.rows()) + " (Rows)");
    for (std::size_t r = 0; r < texts.size(); ++r) {
      if (static_cast<int>(texts[r].size()) > grid.cols())
        data.fail(element(key, r), "has " + std::to_string(texts[r].size()) + " cells, more than the grid's " +
                                       std::to_string(grid.cols()) + " columns (Cols)");
      for (std::size_t c = 0; c < texts[r].size(); ++c)
        grid.setText(static_cast<int>(r), static_cast<int>(c), texts[r][c]);
    }
  }

  // ColWidth, RowHeight, ColAlignment: the first entries of the grid's columns or rows.
  static void applyList(FlexGrid& grid, const FormDataReader& data, std::string_view name, int count) {
    auto given = data.value(name);
    if (!given) return;
    const std::string key = data.spelling(name);
    const std::vector<QJsonValue> items = data.array(*given, key);
    if (static_cast<int>(items.size()) > count)
      data.fail(key, "has " + std::to_string(items.size()) + " entries for " + std::to_string(count));
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string itemKey = element(key, i);
      const Value index[] = {Value(static_cast<std::int32_t>(i))};
      assign(grid, data, itemKey, name, Value(whole(data, items[i], itemKey)), Args(index));
    }
  }

  static void applyCells(FlexGrid& grid, const FormDataReader& data, const QJsonValue& cells) {
    const std::string key = data.spelling("Cells");
    const Value row = grid.get("Row");
    const Value col = grid.get("Col");
    const std::vector<QJsonValue> entries = data.array(cells, key);
    for (std::size_t i = 0; i < entries.size(); ++i) applyCell(grid, data, entries[i], element(key, i));
    grid.set("Row", row);
    grid.set("Col", col);
  }

  static void applyCell(FlexGrid& grid, const FormDataReader& data, const QJsonValue& entry, const std::string& key) {
    auto members = data.members(entry, key);
    auto take = [&](std::string_view name) { return takeMember(members, name); };
    for (auto [name, limit] : {std::pair{"Row", grid.rows()}, std::pair{"Col", grid.cols()}}) {
      const std::string place = key + "." + name;
      auto given = take(name);
      if (!given) data.fail(place, "is missing");
      const double at = whole(data, *given, place);
      if (at < 0 || at >= limit)
        data.fail(place, "lies outside the grid, which has " + std::to_string(limit) +
                             (std::string_view(name) == "Row" ? " rows" : " columns"));
      grid.set(name, Value(at));
    }
    static constexpr std::pair<std::string_view, std::string_view> colours[] = {{"BackColor", "CellBackColor"},
                                                                                 {"ForeColor", "CellForeColor"}};
    static constexpr std::pair<std::string_view, std::string_view> numbers[] = {
        {"Alignment", "CellAlignment"}, {"PictureAlignment", "CellPictureAlignment"}, {"FontSize", "CellFontSize"}};
    static constexpr std::pair<std::string_view, std::string_view> switches[] = {
        {"FontBold", "CellFontBold"}, {"FontItalic", "CellFontItalic"}, {"FontUnderline", "CellFontUnderline"}};
    auto place = [&](std::string_view name) { return key + "." + std::string(name); };
    for (auto [name, property] : colours)
      if (auto v = take(name)) assign(grid, data, place(name), property, Value(data.color(*v, place(name))));
    for (auto [name, property] : numbers)
      if (auto v = take(name)) assign(grid, data, place(name), property, Value(data.number(*v, place(name))));
    for (auto [name, property] : switches)
      if (auto v = take(name)) assign(grid, data, place(name), property, Value(data.boolean(*v, place(name))));
    if (auto v = take("FontName")) assign(grid, data, place("FontName"), "CellFontName", Value(data.text(*v, place("FontName"))));
    if (auto v = take("Picture")) {
      const std::string file = data.resolved(data.text(*v, place("Picture"))).string();
      assign(grid, data, place("Picture"), "CellPicture", Value(file));
    }
    if (!members.empty()) data.fail(place(members.front().first), "is not a key of a grid cell");
  }

  // --- saving ---

  static void addIfDiffers(FormDataWriter& out, const char* key, int value, int pristine) {
    if (value != pristine) out.add(key, Json::literal(numberText(value)));
  }

  // The texts up to the last row that holds one, each row up to its last text.
  static void addTexts(FormDataWriter& out, const FlexGrid& grid) {
    Json rows = Json::array();
    int lastRow = -1;
    for (int r = 0; r < grid.rows(); ++r) {
      int lastCol = -1;
      for (int c = 0; c < grid.cols(); ++c)
        if (!grid.text(r, c).empty()) lastCol = c;
      Json row = Json::array();
      for (int c = 0; c <= lastCol; ++c) row.push(Json::string(grid.text(r, c)));
      rows.push(std::move(row));
      if (lastCol >= 0) lastRow = r;
    }
    if (lastRow < 0) return;
    rows.items.resize(static_cast<std::size_t>(lastRow) + 1);
    out.add("TextMatrix", std::move(rows));
  }

  template <class Setting>
  static void addList(FormDataWriter& out, const char* key, int count, std::int32_t byDefault, Setting setting) {
    int last = -1;
    for (int i = 0; i < count; ++i)
      if (setting(i) != byDefault) last = i;
    if (last < 0) return;
    Json items = Json::array();
    for (int i = 0; i <= last; ++i) items.push(Json::literal(numberText(setting(i))));
    out.add(key, std::move(items));
  }

  static void addCells(FormDataWriter& out, const FlexGrid& grid) {
    const std::map<std::uint64_t, const FlexGrid::CellFormat*> ordered = [&] {
      std::map<std::uint64_t, const FlexGrid::CellFormat*> byPlace;
      for (const auto& [cellKey, format] : grid.formats()) byPlace.emplace(cellKey, &format);
      return byPlace;
    }();
    Json cells = Json::array();
    for (const auto& [cellKey, format] : ordered) {
      Json cell = Json::object();
      if (format->backColor) cell.add("BackColor", Json::color(*format->backColor));
      if (format->foreColor) cell.add("ForeColor", Json::color(*format->foreColor));
      if (format->alignment) cell.add("Alignment", Json::literal(numberText(*format->alignment)));
      if (format->fontBold) cell.add("FontBold", Json::boolean(*format->fontBold));
      if (format->fontItalic) cell.add("FontItalic", Json::boolean(*format->fontItalic));
      if (format->fontUnderline) cell.add("FontUnderline", Json::boolean(*format->fontUnderline));
      if (format->fontName) cell.add("FontName", Json::string(*format->fontName));
      if (format->fontSize) cell.add("FontSize", Json::number(*format->fontSize));
      if (!format->picture.source().empty())
        cell.add("Picture", Json::string(out.relative(format->picture.source())));
      if (format->pictureAlignment) cell.add("PictureAlignment", Json::literal(numberText(*format->pictureAlignment)));
      if (cell.members.empty()) continue;
      cell.members.insert(cell.members.begin(),
                          {{"Row", Json::literal(numberText(FlexGrid::rowOfKey(cellKey)))},
                           {"Col", Json::literal(numberText(FlexGrid::colOfKey(cellKey)))}});
      cells.push(std::move(cell));
    }
    if (!cells.items.empty()) out.add("Cells", std::move(cells));
  }

  // The current cell and scroll position where a grid of this size would not have them.
  static void addPositions(FormDataWriter& out, const FlexGrid& grid) {
    FlexGrid natural(grid.typeName());
    natural.setCols(grid.cols());
    natural.setRows(grid.rows());
    natural.setFixedRows(grid.fixedRows());
    natural.setFixedCols(grid.fixedCols());
    for (const char* key : {"Row", "Col", "TopRow", "LeftCol"}) {
      const std::int32_t value = grid.get(key).toLong();
      if (value != natural.get(key).toLong()) out.add(key, Json::literal(numberText(value)));
    }
  }
};

}  // namespace

const FormDataCodec* FlexGrid::formData() const {
  static const GridCodec codec;
  return &codec;
}

}  // namespace host
