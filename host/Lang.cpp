#include "host/Lang.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "host/HostError.h"

namespace host {

double roundHalfEven(double value) { return std::nearbyint(value); }  // the default rounding mode is to-even

std::int32_t CLng(double value) {
  const double rounded = roundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
    raise(err::Overflow);
  return static_cast<std::int32_t>(rounded);
}

std::int16_t CInt(double value) {
  const double rounded = roundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max()))
    raise(err::Overflow);
  return static_cast<std::int16_t>(rounded);
}

double Int(double value) { return std::floor(value); }
double Fix(double value) { return std::trunc(value); }

std::string numberText(double value) {
  if (value == 0) return "0";
  if (std::isnan(value)) return "NaN";
  // Up to 15 significant digits, trailing zeros and a bare point removed, as the language prints a Double.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  const auto exponentAt = text.find('E');
  std::string mantissa = text.substr(0, exponentAt);
  std::string exponent = exponentAt == std::string::npos ? "" : text.substr(exponentAt);
  if (mantissa.find('.') != std::string::npos) {
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  }
  if (!exponent.empty()) {
    // "E+05" -> "E+5", "E-07" -> "E-7"
    std::string digits = exponent.substr(2);
    while (digits.size() > 1 && digits.front() == '0') digits.erase(digits.begin());
    exponent = exponent.substr(0, 2) + digits;
  }
  // The language writes 0.5 as .5 only in Str/Print; keep the leading zero out likewise.
  if (mantissa.rfind("0.", 0) == 0) mantissa.erase(0, 1);
  if (mantissa.rfind("-0.", 0) == 0) mantissa.erase(1, 1);
  return mantissa + exponent;
}

std::string Str(double value) {
  std::string text = numberText(value);
  return value < 0 ? text : " " + text;
}

namespace {

bool matchClass(std::string_view pattern, std::size_t& p, char c) {
  // pattern[p] is '['; on return p is past the closing ']'.
  std::size_t i = p + 1;
  bool negate = false;
  if (i < pattern.size() && pattern[i] == '!') {
    negate = true;
    ++i;
  }
  bool matched = false;
  while (i < pattern.size() && pattern[i] != ']') {
    char low = pattern[i];
    char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      high = pattern[i + 2];
      i += 3;
    } else {
      ++i;
    }
    if (c >= low && c <= high) matched = true;
  }
  p = i < pattern.size() ? i + 1 : i;
  return matched != negate;
}

bool likeFrom(std::string_view text, std::size_t t, std::string_view pattern, std::size_t p) {
  while (p < pattern.size()) {
    const char pc = pattern[p];
    if (pc == '*') {
      while (p < pattern.size() && pattern[p] == '*') ++p;
      if (p == pattern.size()) return true;
      for (std::size_t k = t; k <= text.size(); ++k)
        if (likeFrom(text, k, pattern, p)) return true;
      return false;
    }
    if (t >= text.size()) return false;
    const char tc = text[t];
    if (pc == '?') {
      ++p;
    } else if (pc == '#') {
      if (!std::isdigit(static_cast<unsigned char>(tc))) return false;
      ++p;
    } else if (pc == '[') {
      if (!matchClass(pattern, p, tc)) return false;
    } else {
      if (pc != tc) return false;
      ++p;
    }
    ++t;
  }
  return t == text.size();
}

}  // namespace

bool Like(std::string_view text, std::string_view pattern) { return likeFrom(text, 0, pattern, 0); }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto folded = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
  };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (folded(a[i]) != folded(b[i])) return false;
  return true;
}

std::string upperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

std::size_t NoCaseHash::operator()(std::string_view name) const noexcept {
  // FNV-1a over the ASCII-folded bytes: equal under equalsNoCase, equal hash.
  std::size_t hash = 14695981039346656037ull;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    hash ^= byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string lowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

bool parseNumber(std::string_view text, double& result) {
  std::string trimmed(text);
  const auto first = trimmed.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const auto last = trimmed.find_last_not_of(" \t");
  trimmed = trimmed.substr(first, last - first + 1);
  if (trimmed.size() > 2 && trimmed[0] == '&' && (trimmed[1] == 'H' || trimmed[1] == 'h')) {
    char* end = nullptr;
    const unsigned long long hex = std::strtoull(trimmed.c_str() + 2, &end, 16);
    if (*end != '\0' || hex > 0xFFFFFFFFull) return false;
    // &H literals are 32-bit: &H80000000 is negative.
    result = static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(hex)));
    return true;
  }
  for (char c : trimmed)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return false;
  char* end = nullptr;
  result = std::strtod(trimmed.c_str(), &end);
  return end != trimmed.c_str() && *end == '\0';
}

std::int32_t Len(std::string_view utf8) {
  std::int32_t units = 0;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

}  // namespace host
