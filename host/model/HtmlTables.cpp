#include "host/model/HtmlTables.h"

#include <algorithm>
#include <cctype>

#include "host/Lang.h"

namespace host {

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

bool isTablePart(std::string_view name) {
  static constexpr std::string_view parts[] = {"tr", "td", "th", "thead", "tbody", "tfoot", "caption"};
  return std::find(std::begin(parts), std::end(parts), name) != std::end(parts);
}

// Where the tag starting at `from` (its '<') ends: past its '>', attribute
// values in quotes passed over whole; the end of the text for a tag left open.
std::size_t tagEnd(std::string_view html, std::size_t from) {
  char quote = 0;
  for (std::size_t at = from + 1; at < html.size(); ++at) {
    const char c = html[at];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return at + 1;
    }
  }
  return html.size();
}

// Where the raw text of a style or script element ends: at its closing tag.
std::size_t rawTextEnd(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    const std::string_view closing = html.substr(at + 2, name.size());
    if (equalsNoCase(closing, name)) return at;
  }
  return html.size();
}

}  // namespace

std::string withTablesNestedAtMost(std::string_view html, int depth) {
  std::string out;
  out.reserve(html.size());
  int open = 0;  // tables open around the text read so far
  std::size_t at = 0;
  while (at < html.size()) {
    const std::size_t tag = html.find('<', at);
    if (tag == std::string_view::npos) {
      out.append(html.substr(at));
      break;
    }
    out.append(html.substr(at, tag - at));
    if (html.substr(tag).starts_with("<!--")) {
      const std::size_t close = html.find("-->", tag + 4);
      const std::size_t end = close == std::string_view::npos ? html.size() : close + 3;
      out.append(html.substr(tag, end - tag));
      at = end;
      continue;
    }
    const bool closing = tag + 1 < html.size() && html[tag + 1] == '/';
    const std::size_t nameStart = tag + (closing ? 2 : 1);
    std::size_t nameEnd = nameStart;
    while (nameEnd < html.size() && isNameCharacter(html[nameEnd])) ++nameEnd;
    if (nameEnd == nameStart) {  // a '<' that opens no tag is text
      out += '<';
      at = tag + 1;
      continue;
    }
    const std::string name = lowerCase(std::string(html.substr(nameStart, nameEnd - nameStart)));
    std::size_t end = tagEnd(html, tag);
    if (!closing && (name == "style" || name == "script")) end = std::max(end, rawTextEnd(html, end, name));

    const bool table = name == "table";
    if (table && !closing) ++open;
    // A table element lies in the tables open around it, a table in itself.
    const bool tooDeep = open > depth && (table || isTablePart(name) || name == "col" || name == "colgroup");
    if (table && closing && open > 0) --open;
    if (!tooDeep) {
      out.append(html.substr(tag, end - tag));
    } else if (name != "col" && name != "colgroup") {
      out.append(closing ? "</div" : "<div");
      out.append(html.substr(nameEnd, end - nameEnd));
    }
    at = end;
  }
  return out;
}

}  // namespace host
