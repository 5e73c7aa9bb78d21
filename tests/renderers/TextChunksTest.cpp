#include "renderers/TextChunks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using renderers::TextChunk;
using renderers::TextChunks;

std::vector<TextChunk> allChunks(int lines, int firstSlots, int laterSlots,
                                 TextChunks::PrintedLines printed = [](std::int32_t) { return 1; }) {
  TextChunks chunks(lines, printed, firstSlots);
  std::vector<TextChunk> result{chunks.current()};
  while (!result.back().last && result.size() < 10000) {
    chunks.advance(laterSlots);
    result.push_back(chunks.current());
  }
  return result;
}

// Every line lands in exactly one chunk, in order; no chunk holds more
// printed lines than its slots less the spare one; every chunk after the
// first makes progress; only the final chunk is marked last. Box lines of
// one to three printed lines each.
TEST(TextChunks, EveryLineExactlyOnceInOrderForAnyRoom) {
  const auto printed = [](std::int32_t line) { return line % 3 + (line % 7 == 0 ? 0 : 1); };
  for (int lines = 0; lines <= 60; ++lines)
    for (int firstSlots = -3; firstSlots <= 25; ++firstSlots)
      for (int laterSlots = -1; laterSlots <= 20; ++laterSlots) {
        SCOPED_TRACE(testing::Message() << lines << " lines, first " << firstSlots << ", later " << laterSlots);
        const std::vector<TextChunk> chunks = allChunks(lines, firstSlots, laterSlots, printed);
        ASSERT_TRUE(chunks.back().last);
        int next = 0;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
          const TextChunk& chunk = chunks[i];
          ASSERT_EQ(chunk.firstLine, next);
          int taken = 0;
          for (int line = chunk.firstLine; line < chunk.firstLine + chunk.lineCount; ++line)
            taken += std::max(printed(line), 1);
          ASSERT_EQ(chunk.printedLines, taken);
          ASSERT_LE(chunk.printedLines, std::max(chunk.slots - 1, 0));
          ASSERT_EQ(chunk.last, i + 1 == chunks.size());
          if (i > 0) {
            ASSERT_GE(chunk.lineCount, 1);
          }
          next += chunk.lineCount;
        }
        ASSERT_EQ(next, lines);
      }
}

// The first chunk takes what the rest of the page holds; the following ones
// fill whole pages and the last one has just the slots its lines need.
TEST(TextChunks, ChunksFillThePagesAndTheLastFitsItsLines) {
  const std::vector<TextChunk> chunks = allChunks(90, 21, 41);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].firstLine, 0);
  EXPECT_EQ(chunks[0].lineCount, 20);
  EXPECT_EQ(chunks[0].slots, 21);
  EXPECT_EQ(chunks[1].firstLine, 20);
  EXPECT_EQ(chunks[1].lineCount, 40);
  EXPECT_EQ(chunks[1].slots, 41);
  EXPECT_EQ(chunks[2].firstLine, 60);
  EXPECT_EQ(chunks[2].lineCount, 30);
  EXPECT_EQ(chunks[2].slots, 31);
  EXPECT_TRUE(chunks[2].last);
}

// A box line that wraps in its cell takes the room of all its printed lines:
// a line that would not fit whole goes to the next page.
TEST(TextChunks, AWrappedLineTakesTheRoomOfItsPrintedLines) {
  const auto printed = [](std::int32_t line) { return line == 3 ? 4 : 1; };
  const std::vector<TextChunk> chunks = allChunks(8, 6, 10, printed);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].lineCount, 3);  // lines 0-2; line 3 needs four more slots than the two left
  EXPECT_EQ(chunks[1].firstLine, 3);
  EXPECT_EQ(chunks[1].printedLines, 8);
  EXPECT_EQ(chunks[1].slots, 9);
}

// Lines that end exactly where a page's chunk is full need no further page,
// and one line more than a page holds needs exactly one.
TEST(TextChunks, PageBoundaries) {
  EXPECT_EQ(allChunks(60, 21, 41).size(), 2u);
  EXPECT_EQ(allChunks(61, 21, 41).size(), 3u);
  EXPECT_EQ(allChunks(61, 21, 41).back().lineCount, 1);
}

// No room on the first page: its chunk holds nothing and the lines start on
// the next page; a line taller than a whole page still moves on, with the
// slots it needs.
TEST(TextChunks, NoRoomOnTheFirstPageAndLinesTallerThanAPage) {
  for (int firstSlots : {-5, 0, 1}) {
    const std::vector<TextChunk> chunks = allChunks(10, firstSlots, 5);
    EXPECT_EQ(chunks[0].lineCount, 0);
    EXPECT_FALSE(chunks[0].last);
    EXPECT_EQ(chunks[1].firstLine, 0);
    EXPECT_EQ(chunks[1].lineCount, 4);
  }
  const std::vector<TextChunk> tall = allChunks(2, 3, 3, [](std::int32_t) { return 5; });
  ASSERT_EQ(tall.size(), 3u);
  EXPECT_EQ(tall[1].lineCount, 1);
  EXPECT_EQ(tall[1].slots, 6);
}

}  // namespace
