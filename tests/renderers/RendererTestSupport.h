#pragma once
// A host form, a print control and its job set up for driving one renderer at
// a time, on a preview page or on a printer whose pages keep their pixels and
// the texts written on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/Lang.h"
#include "host/Printer.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"

namespace renderertest {

inline constexpr host::Rgb red = host::Rgb::fromRgb(255, 0, 0);
inline constexpr host::Rgb yellow = host::Rgb::fromRgb(255, 255, 0);
inline constexpr host::Rgb blue = host::Rgb::fromRgb(0, 0, 255);
inline constexpr host::Rgb grey = host::Rgb::fromRgb(128, 128, 128);
inline constexpr std::int32_t redValue = 0x0000FF;
inline constexpr std::int32_t yellowValue = 0x00FFFF;
inline constexpr std::int32_t blueValue = 0xFF0000;

// A printed sheet: its pixels on a raster, every text written on it and the
// font each text was written in.
struct TeePage {
  TeePage(host::Size size, double dotsPerInch)
      : raster(host::RasterDc::create(size, host::RasterFormat::Color, dotsPerInch)) {}
  void write(std::string_view text, const host::Font& font) {
    texts.emplace_back(text);
    fonts.push_back(font);
  }
  std::unique_ptr<host::RasterDc> raster;
  std::vector<std::string> texts;
  std::vector<host::Font> fonts;
};

// The one device context of a TeePrinter document, drawing on its current
// sheet. As on the real printers, the document keeps this one context from
// its first page to its last: the font, colours, pen, brush and background
// mode set on one page are still set on the next.
class TeeDc : public host::Dc {
 public:
  explicit TeeDc(std::shared_ptr<TeePage> sheet) : sheet_(std::move(sheet)) {}

  // Goes on to a fresh sheet, keeping the attributes.
  void turnTo(std::shared_ptr<TeePage> sheet) {
    host::RasterDc& from = *sheet_->raster;
    host::RasterDc& to = *sheet->raster;
    to.setBkMode(from.bkMode());
    to.setBkColor(from.bkColor());
    to.setTextColor(from.textColor());
    to.setFont(from.font());
    to.selectPen(from.pen());
    to.selectBrush(from.brush());
    sheet_ = std::move(sheet);
  }
  TeePage& sheet() { return *sheet_; }

  host::Size size() const override { return raster().size(); }
  double dotsPerInchX() const override { return raster().dotsPerInchX(); }
  double dotsPerInchY() const override { return raster().dotsPerInchY(); }
  void setBkMode(host::BkMode mode) override { raster().setBkMode(mode); }
  host::BkMode bkMode() const override { return raster().bkMode(); }
  void setBkColor(host::Rgb color) override { raster().setBkColor(color); }
  host::Rgb bkColor() const override { return raster().bkColor(); }
  void setTextColor(host::Rgb color) override { raster().setTextColor(color); }
  host::Rgb textColor() const override { return raster().textColor(); }
  void setFont(const host::Font& font) override { raster().setFont(font); }
  const host::Font& font() const override { return raster().font(); }
  void selectPen(const host::Pen& pen) override { raster().selectPen(pen); }
  const host::Pen& pen() const override { return raster().pen(); }
  void selectBrush(const host::Brush& brush) override { raster().selectBrush(brush); }
  const host::Brush& brush() const override { return raster().brush(); }
  void fillRect(const host::Rect& rect, const host::Brush& brush) override { raster().fillRect(rect, brush); }
  void frameRect(const host::Rect& rect, const host::Brush& brush) override { raster().frameRect(rect, brush); }
  void invertRect(const host::Rect& rect) override { raster().invertRect(rect); }
  void rectangle(const host::Rect& rect) override { raster().rectangle(rect); }
  void ellipse(const host::Rect& rect) override { raster().ellipse(rect); }
  void roundRect(const host::Rect& rect, int w, int h) override { raster().roundRect(rect, w, h); }
  void moveTo(host::Point p) override { raster().moveTo(p); }
  void lineTo(host::Point p) override { raster().lineTo(p); }
  void extTextOut(host::Point origin, unsigned options, const host::Rect& rect, std::string_view text) override {
    if (!text.empty()) sheet_->write(text, font());
    raster().extTextOut(origin, options, rect, text);
  }
  int drawText(std::string_view text, host::Rect& rect, unsigned format) override {
    if ((format & host::dt::CalcRect) == 0 && !text.empty()) sheet_->write(text, font());
    return raster().drawText(text, rect, format);
  }
  host::Size textExtent(std::string_view text) const override { return raster().textExtent(text); }
  std::uint32_t fontLanguageInfo() const override { return raster().fontLanguageInfo(); }
  void stretchPicture(const host::Rect& dest, const host::Picture& source, const host::Rect& sourceRect) override {
    raster().stretchPicture(dest, source, sourceRect);
  }

 private:
  host::RasterDc& raster() const { return *sheet_->raster; }
  std::shared_ptr<TeePage> sheet_;
};

// A printer that keeps every sheet of its documents, the open one included.
class TeePrinter : public host::PrinterDevice {
 public:
  explicit TeePrinter(double dotsPerInch) : dotsPerInch_(dotsPerInch) {}
  std::string deviceName() const override { return "Tee"; }
  std::string driverName() const override { return "Tee"; }
  std::string port() const override { return "none"; }
  double dotsPerInch() const override { return dotsPerInch_; }

  std::unique_ptr<Document> startDocument(const Settings& settings, const std::string&) override {
    struct TeeDocument : Document {
      TeeDocument(TeePrinter& printer, host::Size size) : printer(printer), size(size), dc(sheet()) {}
      std::shared_ptr<TeePage> sheet() {
        printer.pages.push_back(std::make_shared<TeePage>(size, printer.dotsPerInch_));
        return printer.pages.back();
      }
      host::Dc& page() override { return dc; }
      void newPage() override { dc.turnTo(sheet()); }
      void discardPage() override {
        TeePage& sheet = dc.sheet();
        sheet.texts.clear();
        sheet.fonts.clear();
        sheet.raster->fillRect(host::Rect::fromXywh(0, 0, dc.size().width, dc.size().height),
                               host::Brush::solid(host::Rgb::white));
      }
      void end() override {}
      void abort() override {}
      TeePrinter& printer;
      host::Size size;
      TeeDc dc;
    };
    return std::make_unique<TeeDocument>(*this, pageSize(settings));
  }

  std::vector<std::shared_ptr<TeePage>> pages;

 private:
  double dotsPerInch_;
};

// The sizes of the fonts in which the texts starting with `prefix` were written on a sheet.
inline std::set<double> fontSizesOf(const TeePage& page, std::string_view prefix) {
  std::set<double> sizes;
  for (std::size_t i = 0; i < page.texts.size(); ++i)
    if (page.texts[i].starts_with(prefix)) sizes.insert(page.fonts[i].size());
  return sizes;
}

// The smallest rectangle of `area` holding every pixel for which `match` holds.
inline std::optional<host::Rect> boundsWhere(const host::RasterDc& raster, host::Rect area,
                                             const std::function<bool(host::Rgb)>& match) {
  std::optional<host::Rect> bounds;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      if (!match(raster.pixel(x, y))) continue;
      if (!bounds) bounds = host::Rect::fromLtrb(x, y, x + 1, y + 1);
      bounds = host::Rect::fromLtrb(std::min(bounds->left, x), std::min(bounds->top, y),
                                    std::max(bounds->right, x + 1), std::max(bounds->bottom, y + 1));
    }
  return bounds;
}

inline std::optional<host::Rect> boundsOf(const host::RasterDc& raster, host::Rgb color, host::Rect area) {
  return boundsWhere(raster, area, [color](host::Rgb pixel) { return pixel == color; });
}

// Dark pixels: text and frames drawn in black (or near it).
inline bool isDark(host::Rgb pixel) { return pixel.brightness() < 100; }

inline int countWhere(const host::RasterDc& raster, host::Rect area, const std::function<bool(host::Rgb)>& match) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (match(raster.pixel(x, y))) ++count;
  return count;
}

// The heights of the runs of rows inside `area` that hold dark pixels,
// separated by rows that hold none: one run per line of text written there.
inline std::vector<int> inkBandHeights(const host::RasterDc& raster, host::Rect area) {
  std::vector<int> heights;
  bool inBand = false;
  for (int y = area.top; y < area.bottom; ++y) {
    bool ink = false;
    for (int x = area.left; x < area.right && !ink; ++x) ink = isDark(raster.pixel(x, y));
    if (ink && !inBand) heights.push_back(0);
    if (ink) ++heights.back();
    inBand = ink;
  }
  return heights;
}

inline int inkBands(const host::RasterDc& raster, host::Rect area) {
  return static_cast<int>(inkBandHeights(raster, area).size());
}

using Renderer = void (*)(PrintJob&);

// A form with a print control on a runtime whose printer is a TeePrinter.
class RendererTest : public ::testing::Test {
 protected:
  static constexpr double PrinterDpi = 150;

  RendererTest() {
    auto ui = std::make_unique<host::HeadlessUi>();
    ui->setEchoToStandardError(false);
    ui_ = ui.get();
    printer_ = std::make_shared<TeePrinter>(PrinterDpi);
    runtime_ = std::make_unique<host::Runtime>(std::move(ui),
                                               std::vector<std::shared_ptr<host::PrinterDevice>>{printer_});
    form_ = host::Form::create("Form1");
    control_ = std::make_shared<Vellora>();
  }

  PrintJob& job() { return control_->job(); }

  // A preview job on one colour (or monochrome) page of the given size.
  void beginPreview(std::int16_t colorMode = 2, std::int32_t pageWidth = 700, std::int32_t pageHeight = 1000) {
    PrintJob& j = job();
    j.Printing = 0;
    j.TwipsPerUnit = 15;
    j.DevTwipsX = j.DevTwipsY = 14.7;
    j.PageWidth = pageWidth;
    j.PageHeight = pageHeight;
    j.BodyTop = 60;
    j.BodyLeft = 30;
    j.BodyRight = pageWidth - 30;
    j.BottomReserve = 60;
    commonSetUp(colorMode);
    j.PageStore.clear();
    j.PageStore.push_back(std::make_unique<OffScreenDC>(j.drawing, &j));
    j.page().Initialize(nullptr, pageWidth, pageHeight, colorMode);
  }

  // A print job on the TeePrinter; page geometry as the walker fixes it.
  void beginPrint(std::int16_t colorMode = 2) {
    PrintJob& j = job();
    host::Printer& printer = host::printer();
    j.Printing = 1;
    j.TwipsPerUnit = printer.twipsPerPixelX();
    j.DevTwipsX = printer.twipsPerPixelX();
    j.DevTwipsY = printer.twipsPerPixelY();
    j.PageWidth = host::CLng(printer.width() / printer.twipsPerPixelX() / 1.064);
    j.PageHeight = host::CLng(printer.height() / printer.twipsPerPixelY() / 1.064);
    j.BodyTop = 100;
    j.BodyLeft = 60;
    j.BodyRight = j.PageWidth - 60;
    j.BottomReserve = 100;
    commonSetUp(colorMode);
    j.PrnUnit = 7.4 / printer.twipsPerPixelX();
    j.PrnGapUnit = 7.058824 / printer.twipsPerPixelX();
    (void)printer.hDC();
  }

  host::ObjectRef add(std::string_view type, std::string_view name) { return form_->addControl(type, name); }

  // Appends a record for the control as the walker would: its form position,
  // width and the advance from the previous record.
  void place(const host::ObjectRef& control) {
    CtlRecord record;
    record.Ctl = control;
    record.Name = control->get("Name").toString();
    if (control->kind() == host::Kind::Line) {
      const double y1 = control->get("Y1").toDouble(), y2 = control->get("Y2").toDouble();
      record.Top = host::CLng(std::min(y1, y2));
      record.Extent = -host::CLng(std::max(y1, y2));
      record.Width = host::CLng(std::max(control->get("X1").toDouble(), control->get("X2").toDouble()));
      record.Left = 0;
    } else {
      record.Top = control->get("Top").toLong();
      record.Left = control->get("Left").toLong();
      record.Width = control->get("Width").toLong();
    }
    const auto& list = job().CtlList;
    record.Advance = list.empty() ? record.Top : record.Top - list.back().Top;
    job().CtlList.push_back(record);
  }

  // Places the control and runs the renderer on it.
  void render(Renderer renderer, const host::ObjectRef& control) {
    place(control);
    renderAt(renderer, static_cast<int>(job().CtlList.size()) - 1);
  }
  void renderAt(Renderer renderer, int index) {
    job().CtlIndex = static_cast<std::int16_t>(index);
    job().CurCtl = job().CtlList.at(static_cast<std::size_t>(index)).Ctl;
    renderer(job());
  }

  host::RasterDc& previewPage(int index = 0) { return *job().PageStore.at(static_cast<std::size_t>(index))->dc(); }
  TeePage& printedPage(int index = 0) { return *printer_->pages.at(static_cast<std::size_t>(index)); }

  host::HeadlessUi* ui_ = nullptr;
  std::shared_ptr<TeePrinter> printer_;
  std::unique_ptr<host::Runtime> runtime_;
  std::shared_ptr<host::Form> form_;
  std::shared_ptr<Vellora> control_;

 private:
  void commonSetUp(std::int16_t colorMode) {
    PrintJob& j = job();
    j.SurfaceColorMode = colorMode;
    j.LayoutFactor = 1;
    j.HostForm = form_;
    j.CurrentPage = 0;
    j.PageCounter = 0;
    j.FirstPageNo = 2;
    j.JobEnded = false;
    j.StopRequested = false;
    j.CurY = j.BodyTop;
    j.CtlList.clear();
  }
};

}  // namespace renderertest
