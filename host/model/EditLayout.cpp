#include "host/model/EditLayout.h"

#include <algorithm>
#include <string>

namespace host {

int EditLayout::lineIndex(int line) const {
  if (line < 0 || line >= lineCount()) return -1;
  return lineStarts[static_cast<std::size_t>(line)];
}

int EditLayout::lineLength(int line) const {
  if (line < 0 || line >= lineCount()) return 0;
  return lineEnds[static_cast<std::size_t>(line)] - lineStarts[static_cast<std::size_t>(line)];
}

int EditLayout::lineFromCharacter(int character) const {
  auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), character);
  return std::max(0, static_cast<int>(after - lineStarts.begin()) - 1);
}

namespace {

// The text with a table from character index to byte offset (one entry past the end).
struct Characters {
  std::string_view text;
  std::vector<std::size_t> offsets;

  explicit Characters(std::string_view utf8) : text(utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) offsets.push_back(i);
    }
    offsets.push_back(utf8.size());
  }
  [[nodiscard]] int count() const { return static_cast<int>(offsets.size()) - 1; }
  [[nodiscard]] char first(int i) const { return text[offsets[static_cast<std::size_t>(i)]]; }
  [[nodiscard]] std::string_view run(int from, int to) const {
    return text.substr(offsets[static_cast<std::size_t>(from)],
                       offsets[static_cast<std::size_t>(to)] - offsets[static_cast<std::size_t>(from)]);
  }
  [[nodiscard]] bool isBlank(int i) const { return first(i) == ' ' || first(i) == '\t'; }
};

// The most characters from `start` (below `end`) whose run fits `wrapWidth`;
// at least one. Most lines of a box fit its width, so a rest short enough
// that it may fit is tried whole first. Otherwise probes grow by doubling, so
// a long paragraph costs about the length of one line per line, not the rest
// of the paragraph.
int fittingCount(const Characters& chars, int start, int end, int wrapWidth, const TextWidth& width) {
  const int available = end - start;
  // (The bound only keeps a rest far too long for one line from being measured whole.)
  const bool triedWhole = available <= wrapWidth;
  if (triedWhole && width(chars.run(start, end)) <= wrapWidth) return available;
  int low = 1;  // known to fit, or taken anyway
  int high = 0;
  for (int probe = 16;; probe *= 2) {
    if (probe >= available) {
      if (!triedWhole && width(chars.run(start, end)) <= wrapWidth) return available;
      high = available - 1;
      break;
    }
    if (width(chars.run(start, start + probe)) > wrapWidth) {
      high = probe - 1;
      break;
    }
    low = probe;
  }
  while (low < high) {  // the largest count that fits; widths grow with the count
    int middle = (low + high + 1) / 2;
    if (width(chars.run(start, start + middle)) <= wrapWidth) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

// Adds the lines of one paragraph [start, end) (no line breaks inside).
void wrapParagraph(const Characters& chars, int start, int end, int wrapWidth, const TextWidth& width,
                   EditLayout& layout) {
  int lineStart = start;
  for (;;) {
    layout.lineStarts.push_back(lineStart);
    int breakAt = wrapWidth <= 0 || lineStart >= end ? end : lineStart + fittingCount(chars, lineStart, end, wrapWidth, width);
    if (breakAt >= end) {
      layout.lineEnds.push_back(end);
      return;
    }
    int next = breakAt;
    if (chars.isBlank(breakAt)) {
      while (next < end && chars.isBlank(next)) ++next;  // blanks hang at the end of the line
    } else {
      int blank = breakAt - 1;
      while (blank > lineStart && !chars.isBlank(blank)) --blank;
      if (blank > lineStart || (blank == lineStart && chars.isBlank(blank))) next = blank + 1;
    }
    layout.lineEnds.push_back(std::min(next, end));
    if (next >= end) return;
    lineStart = next;
  }
}

}  // namespace

EditLayout layOutEditText(std::string_view text, int wrapWidth, const TextWidth& width) {
  Characters chars(text);
  EditLayout layout;
  layout.characterCount = chars.count();
  int paragraphStart = 0;
  for (int i = 0; i < chars.count(); ++i) {
    char c = chars.first(i);
    if (c != '\r' && c != '\n') continue;
    wrapParagraph(chars, paragraphStart, i, wrapWidth, width, layout);
    if (c == '\r' && i + 1 < chars.count() && chars.first(i + 1) == '\n') ++i;
    paragraphStart = i + 1;
  }
  wrapParagraph(chars, paragraphStart, chars.count(), wrapWidth, width, layout);
  return layout;
}

}  // namespace host
