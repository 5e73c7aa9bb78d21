#pragma once
// The numeric and text rules of the host language that the system relies on.
// Every rounding, conversion and pattern match of the system goes through here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// Rounds to the nearest integer; halves go to the even neighbour (2.5 -> 2, 3.5 -> 4).
[[nodiscard]] double roundHalfEven(double value);
// Twips as whole pixels at `twipsPerPixel`, halves rounded to even.
[[nodiscard]] inline int twipsToPixels(double twips, double twipsPerPixel) {
  return static_cast<int>(roundHalfEven(twips / twipsPerPixel));
}

// Conversion to Long (32 bits) and Integer (16 bits): halves to even; a result
// outside the type raises error 6 (Overflow).
[[nodiscard]] std::int32_t CLng(double value);
[[nodiscard]] std::int16_t CInt(double value);

// Int: the largest whole number not above the value (Int(-2.5) = -3).
[[nodiscard]] double Int(double value);
// Fix: the whole part, truncated toward zero (Fix(-2.5) = -2).
[[nodiscard]] double Fix(double value);

// Str: the number as text with a leading blank in place of a plus sign
// (Str(3) = " 3", Str(-3) = "-3", Str(2.5) = " 2.5").
[[nodiscard]] std::string Str(double value);
// The number as text without the sign blank, as the language formats it.
[[nodiscard]] std::string numberText(double value);

// Like: pattern match with * (any run), ? (one character), # (one digit) and
// [list] / [!list] character classes; case-sensitive, as the language compares.
[[nodiscard]] bool Like(std::string_view text, std::string_view pattern);

// Case-insensitive comparison and upper-casing (ASCII letters, as names are).
[[nodiscard]] bool equalsNoCase(std::string_view a, std::string_view b);
[[nodiscard]] std::string upperCase(std::string_view text);
[[nodiscard]] std::string lowerCase(std::string_view text);

// Hash and equality for maps keyed by member names, which the host matches
// without regard to case: a lookup by any spelling finds the entry without
// making a lower-case copy of the name first.
struct NoCaseHash {
  using is_transparent = void;
  [[nodiscard]] std::size_t operator()(std::string_view name) const noexcept;
};
struct NoCaseEqual {
  using is_transparent = void;
  [[nodiscard]] bool operator()(std::string_view a, std::string_view b) const noexcept {
    return equalsNoCase(a, b);
  }
};

// Val-like parse used by conversions: the whole text (blanks around allowed)
// must be a number; returns false when it is not.
[[nodiscard]] bool parseNumber(std::string_view text, double& result);

// Len: the number of characters of a text as the language counts them (UTF-16
// code units: a character beyond the basic plane counts two).
[[nodiscard]] std::int32_t Len(std::string_view utf8);

}  // namespace host
