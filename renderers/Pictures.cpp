// Picture boxes, image controls and charts: the control's picture is taken
// into the print control's hidden picture box baki (a chart through the
// clipboard, any other control through the second holder Baka, as it is
// displayed: a picture box's picture cut to its client area, an image
// control's stretched over it when it stretches) and drawn from there, on the
// preview page or on the printer, where the control falls. A picture that
// does not fit above the foot line starts the next page when it fits on one,
// or when none of it would show; one taller than a page is cut at the foot
// line. Every statement that fails is passed over and the next one runs.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "host/Lang.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "host/model/Pictures.h"
#include "layout/Pagination.h"
#include "layout/Titles.h"
#include "printctl/Vellora.h"
#include "renderers/RendererSupport.h"
#include "renderers/Renderers.h"
#include "surface/PictureCut.h"

namespace {

using host::CLng;
using renderers::FailureStyle;
using renderers::Statements;

// The source's client area as a bitmap of w x h pixels with the picture at
// its top-left corner, as the picture box shows it; the picture alone when it
// is exactly that size or shows that area as it is.
[[nodiscard]] host::Picture clientBitmap(const host::Picture& picture, int w, int h) {
  if (picture.size() == host::Size{w, h} || surface::coversClientArea(picture, {w, h})) return picture;
  auto bitmap = host::RasterDc::create({w, h}, host::RasterFormat::Color);
  const host::Rect copied = host::Rect::fromXywh(0, 0, w, h).intersected(host::Rect::fromXywh(0, 0, picture.width(), picture.height()));
  if (!copied.isEmpty()) bitmap->stretchPicture(copied, picture, copied);
  return bitmap->picture();
}

// The size on paper of a client area of `client` pixels drawn by PrnPicture
// at Scale: a source pixel is 13.5 twips wide and 14.6 twips high.
[[nodiscard]] host::Size printedSize(host::Size client, double Scale) {
  const host::Printer& printer = host::printer();
  return {CLng(client.width * Scale * 13.5 / printer.twipsPerPixelX()),
          CLng(client.height * Scale * 14.6 / printer.twipsPerPixelY())};
}

enum class Twin { Preview, Print };

// On paper a chart is copied a little larger and moved left, so that it
// comes out at its size and place on the form.
constexpr double PrintedChartHeight = 1.03;
constexpr double PrintedChartWidth = 1.112;
constexpr double PrintedChartLeftShift = 0.04;

class PictureRenderer {
 public:
  PictureRenderer(PrintJob& job, Twin twin)
      : job_(job), twin_(twin), run_(FailureStyle::StatementByStatement), control_(*job.CurCtl) {}

  void render() {
    const host::ObjectRef& baki = job_.control.baki();
    if (!baki) return;
    run_([&] { baki->set("Height", control_.get("Height")); });
    run_([&] { baki->set("Width", control_.get("Width")); });
    if (control_.typeName() == "MSChart") {
      takeChart(baki);
    } else {
      takePicture(baki);
    }
    run_([&] { job_.CurY = CLng(renderers::scaled(job_, job_.record().Advance) + job_.CurY); });
    const double scale = job_.control.props().ScalePrnGrph * job_.LayoutFactor;
    if (run_.test([&] { return startsNextPage(*baki, scale); })) {
      run_([&] { NextPage(job_); });
      if (job_.JobEnded) return;
    }
    std::int32_t cutAt = surface::NoCut;
    run_([&] { cutAt = FootLineTop(job_); });
    if (twin_ == Twin::Preview) {
      std::int32_t x = 0;
      run_([&] { x = CLng(job_.record().Left / job_.TwipsPerUnit * job_.LayoutFactor + job_.BodyLeft); });
      run_([&] { job_.page().Printpic(baki, scale, x, job_.CurY, cutAt); });
    } else {
      std::int32_t x = 0;
      run_([&] {
        x = CLng((job_.record().Left / job_.TwipsPerUnit + shift_) * job_.LayoutFactor + job_.BodyLeft);
      });
      run_([&] { PrnPicture(job_, baki, scale, CLng(x - 2 * job_.PrnGapUnit), pictureTop(job_.CurY), cutAt); });
    }
    // CurY stays at the control's top.
  }

 private:
  // The chart's picture comes through the clipboard, which is left empty.
  void takeChart(const host::ObjectRef& baki) {
    host::Value height, width;
    const bool printing = twin_ == Twin::Print;
    if (printing) {
      run_([&] { height = control_.get("Height"); });
      run_([&] { width = control_.get("Width"); });
      run_([&] { control_.set("Height", height.toDouble() * PrintedChartHeight); });
      run_([&] { control_.set("Width", width.toDouble() * PrintedChartWidth); });
      // 4 % of the chart's Left, in page units.
      run_([&] {
        const double left = control_.get("Left").toDouble();
        shift_ = CLng(left - left * (1 + PrintedChartLeftShift)) / job_.TwipsPerUnit;
      });
    }
    run_([&] { control_.call("EditCopy"); });
    run_([&] { host::setPicture(*baki, host::ui().clipboardPicture()); });
    run_([&] { host::ui().clearClipboard(); });
    if (printing) {
      run_([&] { control_.set("Height", height); });
      run_([&] { control_.set("Width", width); });
    }
  }

  // Baka takes the control's Picture and hands it on as it is displayed.
  void takePicture(const host::ObjectRef& baki) {
    const host::ObjectRef& baka = job_.control.Baka();
    if (!baka) return;
    run_([&] { baka->set("Picture", control_.get("Picture")); });
    if (control_.kind() == host::Kind::PictureBox) run_([&] { cutToClientArea(*baka); });
    if (control_.kind() == host::Kind::Image && run_.test([&] { return control_.get("Stretch").toBool(); })) {
      run_([&] { host::setPicture(*baki, host::stretchedPicture(host::pictureOf(*baka), controlPixels())); });
      return;
    }
    run_([&] { baki->set("Picture", baka->get("Image")); });
  }

  // A picture box shows its picture at its own size from the top-left corner
  // of its client area (the size of its Image), and no more of it than the
  // area holds: Baka, sized to the part shown, hands on just that part.
  void cutToClientArea(host::Object& baka) {
    const host::Size picture = host::pictureOf(baka).size();
    const host::Size client = host::pictureFromHandle(control_.get("Image").toLong()).size();
    const host::Size shown{std::min(picture.width, client.width), std::min(picture.height, client.height)};
    if (shown == picture) return;
    baka.set("Width", shown.width * host::TwipsPerPixel);
    baka.set("Height", shown.height * host::TwipsPerPixel);
  }

  // The control's Width and Height in whole pixels.
  [[nodiscard]] host::Size controlPixels() const {
    return {CLng(host::Int(control_.get("Width").toDouble() / host::TwipsPerPixel)),
            CLng(host::Int(control_.get("Height").toDouble() / host::TwipsPerPixel))};
  }

  // The top of the drawn picture for the cursor at `y`: on paper two gap
  // units above it.
  [[nodiscard]] std::int32_t pictureTop(std::int32_t y) const {
    return twin_ == Twin::Preview ? y : CLng(y - 2 * job_.PrnGapUnit);
  }

  // The height baki's picture takes on the page; 0 when nothing is drawn.
  [[nodiscard]] std::int32_t drawnHeight(host::Object& baki, double scale) const {
    const host::Size client = surface::clientPixels(baki);
    if (host::pictureOf(baki).isNull() || client.isEmpty()) return 0;
    return twin_ == Twin::Preview ? OffScreenDC::PrintpicSize(client, scale).height : printedSize(client, scale).height;
  }

  // A picture that reaches below the foot line goes to the next page when it
  // fits there whole, or when it lies wholly below the line (here it would
  // not show at all); otherwise it stays and is cut at the line.
  [[nodiscard]] bool startsNextPage(host::Object& baki, double scale) const {
    const std::int64_t height = drawnHeight(baki, scale);
    if (height <= 0) return false;
    const std::int32_t foot = FootLineTop(job_);
    const std::int32_t top = pictureTop(job_.CurY);
    if (top + height <= foot) return false;
    return top >= foot || pictureTop(NextPageTop(job_)) + height <= foot;
  }

  PrintJob& job_;
  Twin twin_;
  Statements run_;
  host::Object& control_;
  double shift_ = 0;  // page units the printed chart moves left by
};

}  // namespace

void PrnPicture(PrintJob& /*job*/, const host::ObjectRef& Source, double Scale, std::int32_t nLeft,
                std::int32_t nTop, std::int32_t nCutAt) {
  const host::Size client = surface::clientPixels(*Source);
  const std::int32_t w = client.width;
  const std::int32_t h = client.height;
  const host::Picture picture = host::pictureOf(*Source);
  const host::Size target = printedSize(client, Scale);
  // Nothing to copy from: the picture box holds no picture or has no area.
  if (picture.isNull() || w <= 0 || h <= 0) return;
  surface::stretchPictureCut(renderers::printerDc(), host::Rect::fromXywh(nLeft, nTop, target.width, target.height),
                             clientBitmap(picture, w, h), host::Rect::fromXywh(0, 0, w, h), nCutAt);
}

void PrevPicture(PrintJob& job) { PictureRenderer(job, Twin::Preview).render(); }
void PrnPictureBox(PrintJob& job) { PictureRenderer(job, Twin::Print).render(); }
