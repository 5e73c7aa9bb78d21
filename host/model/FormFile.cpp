#include "host/model/FormFile.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/OutputFile.h"
#include "host/model/Components.h"
#include "host/model/FormData.h"
#include "host/model/Families.h"
#include "host/model/UserControl.h"
#include "host/model/UserFile.h"

namespace host {

namespace fs = std::filesystem;

namespace {

std::string describe(const std::string& file, const std::string& place, const std::string& key,
                     const std::string& problem) {
  std::string text = file;
  if (!place.empty()) text += ": " + place;
  if (!key.empty()) text += ": \"" + key + "\"";
  return text + ": " + problem;
}

// --- what the keys mean -----------------------------------------------------

// BackColor, ForeColor, PrevBkColor, a grid's BackColorFixed, ...; not the
// print control's "Color", which chooses colour or monochrome pages.
bool isColorKey(std::string_view key) {
  auto endsWith = [&](std::string_view suffix) {
    return key.size() > suffix.size() && equalsNoCase(key.substr(key.size() - suffix.size()), suffix);
  };
  return endsWith("Color") || endsWith("ColorFixed");
}

// String properties that name a file or folder; kept relative to the form file.
bool isPathKey(std::string_view key) {
  return equalsNoCase(key, "Path") || equalsNoCase(key, "DatabaseName");
}

// Window and device handles belong to one run of the program.
bool isHandleKey(std::string_view key) { return equalsNoCase(key, "hWnd") || equalsNoCase(key, "hDC"); }

// Positions inside a control's data (the selected list item, the current grid
// cell) can only be applied once the data is there.
bool isPositionInData(std::string_view key) {
  static constexpr std::array<std::string_view, 10> keys = {"ListIndex", "TopIndex", "Row",    "Col",
                                                            "RowSel",    "ColSel",   "TopRow", "LeftCol",
                                                            "SelStart",  "SelLength"};
  for (std::string_view position : keys)
    if (equalsNoCase(position, key)) return true;
  return false;
}

// A drawing area (a form, a picture box) whose ScaleWidth and ScaleHeight in a
// fixed scale mode are the size of its client area in that mode: loading sizes
// the area to give them, and saving leaves them to Width and Height. In the
// user scale (ScaleMode 0) they set the scale instead, as an assignment does.
struct ClientArea {
  double frameX = 0;  // twips of border (and caption) around the client area
  double frameY = 0;
};

std::optional<ClientArea> clientAreaOf(const Object& object) {
  if (const auto* form = dynamic_cast<const Form*>(&object))
    return ClientArea{form->get("Width").toDouble() - form->clientWidthTwips(),
                      form->get("Height").toDouble() - form->clientHeightTwips()};
  if (const auto* box = dynamic_cast<const PictureBox*>(&object))
    return ClientArea{box->get("Width").toDouble() - box->clientWidthTwips(),
                      box->get("Height").toDouble() - box->clientHeightTwips()};
  return std::nullopt;
}

bool isClientSize(const Object& area, std::string_view key) {
  return ScaleSpace::isExtent(key) && clientAreaOf(area) && area.get("ScaleMode").toInteger() != 0;
}

void setClientSize(Object& area, std::string_view key, const Value& extent) {
  const bool vertical = equalsNoCase(key, "ScaleHeight");
  const double twips =
      extent.toDouble() * ScaleSpace::twipsPerUnit(area.get("ScaleMode").toInteger(), vertical);
  const ClientArea frame = *clientAreaOf(area);
  area.set(vertical ? "Height" : "Width", Value(twips + (vertical ? frame.frameY : frame.frameX)));
}

// Keys of a component control that the form itself keeps (the extender):
// they stay at the control's level, every other setting lives in its bag.
bool isExtenderKey(std::string_view key) {
  static constexpr std::array<std::string_view, 7> keys = {"Left",    "Top", "Width", "Height",
                                                           "Visible", "Tag", "Index"};
  for (std::string_view extender : keys)
    if (equalsNoCase(extender, key)) return true;
  return false;
}

// Keys that place or size a form or a control, in twips: the host keeps its
// geometry in Long, so a value outside that range is refused on loading
// rather than left to overflow wherever the geometry is used.
bool isGeometryKey(std::string_view key) {
  static constexpr std::array<std::string_view, 10> keys = {"Left", "Top", "Width", "Height", "ScaleWidth",
                                                            "ScaleHeight", "X1", "Y1", "X2", "Y2"};
  for (std::string_view geometry : keys)
    if (equalsNoCase(geometry, key)) return true;
  return false;
}

// The largest table (rows times columns) a form file may give an indexed property.
constexpr int MaximumTableCells = 1 << 22;

const FontObject* fontOf(const Object& object) {
  if (const auto* control = dynamic_cast<const Control*>(&object)) return control->fontObject().get();
  try {
    return dynamic_cast<const FontObject*>(object.get("Font").toObject().get());
  } catch (const HostError&) {
    return nullptr;  // a family without a font
  }
}

// ============================================================================
// Loading

// The members of a JSON object with their keys; two keys that differ only in
// case are refused, since keys are matched without regard to case.
class Members {
 public:
  Members(const QJsonObject& object,
          const std::function<void(const std::string&, const std::string&)>& fail) {
    for (auto member = object.begin(); member != object.end(); ++member) {
      std::string key = member.key().toStdString();
      for (const auto& [seen, value] : members_)
        if (equalsNoCase(seen, key)) fail(key, "is given twice (keys are compared without regard to case)");
      members_.emplace_back(std::move(key), member.value());
    }
  }
  // Removes and returns the member named `key`.
  std::optional<std::pair<std::string, QJsonValue>> take(std::string_view key) {
    for (auto member = members_.begin(); member != members_.end(); ++member) {
      if (!equalsNoCase(member->first, key)) continue;
      auto found = std::move(*member);
      members_.erase(member);
      return found;
    }
    return std::nullopt;
  }
  [[nodiscard]] const std::vector<std::pair<std::string, QJsonValue>>& rest() const { return members_; }

 private:
  std::vector<std::pair<std::string, QJsonValue>> members_;
};

class Loader {
 public:
  Loader(std::string source, fs::path baseFolder)
      : source_(std::move(source)), base_(std::move(baseFolder)) {}

  std::shared_ptr<Form> load(std::string_view text) {
    QJsonParseError parseError{};
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
      fail(positionOf(text, parseError.offset), "",
           "is not valid JSON: " + parseError.errorString().toStdString());
    if (!document.isObject()) fail("", "", "must hold one JSON object with the key \"Form\"");
    Members root(document.object(), failer(""));
    auto form = root.take("Form");
    if (!form) fail("", "Form", "is missing");
    for (const auto& [key, value] : root.rest()) fail("", key, "is not a key of a form file");
    return loadForm(expectObject(form->second, "", form->first), "Form");
  }

 private:
  [[noreturn]] void fail(const std::string& place, std::string_view key, const std::string& problem) const {
    throw FormFileError(source_, place, std::string(key), problem);
  }
  std::function<void(const std::string&, const std::string&)> failer(const std::string& place) const {
    return [this, place](const std::string& key, const std::string& problem) { fail(place, key, problem); };
  }

  static std::string positionOf(std::string_view text, int offset) {
    int line = 1;
    int column = 1;
    for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i) {
      if (text[static_cast<std::size_t>(i)] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
  }

  QJsonObject expectObject(const QJsonValue& value, const std::string& place, const std::string& key) const {
    if (!value.isObject()) fail(place, key, std::string("must be an object, not ") + jsonKindName(value));
    return value.toObject();
  }
  QJsonArray expectArray(const QJsonValue& value, const std::string& place, const std::string& key) const {
    if (!value.isArray()) fail(place, key, std::string("must be an array, not ") + jsonKindName(value));
    return value.toArray();
  }
  std::string expectString(const QJsonValue& value, const std::string& place, const std::string& key) const {
    if (!value.isString()) fail(place, key, std::string("must be text, not ") + jsonKindName(value));
    return value.toString().toStdString();
  }

  // --- forms ---

  std::shared_ptr<Form> loadForm(const QJsonObject& object, const std::string& place) {
    Members members(object, failer(place));
    bool mdiParent = false;
    if (auto type = members.take("Type")) {
      const std::string typeName = expectString(type->second, place, type->first);
      if (typeName != "Form" && typeName != "MDIForm")
        fail(place, type->first, "must be \"Form\" or \"MDIForm\", not \"" + typeName + "\"");
      mdiParent = typeName == "MDIForm";
    }
    std::string name = "Form1";
    if (auto given = members.take("Name")) {
      name = expectString(given->second, place, given->first);
      if (name.empty()) fail(place, given->first, "must not be empty");
    }
    auto controls = members.take("Controls");
    auto font = members.take("Font");
    auto children = members.take("Forms");
    auto active = members.take("ActiveForm");
    if (!mdiParent && (children || active))
      fail(place, children ? children->first : active->first, "belongs only to a form of Type \"MDIForm\"");

    std::shared_ptr<Form> form = Form::create(name, mdiParent);
    applyProperties(*form, members.rest(), place);
    if (font) applyFont(*form, font->second, place, font->first);
    if (controls) loadControls(*form, nullptr, controls->second, place, controls->first);
    if (children) loadChildren(*form, children->second, place, children->first);
    if (active) activate(*form, active->second, place, active->first);
    return form;
  }

  void loadChildren(Form& parent, const QJsonValue& value, const std::string& place, const std::string& key) {
    const QJsonArray children = expectArray(value, place, key);
    for (qsizetype i = 0; i < children.size(); ++i) {
      const std::string childPlace = place + "." + key + "[" + std::to_string(i) + "]";
      const QJsonObject child = expectObject(children[i], childPlace, "");
      if (Members(child, failer(childPlace)).take("Forms"))
        fail(childPlace, "Forms", "a child form cannot hold forms of its own");
      std::shared_ptr<Form> form = loadForm(child, childPlace);
      if (form->isMdiParent()) fail(childPlace, "Type", "a child form cannot be a multiple-document parent");
      parent.addChild(form);
    }
  }

  void activate(Form& parent, const QJsonValue& value, const std::string& place, const std::string& key) {
    const std::string name = expectString(value, place, key);
    for (const auto& child : parent.children()) {
      if (equalsNoCase(child->get("Name").toString(), name)) {
        parent.activate(child);
        return;
      }
    }
    fail(place, key, "names no child form: \"" + name + "\"");
  }

  // --- controls ---

  void loadControls(Form& form, const ObjectRef& container, const QJsonValue& value, const std::string& place,
                    const std::string& key) {
    const QJsonArray controls = expectArray(value, place, key);
    for (qsizetype i = 0; i < controls.size(); ++i) {
      const std::string controlPlace = place + "." + key + "[" + std::to_string(i) + "]";
      if (!controls[i].isObject())
        fail(controlPlace, "", std::string("a control must be an object, not ") + jsonKindName(controls[i]));
      loadControl(form, container, controls[i].toObject(), controlPlace);
    }
  }

  // Type names are matched without regard to case too ("label" is a Label).
  ObjectRef makeControl(const std::string& typeName, const std::string& place, const std::string& key) const {
    for (const std::string& builtIn : builtInControlTypes())
      if (equalsNoCase(builtIn, typeName)) return createBuiltInControl(builtIn);
    try {
      return createComponent(typeName);
    } catch (const HostError& error) {
      fail(place, key, "unknown control type \"" + typeName + "\": " + error.description());
    }
  }

  void loadControl(Form& form, const ObjectRef& container, const QJsonObject& object,
                   const std::string& place) {
    Members members(object, failer(place));
    auto type = members.take("Type");
    if (!type) fail(place, "Type", "is missing");
    auto name = members.take("Name");
    if (!name) fail(place, "Name", "is missing");
    const std::string typeName = expectString(type->second, place, type->first);
    const std::string controlName = expectString(name->second, place, name->first);
    if (controlName.empty()) fail(place, name->first, "must not be empty");
    auto children = members.take("Controls");
    auto font = members.take("Font");
    auto properties = members.take("Properties");

    ObjectRef control = makeControl(typeName, place, type->first);
    auto* asControl = dynamic_cast<Control*>(control.get());
    if (asControl == nullptr) fail(place, type->first, "\"" + typeName + "\" is not a control");
    FormDataReader data = takeData(members, asControl->formData(), place);
    FormDataReader childData = takeChildData(members, container, place);
    asControl->load("Name", Value(controlName));
    attempt(place, type->first, [&] { form.adopt(control, container); });

    auto* component = dynamic_cast<UserControl*>(control.get());
    if (properties && component == nullptr)
      fail(place, properties->first,
           "only a component control (print control, resizer) keeps a property bag");
    if (component != nullptr) {
      PropertyBag bag = bagFrom(properties ? properties->second : QJsonValue(QJsonObject()), place,
                                properties ? properties->first : "Properties");
      attempt(place, "Properties", [&] { component->ReadProperties(bag); });
      // A stored value the component cannot read takes its default, as the
      // bag promises; the form loads and the user is told.
      for (const std::string& problem : bag.conversionProblems())
        form.addLoadNote(place + ".Properties." + problem);
    }
    applyProperties(*asControl, members.rest(), place);
    refuseDuplicateName(form, *asControl, place, name->first);
    if (font) applyFont(*asControl, font->second, place, font->first);
    if (const FormDataCodec* codec = asControl->formData()) {
      attempt(place, typeName, [&] { codec->load(*asControl, data); });
    }
    if (children) {
      if (!asControl->isContainer())
        fail(place, children->first, "\"" + controlName + "\" (" + typeName + ") cannot hold controls");
      loadControls(form, control, children->second, place, children->first);
    }
    if (const FormDataCodec* codec = codecOf(container)) {
      attempt(place, typeName, [&] { codec->loadChild(*dynamic_cast<Control*>(container.get()), *asControl, childData); });
    }
  }

  static const FormDataCodec* codecOf(const ObjectRef& container) {
    const auto* asControl = dynamic_cast<const Control*>(container.get());
    return asControl != nullptr ? asControl->formData() : nullptr;
  }

  // The keys a family keeps of its own data, taken out before the plain properties.
  FormDataReader takeData(Members& members, const FormDataCodec* codec, const std::string& place) const {
    FormDataReader data(place, base_, failer(place));
    if (codec == nullptr) return data;
    for (std::string_view key : codec->keys())
      if (auto member = members.take(key)) data.give(member->first, member->second);
    return data;
  }

  // The keys a container keeps on each of its children ("OnTab").
  FormDataReader takeChildData(Members& members, const ObjectRef& container, const std::string& place) const {
    FormDataReader data(place, base_, failer(place));
    if (const FormDataCodec* codec = codecOf(container)) {
      for (std::string_view key : codec->childKeys())
        if (auto member = members.take(key)) data.give(member->first, member->second);
    }
    return data;
  }

  // Two controls share a name only as members of a control array, each with its own Index.
  void refuseDuplicateName(const Form& form, const Control& control, const std::string& place,
                           const std::string& key) const {
    for (const ObjectRef& other : form.controls()) {
      const auto* sibling = dynamic_cast<const Control*>(other.get());
      if (sibling == nullptr || sibling == &control || !equalsNoCase(sibling->name(), control.name()))
        continue;
      if (indexOf(*sibling) == indexOf(control))
        fail(place, key,
             "\"" + control.name() +
                 "\" is already the name of another control (give each member of a control array its own "
                 "Index)");
    }
  }

  static std::optional<std::int32_t> indexOf(const Control& control) {
    if (!control.hasProperty("Index")) return std::nullopt;
    return control.get("Index").toLong();
  }

  // Runs one assignment; a run-time error it raises is this file's fault.
  template <class Assignment>
  void attempt(const std::string& place, std::string_view key, Assignment&& assignment) const {
    try {
      assignment();
    } catch (const HostError& error) {
      fail(place, key, error.description());
    }
  }

  // --- properties ---

  // Declared properties go in the order the object declares them (Width before
  // ScaleWidth, the list before ListIndex); other names are tried through the
  // object's own assignment (a component control's public properties).
  void applyProperties(PropertyObject& target, const std::vector<std::pair<std::string, QJsonValue>>& members,
                       const std::string& place) {
    std::vector<std::pair<const PropertyDef*, const std::pair<std::string, QJsonValue>*>> declared;
    std::vector<const std::pair<std::string, QJsonValue>*> undeclared;
    for (const auto& member : members) {
      if (equalsNoCase(member.first, "Picture")) {
        applyPicture(target, member.second, place, member.first);
        continue;
      }
      const PropertyDef* def = findDef(target, member.first);
      if (def != nullptr) {
        declared.emplace_back(def, &member);
      } else {
        undeclared.push_back(&member);
      }
    }
    std::sort(declared.begin(), declared.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int pass = 0; pass < 3; ++pass) {
      for (const auto& [def, member] : declared) {
        const int wanted = def->rank > 0 ? 1 : isPositionInData(def->name) ? 2 : 0;
        if (wanted == pass) applyDeclared(target, *def, member->second, place, member->first);
      }
    }
    for (const auto* member : undeclared) applyUndeclared(target, member->second, place, member->first);
  }

  static const PropertyDef* findDef(const PropertyObject& target, std::string_view key) {
    for (const PropertyDef& def : target.properties())
      if (equalsNoCase(def.name, key)) return &def;
    return nullptr;
  }

  void applyDeclared(PropertyObject& target, const PropertyDef& def, const QJsonValue& json,
                     const std::string& place, const std::string& key) {
    if (def.readOnly) fail(place, key, "is read-only and cannot be set in a form file");
    if (equalsNoCase(def.name, "Name")) fail(place, key, "is given twice");
    if (def.rank == 0) {
      const Value value = scalarValue(def, json, place, key);
      refuseGeometryOutsideLong(json, place, key);
      if (isClientSize(target, def.name)) {
        attempt(place, key, [&] { setClientSize(target, def.name, value); });
        return;
      }
      attempt(place, key, [&] { target.set(def.name, value); });
    } else if (def.rank == 1) {
      applyList(target, def, json, place, key);
    } else {
      applyMatrix(target, def, json, place, key);
    }
  }

  void refuseGeometryOutsideLong(const QJsonValue& json, const std::string& place, const std::string& key) const {
    if (!isGeometryKey(key) || !json.isDouble()) return;
    const double twips = json.toDouble();
    if (twips >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
        twips <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
      return;
    fail(place, key,
         "must lie within the host's Long range (" + std::to_string(std::numeric_limits<std::int32_t>::min()) +
             " to " + std::to_string(std::numeric_limits<std::int32_t>::max()) + "), not " + numberText(twips));
  }

  void applyUndeclared(PropertyObject& target, const QJsonValue& json, const std::string& place,
                       const std::string& key) {
    if (json.isArray() || json.isObject())
      fail(place, key, std::string("must be a single value, not ") + jsonKindName(json));
    const Value value = looseValue(json, isColorKey(key), place, key);
    refuseGeometryOutsideLong(json, place, key);
    try {
      target.set(key, value);
    } catch (const HostError& error) {
      if (error.number() == err::MemberNotFound)
        fail(place, key, "is not a property of " + target.typeName());
      fail(place, key, error.description());
    }
  }

  void applyPicture(PropertyObject& target, const QJsonValue& json, const std::string& place,
                    const std::string& key) {
    PictureHolder* holder = nullptr;
    if (auto* box = dynamic_cast<PictureBox*>(&target)) holder = &box->holder();
    if (auto* image = dynamic_cast<Image*>(&target)) holder = &image->holder();
    if (holder == nullptr) fail(place, key, "is not a property of " + target.typeName());
    const fs::path file = resolved(expectString(json, place, key));
    try {
      holder->hold(Picture::load(file), file);
    } catch (const HostError& error) {
      fail(place, key, error.description());
    }
  }

  fs::path resolved(const std::string& path) const { return resolvedPath(base_, path); }

  Value scalarValue(const PropertyDef& def, const QJsonValue& json, const std::string& place,
                    const std::string& key) const {
    const bool colour = isColorKey(def.name);
    switch (def.type) {
      case ValueType::Boolean:
        if (!json.isBool()) fail(place, key, std::string("must be true or false, not ") + jsonKindName(json));
        return Value(json.toBool());
      case ValueType::Integer:
      case ValueType::Long:
      case ValueType::Single:
      case ValueType::Double:
        if (json.isDouble()) return numberValue(json.toDouble(), colour);
        if (colour && json.isString()) {
          if (auto rgb = parseColorText(json.toString().toStdString())) return Value(*rgb);
          fail(place, key, "a colour must be a number or \"#RRGGBB\"");
        }
        fail(place, key,
             std::string(colour ? "must be a colour (a number or \"#RRGGBB\"), not "
                                : "must be a number, not ") +
                 jsonKindName(json));
      case ValueType::String: {
        if (!json.isString()) fail(place, key, std::string("must be text, not ") + jsonKindName(json));
        const std::string text = json.toString().toStdString();
        return Value(isPathKey(def.name) ? resolved(text).string() : text);
      }
      case ValueType::Empty:
        if (json.isArray() || json.isObject())
          fail(place, key, std::string("must be a single value, not ") + jsonKindName(json));
        return looseValue(json, colour, place, key);
      case ValueType::Object:
        break;
    }
    fail(place, key, "is an object property and cannot be set in a form file");
  }

  // A single JSON value as it stands: null is Empty.
  Value looseValue(const QJsonValue& json, bool colour, const std::string& place,
                   const std::string& key) const {
    if (json.isBool()) return Value(json.toBool());
    if (json.isDouble()) return numberValue(json.toDouble(), colour);
    if (json.isString()) {
      const std::string text = json.toString().toStdString();
      if (colour) {
        if (auto rgb = parseColorText(text)) return Value(*rgb);
      }
      return Value(text);
    }
    if (json.isNull()) return {};
    fail(place, key, std::string("must be a single value, not ") + jsonKindName(json));
  }

  void applyList(PropertyObject& target, const PropertyDef& def, const QJsonValue& json,
                 const std::string& place, const std::string& key) {
    const QJsonArray items = expectArray(json, place, key);
    auto* list = dynamic_cast<ListControl*>(&target);
    if (list != nullptr && equalsNoCase(def.name, "List")) {
      // A list grows by AddItem, which keeps its item data and selection in step.
      for (qsizetype i = 0; i < items.size(); ++i) {
        const std::string element = key + "(" + std::to_string(i) + ")";
        const Value item = scalarValue(def, items[i], place, element);
        attempt(place, element, [&] { list->addItem(item.toString()); });
      }
      return;
    }
    if (list != nullptr && static_cast<int>(items.size()) > list->listCount())
      fail(place, key, "has more entries than the list has items");
    if (target.indexedCount(def.name) < static_cast<int>(items.size()))
      target.resizeIndexed(def.name, static_cast<int>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
      const std::string element = key + "(" + std::to_string(i) + ")";
      const Value item = scalarValue(def, items[i], place, element);
      const Value index[] = {Value(static_cast<std::int32_t>(i))};
      attempt(place, element, [&] { target.set(def.name, item, Args(index)); });
    }
  }

  void applyMatrix(PropertyObject& target, const PropertyDef& def, const QJsonValue& json,
                   const std::string& place, const std::string& key) {
    const QJsonArray rows = expectArray(json, place, key);
    int columns = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
      const QJsonArray row = expectArray(rows[r], place, key + "(" + std::to_string(r) + ")");
      columns = std::max(columns, static_cast<int>(row.size()));
    }
    const int rowCount = std::max(target.indexedCount(def.name, 0), static_cast<int>(rows.size()));
    const int columnCount = std::max(target.indexedCount(def.name, 1), columns);
    // Ragged rows widen the whole table; a few long rows must not make it explode.
    if (static_cast<double>(rowCount) * columnCount > MaximumTableCells)
      fail(place, key, "makes a table of more than " + std::to_string(MaximumTableCells) + " cells");
    if (rowCount != target.indexedCount(def.name, 0) || columnCount != target.indexedCount(def.name, 1))
      target.resizeIndexed(def.name, rowCount, columnCount);
    for (qsizetype r = 0; r < rows.size(); ++r) {
      const QJsonArray row = rows[r].toArray();
      for (qsizetype c = 0; c < row.size(); ++c) {
        const std::string element = key + "(" + std::to_string(r) + ", " + std::to_string(c) + ")";
        const Value cell = scalarValue(def, row[c], place, element);
        const Value index[] = {Value(static_cast<std::int32_t>(r)), Value(static_cast<std::int32_t>(c))};
        attempt(place, element, [&] { target.set(def.name, cell, Args(index)); });
      }
    }
  }

  void applyFont(PropertyObject& target, const QJsonValue& json, const std::string& place,
                 const std::string& key) {
    const FontObject* current = fontOf(target);
    if (current == nullptr) fail(place, key, "is not a property of " + target.typeName());
    const Font font = fontFrom(json, place + "." + key, current->font());
    attempt(place, key, [&] { target.set("Font", Value(ObjectRef(FontObject::create(font)))); });
  }

  // A font object: starts from `start` and applies the keys given.
  Font fontFrom(const QJsonValue& json, const std::string& place, const Font& start) const {
    const QJsonObject object = expectObject(json, place, "");
    const Members members(object, failer(place));
    return fontFromMembers(members.rest(), start, failer(place));
  }

  // The saved settings of a component control, as its property bag.
  PropertyBag bagFrom(const QJsonValue& json, const std::string& place, const std::string& key) const {
    const std::string bagPlace = place + "." + key;
    const QJsonObject object = expectObject(json, place, key);
    Members members(object, failer(bagPlace));
    PropertyBag bag;
    for (const auto& [bagKey, value] : members.rest()) {
      if (value.isObject()) {
        const Font font = fontFrom(value, bagPlace + "." + bagKey, Font());
        bag.setStored(bagKey, Value(ObjectRef(FontObject::create(font))));
      } else {
        bag.setStored(bagKey, looseValue(value, isColorKey(bagKey), bagPlace, bagKey));
      }
    }
    return bag;
  }

  std::string source_;
  fs::path base_;
};

// ============================================================================
// Saving

class Saver {
 public:
  explicit Saver(fs::path baseFolder) : base_(std::move(baseFolder)) {}

  std::string save(const Form& form) {
    Json root = Json::object();
    root.add("Form", formJson(form));
    std::string out;
    writeJson(root, out, 0);
    out += '\n';
    return out;
  }

 private:
  Json formJson(const Form& form) {
    Json out = Json::object();
    if (form.isMdiParent()) out.add("Type", Json::string("MDIForm"));
    out.add("Name", Json::string(form.get("Name").toString()));
    const std::shared_ptr<Form> pristine = Form::create(form.get("Name").toString(), form.isMdiParent());
    addProperties(out, form, pristine.get(), false);
    addFont(out, form, *pristine);
    addControls(out, form, &form);
    if (form.isMdiParent()) addChildren(out, form);
    return out;
  }

  void addChildren(Json& out, const Form& form) {
    if (form.children().empty()) return;
    Json children = Json::array();
    for (const auto& child : form.children()) children.items.push_back(formJson(*child));
    out.add("Forms", std::move(children));
    try {
      const ObjectRef active = form.get("ActiveForm").toObject();
      if (active) out.add("ActiveForm", Json::string(active->get("Name").toString()));
    } catch (const HostError&) {
      // no active child: the last child added is active after loading anyway
    }
  }

  // The controls whose container is `container`, in creation order, each with its children.
  void addControls(Json& out, const Form& form, const Object* container) {
    Json controls = Json::array();
    for (const ObjectRef& control : form.controls()) {
      auto* asControl = dynamic_cast<Control*>(control.get());
      if (asControl == nullptr || asControl->container().get() != container) continue;
      controls.items.push_back(controlJson(form, *asControl));
    }
    if (!controls.items.empty()) out.add("Controls", std::move(controls));
  }

  Json controlJson(const Form& form, Control& control) {
    Json out = Json::object();
    out.add("Type", Json::string(control.typeName()));
    out.add("Name", Json::string(control.name()));
    const ObjectRef pristine = pristineOf(control.typeName());
    const auto* model = dynamic_cast<const PropertyObject*>(pristine.get());
    auto* component = dynamic_cast<UserControl*>(&control);
    addProperties(out, control, model, component != nullptr);
    if (component != nullptr) {
      addBag(out, *component);
    } else {
      if (model != nullptr) addFont(out, control, *model);
      addPicture(out, control);
    }
    FormDataWriter data(out, base_);
    if (const FormDataCodec* codec = control.formData()) codec->save(control, data);
    if (const auto* container = dynamic_cast<const Control*>(control.container().get())) {
      if (const FormDataCodec* codec = container->formData()) codec->saveChild(*container, control, data);
    }
    if (control.isContainer()) addControls(out, form, &control);
    return out;
  }

  // A newly made control of the type, to tell its defaults; nullptr for a
  // component class that the registry cannot make (its declared defaults serve).
  ObjectRef pristineOf(const std::string& typeName) {
    for (const auto& [name, made] : pristine_)
      if (name == typeName) return made;
    ObjectRef made = createBuiltInControl(typeName);
    if (!made) {
      try {
        made = createComponent(typeName);
      } catch (const HostError&) {
        made = nullptr;
      }
    }
    pristine_.emplace_back(typeName, made);
    return made;
  }

  void addProperties(Json& out, const PropertyObject& object, const PropertyObject* pristine,
                     bool extenderOnly) {
    for (const PropertyDef& def : object.properties()) {
      if (def.readOnly || isHandleKey(def.name) || equalsNoCase(def.name, "Name")) continue;
      if (extenderOnly && !isExtenderKey(def.name)) continue;
      if (isClientSize(object, def.name) || equalsNoCase(def.name, "Picture")) continue;
      if (def.rank == 0) {
        addScalar(out, def, object.get(def.name),
                  pristine != nullptr ? pristineValue(*pristine, def.name)
                                      : std::optional<Value>(def.defaultValue));
      } else if (pristine != nullptr && !skipsData(object, def)) {
        addIndexed(out, def, object, *pristine);
      }
    }
  }

  static std::optional<Value> pristineValue(const PropertyObject& pristine, const std::string& name) {
    try {
      return pristine.get(name);
    } catch (const HostError&) {
      return std::nullopt;
    }
  }

  // A folder's file list is read from the folder, not kept in the form.
  static bool skipsData(const PropertyObject& object, const PropertyDef& def) {
    return dynamic_cast<const FileListBox*>(&object) != nullptr &&
           (equalsNoCase(def.name, "List") || equalsNoCase(def.name, "ItemData") ||
            equalsNoCase(def.name, "Selected"));
  }

  static bool same(const Value& a, const std::optional<Value>& b) {
    if (!b || a.type() != b->type()) return false;
    try {
      return a == *b;
    } catch (const HostError&) {
      return false;
    }
  }

  void addScalar(Json& out, const PropertyDef& def, const Value& value,
                 const std::optional<Value>& pristine) {
    if (same(value, pristine) || value.isObject()) return;
    out.add(def.name, valueJson(def.name, value));
  }

  Json valueJson(const std::string& key, const Value& value) const {
    switch (value.type()) {
      case ValueType::Empty:
        return {};
      case ValueType::Boolean:
        return Json::literal(value.toBool() ? "true" : "false");
      case ValueType::Integer:
      case ValueType::Long:
        if (isColorKey(key)) return Json::color(value.toLong());
        return Json::literal(numberText(value.toLong()));
      case ValueType::Single:
        return Json::literal(finiteText(value.toSingle()));
      case ValueType::Double:
        return Json::literal(finiteText(value.toDouble()));
      case ValueType::String:
        return Json::string(isPathKey(key) ? relativeText(value.toString()) : value.toString());
      case ValueType::Object: {
        if (const auto* font = dynamic_cast<const FontObject*>(value.toObject().get()))
          return jsonOfFont(font->font(), nullptr);
        return {};
      }
    }
    return {};
  }

  template <class Number>
  static std::string finiteText(Number number) {
    return std::isfinite(number) ? numberText(number) : "0";
  }

  std::string relativeText(const std::string& path) const { return relativePath(base_, path); }

  void addIndexed(Json& out, const PropertyDef& def, const PropertyObject& object,
                  const PropertyObject& pristine) {
    const int rows = object.indexedCount(def.name, 0);
    const int columns = def.rank == 2 ? object.indexedCount(def.name, 1) : 0;
    bool differs = rows != pristine.indexedCount(def.name, 0) ||
                   (def.rank == 2 && columns != pristine.indexedCount(def.name, 1));
    Json data = Json::array();
    for (int r = 0; r < rows; ++r) {
      if (def.rank == 1) {
        const Value index[] = {Value(r)};
        const Value item = object.get(def.name, Args(index));
        differs = differs || !same(item, pristineElement(pristine, def.name, Args(index)));
        data.items.push_back(valueJson(def.name, item));
        continue;
      }
      Json row = Json::array();
      for (int c = 0; c < columns; ++c) {
        const Value index[] = {Value(r), Value(c)};
        const Value cell = object.get(def.name, Args(index));
        differs = differs || !same(cell, pristineElement(pristine, def.name, Args(index)));
        row.items.push_back(valueJson(def.name, cell));
      }
      data.items.push_back(std::move(row));
    }
    if (differs) out.add(def.name, std::move(data));
  }

  static std::optional<Value> pristineElement(const PropertyObject& pristine, const std::string& name,
                                              Args index) {
    try {
      return pristine.get(name, index);
    } catch (const HostError&) {
      return std::nullopt;
    }
  }

  void addFont(Json& out, const Object& object, const Object& pristine) {
    const FontObject* font = fontOf(object);
    const FontObject* model = fontOf(pristine);
    if (font == nullptr || model == nullptr || font->font() == model->font()) return;
    out.add("Font", jsonOfFont(font->font(), &model->font()));
  }

  void addPicture(Json& out, const Control& control) {
    const PictureHolder* holder = nullptr;
    if (const auto* box = dynamic_cast<const PictureBox*>(&control)) holder = &box->holder();
    if (const auto* image = dynamic_cast<const Image*>(&control)) holder = &image->holder();
    if (holder == nullptr || holder->source().empty()) return;
    out.add("Picture", Json::string(relativeText(holder->source().string())));
  }

  void addBag(Json& out, UserControl& component) {
    PropertyBag bag;
    component.WriteProperties(bag);
    Json properties = Json::object();
    for (const std::string& key : bag.keys()) properties.add(key, valueJson(key, bag.stored(key)));
    if (!properties.members.empty()) out.add("Properties", std::move(properties));
  }

  fs::path base_;
  std::vector<std::pair<std::string, ObjectRef>> pristine_;
};

std::string readWholeFile(const fs::path& file) {
  try {
    const QByteArray bytes = readUserFile(file);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  } catch (const UserFileError& error) {
    throw FormFileError(file.string(), "", "", error.what());
  }
}

fs::path folderOf(const fs::path& file) { return fs::absolute(file).parent_path(); }

}  // namespace

FormFileError::FormFileError(std::string file, std::string place, std::string key, std::string problem)
    : std::runtime_error(describe(file, place, key, problem)),
      file_(std::move(file)),
      place_(std::move(place)),
      key_(std::move(key)),
      problem_(std::move(problem)) {}

std::shared_ptr<Form> loadFormText(std::string_view json, const fs::path& baseFolder,
                                   std::string_view sourceName) {
  return Loader(std::string(sourceName), baseFolder).load(json);
}

std::shared_ptr<Form> loadFormFile(const fs::path& file) {
  const std::string text = readWholeFile(file);
  return Loader(file.string(), folderOf(file)).load(text);
}

std::string saveFormText(const Form& form, const fs::path& baseFolder) {
  return Saver(baseFolder).save(form);
}

void saveFormFile(const Form& form, const fs::path& file) {
  std::string text;
  try {
    text = Saver(folderOf(file)).save(form);
  } catch (const HostError& error) {
    throw FormFileError(file.string(), "", "", "the form cannot be saved: " + error.description());
  }
  if (const std::optional<std::string> failure = writeWholeFile(file, text))
    throw FormFileError(file.string(), "", "", "cannot be written: " + *failure);
}

}  // namespace host
