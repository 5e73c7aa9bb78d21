// List views: the control, its column headers and list items, and its
// form-file data (the headers and the items with their sub-items).
#include "host/model/ListViewControl.h"

#include <QJsonValue>
#include <algorithm>
#include <optional>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/FormData.h"
#include "host/model/ModelErrors.h"

namespace host {

namespace {

[[noreturn]] void readOnly(std::string_view name) {
  raise(model_err::ReadOnly, "'" + std::string(name) + "' property is read-only");
}

void noIndex(std::string_view name, Args index) {
  if (!index.empty()) raise(model_err::WrongArguments, "Wrong number of arguments: " + std::string(name));
}

// An optional argument of a method: Empty or left out.
const Value& argument(Args args, std::size_t at) {
  static const Value missing;
  return at < args.size() ? args[at] : missing;
}

}  // namespace

// --- ColumnHeader -----------------------------------------------------------

void ColumnHeader::setWidth(float width) {
  if (!(width >= 0)) raise(err::InvalidPropertyValue, "Invalid property value: Width");
  width_ = width;
}

void ColumnHeader::setAlignment(std::int16_t alignment) {
  if (alignment < 0 || alignment > 2) raise(err::InvalidPropertyValue, "Invalid property value: Alignment");
  alignment_ = alignment;
}

Value ColumnHeader::get(std::string_view name, Args index) const {
  noIndex(name, index);
  if (equalsNoCase(name, "Text")) return Value(text_);
  if (equalsNoCase(name, "Width")) return Value(width_);
  if (equalsNoCase(name, "Alignment")) return Value(alignment_);
  if (equalsNoCase(name, "Index")) return Value(static_cast<std::int32_t>(position));
  missingMember(name);
}

void ColumnHeader::set(std::string_view name, const Value& value, Args index) {
  noIndex(name, index);
  if (equalsNoCase(name, "Text")) return setText(value.toString());
  if (equalsNoCase(name, "Width")) return setWidth(value.toSingle());
  if (equalsNoCase(name, "Alignment")) return setAlignment(value.toInteger());
  if (equalsNoCase(name, "Index")) readOnly(name);
  missingMember(name);
}

// --- ListItem ---------------------------------------------------------------

void ListItem::checkSubItem(std::int32_t j) const {
  const auto columns = columns_.lock();
  const int count = columns ? columns->count() : 0;
  if (j < 1 || j >= count) raise(err::InvalidPropertyArrayIndex, "Invalid property array index");
}

const std::string& ListItem::subItem(std::int32_t j) const {
  static const std::string none;
  checkSubItem(j);
  const auto at = static_cast<std::size_t>(j - 1);
  return at < subItems_.size() ? subItems_[at] : none;
}

void ListItem::setSubItem(std::int32_t j, std::string text) {
  checkSubItem(j);
  const auto at = static_cast<std::size_t>(j - 1);
  if (at >= subItems_.size()) {
    if (text.empty()) return;  // an empty sub-item is one never set
    subItems_.resize(at + 1);
  }
  subItems_[at] = std::move(text);
  while (!subItems_.empty() && subItems_.back().empty()) subItems_.pop_back();
}

Value ListItem::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "SubItems")) {
    if (index.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: SubItems");
    return Value(subItem(index[0].toLong()));
  }
  noIndex(name, index);
  if (equalsNoCase(name, "Text")) return Value(text_);
  if (equalsNoCase(name, "Index")) return Value(static_cast<std::int32_t>(position));
  missingMember(name);
}

void ListItem::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "SubItems")) {
    if (index.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: SubItems");
    return setSubItem(index[0].toLong(), value.toString());
  }
  noIndex(name, index);
  if (equalsNoCase(name, "Text")) return setText(value.toString());
  if (equalsNoCase(name, "Index")) readOnly(name);
  missingMember(name);
}

// --- the collections ----------------------------------------------------------

template <class Member>
Member& ListViewCollection<Member>::at(std::int32_t i) const {
  if (i < 1 || i > count()) raise(err::SubscriptOutOfRange, "Subscript out of range");
  return *members_[static_cast<std::size_t>(i - 1)];
}

template <class Member>
Member& ListViewCollection<Member>::insert(std::shared_ptr<Member> member, const Value& position) {
  std::int32_t at = count() + 1;
  if (!position.isEmpty()) at = position.toLong();
  if (at < 1 || at > count() + 1) raise(err::SubscriptOutOfRange, "Subscript out of range");
  const auto place = static_cast<std::size_t>(at - 1);
  members_.insert(members_.begin() + static_cast<std::ptrdiff_t>(place), std::move(member));
  renumberFrom(place);
  return *members_[place];
}

template <class Member>
void ListViewCollection<Member>::renumberFrom(std::size_t first) {
  for (std::size_t i = first; i < members_.size(); ++i) members_[i]->position = static_cast<int>(i) + 1;
}

template <class Member>
Value ListViewCollection<Member>::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Count")) {
    noIndex(name, index);
    return Value(static_cast<std::int32_t>(count()));
  }
  if (equalsNoCase(name, "Item")) {
    if (index.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: Item");
    return Value(at(index[0].toLong()).self());
  }
  missingMember(name);
}

template <class Member>
Value ListViewCollection<Member>::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "Add")) {
    if (!argument(args, 1).isEmpty() && !argument(args, 1).toString().empty())
      raise(err::InvalidProcedureCall, "Invalid procedure call: this list keeps no keys");
    return add(args);
  }
  if (equalsNoCase(name, "Remove")) {
    if (args.size() != 1) raise(model_err::WrongArguments, "Wrong number of arguments: Remove");
    const std::int32_t i = args[0].toLong();
    (void)at(i);
    const auto place = static_cast<std::size_t>(i - 1);
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(place));
    renumberFrom(place);
    return {};
  }
  if (equalsNoCase(name, "Clear")) {
    clear();
    return {};
  }
  return get(name, args);
}

template class ListViewCollection<ColumnHeader>;
template class ListViewCollection<ListItem>;

ColumnHeader& ColumnHeaderCollection::add(std::string text, float width, std::int16_t alignment) {
  auto header = std::make_shared<ColumnHeader>();
  header->setText(std::move(text));
  header->setWidth(width);
  header->setAlignment(alignment);
  return insert(std::move(header), Value());
}

Value ColumnHeaderCollection::add(Args args) {
  if (args.size() > 5) raise(model_err::WrongArguments, "Wrong number of arguments: Add");
  auto header = std::make_shared<ColumnHeader>();
  if (const Value& text = argument(args, 2); !text.isEmpty()) header->setText(text.toString());
  if (const Value& width = argument(args, 3); !width.isEmpty()) header->setWidth(width.toSingle());
  if (const Value& alignment = argument(args, 4); !alignment.isEmpty()) header->setAlignment(alignment.toInteger());
  ColumnHeader& added = insert(std::move(header), argument(args, 0));
  return Value(added.self());
}

ListItem& ListItemCollection::add(std::string text) {
  auto item = std::make_shared<ListItem>(columns_);
  item->setText(std::move(text));
  return insert(std::move(item), Value());
}

Value ListItemCollection::add(Args args) {
  if (args.size() > 5) raise(model_err::WrongArguments, "Wrong number of arguments: Add");
  auto item = std::make_shared<ListItem>(columns_);
  if (const Value& text = argument(args, 2); !text.isEmpty()) item->setText(text.toString());
  ListItem& added = insert(std::move(item), argument(args, 0));
  return Value(added.self());
}

// --- ListView -----------------------------------------------------------------

ListView::ListView()
    : columnHeaders_(std::make_shared<ColumnHeaderCollection>()),
      listItems_(std::make_shared<ListItemCollection>(columnHeaders_)) {
  declareExtender();
  declare(PropertyDef{"View", ValueType::Integer, 0}.between(0, ReportView));
  declare({"HideColumnHeaders", ValueType::Boolean, false});
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"GridLines", ValueType::Boolean, false});
  declare({"FullRowSelect", ValueType::Boolean, false});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"ToolTipText", ValueType::String, ""});
  store("Width", Value(3000));
  store("Height", Value(2000));
  giveWindow();
  giveFont();
}

Value ListView::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "ColumnHeaders")) {
    noIndex(name, index);
    return Value(ObjectRef(columnHeaders_));
  }
  if (equalsNoCase(name, "ListItems")) {
    noIndex(name, index);
    return Value(ObjectRef(listItems_));
  }
  return Control::get(name, index);
}

void ListView::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "ColumnHeaders") || equalsNoCase(name, "ListItems")) readOnly(name);
  Control::set(name, value, index);
}

// --- form-file data -------------------------------------------------------------

namespace {

std::string element(std::string_view key, std::size_t index) {
  return std::string(key) + "[" + std::to_string(index) + "]";
}

// "ColumnHeaders": [{"Text": "Name", "Width": 2000, "Alignment": 0}, ...],
// "ListItems": [{"Text": "Ada", "SubItems": ["London", "1815"]}, ...]. The
// headers come first: an item may have a sub-item for each column after the first.
class ListViewCodec final : public FormDataCodec {
 public:
  [[nodiscard]] std::vector<std::string_view> keys() const override { return {"ColumnHeaders", "ListItems"}; }

  void load(Control& control, const FormDataReader& data) const override {
    auto& list = dynamic_cast<ListView&>(control);
    if (auto headers = data.value("ColumnHeaders")) {
      list.columnHeaders().clear();
      const std::string key = data.spelling("ColumnHeaders");
      const std::vector<QJsonValue> entries = data.array(*headers, key);
      for (std::size_t i = 0; i < entries.size(); ++i) loadHeader(list, data, entries[i], element(key, i));
    }
    if (auto items = data.value("ListItems")) {
      list.listItems().clear();
      const std::string key = data.spelling("ListItems");
      const std::vector<QJsonValue> entries = data.array(*items, key);
      for (std::size_t i = 0; i < entries.size(); ++i) loadItem(list, data, entries[i], element(key, i));
    }
  }

  void save(const Control& control, FormDataWriter& out) const override {
    const auto& list = dynamic_cast<const ListView&>(control);
    Json headers = Json::array();
    for (const auto& header : list.columnHeaders().members()) {
      Json entry = Json::object();
      entry.add("Text", Json::string(header->text()));
      entry.add("Width", Json::number(header->width()));
      entry.add("Alignment", Json::literal(numberText(header->alignment())));
      headers.push(std::move(entry));
    }
    if (!headers.items.empty()) out.add("ColumnHeaders", std::move(headers));
    Json items = Json::array();
    for (const auto& item : list.listItems().members()) {
      Json entry = Json::object();
      entry.add("Text", Json::string(item->text()));
      if (!item->subItems().empty()) {
        Json subItems = Json::array();
        for (const std::string& text : item->subItems()) subItems.push(Json::string(text));
        entry.add("SubItems", std::move(subItems));
      }
      items.push(std::move(entry));
    }
    if (!items.items.empty()) out.add("ListItems", std::move(items));
  }

 private:
  using Members = std::vector<std::pair<std::string, QJsonValue>>;

  // A text; a number or true/false is taken as the text it reads as.
  static std::string textOf(const FormDataReader& data, const QJsonValue& value, const std::string& key) {
    if (value.isDouble()) return numberText(value.toDouble());
    if (value.isBool()) return value.toBool() ? "True" : "False";
    return data.text(value, key);
  }

  static void loadHeader(ListView& list, const FormDataReader& data, const QJsonValue& entry, const std::string& key) {
    Members members = data.members(entry, key);
    ColumnHeader& header = list.columnHeaders().add("");
    if (auto text = takeMember(members, "Text")) header.setText(textOf(data, *text, key + ".Text"));
    if (auto width = takeMember(members, "Width")) {
      const double twips = data.number(*width, key + ".Width");
      if (twips < 0 || twips > 2147483647.0) data.fail(key + ".Width", "must be a width in twips, 0 or more");
      header.setWidth(static_cast<float>(twips));
    }
    if (auto alignment = takeMember(members, "Alignment")) {
      const double code = data.number(*alignment, key + ".Alignment");
      if (code != 0 && code != 1 && code != 2) data.fail(key + ".Alignment", "must be 0 (left), 1 (right) or 2 (centre)");
      header.setAlignment(static_cast<std::int16_t>(code));
    }
    if (!members.empty()) data.fail(key + "." + members.front().first, "is not a key of a column header");
  }

  static void loadItem(ListView& list, const FormDataReader& data, const QJsonValue& entry, const std::string& key) {
    Members members = data.members(entry, key);
    ListItem& item = list.listItems().add("");
    if (auto text = takeMember(members, "Text")) item.setText(textOf(data, *text, key + ".Text"));
    if (auto subItems = takeMember(members, "SubItems")) {
      const std::string subKey = key + ".SubItems";
      const std::vector<QJsonValue> texts = data.array(*subItems, subKey);
      const int room = std::max(list.columnHeaders().count() - 1, 0);
      if (static_cast<int>(texts.size()) > room)
        data.fail(subKey, "has " + std::to_string(texts.size()) + " sub-items, more than the " +
                              std::to_string(room) + " columns after the first (ColumnHeaders)");
      for (std::size_t j = 0; j < texts.size(); ++j)
        item.setSubItem(static_cast<std::int32_t>(j) + 1, textOf(data, texts[j], element(subKey, j)));
    }
    if (!members.empty()) data.fail(key + "." + members.front().first, "is not a key of a list item");
  }
};

}  // namespace

const FormDataCodec* ListView::formData() const {
  static const ListViewCodec codec;
  return &codec;
}

}  // namespace host
