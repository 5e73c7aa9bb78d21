#pragma once
// How an edit control breaks its text into lines: at line breaks, and, when it
// wraps, at the last blank that fits its width; a word longer than the line is
// broken at the character that no longer fits. Blanks at a wrap stay at the end
// of the line they follow. Positions count characters (code points), as the
// language's Len and Mid do.
#include <functional>
#include <string_view>
#include <vector>

namespace host {

struct EditLayout {
  // The character index where each line starts; never empty (an empty text has one line).
  std::vector<int> lineStarts;
  // Where each line's characters end (a line break is not part of its line).
  std::vector<int> lineEnds;
  int characterCount = 0;

  [[nodiscard]] int lineCount() const { return static_cast<int>(lineStarts.size()); }
  // The first character of a line; -1 for a line that does not exist.
  [[nodiscard]] int lineIndex(int line) const;
  // The line holding a character index (the last line for an index past the end).
  [[nodiscard]] int lineFromCharacter(int character) const;
  // The number of characters on a line, without its line break; 0 for a line that does not exist.
  [[nodiscard]] int lineLength(int line) const;
};

// Pixel width of a run of text (UTF-8) in the control's font.
using TextWidth = std::function<int(std::string_view)>;

// Lays out `text` (UTF-8). With wrapWidth > 0 lines wrap at that many pixels;
// with 0 they break only at line breaks ("\r\n", "\n" or "\r").
[[nodiscard]] EditLayout layOutEditText(std::string_view text, int wrapWidth, const TextWidth& width);

}  // namespace host
