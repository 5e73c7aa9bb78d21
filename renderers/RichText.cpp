// Rich-text boxes: the control lays its document out itself, one stretch per
// page through its format-range operation, from the control's place on the
// first page and from the body top on every following page, until every
// character has been drawn once. A stretch that starts at the body top has
// all the room any page gives: the control cuts what is taller than that at
// the page's bottom and goes on after it, so the text always moves on and
// the job ends. Every statement that fails is passed over and the next one
// runs.
#include <algorithm>
#include <cstdint>

#include "host/FormatRange.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "layout/Titles.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"

namespace {

using host::CLng;
using renderers::FailureStyle;
using renderers::Statements;

// Room the first stretch needs below CurY: preview units, and PrnUnits on paper.
constexpr std::int32_t PreviewFirstStretchRoom = 80;
constexpr double PrintFirstStretchRoom = 30;
// The printed stretch starts this many pixels below CurY.
constexpr std::int32_t PrintTopGap = 24;
// The printer's page rectangle reaches this far below the drawing rectangle.
constexpr std::int32_t PrintPageBelowBody = 500;

class RichTextRenderer {
 public:
  explicit RichTextRenderer(PrintJob& job)
      : job_(job), run_(FailureStyle::StatementByStatement), control_(*job.CurCtl) {}

  void preview() {
    advance();
    if (run_.test([&] { return startsNewPage(job_.CurY + PreviewFirstStretchRoom + job_.BottomReserve > job_.PageHeight); }))
      if (!nextPage()) return;
    job_.RichTextPos = 0;
    job_.CurrentRichText = job_.CurCtl;
    const double tpu = job_.TwipsPerUnit;
    std::int32_t top = 0;
    run_([&] { top = CLng(job_.CurY * 1.028 * tpu); });
    const std::int32_t length = textLength();
    const bool atBodyTop = startsAtBodyTop();
    for (bool fullPage = false;; fullPage = true) {
      std::int32_t bottom = 0, left = 0;
      run_([&] { bottom = CLng(job_.PageHeight * tpu - job_.BottomReserve * tpu * 1.2); });
      run_([&] { left = CLng(job_.record().Left * 1.02 + job_.BodyLeft * tpu); });
      const std::int32_t before = job_.RichTextPos;
      // A following page's stretch runs from the body top to the same bottom.
      std::int32_t wholePage = 0;
      run_([&] { wholePage = CLng(bottom - CLng(job_.BodyTop * tpu)); });
      run_([&] { job_.page().CDRTF(top, left, bottom, fullPage || atBodyTop, wholePage); });
      if (job_.RichTextPos >= length || stuck(before, job_.RichTextPos, fullPage)) break;
      if (!nextPage()) break;
      run_([&] { top = CLng(job_.BodyTop * tpu); });
    }
    release();
  }

  void print() {
    advance();
    if (run_.test([&] { return startsNewPage(job_.CurY + PrintFirstStretchRoom * job_.PrnUnit + job_.BottomReserve >= job_.PageHeight); }))
      if (!nextPage()) return;
    host::Dc& printer = renderers::printerDc();
    run_([&] { printer.setBkColor(host::Rgb::fromHost(renderers::colorProperty(control_, "BackColor"))); });
    host::FormatRange range;
    range.target = &printer;
    range.firstChar = 0;
    range.lastChar = -1;
    range.render = true;
    const double tpu = job_.TwipsPerUnit;
    run_([&] {
      const std::int32_t left = CLng(job_.record().Left + (job_.BodyLeft + 2) * tpu);
      const std::int32_t right = CLng(left + control_.get("Width").toDouble());
      // The sheet's height less three foot reserves reaches into the foot
      // line on ordinary sheets: the text stops above the foot line.
      const std::int32_t bottom =
          std::min(CLng(host::printer().height() - job_.BottomReserve * tpu * 3), CLng(FootLineTop(job_) * tpu));
      range.drawTwips = host::Rect::fromLtrb(left, CLng((job_.CurY + PrintTopGap) * tpu), right, bottom);
      range.pageTwips = host::Rect::fromLtrb(0, 0, right, bottom + PrintPageBelowBody);
      // A following page's stretch runs from its top below the body top to the same bottom.
      range.wholePageTwips = CLng(bottom - CLng((NextPageTop(job_) + PrintTopGap) * tpu));
    });
    const std::int32_t length = textLength();
    const bool atBodyTop = startsAtBodyTop();
    for (bool fullPage = false;; fullPage = true) {
      std::int32_t next = -1;
      range.wholePage = fullPage || atBodyTop;
      run_([&] { next = host::formatRangeOf(control_).formatRange(range); });
      // Every character is printed once: the text ends when the result reaches
      // its length, however close to a page end that is.
      if (next < 0 || next >= length || stuck(range.firstChar, next, fullPage)) break;
      range.firstChar = next;
      if (!nextPage()) break;
      run_([&] {
        range.drawTwips = host::Rect::fromLtrb(range.drawTwips.left, CLng((job_.CurY + PrintTopGap) * tpu),
                                               range.drawTwips.right, range.drawTwips.bottom);
      });
    }
    release();
  }

 private:
  void advance() { run_([&] { renderers::applyAdvance(job_); }); }

  // The "newpage" tag, or too little room for the first stretch.
  bool startsNewPage(bool tooLittleRoom) const { return renderers::wantsNewPage(job_, control_) || tooLittleRoom; }

  // False when the job has ended and the renderer must leave.
  bool nextPage() {
    run_([&] { NextPage(job_); });
    return !job_.JobEnded;
  }

  std::int32_t textLength() const {
    std::int32_t length = 0;
    run_([&] { length = host::Len(control_.get("Text").toString()); });
    return length;
  }

  // The first stretch starts where a following page's stretch would start.
  bool startsAtBodyTop() const {
    bool atTop = false;
    run_([&] { atTop = job_.CurY <= NextPageTop(job_); });
    return atTop;
  }

  // A whole page always takes something of a control that keeps the
  // format-range contract (host/FormatRange.h); one that takes nothing of a
  // whole page would be followed by such pages without end: the text stops
  // there.
  static bool stuck(std::int32_t before, std::int32_t after, bool fullPage) { return fullPage && after <= before; }

  void release() {
    run_([&] { host::formatRangeOf(control_).releaseFormatRange(); });
  }

  PrintJob& job_;
  Statements run_;
  host::Object& control_;
};

}  // namespace

void PrevRichText(PrintJob& job) { RichTextRenderer(job).preview(); }
void PrnRichText(PrintJob& job) { RichTextRenderer(job).print(); }
