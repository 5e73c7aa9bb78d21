#include "host/model/FormData.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>

#include "host/Dc.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/model/Control.h"

namespace host {

namespace {


void writeString(const std::string& text, std::string& out) {
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static constexpr char hex[] = "0123456789abcdef";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

bool isFlat(const Json& value) {
  for (const Json& item : value.items)
    if (item.kind == Json::Kind::Array || item.kind == Json::Kind::Object) return false;
  return true;
}

std::string colorText(std::int32_t value) {
  static constexpr char hex[] = "0123456789ABCDEF";
  const Rgb rgb = Rgb::fromHost(value);
  std::string text = "#";
  for (int part : {rgb.red, rgb.green, rgb.blue}) {
    text += hex[part >> 4];
    text += hex[part & 15];
  }
  return text;
}

}  // namespace

Json Json::number(double value) { return literal(std::isfinite(value) ? numberText(value) : "0"); }

Json Json::color(std::int32_t value) {
  if (value >= 0 && value <= 0xFFFFFF) return string(colorText(value));
  return literal(numberText(value));
}

void writeJson(const Json& value, std::string& out, int depth) {
  const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
  const std::string closing(static_cast<std::size_t>(depth) * 2, ' ');
  switch (value.kind) {
    case Json::Kind::Null:
      out += "null";
      return;
    case Json::Kind::Literal:
      out += value.text;
      return;
    case Json::Kind::String:
      writeString(value.text, out);
      return;
    case Json::Kind::Array:
      if (isFlat(value)) {  // a list or a grid row stays on one line
        out += '[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
          if (i > 0) out += ", ";
          writeJson(value.items[i], out, depth + 1);
        }
        out += ']';
        return;
      }
      out += "[\n";
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        out += indent;
        writeJson(value.items[i], out, depth + 1);
        out += i + 1 < value.items.size() ? ",\n" : "\n";
      }
      out += closing + "]";
      return;
    case Json::Kind::Object:
      if (value.members.empty()) {
        out += "{}";
        return;
      }
      out += "{\n";
      for (std::size_t i = 0; i < value.members.size(); ++i) {
        out += indent;
        writeString(value.members[i].key, out);
        out += ": ";
        writeJson(value.members[i].value, out, depth + 1);
        out += i + 1 < value.members.size() ? ",\n" : "\n";
      }
      out += closing + "}";
      return;
  }
}

// --- values between JSON and the host -----------------------------------------

std::optional<std::int32_t> parseColorText(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  std::uint32_t rgb = 0;
  auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
  if (error != std::errc() || end != text.data() + 7) return std::nullopt;
  return Rgb::fromRgb(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                      static_cast<int>(rgb & 0xFF))
      .toHost();
}

// A JSON number as the host holds it: a whole number that fits a Long is a
// Long, anything else a Double. A colour may also be written as the unsigned
// form of its 32-bit value (2147483663 for &H8000000F).
Value numberValue(double number, bool colour) {
  if (std::isfinite(number) && std::floor(number) == number) {
    if (number >= -2147483648.0 && number <= 2147483647.0) return Value(static_cast<std::int32_t>(number));
    if (colour && number >= 0 && number <= 4294967295.0)
      return Value(static_cast<std::int32_t>(static_cast<std::uint32_t>(number)));
  }
  return Value(number);
}

const char* jsonKindName(const QJsonValue& value) {
  switch (value.type()) {
    case QJsonValue::Bool:
      return "true or false";
    case QJsonValue::Double:
      return "a number";
    case QJsonValue::String:
      return "text";
    case QJsonValue::Array:
      return "an array";
    case QJsonValue::Object:
      return "an object";
    default:
      return "null";
  }
}

// --- fonts -----------------------------------------------------------------------

namespace {

constexpr std::array<std::string_view, 8> fontKeys = {"Name",   "Size",      "Bold",          "Weight",
                                                      "Italic", "Underline", "Strikethrough", "Charset"};

Value fontMemberValue(std::string_view fontKey, const std::string& key, const QJsonValue& value,
                      const MemberFailure& fail) {
  if (fontKey == "Name") {
    if (!value.isString()) fail(key, std::string("must be text, not ") + jsonKindName(value));
    return Value(value.toString().toStdString());
  }
  if (fontKey == "Size" || fontKey == "Weight" || fontKey == "Charset") {
    if (!value.isDouble()) fail(key, std::string("must be a number, not ") + jsonKindName(value));
    return numberValue(value.toDouble(), false);
  }
  if (!value.isBool()) fail(key, std::string("must be true or false, not ") + jsonKindName(value));
  return Value(value.toBool());
}

}  // namespace

std::optional<QJsonValue> takeMember(std::vector<std::pair<std::string, QJsonValue>>& members,
                                     std::string_view name) {
  const auto member = std::find_if(members.begin(), members.end(),
                                   [&](const auto& given) { return equalsNoCase(given.first, name); });
  if (member == members.end()) return std::nullopt;
  QJsonValue value = std::move(member->second);
  members.erase(member);
  return value;
}

Font fontFromMembers(const std::vector<std::pair<std::string, QJsonValue>>& members, const Font& start,
                     const MemberFailure& fail) {
  FontObject font(start);
  // The keys apply in one order whatever the file's (Weight after Bold).
  for (std::string_view fontKey : fontKeys) {
    const auto member = std::find_if(members.begin(), members.end(),
                                     [&](const auto& given) { return equalsNoCase(given.first, fontKey); });
    if (member == members.end()) continue;
    const Value given = fontMemberValue(fontKey, member->first, member->second, fail);
    try {
      font.set(fontKey, given);
    } catch (const HostError& error) {
      fail(member->first, error.description());
    }
  }
  for (const auto& member : members) {
    const std::string& key = member.first;
    if (std::none_of(fontKeys.begin(), fontKeys.end(), [&](std::string_view known) { return equalsNoCase(known, key); }))
      fail(key, "is not a property of a font");
  }
  return font.font();
}

Json jsonOfFont(const Font& font, const Font* unlike) {
  Json out = Json::object();
  auto put = [&](std::string_view key, Json value, bool differs) {
    if (unlike == nullptr || differs) out.add(std::string(key), std::move(value));
  };
  put("Name", Json::string(font.name()), unlike != nullptr && font.name() != unlike->name());
  put("Size", Json::literal(numberText(font.size())), unlike != nullptr && font.size() != unlike->size());
  put("Bold", Json::boolean(font.bold()), unlike != nullptr && font.bold() != unlike->bold());
  put("Weight", Json::literal(numberText(font.weight())), unlike != nullptr && font.weight() != unlike->weight());
  put("Italic", Json::boolean(font.italic()), unlike != nullptr && font.italic() != unlike->italic());
  put("Underline", Json::boolean(font.underline()), unlike != nullptr && font.underline() != unlike->underline());
  put("Strikethrough", Json::boolean(font.strikethrough()),
      unlike != nullptr && font.strikethrough() != unlike->strikethrough());
  put("Charset", Json::literal(numberText(font.charset())), unlike != nullptr && font.charset() != unlike->charset());
  return out;
}

// --- the codec's reader and writer ---------------------------------------------

std::optional<QJsonValue> FormDataReader::value(std::string_view key) const {
  for (const auto& [given, value] : members_)
    if (equalsNoCase(given, key)) return value;
  return std::nullopt;
}

std::string FormDataReader::spelling(std::string_view key) const {
  for (const auto& member : members_)
    if (equalsNoCase(member.first, key)) return member.first;
  return std::string(key);
}

void FormDataReader::fail(std::string_view key, const std::string& problem) const {
  fail_(std::string(key), problem);
  // The failure always throws; this keeps the promise of [[noreturn]] if it did not.
  std::terminate();
}

std::filesystem::path resolvedPath(const std::filesystem::path& baseFolder, const std::string& path) {
  if (path.empty() || baseFolder.empty()) return path;
  const std::filesystem::path given(path);
  return given.is_absolute() ? given : (baseFolder / given).lexically_normal();
}

std::string relativePath(const std::filesystem::path& baseFolder, const std::filesystem::path& path) {
  if (path.empty() || baseFolder.empty() || !path.is_absolute()) return path.string();
  const std::filesystem::path relative = path.lexically_relative(baseFolder);
  return relative.empty() ? path.string() : relative.string();
}

std::filesystem::path FormDataReader::resolved(const std::string& path) const { return resolvedPath(base_, path); }

std::vector<QJsonValue> FormDataReader::array(const QJsonValue& value, std::string_view key) const {
  if (!value.isArray()) fail(key, std::string("must be an array, not ") + jsonKindName(value));
  const QJsonArray items = value.toArray();
  return {items.begin(), items.end()};
}

std::string FormDataReader::text(const QJsonValue& value, std::string_view key) const {
  if (!value.isString()) fail(key, std::string("must be text, not ") + jsonKindName(value));
  return value.toString().toStdString();
}

double FormDataReader::number(const QJsonValue& value, std::string_view key) const {
  if (!value.isDouble()) fail(key, std::string("must be a number, not ") + jsonKindName(value));
  return value.toDouble();
}

bool FormDataReader::boolean(const QJsonValue& value, std::string_view key) const {
  if (!value.isBool()) fail(key, std::string("must be true or false, not ") + jsonKindName(value));
  return value.toBool();
}

std::int32_t FormDataReader::color(const QJsonValue& value, std::string_view key) const {
  if (value.isString()) {
    if (auto rgb = parseColorText(value.toString().toStdString())) return *rgb;
    fail(key, "a colour must be a number or \"#RRGGBB\"");
  }
  if (!value.isDouble())
    fail(key, std::string("must be a colour (a number or \"#RRGGBB\"), not ") + jsonKindName(value));
  const Value number = numberValue(value.toDouble(), true);
  if (number.type() != ValueType::Long) fail(key, "must be a whole number that is a colour");
  return number.toLong();
}

std::vector<std::pair<std::string, QJsonValue>> FormDataReader::members(const QJsonValue& value,
                                                                       std::string_view key) const {
  if (!value.isObject()) fail(key, std::string("must be an object, not ") + jsonKindName(value));
  const QJsonObject object = value.toObject();
  std::vector<std::pair<std::string, QJsonValue>> result;
  for (auto member = object.begin(); member != object.end(); ++member) {
    std::string name = member.key().toStdString();
    for (const auto& seen : result)
      if (equalsNoCase(seen.first, name))
        fail(std::string(key) + "." + name, "is given twice (keys are compared without regard to case)");
    result.emplace_back(std::move(name), member.value());
  }
  return result;
}

Font FormDataReader::font(const QJsonValue& value, std::string_view key, const Font& start) const {
  return fontFromMembers(members(value, key), start, [&](const std::string& member, const std::string& problem) {
    fail(std::string(key) + "." + member, problem);
  });
}

std::string FormDataWriter::relative(const std::filesystem::path& path) const { return relativePath(base_, path); }

}  // namespace host
