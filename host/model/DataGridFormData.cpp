// A data grid in a form file: the database (relative to the form file) and
// the record source it shows, its columns (one per field when none are
// given) and its header font. A database, record source or column the grid
// cannot show is refused when the form loads, so nothing is printed from it.
#include <string>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/DataGridControls.h"
#include "host/model/FormData.h"

namespace host {

namespace {

// A column's keys in the order a form file writes them.
constexpr std::string_view columnKeys[] = {"DataField", "Caption", "Width", "Alignment", "Visible", "WrapText",
                                           "DividerStyle"};

std::string fieldList(const RecordSet& records) {
  std::string list;
  for (const std::string& field : records.fieldNames()) list += (list.empty() ? "" : ", ") + field;
  return list;
}

class DataGridCodec final : public FormDataCodec {
 public:
  [[nodiscard]] std::vector<std::string_view> keys() const override {
    return {"Database", "RecordSource", "Columns", "HeadFont"};
  }

  void load(Control& control, const FormDataReader& data) const override {
    auto& grid = dynamic_cast<DataGrid&>(control);
    if (auto font = data.value("HeadFont"))
      grid.headFont()->setFont(data.font(*font, data.spelling("HeadFont"), grid.headFont()->font()));
    bindRecords(grid, data);
    if (auto columns = data.value("Columns")) grid.setColumns(columnsOf(grid, data, *columns));
  }

  void save(const Control& control, FormDataWriter& out) const override {
    const auto& grid = dynamic_cast<const DataGrid&>(control);
    if (!grid.database().empty()) out.add("Database", Json::string(out.relative(grid.database())));
    if (!grid.recordSource().empty()) out.add("RecordSource", Json::string(grid.recordSource()));
    if (grid.columnsGiven) out.add("Columns", columnsJson(grid));
    const Font pristine = FontObject().font();
    if (!(grid.headFont()->font() == pristine)) out.add("HeadFont", jsonOfFont(grid.headFont()->font(), &pristine));
  }

 private:
  static void bindRecords(DataGrid& grid, const FormDataReader& data) {
    auto database = data.value("Database");
    auto source = data.value("RecordSource");
    const std::string databaseKey = data.spelling("Database");
    const std::string sourceKey = data.spelling("RecordSource");
    if (!database && !source) return;
    if (!source) data.fail(databaseKey, "needs a \"RecordSource\" to show");
    if (!database) data.fail(sourceKey, "needs a \"Database\" to read from");
    const std::filesystem::path path = data.resolved(data.text(*database, databaseKey));
    const std::string query = data.text(*source, sourceKey);
    try {
      grid.bind(path, query);
    } catch (const RecordSetError& error) {
      data.fail(error.cause == RecordSetError::Cause::Database ? databaseKey : sourceKey, error.problem);
    }
  }

  static std::vector<std::shared_ptr<DataGridColumn>> columnsOf(const DataGrid& grid, const FormDataReader& data,
                                                                const QJsonValue& value) {
    const std::string key = data.spelling("Columns");
    std::vector<std::shared_ptr<DataGridColumn>> columns;
    const std::vector<QJsonValue> items = data.array(value, key);
    for (std::size_t i = 0; i < items.size(); ++i)
      columns.push_back(columnOf(grid, data, items[i], key + "[" + std::to_string(i) + "]"));
    return columns;
  }

  static std::shared_ptr<DataGridColumn> columnOf(const DataGrid& grid, const FormDataReader& data,
                                                  const QJsonValue& value, const std::string& place) {
    auto column = std::make_shared<DataGridColumn>(std::static_pointer_cast<const DataGrid>(grid.shared_from_this()),
                                                   std::string(), std::string());
    bool captioned = false;
    for (const auto& [key, given] : data.members(value, place)) {
      const std::string at = place + "." + key;
      const std::string_view* known = knownColumnKey(key);
      if (known == nullptr) data.fail(at, "is not a property of a column");
      captioned = captioned || *known == "Caption";
      const Value setting = columnValue(data, *known, given, at);
      if (*known == "DataField") checkField(grid, data, setting.toString(), at);
      try {
        column->set(*known, setting);
      } catch (const HostError& error) {
        data.fail(at, error.description());
      }
    }
    if (!captioned) column->caption = column->dataField;
    return column;
  }

  static const std::string_view* knownColumnKey(const std::string& key) {
    for (const std::string_view& known : columnKeys)
      if (equalsNoCase(known, key)) return &known;
    return nullptr;
  }

  static Value columnValue(const FormDataReader& data, std::string_view key, const QJsonValue& given,
                           const std::string& at) {
    if (key == "DataField" || key == "Caption") return Value(data.text(given, at));
    if (key == "Visible" || key == "WrapText") return Value(data.boolean(given, at));
    return numberValue(data.number(given, at), false);
  }

  static void checkField(const DataGrid& grid, const FormDataReader& data, const std::string& field,
                         const std::string& at) {
    if (grid.records() == nullptr) data.fail(at, "needs the grid's \"Database\" and \"RecordSource\"");
    if (grid.records()->fieldIndex(field) < 0)
      data.fail(at, "names no field of the record source: \"" + field + "\" (its fields: " +
                        fieldList(*grid.records()) + ")");
  }

  static Json columnsJson(const DataGrid& grid) {
    Json list = Json::array();
    const DataGridColumn pristine({}, std::string(), std::string());
    for (const auto& column : grid.columns()) {
      Json item = Json::object();
      item.add("DataField", Json::string(column->dataField));
      if (column->caption != column->dataField) item.add("Caption", Json::string(column->caption));
      if (column->width != pristine.width) item.add("Width", Json::number(column->width));
      if (column->alignment != pristine.alignment) item.add("Alignment", Json::number(column->alignment));
      if (column->visible != pristine.visible) item.add("Visible", Json::boolean(column->visible));
      if (column->wrapText != pristine.wrapText) item.add("WrapText", Json::boolean(column->wrapText));
      if (column->dividerStyle != pristine.dividerStyle)
        item.add("DividerStyle", Json::number(column->dividerStyle));
      list.push(std::move(item));
    }
    return list;
  }
};

}  // namespace

const FormDataCodec* DataGrid::formData() const {
  static const DataGridCodec codec;
  return &codec;
}

}  // namespace host
