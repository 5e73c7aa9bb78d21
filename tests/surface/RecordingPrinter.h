#pragma once
// A printer whose page records the drawing calls it gets, with a fixed text
// metric (10 pixels a character, 20 high), so tests can check the exact
// rectangles and origins the printer cell painter hands on.
#include <memory>
#include <string>
#include <vector>

#include "host/Printer.h"

namespace surfacetest {

struct Call {
  std::string name;  // "rectangle", "frameRect", "extTextOut", "drawText", "setBkMode"
  host::Rect rect;
  host::Point origin;
  unsigned flags = 0;  // eto options, dt format or the background mode
  std::string text;
};

class RecordingDc : public host::Dc {
 public:
  std::vector<Call> calls;
  std::vector<Call> named(const std::string& name) const {
    std::vector<Call> result;
    for (const Call& call : calls)
      if (call.name == name) result.push_back(call);
    return result;
  }
  host::Size size() const override { return {5000, 7000}; }
  double dotsPerInchX() const override { return dpi; }
  double dotsPerInchY() const override { return dpi; }
  void setBkMode(host::BkMode mode) override {
    mode_ = mode;
    calls.push_back({"setBkMode", {}, {}, static_cast<unsigned>(mode), {}});
  }
  host::BkMode bkMode() const override { return mode_; }
  void setBkColor(host::Rgb color) override { bk_ = color; }
  host::Rgb bkColor() const override { return bk_; }
  void setTextColor(host::Rgb color) override { text_ = color; }
  host::Rgb textColor() const override { return text_; }
  void setFont(const host::Font& font) override { font_ = font; }
  const host::Font& font() const override { return font_; }
  void selectPen(const host::Pen& pen) override { pen_ = pen; }
  const host::Pen& pen() const override { return pen_; }
  void selectBrush(const host::Brush& brush) override { brush_ = brush; }
  const host::Brush& brush() const override { return brush_; }
  void fillRect(const host::Rect& rect, const host::Brush&) override { calls.push_back({"fillRect", rect, {}, 0, {}}); }
  void frameRect(const host::Rect& rect, const host::Brush&) override { calls.push_back({"frameRect", rect, {}, 0, {}}); }
  void invertRect(const host::Rect&) override {}
  void rectangle(const host::Rect& rect) override { calls.push_back({"rectangle", rect, {}, 0, {}}); }
  void ellipse(const host::Rect&) override {}
  void roundRect(const host::Rect&, int, int) override {}
  void moveTo(host::Point) override {}
  void lineTo(host::Point) override {}
  void extTextOut(host::Point origin, unsigned options, const host::Rect& rect, std::string_view text) override {
    calls.push_back({"extTextOut", rect, origin, options, std::string(text)});
  }
  int drawText(std::string_view text, host::Rect& rect, unsigned format) override {
    calls.push_back({"drawText", rect, {}, format, std::string(text)});
    return 20;
  }
  host::Size textExtent(std::string_view text) const override { return {10 * static_cast<int>(text.size()), 20}; }
  std::uint32_t fontLanguageInfo() const override { return languageInfo; }
  void stretchPicture(const host::Rect&, const host::Picture&, const host::Rect&) override {}

  double dpi = 600;
  std::uint32_t languageInfo = 0;  // bit 0: a double-byte font

 private:
  host::BkMode mode_ = host::BkMode::Opaque;
  host::Rgb bk_ = host::Rgb::white, text_ = host::Rgb::black;
  host::Font font_;
  host::Pen pen_;
  host::Brush brush_;
};

class RecordingPrinter : public host::PrinterDevice {
 public:
  explicit RecordingPrinter(double dpi) { page.dpi = dpi; }
  std::string deviceName() const override { return "Recorder"; }
  std::string driverName() const override { return "Recorder"; }
  std::string port() const override { return "none"; }
  double dotsPerInch() const override { return page.dpi; }
  std::unique_ptr<Document> startDocument(const Settings&, const std::string&) override {
    struct RecordedDocument : Document {
      explicit RecordedDocument(RecordingDc& page) : dc(page) {}
      host::Dc& page() override { return dc; }
      void newPage() override {}
      void discardPage() override { dc.calls.clear(); }
      void end() override {}
      void abort() override {}
      RecordingDc& dc;
    };
    return std::make_unique<RecordedDocument>(page);
  }
  RecordingDc page;
};

}  // namespace surfacetest
