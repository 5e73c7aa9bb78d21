// List boxes and file lists. PrintListBox draws a list box in its own box on
// the page, its items in columns of as many rows as the box holds, with a
// check box before each item in the check-box style; it neither breaks pages
// nor polls for a stop. PrevListFull and PrnListFull write every item of a
// file list as a flowing list, several items a line across the page,
// continued on the following pages. A failing statement ends the renderer
// through the job's common error exit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/model/Pictures.h"
#include "layout/Pagination.h"
#include "printctl/Glyphs.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "renderers/TableSupport.h"
#include "surface/CellRules.h"
#include "surface/PrnFillRect.h"

namespace {

using host::CLng;
using renderers::scaled;

using surface::White;
constexpr std::int32_t AlignLeft = 0;
constexpr std::int32_t AlignRight = 1;
// Right-to-left lists keep their check boxes this many page units from the column's right edge.
constexpr std::int32_t RightToLeftOffset = 10;
// Room between a check box and its item's text, in page units.
constexpr std::int32_t GlyphGap = 3;

std::int32_t itemCount(const host::Object& list) { return list.get("ListCount").toLong(); }

// --- the list box in place ----------------------------------------------------

class ListBoxRenderer {
 public:
  explicit ListBoxRenderer(PrintJob& job)
      : job_(job), list_(*job.CurCtl), record_(job.record()), printing_(job.Printing == 1) {}

  void render() {
    const double s = job_.LayoutFactor;
    const double k = job_.PrnUnit;
    job_.CurY = CLng(record_.Advance / job_.TwipsPerUnit * s + job_.CurY);
    const std::int32_t boxTop = job_.CurY;
    const bool rightToLeft = list_.get("RightToLeft").toBool();
    const bool checkBoxes = list_.get("Style").toInteger() == 1;
    const std::int32_t foreColor = renderers::colorProperty(list_, "ForeColor");
    if (!printing_) {
      job_.page().setBackColor(White);
      job_.page().setTextColor(foreColor);
    }

    const double boxHeight = scaled(job_, list_.get("Height").toDouble());
    const std::int32_t boxWidth = CLng(scaled(job_, list_.get("Width").toDouble()));
    const std::int16_t columnsProperty = list_.get("Columns").toInteger();
    const std::int32_t columnWidth =
        columnsProperty > 1 ? CLng(boxWidth / (columnsProperty + 1.0) * 1.36) : boxWidth;

    const host::Font font = renderers::fontOf(list_);
    const std::int32_t h = itemHeight(font);

    std::int32_t indent = 0, boxOffset = 0;
    if (checkBoxes) {
      boxOffset = printing_ ? CLng((h - 18 * k) / 2) : CLng((h - 16) / 2.0);
      indent = printing_ ? CLng(9 * k) : CLng(8 * k);
      if (rightToLeft) indent = boxOffset = RightToLeftOffset;
      // The indent holds the check box: on paper a glyph is wider than nine
      // PrnUnits, and it would cover the start of its item's text.
      if (!rightToLeft) indent = std::max(indent, glyphWidth(job_.control.props().ScalePrnGrph) + GlyphGap);
    }

    const std::int32_t count = itemCount(list_);
    const Layout layout = columnsFor(count, boxHeight, h);
    const std::int32_t left = CLng((record_.Left / job_.TwipsPerUnit + job_.BodyLeft) * s);
    const double scale = job_.control.props().ScalePrnGrph;

    for (std::int32_t i = 0; i < count; ++i) {
      const std::int32_t column = i / layout.rows;
      const std::int32_t y = boxTop + (i % layout.rows) * h;
      const std::int32_t columnLeft = left + column * columnWidth;
      const std::int32_t cellWidth = columnWidth - indent;
      const std::string caption = list_.get("List", {host::Value(i)}).toString();
      // Left to right the check box sits in the indent before the text; right
      // to left it sits at the column's right end, after the text.
      const std::int32_t textLeft = rightToLeft ? columnLeft : columnLeft + indent;
      writeItem(textLeft, y, rightToLeft && checkBoxes ? cellWidth - glyphWidth(scale) : cellWidth, h, caption,
                rightToLeft ? AlignRight : AlignLeft, font, foreColor);
      if (!checkBoxes) continue;
      const bool selected = list_.get("Selected", {host::Value(i)}).toBool();
      const std::int32_t glyphLeft =
          rightToLeft ? columnLeft + columnWidth - glyphWidth(scale) - RightToLeftOffset : columnLeft + 1;
      drawCheckBox(selected, glyphLeft, printing_ ? CLng(y + h / 2.0 - 15 * k) : y + boxOffset, scale);
    }
    job_.CurY = boxTop;
  }

 private:
  struct Layout {
    std::int32_t rows = 1;
    std::int32_t columns = 1;
  };

  // As many rows as the box holds, then as many columns as the items need,
  // then the rows spread evenly over those columns. A box lower than one
  // item still shows one row per column.
  static Layout columnsFor(std::int32_t count, double boxHeight, std::int32_t itemHeight) {
    Layout layout;
    layout.rows = std::max<std::int32_t>(1, itemHeight > 0 ? CLng(boxHeight / itemHeight) : 1);
    layout.columns = static_cast<std::int32_t>(std::ceil(static_cast<double>(count) / layout.rows));
    if (layout.columns > 0) layout.rows = static_cast<std::int32_t>(std::ceil(static_cast<double>(count) / layout.columns));
    layout.columns = std::max<std::int32_t>(1, layout.columns);
    return layout;
  }

  std::int32_t itemHeight(const host::Font& font) {
    if (printing_) {
      renderers::setPrinterFont(font);
      return CLng(host::printer().font().size() * 24 / job_.DevTwipsY + 3.5 * job_.PrnUnit);
    }
    job_.control.setFont(font);
    return CLng((job_.control.TextHeight("A") + 1.57) * job_.LayoutFactor);
  }

  void writeItem(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, const std::string& caption,
                 std::int32_t align, const host::Font& font, std::int32_t foreColor) {
    if (printing_) {
      renderers::printerDc().setTextColor(host::Rgb::fromHost(foreColor));
      renderers::printerDc().setBkColor(host::Rgb::white);
      job_.CellFillColor = White;
      PrnFillRect(job_, x, y, width, height, caption, align, 0, false, false, false, 0);
    } else {
      job_.page().setFont(font);
      job_.page().FillRect(x, y, width, height, caption, align, 0, false, false, 0, false, 0);
    }
  }

  // Width the check box takes on the page at the picture scale.
  std::int32_t glyphWidth(double scale) const {
    if (printing_) return CLng(glyphs::GlyphSize * scale * 13.5 / host::printer().twipsPerPixelX());
    return CLng(glyphs::GlyphSize * scale * 16 / 15.9);
  }

  void drawCheckBox(bool selected, std::int32_t x, std::int32_t y, double scale) {
    const host::ObjectRef& baki = job_.control.baki();
    if (!baki) host::raise(host::err::ObjectRequired, "Object required");
    host::setPicture(*baki, selected ? glyphs::Check() : glyphs::Uncheck());
    if (printing_) {
      PrnPicture(job_, baki, scale, x, y);
    } else {
      job_.page().Printpic(baki, scale, x, y);
    }
  }

  PrintJob& job_;
  host::Object& list_;
  const CtlRecord& record_;
  bool printing_;
};

// --- the flowing list -----------------------------------------------------------

class ListFullRenderer {
 public:
  explicit ListFullRenderer(PrintJob& job)
      : job_(job), list_(*job.CurCtl), record_(job.record()), printing_(job.Printing == 1) {}

  void render() {
    const double s = job_.LayoutFactor;
    const double tx = job_.TwipsPerUnit;
    job_.CurY = CLng(record_.Advance / tx * s + job_.CurY);
    if (renderers::wantsNewPage(job_, list_)) {
      NextPage(job_);
      if (job_.JobEnded) return;
    }
    const std::int32_t listTop = job_.CurY;
    (void)list_.get("Height");

    const host::Font font = listFont();
    const std::int32_t h = itemHeight(font);
    const std::int32_t w = CLng(list_.get("Width").toDouble() / tx / 1.07 + 2);
    const std::int32_t perLine = std::max<std::int32_t>(1, CLng((job_.PageWidth - 20 - record_.Left / tx) / w - 1));
    backColor_ = renderers::colorProperty(list_, "BackColor");
    foreColor_ = renderers::colorProperty(list_, "ForeColor");

    std::int32_t lineOffset = 0, inLine = 0;
    const std::int32_t count = itemCount(list_);
    for (std::int32_t i = 0; i < count; ++i) {
      renderers::yieldToHost();
      if (job_.StopRequested) return;
      selectColors();
      applyFont(font);
      const std::int32_t x = CLng(record_.Left / tx + job_.BodyLeft + lineOffset);
      writeItem(x + 5, job_.CurY, w, h, list_.get("List", {host::Value(i)}).toString());
      lineOffset += w;
      if (++inLine < perLine) continue;
      inLine = 0;
      lineOffset = 0;
      job_.CurY += h;
      if (job_.CurY >= job_.PageHeight - (job_.BottomReserve + h + 20)) {
        NextPage(job_);
        if (job_.JobEnded) return;
        selectColors();
      }
    }
    list_.set("Visible", true);
    list_.call("ZOrder");
    if (besideNextControl()) job_.CurY = listTop;
  }

 private:
  host::Font listFont() const {
    host::Font font = renderers::fontOf(list_);
    if (!printing_ && job_.LayoutFactor != 1.0) font.setSize(font.size() * job_.LayoutFactor / 1.9);
    return font;
  }

  std::int32_t itemHeight(const host::Font& font) {
    if (printing_) return CLng(font.size() * 38 / job_.DevTwipsY * job_.LayoutFactor + 6);
    job_.control.setFont(font);
    return CLng(job_.control.TextHeight("A") * 1.2);
  }

  void selectColors() {
    if (printing_) {
      renderers::printerDc().setBkColor(host::Rgb::fromHost(backColor_));
      renderers::printerDc().setTextColor(host::Rgb::fromHost(foreColor_));
      job_.CellFillColor = backColor_;
    } else {
      job_.page().setBackColor(backColor_);
      job_.page().setTextColor(foreColor_);
    }
  }

  void applyFont(const host::Font& font) {
    if (printing_) {
      renderers::setPrinterFont(font);
    } else {
      job_.page().setFont(font);
    }
  }

  void writeItem(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, const std::string& caption) {
    if (printing_) {
      PrnFillRect(job_, x, y, width, height, caption, AlignLeft, 0, false, false, false, 0);
    } else {
      job_.page().FillRect(x, y, width, height, caption, AlignLeft, 0, false, false, 0, false, 0);
    }
  }

  bool besideNextControl() const {
    return renderers::nextPrintsBesideList(job_, printing_ ? renderers::Twin::Print : renderers::Twin::Preview);
  }

  PrintJob& job_;
  host::Object& list_;
  const CtlRecord& record_;
  bool printing_;
  std::int32_t backColor_ = White;
  std::int32_t foreColor_ = 0;
};

}  // namespace

void PrintListBox(PrintJob& job) {
  renderers::reportingErrors(job, [&] { ListBoxRenderer(job).render(); });
}

void PrevListFull(PrintJob& job) {
  renderers::reportingErrors(job, [&] { ListFullRenderer(job).render(); });
}

void PrnListFull(PrintJob& job) {
  renderers::reportingErrors(job, [&] { ListFullRenderer(job).render(); });
}
