#include "host/model/EditMask.h"

#include <cctype>

#include "host/HostError.h"

namespace host {

namespace {

[[noreturn]] void invalid(std::string_view what) {
  raise(err::InvalidPropertyValue, "Invalid property value: " + std::string(what));
}

bool isPlaceholder(char c) {
  return c == '#' || c == '9' || c == '?' || c == 'A' || c == 'a' || c == '&' || c == 'C';
}

}  // namespace

EditMask::EditMask(std::string_view mask) {
  Case letterCase = Case::Keep;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    if (c == '>') {
      letterCase = Case::Upper;
    } else if (c == '<') {
      letterCase = Case::Lower;
    } else if (c == '\\') {
      if (++i == mask.size()) invalid("Mask");
      positions_.push_back({mask[i], 0, letterCase, 0});
    } else if (isPlaceholder(c)) {
      positions_.push_back({0, c, letterCase, 0});
    } else {
      positions_.push_back({c, 0, letterCase, 0});
    }
  }
}

bool EditMask::accepts(const Position& position, char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 0x80 || std::iscntrl(u)) return false;  // one printable character of the single-byte set
  switch (position.placeholder) {
    case '#': return std::isdigit(u) != 0;
    case '9': return std::isdigit(u) != 0 || c == ' ';
    case '?': return std::isalpha(u) != 0;
    case 'A': return std::isalnum(u) != 0;
    case 'a': return std::isalnum(u) != 0 || c == ' ';
    default: return true;  // & and C
  }
}

char EditMask::cased(const Position& position, char c) {
  auto u = static_cast<unsigned char>(c);
  if (position.letterCase == Case::Upper) return static_cast<char>(std::toupper(u));
  if (position.letterCase == Case::Lower) return static_cast<char>(std::tolower(u));
  return c;
}

bool EditMask::fillAsDisplayText(std::string_view text, char promptChar) {
  if (text.size() != positions_.size()) return false;
  std::vector<Position> filled = positions_;
  for (std::size_t i = 0; i < text.size(); ++i) {
    Position& position = filled[i];
    char c = text[i];
    if (position.literal != 0) {
      if (c != position.literal) return false;
    } else if (c == promptChar || (c == ' ' && !accepts(position, c))) {
      // A blank in a place that takes one is a blank entered, as Text shows
      // it (read as an empty place, a text saved came back otherwise).
      position.entered = 0;
    } else if (accepts(position, c)) {
      position.entered = cased(position, c);
    } else {
      return false;
    }
  }
  positions_ = std::move(filled);
  return true;
}

void EditMask::fillInOrder(std::string_view text) {
  std::vector<Position> filled = positions_;
  std::size_t next = 0;
  for (Position& position : filled) {
    if (position.literal != 0) continue;
    position.entered = 0;
    if (next == text.size()) continue;
    char c = text[next++];
    if (!accepts(position, c)) invalid("Text");
    position.entered = cased(position, c);
  }
  if (next != text.size()) invalid("Text");
  positions_ = std::move(filled);
}

void EditMask::assign(std::string_view text, char promptChar) {
  if (!fillAsDisplayText(text, promptChar)) fillInOrder(text);
}

std::string EditMask::text(char promptChar) const {
  std::string result;
  result.reserve(positions_.size());
  for (const Position& position : positions_) {
    result += position.literal != 0 ? position.literal : (position.entered != 0 ? position.entered : promptChar);
  }
  return result;
}

std::string EditMask::clipText() const {
  std::string result;
  for (const Position& position : positions_) {
    if (position.literal == 0 && position.entered != 0 && position.entered != ' ') result += position.entered;
  }
  return result;
}

}  // namespace host
