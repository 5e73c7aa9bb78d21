// Check boxes and option buttons: the caption as a text cell and, beside it,
// a glyph picture of the control's state, on the preview page or on the
// printer. The control is abandoned at its first failing statement.
#include <algorithm>
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
#include "surface/CellRules.h"
#include "surface/PrnFillRect.h"

namespace {

using host::CInt;
using host::CLng;
using renderers::scaled;

using surface::White;

// The glyph's Picture goes into the print control's hidden picture box, which
// takes the glyph's size, and is drawn from there like any picture.
void putInBaki(const host::ObjectRef& baki, const host::Picture& glyph) {
  if (!baki) host::raise(host::err::ObjectRequired, "Object required");
  baki->set("AutoSize", true);
  host::setPicture(*baki, glyph);
}

class CheckOptionRenderer {
 public:
  explicit CheckOptionRenderer(PrintJob& job)
      : job_(job), control_(*job.CurCtl), record_(job.record()), printing_(job.Printing == 1) {}

  void render() {
    job_.GridLineColor = 0;
    const std::int32_t H = CLng(scaled(job_, control_.get("Height").toDouble()) + 4);
    renderers::applyAdvance(job_);
    if (renderers::wantsNewPage(job_, control_) || job_.CurY + 34 + job_.BottomReserve > job_.PageHeight) {
      NextPage(job_);
      if (job_.JobEnded) return;
    }
    const std::int16_t alignment = CInt(control_.get("Alignment").toDouble());
    // Off the design size the caption and the glyph scale with the form, so
    // that both stay within the control's scaled box.
    const host::Font font = renderers::layoutFont(job_, renderers::fontOf(control_));
    job_.control.setFont(font);
    std::int32_t lineHeight = CLng(job_.control.TextHeight("A") + 4 * job_.LayoutFactor);
    if (printing_) lineHeight = CLng(H / 3.3);
    const std::int32_t captionAlign = renderers::hostForm(job_).get("RightToLeft").toBool() ? 1 : 0;
    const bool glyphOnRight = alignment == 1;
    selectColors();
    renderers::yieldToHost();
    if (job_.StopRequested) return;
    const bool checkBox = control_.kind() == host::Kind::CheckBox;
    job_.CurX = CLng((record_.Left / job_.TwipsPerUnit + job_.BodyLeft) * job_.LayoutFactor);
    const std::string caption = control_.get("Caption").toString();
    const std::int32_t width = CLng(scaled(job_, record_.Width));
    if (printing_) {
      printCaption(font, caption, captionAlign, glyphOnRight, width, H);
    } else if (!caption.empty()) {
      previewCaption(font, caption, captionAlign, glyphOnRight, lineHeight);
    }
    putInBaki(job_.control.baki(), glyphFor(checkBox));
    drawGlyph(glyphOnRight, width, H, lineHeight);
  }

 private:
  // The caption is written in the control's colour on a white cell; the
  // control's own background is the cell colour of the print path.
  void selectColors() {
    std::int32_t background = White;
    std::int32_t foreground = 0;
    if (job_.SurfaceColorMode == 2) {
      background = renderers::colorProperty(control_, "BackColor");
      foreground = renderers::colorProperty(control_, "ForeColor");
    }
    if (printing_) {
      renderers::printerDc().setTextColor(host::Rgb::fromHost(foreground));
      renderers::printerDc().setBkColor(host::Rgb::white);
    } else {
      job_.page().setBackColor(White);
      job_.page().setTextColor(foreground);
    }
    job_.CellFillColor = background;
  }

  // With the glyph on the left (Alignment 0) the caption starts past the
  // glyph; with the glyph on the right (Alignment 1) the caption starts at
  // the control's left and stops short of the glyph.
  void previewCaption(const host::Font& font, const std::string& caption, std::int32_t captionAlign,
                      bool glyphOnRight, std::int32_t lineHeight) {
    job_.page().setFont(font);
    const std::int32_t left =
        glyphOnRight ? job_.CurX
                     : CLng((record_.Left / job_.TwipsPerUnit + job_.BodyLeft) * job_.LayoutFactor +
                            17 * job_.LayoutFactor);
    job_.page().FillRect(left, job_.CurY, CLng(scaled(job_, record_.Width) - 20 * job_.LayoutFactor), lineHeight,
                         caption, captionAlign,
                         0, true, false, 0, false, 5);
  }

  void printCaption(const host::Font& font, const std::string& caption, std::int32_t captionAlign,
                    bool glyphOnRight, std::int32_t width, std::int32_t H) {
    renderers::setPrinterFont(font);
    const double glyphRoom = 30 * job_.PrnUnit * job_.LayoutFactor;
    const std::int32_t left = glyphOnRight ? job_.CurX : CLng(job_.CurX + glyphRoom);
    const std::int32_t cellWidth = glyphOnRight ? CLng(width - glyphRoom) : width;
    PrnFillRect(job_, left, CLng(job_.CurY + 4 * job_.PrnGapUnit * job_.LayoutFactor), cellWidth, H, caption,
                captionAlign, 0, true,
                false, true, 5);
  }

  // A check box shows the tick for any Value but 0 (a greyed box is ticked);
  // an option button shows the dot when its Value is True.
  [[nodiscard]] host::Picture glyphFor(bool checkBox) const {
    const bool on = control_.get("Value").toBool();
    if (checkBox) return on ? glyphs::Check() : glyphs::Uncheck();
    return on ? glyphs::Optik() : glyphs::Optinon();
  }

  // The glyph's place across the control: at its left for Alignment 0, with
  // its right edge on the control's right edge for Alignment 1, so that it
  // stays within the control at any printer resolution.
  // Width the glyph takes on the page: the picture primitives scale a pixel
  // of the glyph by 16 / 15.9 on the preview page and by 13.5 twips on paper.
  [[nodiscard]] std::int32_t glyphWidth(double scale) const {
    if (printing_) return CLng(glyphs::GlyphSize * scale * 13.5 / host::printer().twipsPerPixelX());
    return CLng(glyphs::GlyphSize * scale * 16 / 15.9);
  }

  void drawGlyph(bool glyphOnRight, std::int32_t width, std::int32_t H, std::int32_t lineHeight) {
    const double scale = job_.control.props().ScalePrnGrph * job_.LayoutFactor;
    const std::int32_t shift = glyphOnRight ? std::max(0, width - glyphWidth(scale)) : 0;
    const host::ObjectRef& baki = job_.control.baki();
    if (printing_) {
      PrnPicture(job_, baki, scale, job_.CurX + shift,
                 CLng((H - 30 * job_.LayoutFactor) / 2.0 / job_.PrnUnit + job_.CurY));
    } else {
      job_.page().Printpic(baki, scale, job_.CurX + shift, CLng(lineHeight / 2.0 - 9 * job_.LayoutFactor + job_.CurY));
    }
  }

  PrintJob& job_;
  host::Object& control_;
  const CtlRecord& record_;
  bool printing_;
};

}  // namespace

void PrintCheckOption(PrintJob& job) {
  try {
    CheckOptionRenderer(job).render();
  } catch (const host::HostError&) {
    // The control is abandoned; the walk goes on with the next one.
  }
}
