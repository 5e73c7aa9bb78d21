#pragma once
// The input mask of a masked edit box. Placeholders: # digit, 9 digit or blank,
// ? letter, A letter or digit, a letter, digit or blank, & any character,
// C any character or blank; > and < turn the letters that follow to upper or
// lower case; \ makes the next character a literal; every other character
// (including . , : /) is a literal shown as it is.
#include <string>
#include <string_view>
#include <vector>

namespace host {

class EditMask {
 public:
  EditMask() = default;
  // Raises 380 for a mask that ends with a lone "\".
  explicit EditMask(std::string_view mask);

  [[nodiscard]] bool isEmpty() const { return positions_.empty(); }
  [[nodiscard]] int length() const { return static_cast<int>(positions_.size()); }

  // Fills the placeholders from `text`, which is either the whole display text
  // (literals in place, prompt characters or blanks for empty places) or just
  // the characters for the placeholders in order, possibly fewer of them.
  // Raises 380 when a character does not fit its place or the text is too long.
  void assign(std::string_view text, char promptChar);

  // Display text with literals, empty places shown as `promptChar`.
  [[nodiscard]] std::string text(char promptChar) const;
  // The text as printed and shown without focus: literals in place, empty places blank.
  [[nodiscard]] std::string formattedText() const { return text(' '); }
  // Only the characters entered in the placeholders (no literals, no prompts).
  [[nodiscard]] std::string clipText() const;

 private:
  enum class Case { Keep, Upper, Lower };
  struct Position {
    char literal = 0;      // a literal character, or 0 for a placeholder
    char placeholder = 0;  // the mask character of a placeholder
    Case letterCase = Case::Keep;
    char entered = 0;      // the character entered, 0 while empty
  };
  [[nodiscard]] static bool accepts(const Position& position, char c);
  [[nodiscard]] static char cased(const Position& position, char c);
  [[nodiscard]] bool fillAsDisplayText(std::string_view text, char promptChar);
  void fillInOrder(std::string_view text);
  std::vector<Position> positions_;
};

}  // namespace host
