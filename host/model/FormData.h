#pragma once
// Host-side only: the form-file data of control families that keep more in a
// form file than plain properties (a grid's cells, a data grid's database and
// columns, a list view's items, a tab control's pages, a document, a chart's
// data). A family hands out its codec through Control::formData(). Loading
// takes the codec's keys out of the control's JSON object, applies the plain
// properties and the font, and then gives the codec its keys; saving writes
// the plain properties and then what the codec adds. A container's codec may
// also own keys of its children ("OnTab" of a control on a tab).
#include <QJsonValue>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/Font.h"
#include "host/Value.h"

namespace host {

class Control;

// Ordered JSON output: Qt's JSON objects sort their keys, and a form file
// reads better with its keys in the order the control declares them.
struct Json {
  enum class Kind { Null, Literal, String, Array, Object };
  struct Member;  // one key of an object and its value
  Kind kind = Kind::Null;
  std::string text;  // a literal (number, true, false) or a string's text
  std::vector<Json> items;
  std::vector<Member> members;

  static Json literal(std::string text);
  static Json string(std::string text);
  static Json array();
  static Json object();
  static Json boolean(bool value);
  // A finite number in its shortest exact form (0 for a value that is not finite).
  static Json number(double value);
  // A colour: "#RRGGBB" for an RGB value, the number itself for a system colour.
  static Json color(std::int32_t value);
  void add(std::string key, Json value);
  void push(Json value);
};

// A plain struct rather than a std::pair: a pair's constructors ask whether
// Json can be made from {}, which Json cannot say before its members are
// complete (clang refuses the pair).
struct Json::Member {
  std::string key;
  Json value;
};

// Defined once Json and its members are complete.
inline Json Json::literal(std::string text) { return {Kind::Literal, std::move(text), {}, {}}; }
inline Json Json::string(std::string text) { return {Kind::String, std::move(text), {}, {}}; }
inline Json Json::array() { return {Kind::Array, {}, {}, {}}; }
inline Json Json::object() { return {Kind::Object, {}, {}, {}}; }
inline Json Json::boolean(bool value) { return literal(value ? "true" : "false"); }
inline void Json::add(std::string key, Json value) { members.push_back({std::move(key), std::move(value)}); }
inline void Json::push(Json value) { items.push_back(std::move(value)); }

// A number in its shortest exact form.
template <class Number>
[[nodiscard]] std::string numberText(Number number) {
  std::array<char, 64> buffer{};
  auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
  if (error != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

// Writes `value` as indented JSON text.
void writeJson(const Json& value, std::string& out, int depth = 0);

// --- values between JSON and the host -----------------------------------------

// "#RRGGBB" as the host's colour value; nullopt for any other text.
[[nodiscard]] std::optional<std::int32_t> parseColorText(const std::string& text);
// A JSON number as the host holds it: a whole number that fits a Long is a
// Long, anything else a Double. A colour may also be written as the unsigned
// form of its 32-bit value (2147483663 for &H8000000F).
[[nodiscard]] Value numberValue(double number, bool colour);
// A path given in a form file, resolved against the form file's folder, and
// a path as the form file keeps it (relative to that folder).
[[nodiscard]] std::filesystem::path resolvedPath(const std::filesystem::path& baseFolder, const std::string& path);
[[nodiscard]] std::string relativePath(const std::filesystem::path& baseFolder, const std::filesystem::path& path);

// "an array", "text", ...: the kind of a JSON value, for messages.
[[nodiscard]] const char* jsonKindName(const QJsonValue& value);

// A font of a form file ({"Name": "Arial", "Size": 9, "Bold": true}): starts
// from `start` and applies the members given; `fail(key, problem)` refuses a
// member (and does not return).
using MemberFailure = std::function<void(const std::string& key, const std::string& problem)>;
[[nodiscard]] Font fontFromMembers(const std::vector<std::pair<std::string, QJsonValue>>& members, const Font& start,
                                   const MemberFailure& fail);
// Takes the member named `name` (without regard to case) out of an object's
// members; what is left at the end can be refused as unknown.
[[nodiscard]] std::optional<QJsonValue> takeMember(std::vector<std::pair<std::string, QJsonValue>>& members,
                                                   std::string_view name);
// A font as a form file keeps it: every key, or only those unlike `unlike`.
[[nodiscard]] Json jsonOfFont(const Font& font, const Font* unlike);

// The keys a codec owns, as the file gave them, with the means to refuse
// them: a refusal names the file, the control's place and the key.
class FormDataReader {
 public:
  using Failure = std::function<void(const std::string& key, const std::string& problem)>;
  FormDataReader(std::string place, std::filesystem::path baseFolder, Failure fail)
      : place_(std::move(place)), base_(std::move(baseFolder)), fail_(std::move(fail)) {}

  void give(std::string key, QJsonValue value) { members_.emplace_back(std::move(key), std::move(value)); }
  [[nodiscard]] bool empty() const { return members_.empty(); }

  // The value of one of the codec's keys (matched without regard to case).
  [[nodiscard]] std::optional<QJsonValue> value(std::string_view key) const;
  // The key as the file spells it (the codec's spelling when it is absent).
  [[nodiscard]] std::string spelling(std::string_view key) const;
  [[noreturn]] void fail(std::string_view key, const std::string& problem) const;
  // A path of the file, resolved against the form file's folder.
  [[nodiscard]] std::filesystem::path resolved(const std::string& path) const;
  [[nodiscard]] const std::string& place() const { return place_; }

  // Checked reads; each refuses a value of another kind, naming `key`
  // (which may be an element such as "Cells[3].Row").
  [[nodiscard]] std::vector<QJsonValue> array(const QJsonValue& value, std::string_view key) const;
  [[nodiscard]] std::string text(const QJsonValue& value, std::string_view key) const;
  [[nodiscard]] double number(const QJsonValue& value, std::string_view key) const;
  [[nodiscard]] bool boolean(const QJsonValue& value, std::string_view key) const;
  // A colour: a number or "#RRGGBB".
  [[nodiscard]] std::int32_t color(const QJsonValue& value, std::string_view key) const;
  // A font object, starting from `start`.
  [[nodiscard]] Font font(const QJsonValue& value, std::string_view key, const Font& start) const;
  // The members of a JSON object in the file's order; two keys that differ
  // only in case are refused.
  [[nodiscard]] std::vector<std::pair<std::string, QJsonValue>> members(const QJsonValue& value,
                                                                       std::string_view key) const;

 private:
  std::string place_;
  std::filesystem::path base_;
  Failure fail_;
  std::vector<std::pair<std::string, QJsonValue>> members_;
};

// Where a codec writes its keys; they follow the control's plain properties.
class FormDataWriter {
 public:
  FormDataWriter(Json& control, std::filesystem::path baseFolder)
      : control_(control), base_(std::move(baseFolder)) {}
  void add(std::string key, Json value) { control_.add(std::move(key), std::move(value)); }
  // A path as the form file keeps it: relative to the form file's folder.
  [[nodiscard]] std::string relative(const std::filesystem::path& path) const;

 private:
  Json& control_;
  std::filesystem::path base_;
};

class FormDataCodec {
 public:
  virtual ~FormDataCodec() = default;
  // The keys of the family's own data (matched without regard to case).
  [[nodiscard]] virtual std::vector<std::string_view> keys() const = 0;
  // Applies the keys given, after the plain properties and the font. Raises
  // through data.fail(); a HostError it lets out is reported at the control.
  virtual void load(Control& control, const FormDataReader& data) const = 0;
  // Adds the family's data to the control's JSON object: only what a newly
  // made control of the family would not have.
  virtual void save(const Control& control, FormDataWriter& out) const = 0;

  // A container's own keys on each of its children.
  [[nodiscard]] virtual std::vector<std::string_view> childKeys() const { return {}; }
  // Called once a child is loaded, with the child's keys of childKeys().
  virtual void loadChild(Control& /*container*/, Control& /*child*/, const FormDataReader& /*data*/) const {}
  virtual void saveChild(const Control& /*container*/, const Control& /*child*/, FormDataWriter& /*out*/) const {}
};

}  // namespace host
