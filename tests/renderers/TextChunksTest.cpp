#include "renderers/TextChunks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using renderers::TextChunk;
using renderers::TextChunks;

std::vector<TextChunk> allChunks(int lines, int firstSlots, int perPage) {
  TextChunks chunks(lines, firstSlots, perPage);
  std::vector<TextChunk> result{chunks.current()};
  while (!result.back().last && result.size() < 10000) {
    chunks.advance();
    result.push_back(chunks.current());
  }
  return result;
}

// Every line lands in exactly one chunk, in order; no chunk holds more lines
// than its slots less the spare one; every chunk after the first makes
// progress; only the final chunk is marked last.
TEST(TextChunks, EveryLineExactlyOnceInOrderForAnyRoom) {
  for (int lines = 0; lines <= 70; ++lines)
    for (int firstSlots = -3; firstSlots <= 30; ++firstSlots)
      for (int perPage = -1; perPage <= 25; ++perPage) {
        SCOPED_TRACE(testing::Message() << lines << " lines, first " << firstSlots << ", per page " << perPage);
        const std::vector<TextChunk> chunks = allChunks(lines, firstSlots, perPage);
        ASSERT_TRUE(chunks.back().last);
        int next = 0;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
          const TextChunk& chunk = chunks[i];
          ASSERT_EQ(chunk.firstLine, next);
          ASSERT_LE(chunk.lineCount, std::max(chunk.slots - 1, 0));
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
  const std::vector<TextChunk> chunks = allChunks(90, 21, 40);
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

// Lines that end exactly where a page's chunk is full need no further page,
// and one line more than a page holds needs exactly one.
TEST(TextChunks, PageBoundaries) {
  EXPECT_EQ(allChunks(60, 21, 40).size(), 2u);
  EXPECT_EQ(allChunks(61, 21, 40).size(), 3u);
  EXPECT_EQ(allChunks(61, 21, 40).back().lineCount, 1);
}

// No room on the first page: its chunk holds nothing and the lines start on
// the next page.
TEST(TextChunks, NoRoomOnTheFirstPage) {
  for (int firstSlots : {-5, 0, 1}) {
    const std::vector<TextChunk> chunks = allChunks(10, firstSlots, 4);
    EXPECT_EQ(chunks[0].lineCount, 0);
    EXPECT_FALSE(chunks[0].last);
    EXPECT_EQ(chunks[1].firstLine, 0);
    EXPECT_EQ(chunks[1].lineCount, 4);
  }
}

}  // namespace
