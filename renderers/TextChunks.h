#pragma once
// How a multi-line text box that runs past the foot of its page is cut into
// chunks of its lines, one chunk per page.
//
// A chunk has `slots` line heights of room and holds at most slots - 1 lines:
// the spare slot takes a line that wraps once more when the chunk is drawn a
// little narrower than the box itself. The first chunk has the room left on
// the current page; every following chunk holds up to `linesPerPage` lines
// and has just the slots it needs. A chunk is the last one when it holds the
// box's last line. Every line of the box lands in exactly one chunk, in order,
// and every chunk after the first holds at least one line.
#include <algorithm>
#include <cstdint>

namespace renderers {

struct TextChunk {
  std::int32_t firstLine = 0;
  std::int32_t lineCount = 0;  // lines the chunk holds
  std::int32_t slots = 0;      // line heights of room it is drawn with
  bool last = false;
};

class TextChunks {
 public:
  // `lineCount` lines in all; the first chunk gets `firstSlots` line heights
  // (none at all when it is not positive); later ones up to `linesPerPage`
  // lines (at least one).
  TextChunks(std::int32_t lineCount, std::int32_t firstSlots, std::int32_t linesPerPage)
      : lineCount_(std::max<std::int32_t>(lineCount, 0)),
        linesPerPage_(std::max<std::int32_t>(linesPerPage, 1)) {
    shape(0, firstSlots);
  }

  [[nodiscard]] const TextChunk& current() const { return chunk_; }

  // Moves to the chunk that follows the current one (which must not be the last).
  void advance() {
    const std::int32_t next = chunk_.firstLine + chunk_.lineCount;
    shape(next, std::min(lineCount_ - next, linesPerPage_) + 1);
  }

 private:
  void shape(std::int32_t firstLine, std::int32_t slots) {
    const std::int32_t remaining = lineCount_ - firstLine;
    chunk_.firstLine = firstLine;
    chunk_.slots = slots;
    chunk_.lineCount = std::clamp<std::int32_t>(slots - 1, 0, remaining);
    chunk_.last = chunk_.lineCount == remaining;
  }

  std::int32_t lineCount_;
  std::int32_t linesPerPage_;
  TextChunk chunk_;
};

}  // namespace renderers
