// How text boxes break their text into lines (EM_GETLINECOUNT, EM_LINEINDEX).
#include <gtest/gtest.h>

#include "host/HostError.h"
#include "host/TextMetrics.h"
#include "host/model/Control.h"
#include "host/model/EditLayout.h"
#include "host/model/Messages.h"

namespace {

using host::EditLayout;
using host::Value;

// Every character ten pixels wide, counted by code point.
int tenPerCharacter(std::string_view run) {
  int count = 0;
  for (char c : run) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count * 10;
}

std::vector<int> starts(std::string_view text, int width) {
  return host::layOutEditText(text, width, tenPerCharacter).lineStarts;
}

TEST(EditLayout, WrapsAtTheLastBlankThatFits) {
  EXPECT_EQ(starts("hello world", 60), (std::vector<int>{0, 6}));
  EXPECT_EQ(starts("one two three four", 90), (std::vector<int>{0, 8, 14}));
  EXPECT_EQ(starts("fits", 40), (std::vector<int>{0}));
}

TEST(EditLayout, ALongParagraphWrapsEveryLineAlike) {
  std::string text;
  for (int word = 0; word < 300; ++word) text += "word ";
  for (int wrapWidth : {95, 395}) {
    int perLine = wrapWidth == 95 ? 10 : 40;  // two or eight words and their blanks
    std::vector<int> lines = starts(text, wrapWidth);
    ASSERT_EQ(lines.size(), (1500u + static_cast<std::size_t>(perLine) - 1) / static_cast<std::size_t>(perLine)) << wrapWidth;
    for (std::size_t line = 0; line < lines.size(); ++line) EXPECT_EQ(lines[line], static_cast<int>(line) * perLine);
  }
}

TEST(EditLayout, BlanksAtAWrapStayOnTheLineTheyFollow) {
  EXPECT_EQ(starts("aaa    bbb", 40), (std::vector<int>{0, 7}));
  EXPECT_EQ(starts("aaaa    ", 40), (std::vector<int>{0}));
}

TEST(EditLayout, AWordLongerThanTheLineBreaksWhereItNoLongerFits) {
  EXPECT_EQ(starts("abcdefghij", 40), (std::vector<int>{0, 4, 8}));
  EXPECT_EQ(starts("ab abcdefghij", 40), (std::vector<int>{0, 3, 7, 11}));
  EXPECT_EQ(starts("abc", 5), (std::vector<int>{0, 1, 2}));  // at least one character per line
}

TEST(EditLayout, LineBreaksStartNewLinesAndCountOnce) {
  EditLayout layout = host::layOutEditText("ab\r\ncd\ne\rf", 0, tenPerCharacter);
  EXPECT_EQ(layout.lineStarts, (std::vector<int>{0, 4, 7, 9}));
  EXPECT_EQ(layout.lineLength(0), 2);
  EXPECT_EQ(layout.lineLength(1), 2);
  EXPECT_EQ(layout.lineLength(3), 1);
  EXPECT_EQ(starts("ab\r\n", 0), (std::vector<int>{0, 4}));      // a final break opens an empty line
  EXPECT_EQ(starts("\r\n\r\n", 100), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(starts("one two\r\nthree four", 50), (std::vector<int>{0, 4, 9, 15}));
}

TEST(EditLayout, AnEmptyTextHasOneLine) {
  EditLayout layout = host::layOutEditText("", 50, tenPerCharacter);
  EXPECT_EQ(layout.lineCount(), 1);
  EXPECT_EQ(layout.lineIndex(0), 0);
  EXPECT_EQ(layout.lineIndex(1), -1);
  EXPECT_EQ(layout.lineIndex(-2), -1);
}

TEST(EditLayout, PositionsCountCharactersNotBytes) {
  EditLayout layout = host::layOutEditText("\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9", 30, tenPerCharacter);
  EXPECT_EQ(layout.characterCount, 5);
  EXPECT_EQ(layout.lineStarts, (std::vector<int>{0, 3}));
  EXPECT_EQ(layout.lineFromCharacter(4), 1);
  EXPECT_EQ(layout.lineFromCharacter(2), 0);
}

// --- through a text box on a form ------------------------------------------

struct TextBoxOnForm {
  std::shared_ptr<host::Form> form = host::Form::create();
  host::ObjectRef box = form->addControl("TextBox", "Notes");
  TextBoxOnForm() {
    box->set("MultiLine", Value(true));
    box->set("Width", Value(1500));  // 100 pixels less a 2-pixel border each side
  }
  int lineCount() const { return host::SendMessageA(box, host::msg::EM_GETLINECOUNT, 0, 0); }
  int lineIndex(int line) const { return host::SendMessageA(box, host::msg::EM_LINEINDEX, line, 0); }
};

int textWidth(const host::ObjectRef& box, std::string_view text) {
  auto* control = dynamic_cast<host::Control*>(box.get());
  return host::measureText(control->fontObject()->font(), text).width;
}

TEST(TextBoxLines, WrapAtTheClientWidthInTheBoxFont) {
  TextBoxOnForm on;
  std::string text = "The quick brown fox jumps over the lazy dog and keeps running far away";
  on.box->set("Text", Value(text));
  int count = on.lineCount();
  ASSERT_GT(count, 2);
  for (int line = 0; line < count; ++line) {
    int start = on.lineIndex(line);
    int end = line + 1 < count ? on.lineIndex(line + 1) : static_cast<int>(text.size());
    std::string shown = text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    EXPECT_LE(textWidth(on.box, shown), 96) << "line " << line << ": " << shown;
    if (line + 1 < count) {
      // The next word would not have fitted on this line.
      std::size_t nextWordEnd = text.find(' ', static_cast<std::size_t>(end));
      std::string longer = text.substr(static_cast<std::size_t>(start),
                                       (nextWordEnd == std::string::npos ? text.size() : nextWordEnd) - start);
      EXPECT_GT(textWidth(on.box, longer), 96) << "line " << line << " could hold more: " << longer;
    }
  }
  EXPECT_EQ(on.lineIndex(count), -1);
}

TEST(TextBoxLines, FollowTheWidthFontAndLineBreaks) {
  TextBoxOnForm on;
  on.box->set("Text", Value("first\r\nsecond\r\n\r\nfourth"));
  EXPECT_EQ(on.lineCount(), 4);
  EXPECT_EQ(on.lineIndex(1), 7);
  EXPECT_EQ(on.lineIndex(3), 17);
  on.box->set("Text", Value("word word word word word word word word"));
  int narrow = on.lineCount();
  on.box->set("Width", Value(6000));
  EXPECT_LT(on.lineCount(), narrow);
  on.box->get("Font").toObject()->set("Size", Value(24));
  EXPECT_GT(on.lineCount(), 1);  // a bigger font needs more lines again
}

TEST(TextBoxLines, TextStoredByALoaderIsLaidOutAfresh) {
  TextBoxOnForm on;
  on.box->set("Text", Value("one"));
  EXPECT_EQ(on.lineCount(), 1);
  dynamic_cast<host::PropertyObject&>(*on.box).load("Text", Value("one\r\ntwo\r\nthree"));
  EXPECT_EQ(on.lineCount(), 3);
  EXPECT_EQ(on.lineIndex(2), 10);
}

TEST(TextBoxLines, ALongWordIsBrokenInsideTheBox) {
  TextBoxOnForm on;
  on.box->set("Text", Value(std::string(60, 'W')));
  int count = on.lineCount();
  ASSERT_GT(count, 1);
  int firstLine = on.lineIndex(1);
  EXPECT_LE(textWidth(on.box, std::string(static_cast<std::size_t>(firstLine), 'W')), 96);
  EXPECT_GT(textWidth(on.box, std::string(static_cast<std::size_t>(firstLine) + 1, 'W')), 96);
}

TEST(TextBoxLines, SingleLineBoxesAndHorizontalScrollBarsDoNotWrap) {
  TextBoxOnForm on;
  on.box->set("Text", Value("word word word word word word word word\r\nmore"));
  on.box->set("ScrollBars", Value(1));
  EXPECT_EQ(on.lineCount(), 2);
  on.box->set("MultiLine", Value(false));
  EXPECT_EQ(on.lineCount(), 1);
  EXPECT_EQ(on.lineIndex(0), 0);
}

TEST(TextBoxLines, MessagesTheBoxDoesNotHandleAnswerZeroAndLabelsHaveNoWindow) {
  TextBoxOnForm on;
  EXPECT_EQ(host::SendMessageA(on.box, 0x0400 + 99, 0, 0), 0);
  auto label = on.form->addControl("Label", "Caption1");
  EXPECT_THROW((void)host::SendMessageA(label, host::msg::EM_GETLINECOUNT, 0, 0), host::HostError);
}

}  // namespace

namespace {

// Every character one pixel wide: a rest of a line fits exactly when it is
// short enough to be tried whole, so breaking a line always searches.
int onePerCharacter(std::string_view run) { return tenPerCharacter(run) / 10; }

}  // namespace

TEST(EditLayout, TryingARestWholeBreaksLinesAsSearchingDoes) {
  const std::string text =
      "A first line\twith a tab\r\nthen \xC3\xA9\xC3\xA8 accents and a "
      "Wordthatisfarlongerthananylineofthebox and blanks   at the end   \n\nlast";
  for (int columns = 1; columns <= 60; ++columns) {
    const EditLayout tried = host::layOutEditText(text, columns * 10 + 9, tenPerCharacter);
    const EditLayout searched = host::layOutEditText(text, columns, onePerCharacter);
    EXPECT_EQ(tried.lineStarts, searched.lineStarts) << columns;
    EXPECT_EQ(tried.lineEnds, searched.lineEnds) << columns;
  }
}
