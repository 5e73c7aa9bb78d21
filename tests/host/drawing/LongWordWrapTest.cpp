// Word-wrapped text holding a word of millions of characters: the lines that
// show are laid out as for the start of the word alone, at the cost of what
// is drawn.
#include <gtest/gtest.h>

#include <string>

#include "DrawingTestSupport.h"
#include "host/Dc.h"

using namespace drawingtest;
using host::Rect;
namespace dt = host::dt;

namespace {

std::string longWord(std::size_t characters) {
  std::string word(characters, 'x');
  for (std::size_t i = 0; i < word.size(); i += 5) word[i] = static_cast<char>('a' + (i / 5) % 26);
  return word;
}

// The pixels of `text` drawn word-wrapped in a rectangle of six lines.
host::Picture wrapped(const std::string& text) {
  auto dc = colourSurface(240, 160);
  dc->setFont(host::Font("Arial", 12));
  dc->setBkMode(host::BkMode::Transparent);
  const int lineHeight = dc->textExtent("x").height;
  Rect rect = Rect::fromXywh(4, 4, 150, 6 * lineHeight);
  (void)dc->drawText(text, rect, dt::WordBreak | dt::NoPrefix);
  return dc->picture();
}

int differingPixels(const host::Picture& a, const host::Picture& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) == b.pixel(x, y) ? 0 : 1;
  return count;
}

TEST(LongWordWrap, TheLinesOfAWordOfMillionsOfCharactersAreThoseOfItsStart) {
  const std::string word = longWord(2'000'000);
  for (const std::string before : {"", "Short words, then ", "   "}) {
    SCOPED_TRACE("before the word: \"" + before + "\"");
    const host::Picture whole = wrapped(before + word);
    EXPECT_EQ(differingPixels(whole, wrapped(before + word.substr(0, 4000))), 0);
    EXPECT_GT(differingPixels(whole, wrapped(before)), 100) << "the word is drawn";
  }
  // Words after the long one, in the lines that show, still break at their blanks.
  const std::string after = word.substr(0, 30) + " tail words";
  EXPECT_EQ(differingPixels(wrapped(after + " " + word), wrapped(after + " " + word.substr(0, 4000))), 0);
}

}  // namespace
