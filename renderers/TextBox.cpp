// Labels, text boxes, masked edit boxes and combo boxes: the control's box,
// border, colours, font, alignment and text, drawn once; a multi-line text
// box that runs past the foot of the page continues on the following pages,
// line by line. PrevTextBox draws on the preview page and passes over any
// statement that fails; PrnTextBox draws on the printer and abandons the
// control at the first failing statement.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/TextMetrics.h"
#include "host/model/Messages.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "renderers/TextChunks.h"
#include "surface/CellRules.h"
#include "surface/OffScreenDC.h"
#include "surface/PrnFillRect.h"

namespace {

using host::CInt;
using host::CLng;
using renderers::FailureStyle;
using renderers::scaled;
using renderers::Statements;

enum class Twin { Preview, Print };

using surface::White;
// A printed chunk is drawn at this part of its height.
constexpr double PrintedChunkShrink = 0.979;
// The one-line word the preview measures its line height with.
constexpr std::string_view SampleLine = "Sample";

// The byte offset of a character index of a UTF-8 text, found by walking on
// from the last offset asked for: the chunks of a long box are read in order,
// so reading all of them costs one pass over the text.
class CharacterCursor {
 public:
  explicit CharacterCursor(const std::string& text) : text_(text) {}

  [[nodiscard]] std::size_t byteOffset(std::int32_t character) {
    if (character < character_) character_ = 0, byte_ = 0;
    while (character_ < character && byte_ < text_.size()) {
      ++byte_;
      while (byte_ < text_.size() && (static_cast<unsigned char>(text_[byte_]) & 0xC0) == 0x80) ++byte_;
      ++character_;
    }
    return byte_;
  }

 private:
  const std::string& text_;
  std::int32_t character_ = 0;
  std::size_t byte_ = 0;
};

class TextBoxRenderer {
 public:
  TextBoxRenderer(PrintJob& job, Twin twin)
      : job_(job),
        twin_(twin),
        run_(twin == Twin::Preview ? FailureStyle::StatementByStatement : FailureStyle::AbandonControl),
        control_(*job.CurCtl),
        record_(job.record()) {}

  void render() {
    identify();
    job_.GridLineColor = 0;
    run_([&] { H0_ = CLng(scaled(job_, heightTwips())); });
    H_ = H0_;
    run_([&] { border_ = borderFlag(); });
    run_([&] { alignment_ = alignmentCode(); });
    run_([&] { renderers::applyAdvance(job_); });
    if (run_.test([&] { return needsPageBreak(); })) {
      run_([&] { NextPage(job_); });
      if (job_.JobEnded) return;
    }
    run_([&] { renderers::keepBelowBodyTop(job_); });
    run_([&] { readColors(); });
    selectColors();
    font_ = renderers::readFont(control_, run_);
    run_([&] { scaleFontToLayout(); });
    if (twin_ == Twin::Print) renderers::setPrinterFont(font_);
    run_([&] { renderers::yieldToHost(); });
    if (job_.StopRequested) return;
    run_([&] { measureLineHeight(); });
    if (multiLine_) measureLines();
    if (run_.test([&] { return !multiLine_ || fitsOnPage(); })) {
      drawOnce();
    } else {
      drawInChunks();
    }
  }

 private:
  // Which family the control belongs to, by the walker's own tests.
  void identify() {
    const std::string type = control_.typeName();
    label_ = control_.kind() == host::Kind::Label;
    textBox_ = control_.kind() == host::Kind::TextBox;
    maskEdBox_ = type == "MaskEdBox";
    comboBox_ = type == "ComboBox" || control_.kind() == host::Kind::ComboBox;
    if (textBox_) run_([&] { multiLine_ = control_.get("MultiLine").toBool(); });
  }

  [[nodiscard]] double heightTwips() const { return control_.get("Height").toDouble(); }

  // A border only where the print control's BorderText allows one and the
  // control has one; a combo box never gets one.
  [[nodiscard]] std::int32_t borderFlag() const {
    if (comboBox_) return 0;
    const std::int32_t allBits = job_.control.props().BorderText ? -1 : 0;
    return allBits & control_.get("BorderStyle").toLong();
  }

  [[nodiscard]] std::int32_t alignmentCode() const {
    if (label_ || textBox_) return control_.get("Alignment").toLong();
    return renderers::hostForm(job_).get("RightToLeft").toBool() ? 1 : 0;
  }

  [[nodiscard]] bool needsPageBreak() const {
    if (renderers::wantsNewPage(job_, control_)) return true;
    return heightTwips() / job_.TwipsPerUnit + job_.CurY + job_.BottomReserve > job_.PageHeight;
  }

  void readColors() {
    if (job_.SurfaceColorMode == 2) {
      back_ = renderers::colorProperty(control_, "BackColor");
      fore_ = renderers::colorProperty(control_, "ForeColor");
    } else {
      fore_ = 0;
      back_ = White;
    }
  }

  void selectColors() {
    if (twin_ == Twin::Preview) {
      run_([&] {
        job_.page().setBackColor(back_);
        job_.page().setTextColor(fore_);
      });
    } else {
      auto& dc = renderers::printerDc();
      dc.setTextColor(host::Rgb::fromHost(fore_));
      dc.setBkColor(host::Rgb::fromHost(back_));
    }
    job_.CellFillColor = back_;
  }

  // A form printed off its design size gets its fonts scaled with it.
  void scaleFontToLayout() { font_ = renderers::layoutFont(job_, font_); }

  void measureLineHeight() {
    if (twin_ == Twin::Preview) {
      lineHeight_ = host::measureText(font_, SampleLine, 96.0).height;
      job_.page().setFont(font_);
    } else {
      lineHeight_ = printedLinePitch();
    }
  }

  // On paper the cell painter writes left-aligned lines with the font's
  // external leading between them, so a line takes a little more than the
  // height of "A"; sizing the box by that height alone would cut its last
  // lines off. The pitch is measured as the cell painter lays lines out.
  [[nodiscard]] static std::int32_t printedLinePitch() {
    host::Dc& dc = renderers::printerDc();
    const unsigned format = host::dt::Left | host::dt::WordBreak | host::dt::ExpandTabs |
                            host::dt::ExternalLeading | host::dt::NoPrefix | host::dt::CalcRect;
    host::Rect oneLine = host::Rect::fromLtrb(0, 0, 1 << 20, 0);
    host::Rect twoLines = oneLine;
    const int one = dc.drawText("A", oneLine, format);
    const int two = dc.drawText("A\nA", twoLines, format);
    return std::max(dc.textExtent("A").height, two - one);
  }

  [[nodiscard]] std::int32_t sendMessage(int message, long wParam) {
    return host::SendMessageA(job_.CurCtl, message, wParam, 0);
  }

  // The lines the box shows give the height its text needs: each counts as
  // the printed lines it takes in its cell, so a line that wraps there gets
  // its room. In preview lines that fit inside the box are drawn at the
  // box's own size, wrapped.
  void measureLines() {
    run_([&] { (void)control_.get("hwnd"); });
    run_([&] { lineCount_ = sendMessage(host::msg::EM_GETLINECOUNT, 0); });
    run_([&] { readBoxLines(); });
    run_([&] { cellWidth_ = CLng(scaled(job_, control_.get("Width").toDouble())); });
    if (twin_ == Twin::Print) {
      const std::int32_t mostThatFit =
          CLng(host::Int((job_.PageHeight - job_.BottomReserve - job_.CurY - 5) / std::max(lineHeight_, 1))) - 2;
      printedLines_ = printedLineTotal(cellWidth_, mostThatFit + 1);
      H_ = lineHeight_ * (printedLines_ + 2) + 5;
      return;
    }
    // From two lines on, both decisions only turn from fitting to not
    // fitting as lines are added: once neither can fit, the rest of the lines
    // are counted when their chunks are laid out, just before their pages
    // are drawn.
    printedLines_ = printedLineTotal(cellWidth_, [&](std::int32_t total) {
      if (total < 2) return false;
      const std::int32_t height = previewLinesHeight(total);
      return !linesFitInBox(height) && !fitsOnPage(height);
    });
    H_ = previewLinesHeight(printedLines_);
    if (linesFitInBox(H_)) {
      run_([&] { H_ = CLng(scaled(job_, heightTwips()) + 9); });
      wrap_ = true;
      linesFitBox_ = true;
    }
  }

  // The height a preview gives `total` printed lines.
  [[nodiscard]] std::int32_t previewLinesHeight(std::int32_t total) {
    std::int32_t height = H_;
    run_([&] { height = CLng(total * lineHeight_ - lineHeight_ / 2.0); });
    return total <= 1 ? H0_ : height;
  }

  [[nodiscard]] bool linesFitInBox(std::int32_t height) {
    return run_.test([&] { return scaled(job_, heightTwips()) >= height; });
  }

  // The box's lines, each as the box shows it (a line it wraps ends where
  // the box breaks it, blanks and all; a line break is not part of a line).
  void readBoxLines() {
    const std::string text = control_.get("Text").toString();
    CharacterCursor cursor(text);
    boxLines_.clear();
    boxLines_.reserve(static_cast<std::size_t>(std::max(lineCount_, 0)));
    for (std::int32_t line = 0; line < lineCount_; ++line) {
      const std::int32_t start = std::max(sendMessage(host::msg::EM_LINEINDEX, line), 0);
      const std::int32_t length = std::max(sendMessage(host::msg::EM_LINELENGTH, start), 0);
      const std::size_t from = cursor.byteOffset(start);
      const std::size_t to = cursor.byteOffset(start + length);
      boxLines_.push_back(text.substr(from, to - from));
    }
    measuredAt_ = -1;
  }

  // The printed lines one box line takes in a cell `width` wide; measured
  // once per line and width, as the chunks ask for them.
  [[nodiscard]] std::int32_t printedLinesOf(std::int32_t line, std::int32_t width) {
    if (width != measuredAt_) {
      printedPerLine_.assign(boxLines_.size(), 0);
      measuredAt_ = width;
    }
    std::int32_t& printed = printedPerLine_[static_cast<std::size_t>(line)];
    if (printed == 0) printed = std::max(wrappedLineCount(boxLines_[static_cast<std::size_t>(line)], width), 1);
    return printed;
  }

  // Every line of the box is counted in the one font of the box: the height
  // of a wrapped line is measured once.
  [[nodiscard]] std::int32_t wrappedLineCount(const std::string& text, std::int32_t width) {
    if (text.empty()) return 0;
    if (wrappedLineHeight_ == 0) {
      wrappedLineHeight_ = twin_ == Twin::Preview ? job_.page().WrappedLineHeight(alignment_)
                                                  : PrnWrappedLineHeight(alignment_);
    }
    if (twin_ == Twin::Preview) return job_.page().WrappedLineCount(text, width, alignment_, 5, wrappedLineHeight_);
    return PrnWrappedLineCount(text, job_.CurX, width, alignment_, true, 5, wrappedLineHeight_);
  }

  // The printed lines of the whole box, counted no further than `limit`
  // (a box that needs more than a page holds is not measured whole here).
  [[nodiscard]] std::int32_t printedLineTotal(std::int32_t width, std::int32_t limit) {
    return printedLineTotal(width, [limit](std::int32_t total) { return total > limit; });
  }

  // The same, counted until `settled` holds for the lines counted so far.
  template <class Settled>
  [[nodiscard]] std::int32_t printedLineTotal(std::int32_t width, Settled&& settled) {
    std::int32_t total = 0;
    for (std::int32_t line = 0; line < static_cast<std::int32_t>(boxLines_.size()) && !settled(total); ++line) {
      std::int32_t printed = 1;
      run_([&] { printed = printedLinesOf(line, width); });
      total += printed;
    }
    return total;
  }

  // The box's lines from `first`, `count` of them, one to a line: what the
  // box shows as a line prints as one (wrapping further only where the cell
  // is narrower), every character once.
  [[nodiscard]] std::string joinedLines(std::int32_t first, std::int32_t count) const {
    std::string joined;
    for (std::int32_t line = first; line < first + count; ++line) {
      if (line > first) joined += '\n';
      joined += boxLines_[static_cast<std::size_t>(line)];
    }
    return joined;
  }

  [[nodiscard]] bool fitsOnPage() const { return fitsOnPage(H_); }

  [[nodiscard]] bool fitsOnPage(std::int32_t height) const {
    if (twin_ == Twin::Preview) {
      return height + job_.CurY <= job_.PageHeight - (job_.BottomReserve + lineHeight_);
    }
    return job_.CurY + height <= job_.PageHeight - job_.BottomReserve;
  }

  [[nodiscard]] std::int32_t leftOnPage() const {
    return CLng((record_.Left / job_.TwipsPerUnit + job_.BodyLeft) * job_.LayoutFactor);
  }

  [[nodiscard]] std::string textToPrint() const {
    if (label_) return control_.get("Caption").toString();
    if (multiLine_) return joinedLines(0, static_cast<std::int32_t>(boxLines_.size()));
    if (maskEdBox_ && twin_ == Twin::Print) return control_.get("FormattedText").toString();
    return control_.get("Text").toString();
  }

  void drawOnce() {
    std::string text;
    bool transparent = false;
    std::int32_t width = 0;
    run_([&] { text = textToPrint(); });
    run_([&] { transparent = label_ && control_.get("BackStyle").toLong() == 0; });
    if (label_ || maskEdBox_) wrap_ = true;
    run_([&] { job_.CurX = leftOnPage(); });
    run_([&] { width = CLng(scaled(job_, control_.get("Width").toDouble())); });
    if (twin_ == Twin::Preview) {
      // A multi-line box whose lines do not fit inside it is drawn with the
      // room all its lines need, wrapped, as on paper: drawn at the box's
      // own height on one line its text would run together and be cut off.
      std::int32_t height = H0_ + 1;
      if (multiLine_ && !linesFitBox_) {
        wrap_ = true;
        height = std::max(height, CLng(printedLines_ * lineHeight_ + 3));
      }
      run_([&] { width = autoSizedWidth(width, text, job_.CurY - 2, height); });
      run_([&] {
        job_.page().FillRect(job_.CurX, job_.CurY - 2, width, height, text, alignment_, border_, wrap_, false, 5,
                             transparent, 5);
      });
    } else {
      if (label_ && control_.get("AutoSize").toBool()) width += CInt(job_.PrnUnit * 7);
      width = autoSizedWidth(width, text, job_.CurY, H_);
      PrnFillRect(job_, job_.CurX, job_.CurY, width, H_, text, alignment_, static_cast<std::int16_t>(border_),
                  true, true, transparent, 5);
    }
    // A preview box whose lines fit inside it is drawn at its own size.
    if (multiLine_ && !(twin_ == Twin::Preview && linesFitBox_)) run_([&] { moveBelowOverflow(); });
  }

  // An auto-sized label is exactly as wide as its text on the form; the cell
  // writes its caption inside insets and in the device's own font, so it is
  // widened until each line it shows holds its text whole. A label that wraps
  // its words keeps its width. Only the lines of the cell (`top`, `height`)
  // that reach onto the page can show, so only they are measured: a long
  // caption costs what is drawn of it.
  [[nodiscard]] std::int32_t autoSizedWidth(std::int32_t width, const std::string& text, std::int32_t top,
                                            std::int32_t height) {
    if (!label_ || text.empty() || !control_.get("AutoSize").toBool() || control_.get("WordWrap").toBool())
      return width;
    host::Rect inner = twin_ == Twin::Preview ? OffScreenDC::WrappedTextRect(0, 0, width, 0, 5)
                                              : PrnWrappedTextRect(job_.CurX, 0, width, 0, true, 5);
    const std::int32_t insets = width - inner.width();
    host::Dc& dc = targetDc();
    host::Rect line = host::Rect::fromXywh(0, 0, 0, 0);
    (void)dc.drawText("A", line, host::dt::NoPrefix | host::dt::CalcRect);
    const std::int32_t onPage = std::min(top + height, dc.size().height) - std::max(top, 0);
    const std::size_t shown = static_cast<std::size_t>(std::max(onPage, 0) / std::max(line.height(), 1)) + 1;
    host::Rect measured = host::Rect::fromXywh(0, 0, 0, 0);
    (void)dc.drawText(firstLines(text, shown), measured, host::dt::NoPrefix | host::dt::ExpandTabs | host::dt::CalcRect);
    return std::max(width, measured.width() + insets + 1);
  }

  // The first `count` lines of a text (broken at CR LF, CR or LF).
  [[nodiscard]] static std::string_view firstLines(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t line = 0; line < count; ++line) {
      end = text.find_first_of("\r\n", end);
      if (end == std::string_view::npos) return text;
      end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    }
    return text.substr(0, end);
  }

  [[nodiscard]] host::Dc& targetDc() {
    if (twin_ == Twin::Print) return renderers::printerDc();
    host::RasterDc* dc = job_.page().dc();
    if (dc == nullptr) host::raise(host::err::ObjectVariableNotSet, "Object variable or With block variable not set");
    return *dc;
  }

  // A multi-line box whose lines reach below its own foot pushes what
  // follows it down by as much, so nothing is drawn over its lines.
  void moveBelowOverflow() {
    std::int32_t linesTop = job_.CurY;
    std::int32_t boxBottom = job_.CurY + H0_ - 1;  // the preview draws the box from two pixels higher
    if (twin_ == Twin::Print) {
      linesTop = PrnWrappedTextRect(job_.CurX, job_.CurY, cellWidth_, H_, true, 5).top;
      boxBottom = job_.CurY + H0_;
    }
    const std::int32_t overflow = linesTop + printedLines_ * lineHeight_ - boxBottom;
    if (overflow > 0) job_.CurY = CLng(static_cast<double>(job_.CurY) + overflow);
  }

  // The room a chunk gives each of its lines. On paper a chunk is drawn at
  // 0.979 of its height; its line slots are made that much taller so that the
  // chunk as drawn still holds all its lines.
  [[nodiscard]] double slotHeight() const {
    return twin_ == Twin::Preview ? lineHeight_ : lineHeight_ / PrintedChunkShrink;
  }

  // The line slots a chunk has on this page from the cursor down: the first
  // chunk fills the rest of its page, every later one its whole page.
  [[nodiscard]] std::int32_t slotsLeftOnPage() const {
    const double slot = slotHeight();
    if (twin_ == Twin::Preview) {
      return CInt(host::Int((job_.PageHeight - (job_.BottomReserve + job_.CurY + 2.0 * slot)) / slot) + 2);
    }
    return CLng(host::Int((job_.PageHeight - (job_.BottomReserve + job_.CurY + slot)) / slot));
  }

  // The cell a chunk is written in; on paper a little narrower than the box.
  [[nodiscard]] std::int32_t chunkWidth() const {
    return twin_ == Twin::Preview ? cellWidth_ : CLng(cellWidth_ * 0.95);
  }

  void drawInChunks() {
    std::int32_t firstSlots = 0;
    run_([&] { firstSlots = slotsLeftOnPage(); });
    const std::int32_t width = chunkWidth();
    renderers::TextChunks chunks(
        static_cast<std::int32_t>(boxLines_.size()),
        [&](std::int32_t line) {
          std::int32_t printed = 1;
          run_([&] { printed = printedLinesOf(line, width); });
          return printed;
        },
        firstSlots);
    std::int32_t chunkHeight = 0;
    std::int32_t chunkTop = 0;
    for (;;) {
      run_([&] { renderers::yieldToHost(); });
      if (job_.StopRequested) return;
      const renderers::TextChunk& chunk = chunks.current();
      chunkHeight = CLng(chunk.slots * slotHeight());
      chunkTop = job_.CurY;
      const std::string chunkText = joinedLines(chunk.firstLine, chunk.lineCount);
      run_([&] { job_.CurX = leftOnPage(); });
      run_([&] { drawChunk(chunkText, chunkHeight); });
      if (chunk.last) break;
      run_([&] { NextPage(job_); });
      if (job_.JobEnded) return;
      selectPageFontAndColors();
      std::int32_t slots = 0;
      run_([&] { slots = slotsLeftOnPage(); });
      chunks.advance(slots);
    }
    run_([&] { job_.CurY = nextControlTop(chunkTop, chunkHeight); });
  }

  // The next control follows the part of the box the last chunk left
  // unfilled. A last chunk taller than the box itself would leave that part
  // negative and put the next control over the chunk's lines; it then comes
  // as far below the chunk as it stood below the box's foot on the form.
  [[nodiscard]] std::int32_t nextControlTop(std::int32_t chunkTop, std::int32_t chunkHeight) const {
    const double boxHeight = heightTwips() / job_.TwipsPerUnit;
    const std::int32_t unfilled = CLng(host::Int(boxHeight - chunkHeight) + job_.BodyTop + 20);
    const std::int32_t belowChunk = CLng(chunkTop + chunkHeight + 20 - scaled(job_, heightTwips()));
    return std::max(unfilled, belowChunk);
  }

  void drawChunk(const std::string& chunkText, std::int32_t chunkHeight) {
    if (twin_ == Twin::Preview) {
      job_.page().FillRect(job_.CurX, job_.CurY, chunkWidth(), chunkHeight, chunkText, alignment_, border_, true,
                           false, 0, false, 5);
    } else {
      PrnFillRect(job_, job_.CurX, job_.CurY, chunkWidth(), CLng(chunkHeight * PrintedChunkShrink), chunkText,
                  alignment_, static_cast<std::int16_t>(border_), true, true, false, 5);
    }
  }

  // A new page starts with the device's own font and colours.
  void selectPageFontAndColors() {
    if (twin_ == Twin::Preview) {
      run_([&] {
        job_.page().setFont(font_);
        job_.page().setBackColor(back_);
        job_.page().setTextColor(fore_);
      });
    } else {
      renderers::setPrinterFont(font_);
      renderers::printerDc().setTextColor(host::Rgb::fromHost(fore_));
      renderers::printerDc().setBkColor(host::Rgb::fromHost(back_));
    }
  }

  PrintJob& job_;
  Twin twin_;
  Statements run_;
  host::Object& control_;
  const CtlRecord& record_;

  bool label_ = false, textBox_ = false, maskEdBox_ = false, comboBox_ = false, multiLine_ = false;
  std::int32_t H0_ = 0;  // the control's own height, page units
  std::int32_t H_ = 0;   // the height its text needs, for the page decision
  std::int32_t border_ = 0;
  std::int32_t alignment_ = 0;
  bool wrap_ = false;
  bool linesFitBox_ = false;
  std::int32_t fore_ = 0;
  std::int32_t back_ = White;
  host::Font font_;
  std::int32_t lineHeight_ = 0;
  std::int32_t lineCount_ = 0;
  // A multi-line box: the lines it shows, the printed lines they take, and
  // the width its cell is measured at.
  std::vector<std::string> boxLines_;
  std::vector<std::int32_t> printedPerLine_;
  std::int32_t measuredAt_ = -1;
  int wrappedLineHeight_ = 0;  // 0 until measured
  std::int32_t printedLines_ = 0;
  std::int32_t cellWidth_ = 0;
};

}  // namespace

void PrevTextBox(PrintJob& job) { TextBoxRenderer(job, Twin::Preview).render(); }

void PrnTextBox(PrintJob& job) {
  try {
    TextBoxRenderer(job, Twin::Print).render();
  } catch (const host::HostError&) {
    // The control is abandoned; the walk goes on with the next one.
  }
}
