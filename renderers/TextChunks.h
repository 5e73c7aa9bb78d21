#pragma once
// How a multi-line text box that runs past the foot of its page is cut into
// chunks of its lines, one chunk per page.
//
// The box's lines are the lines it shows; each takes one or more printed
// lines in its cell (a line wider than the cell wraps there). A chunk has
// `slots` line heights of room and holds whole box lines taking at most
// slots - 1 printed lines: the spare slot keeps the chunk's last line clear
// of the cell's foot. The first chunk has the room left on the current page
// and may hold nothing; every following chunk has the room of its own page,
// holds at least one line, and the last one has just the slots its lines
// need. Every line of the box lands in exactly one chunk, in order.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

namespace renderers {

struct TextChunk {
  std::int32_t firstLine = 0;
  std::int32_t lineCount = 0;     // box lines the chunk holds
  std::int32_t printedLines = 0;  // the printed lines they take
  std::int32_t slots = 0;         // line heights of room it is drawn with
  bool last = false;
};

class TextChunks {
 public:
  // The printed lines one box line takes; anything below one counts as one.
  using PrintedLines = std::function<std::int32_t(std::int32_t line)>;

  TextChunks(std::int32_t lineCount, PrintedLines printedLines, std::int32_t firstSlots)
      : lineCount_(std::max<std::int32_t>(lineCount, 0)), printedLines_(std::move(printedLines)) {
    shape(0, firstSlots, true);
  }

  [[nodiscard]] const TextChunk& current() const { return chunk_; }

  // Moves to the chunk that follows the current one (which must not be the
  // last), on a page with `slots` line heights of room.
  void advance(std::int32_t slots) { shape(chunk_.firstLine + chunk_.lineCount, slots, false); }

 private:
  void shape(std::int32_t firstLine, std::int32_t room, bool first) {
    std::int32_t count = 0;
    std::int32_t printed = 0;
    while (firstLine + count < lineCount_) {
      const std::int32_t taken = std::max<std::int32_t>(printedLines_(firstLine + count), 1);
      const bool mustTake = count == 0 && !first;  // a later chunk always moves on
      if (printed + taken > room - 1 && !mustTake) break;
      printed += taken;
      ++count;
    }
    chunk_.firstLine = firstLine;
    chunk_.lineCount = count;
    chunk_.printedLines = printed;
    chunk_.last = firstLine + count == lineCount_;
    if (chunk_.last && !first) {
      chunk_.slots = printed + 1;
    } else {
      chunk_.slots = count > 0 ? std::max(room, printed + 1) : room;
    }
  }

  std::int32_t lineCount_;
  PrintedLines printedLines_;
  TextChunk chunk_;
};

}  // namespace renderers
