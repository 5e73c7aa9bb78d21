// The preview window: page navigation, scrolling and the release of the
// preview's page surfaces. Every handler passes over a failing statement and
// goes on with the next, so a missing page surface leaves the view empty.
#include "preview/Prview.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Glyphs.h"
#include "printctl/Vellora.h"

namespace {

using host::resume;

// The window's design, pixels.
constexpr host::Rect DesignWindow = host::Rect::fromXywh(0, 0, 800, 600);
constexpr int ButtonTop = 6, ButtonHeight = 25, ButtonWidth = 80, ButtonGap = 8;
constexpr int CombWidth = 64;
constexpr int DesignBackTop = 38;
constexpr int ScrollBarThickness = 17;
constexpr int PageOfWidth = 112;
constexpr int SavePdfWidth = 88;
constexpr int ZoomButtonWidth = 24, ZoomListWidth = 88, ShowsWidth = 220;
// The zoom list's items before the steps, and the setting that remembers it.
constexpr const char* FitPageItem = "Fit page";
constexpr const char* FitWidthItem = "Fit width";
constexpr int FitItems = 2;
constexpr const char* ZoomSetting = "Preview/Zoom";
constexpr const char* PlaceSetting = "Preview/Place";
// No scroll bar reaches beyond this, so no page is zoomed past it.
constexpr int LongestScroll = 32767;
// How far an arrow key and a notch of the wheel scroll the page, pixels.
constexpr int KeyScrollStep = 40;
constexpr int WheelScrollStep = 60;

// Each button slot of the top row: left edge of slot n.
constexpr int slotLeft(int n) { return ButtonGap + n * (ButtonWidth + ButtonGap); }

using host::twipsToPixels;

// The whole numbers of a ","-separated text; nothing when any part is not one.
std::optional<std::vector<int>> integersOf(std::string_view text) {
  std::vector<int> numbers;
  while (true) {
    const std::size_t comma = std::min(text.find(','), text.size());
    int number = 0;
    const std::string_view part = text.substr(0, comma);
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
    if (error != std::errc() || end != part.data() + part.size() || part.empty()) return std::nullopt;
    numbers.push_back(number);
    if (comma == text.size()) return numbers;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace

ButtonTexts splitButtonTexts(std::string text, int count) {
  ButtonTexts result;
  for (int i = 0; i < count; ++i) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) {
      result.items.emplace_back(std::nullopt);
      continue;
    }
    result.items.emplace_back(text.substr(0, slash));
    text.erase(0, slash + 1);
  }
  result.rest = std::move(text);
  return result;
}

Prview::Prview(PrintJob& job) : job_(job) {}

// Form_Terminate: a window that goes while its preview is active lets its
// pages go too. It does not yield here: the control may be going as well.
Prview::~Prview() {
  if (!job_.JobOpen || !windowLoaded_) return;
  loaded_ = false;
  job_.JobOpen = false;
  if (job_.Printing == 0) releasePages();
}

// ---------------------------------------------------------------- loading

void Prview::use() {
  if (!windowLoaded_) load();
}

void Prview::load() {
  window_ = host::ui().kit().createWindow("Prview");
  controls_ = std::make_unique<PrviewControls>();
  PrviewControls& c = *controls_;
  host::Window& w = *window_;
  w.setGeometry(DesignWindow);
  c.Printbt = &w.addButton("Printbt");
  c.Up = &w.addButton("Up");
  c.Down = &w.addButton("Down");
  c.Comb = &w.addDropDownList("Comb");
  c.Closebtn = &w.addButton("Closebtn");
  c.Back = &w.addPictureWidget("Back");
  c.View = &w.addPictureWidget("View", c.Back);
  c.HScrl = &w.addScrollBar("HScrl", host::Orientation::Horizontal, c.Back);
  c.VScrl = &w.addScrollBar("VScrl", host::Orientation::Vertical, c.Back);
  c.Corner = &w.addPictureWidget("Corner", c.Back);
  c.Check = &w.addPictureWidget("Check");
  c.Uncheck = &w.addPictureWidget("Uncheck");
  c.SavePdf = &w.addButton("SavePdf");
  c.PageOf = &w.addTextLabel("PageOf");
  c.ZoomOut = &w.addButton("ZoomOut");
  c.ZoomList = &w.addDropDownList("ZoomList");
  c.ZoomIn = &w.addButton("ZoomIn");
  c.Zoomed = &w.addPictureWidget("Zoomed", c.Back);
  c.Shows = &w.addTextLabel("Shows");

  // The captions of the window's design; the job's button texts replace them.
  c.Printbt->setCaption("Print");
  c.Up->setCaption("Prev Page");
  c.Down->setCaption("Next Page");
  c.Closebtn->setCaption("Close");
  c.Printbt->setGeometry(host::Rect::fromXywh(slotLeft(0), ButtonTop, ButtonWidth, ButtonHeight));
  c.Up->setGeometry(host::Rect::fromXywh(slotLeft(1), ButtonTop, ButtonWidth, ButtonHeight));
  c.Down->setGeometry(host::Rect::fromXywh(slotLeft(2), ButtonTop, ButtonWidth, ButtonHeight));
  c.Comb->setGeometry(host::Rect::fromXywh(slotLeft(3), ButtonTop, CombWidth, ButtonHeight));
  c.Closebtn->setGeometry(host::Rect::fromXywh(slotLeft(3) + CombWidth + ButtonGap, ButtonTop, ButtonWidth, ButtonHeight));
  // Save as PDF and where the reader is, right of the Close button.
  const int afterClose = slotLeft(3) + CombWidth + 2 * ButtonGap + ButtonWidth;
  c.SavePdf->setCaption("Save as PDF");
  c.SavePdf->setGeometry(host::Rect::fromXywh(afterClose, ButtonTop, SavePdfWidth, ButtonHeight));
  const int pageOfLeft = afterClose + SavePdfWidth + ButtonGap;
  c.PageOf->setGeometry(host::Rect::fromXywh(pageOfLeft, ButtonTop, PageOfWidth, ButtonHeight));
  // The zoom: smaller, the list of zooms, larger.
  const int zoomLeft = pageOfLeft + PageOfWidth + ButtonGap;
  c.ZoomOut->setCaption("-");
  c.ZoomOut->setToolTip("Zoom out (Ctrl+minus)");
  c.ZoomOut->setGeometry(host::Rect::fromXywh(zoomLeft, ButtonTop, ZoomButtonWidth, ButtonHeight));
  c.ZoomList->setGeometry(
      host::Rect::fromXywh(zoomLeft + ZoomButtonWidth + 4, ButtonTop, ZoomListWidth, ButtonHeight));
  c.ZoomList->addItem(FitPageItem);
  c.ZoomList->addItem(FitWidthItem);
  for (const int step : ZoomSteps) c.ZoomList->addItem(std::to_string(step) + "%");
  c.ZoomIn->setCaption("+");
  c.ZoomIn->setToolTip("Zoom in (Ctrl+plus)");
  c.ZoomIn->setGeometry(host::Rect::fromXywh(c.ZoomList->left() + ZoomListWidth + 4, ButtonTop, ZoomButtonWidth,
                                             ButtonHeight));
  c.Shows->setGeometry(
      host::Rect::fromXywh(c.ZoomIn->left() + ZoomButtonWidth + ButtonGap, ButtonTop, ShowsWidth, ButtonHeight));
  c.Back->setGeometry(host::Rect::fromXywh(0, DesignBackTop, DesignWindow.width(), DesignWindow.height() - DesignBackTop));
  c.Back->setBackColor(backBoxColor_);
  c.View->setGeometry(host::Rect::fromXywh(0, 0, std::max(pageBoxWidth_, 1), std::max(pageBoxHeight_, 1)));
  c.View->setBackColor(host::Rgb::white);
  c.Zoomed->setGeometry(c.View->geometry());
  c.Zoomed->setBackColor(host::Rgb::white);
  c.Zoomed->setVisible(false);
  c.HScrl->setGeometry(host::Rect::fromXywh(0, c.Back->height() - ScrollBarThickness, c.Back->width() - ScrollBarThickness,
                                            ScrollBarThickness));
  c.VScrl->setGeometry(host::Rect::fromXywh(c.Back->width() - ScrollBarThickness, 0, ScrollBarThickness,
                                            c.Back->height() - ScrollBarThickness));
  c.Corner->setGeometry(host::Rect::fromXywh(c.VScrl->left(), c.HScrl->top(), ScrollBarThickness, ScrollBarThickness));
  c.Corner->setVisible(false);
  // The glyphs the check box renderer draws, kept hidden in the window.
  for (auto [box, glyph] : {std::pair{c.Check, glyphs::Check()}, std::pair{c.Uncheck, glyphs::Uncheck()}}) {
    box->setGeometry(host::Rect::fromXywh(0, 0, glyphs::GlyphSize, glyphs::GlyphSize));
    box->setPicture(glyph);
    box->setVisible(false);
  }

  c.Up->onClick = [this] { Up_Click(); };
  c.Down->onClick = [this] { Down_Click(); };
  c.Comb->onClick = [this] { Comb_Click(); };
  // The page list takes a page number typed into it as well.
  c.Comb->setEditable(true);
  c.Printbt->onClick = [this] { Printbt_Click(); };
  c.Closebtn->onClick = [this] { Closebtn_Click(); };
  c.SavePdf->onClick = [this] { SavePdf_Click(); };
  c.ZoomIn->onClick = [this] { ZoomIn_Click(); };
  c.ZoomOut->onClick = [this] { ZoomOut_Click(); };
  c.ZoomList->onClick = [this] { ZoomList_Click(); };
  c.HScrl->onChange = [this] { HScrl_Change(); };
  c.VScrl->onChange = [this] { VScrl_Change(); };
  c.View->onClick = [this] { View_Click(); };
  w.onResize = [this] { Form_Resize(); };
  w.onPaint = [this] { Form_Paint(); };
  w.onClose = [this] { Form_Unload(); };
  w.onKey = [this](const host::KeyPress& key) { return Form_KeyDown(key); };
  w.onWheel = [this](int notches, bool control) { return Form_MouseWheel(notches, control); };

  windowLoaded_ = true;
  restoreZoom();
  Form_Load();
  Form_Initialize();
}

void Prview::Form_Load() {
  resume([&] { screenFactor_ = 12000.0 / host::ui().screen().widthTwips(); });
  resume([&] { controls_->VScrl->setValue(0); });
  loaded_ = true;
}

void Prview::Form_Initialize() {
  if (!job_.JobOpen) return;
  const PrviewControls& c = *controls_;
  resume([&] { window_->setWindowState(host::WindowState::Maximized); });
  resume([&] { window_->setBackColor(host::colorFromHost(job_.PrevBkColor)); });
  resume([&] { c.Back->setTop(static_cast<int>(host::roundHalfEven(c.Back->top() / screenFactor_))); });
  setButtonStates();
  resume([&] { c.Printbt->setToolTip(job_.PrevPrintTip.toString()); });
  resume([&] { c.Closebtn->setToolTip(job_.PrevBtnCloseTip); });
  job_.CurrentPage = 0;
  Form_Resize();
  loaded_ = true;
}

// ---------------------------------------------------------------- what the job uses

void Prview::setPageBoxSize(int width, int height) {
  use();
  pageBoxWidth_ = width;
  pageBoxHeight_ = height;
  controls_->View->setGeometry(host::Rect::fromXywh(controls_->View->left(), controls_->View->top(), width, height));
  zoomedPage_.reset();
  applyZoom();  // a fit or the largest zoom follows the page's size
}

int Prview::pageBoxWidth() const { return windowLoaded_ ? controls_->View->width() : pageBoxWidth_; }
int Prview::pageBoxHeight() const { return windowLoaded_ ? controls_->View->height() : pageBoxHeight_; }

host::RasterDc* Prview::pageBoxDc() {
  use();
  return &controls_->View->canvas();
}

// Kept for the next loading when the window is not loaded: a print job resets
// the colour too, and that must not load a window it never shows.
void Prview::setBackColor(host::Rgb color) {
  backBoxColor_ = color;
  if (windowLoaded_) controls_->Back->setBackColor(color);
}

// The preparation of the window after the job has drawn its pages, then the
// first page, the window's state and place, and showing it without modality.
void Prview::present() {
  use();
  zoomedPage_.reset();  // the pages are new
  const PrviewControls& c = *controls_;
  if (job_.CurrentPage == 0) resume([&] { c.Down->setEnabled(false); });
  prepare();
  resume([&] { window_->setWindowState(host::WindowState::Maximized); });
  DrawIntoScrn();
  resume([&] {
    if (job_.progress) job_.progress->Finito();
  });
  job_.CurrentPage = 0;

  const host::ObjectRef parent = job_.control.parentForm();
  if (parent != nullptr) {
    int state = 0;
    resume([&] { state = parent->get("WindowState").toInteger(); });
    resume([&] { window_->setWindowState(static_cast<host::WindowState>(std::clamp(state, 0, 2))); });
    if (state == 0) {
      resume([&] {
        const host::ScreenInfo screen = host::ui().screen();
        window_->setGeometry(
            host::Rect::fromXywh(twipsToPixels(parent->get("Left").toDouble(), screen.twipsPerPixelX),
                                 twipsToPixels(parent->get("Top").toDouble(), screen.twipsPerPixelY),
                                 twipsToPixels(parent->get("Width").toDouble(), screen.twipsPerPixelX),
                                 twipsToPixels(parent->get("Height").toDouble(), screen.twipsPerPixelY)));
      });
    }
  }
  restorePlace();
  resume([&] { window_->show(); });
  placedAt_ = window_->geometry();
  placedState_ = static_cast<int>(window_->windowState());
  placed_ = true;
}

// Button captions and tooltips split at "/", the window's caption, the page list.
void Prview::prepare() {
  const PrviewControls& c = *controls_;
  const VelloraProperties& properties = job_.control.props();
  host::Button* const slots[] = {c.Printbt, c.Up, c.Down};

  // A text without any "/" names the Close button alone: the others keep their
  // captions. A text of items gives every button its item, empty where the
  // items have run out.
  const ButtonTexts captions = splitButtonTexts(properties.BtnsView_Captions, 6);
  const bool itemised = properties.BtnsView_Captions.find('/') != std::string::npos;
  for (int i = 0; i < 3; ++i) {
    if (captions.items[i]) {
      slots[i]->setCaption(*captions.items[i]);
    } else if (itemised) {
      slots[i]->setCaption("");
    }
  }
  c.Closebtn->setCaption(captions.rest);

  const ButtonTexts tips = splitButtonTexts(properties.BtnsView_ToolTipText, 7);
  for (int i = 0; i < 3; ++i) {
    if (tips.items[i]) slots[i]->setToolTip(*tips.items[i]);
  }
  c.Closebtn->setToolTip(tips.rest);
  // The texts' fourth and fifth items name the zoom buttons.
  if (tips.items[3]) c.ZoomIn->setToolTip(*tips.items[3] + " (Ctrl+plus)");
  if (tips.items[4]) c.ZoomOut->setToolTip(*tips.items[4] + " (Ctrl+minus)");

  // Which pages the window shows: the preview's own, or the print job's.
  if (job_.AsPrintedOn.empty()) {
    c.Shows->setText("Preview on screen");
    c.Shows->setToolTip("The pages as laid out for the screen; Print lays them out again for the printer");
  } else {
    c.Shows->setText("As printed on " + job_.AsPrintedOn);
    c.Shows->setToolTip("The pages exactly as Print produces them on " + job_.AsPrintedOn);
  }

  resume([&] {
    if (job_.HostForm) window_->setCaption(job_.HostForm->get("Caption").toString());
  });

  resume([&] {
    c.Comb->clear();
    for (int number = firstPageNumber(); number <= lastPageNumber(); ++number) c.Comb->addItem(host::Str(number));
    c.Comb->setText(host::Str(firstPageNumber()));
  });
  job_.CurrentPage = 0;
}

// ---------------------------------------------------------------- page numbers

// The first kept page is numbered FromPage; FromPage 0 means the first page,
// like 1, so the numbers start at 1 then as well.
int Prview::firstPageNumber() const { return std::max(job_.FirstPageNo - 1, 1); }
int Prview::lastPageNumber() const { return job_.PageCounter + 1; }
int Prview::pageNumberOf(int index) const { return firstPageNumber() + index; }
bool Prview::laterPageExists() const { return pageNumberOf(job_.CurrentPage) < lastPageNumber(); }

// Up only past the first page, Down only before the last, the page list only
// when there is more than one page to choose from.
void Prview::setButtonStates() {
  const PrviewControls& c = *controls_;
  const bool severalPages = lastPageNumber() > firstPageNumber();
  resume([&] { c.Up->setEnabled(severalPages && job_.CurrentPage > 0); });
  resume([&] { c.Down->setEnabled(severalPages && laterPageExists()); });
  resume([&] { c.Comb->setEnabled(severalPages); });
}

// ---------------------------------------------------------------- layout

void Prview::Form_Resize() {
  if (!job_.JobOpen || !windowLoaded_) return;
  const PrviewControls& c = *controls_;
  const int a = screenFactor_ <= 1 ? -18 : -15;
  const int b = screenFactor_ <= 1 ? -23 : -28;
  resume([&] { c.Back->setWidth(window_->width() + a); });
  resume([&] { c.Back->setHeight(window_->height() - c.Back->top() + b); });
  // The bars sit on the viewport's right and bottom edges: the viewport has
  // no border for them to leave room for, and a gap would show a strip of
  // the page beyond them.
  resume([&] { c.VScrl->setLeft(c.Back->width() - c.VScrl->width()); });
  resume([&] { c.HScrl->setTop(c.Back->height() - c.HScrl->height()); });
  // A fit follows the viewport; a zoom remembered from an earlier run takes
  // effect with the window's first arrangement.
  applyZoom();
  ArrangeView();
  keepPageInView();
}

// A larger window shows more of the page: the view is scrolled back until
// the page's end is no higher than the viewport's, so that no grey space
// shows below the page while its top is out of sight.
void Prview::keepPageInView() {
  const PrviewControls& c = *controls_;
  if (!c.VScrl->visible()) return;
  const int furthest = furthestScroll();
  if (c.VScrl->value() > furthest) resume([&] { c.VScrl->setValue(furthest); });
}

// The scroll that puts the page's end at the viewport's end.
int Prview::furthestScroll() const {
  const PrviewControls& c = *controls_;
  const int shown = c.Back->height() - (c.HScrl->visible() ? c.HScrl->height() : 0);
  return std::max(shownPageSize().height - shown, 0);
}

void Prview::Form_Paint() {
  if (job_.JobOpen) ArrangeView();
}

// Scroll bars for a page larger than the viewport (less 40 pixels); the bars
// meet at the corner box when both show, and a bar alone runs on over the
// corner's square.
void Prview::ArrangeView() {
  if (!job_.JobOpen || !windowLoaded_) return;
  const PrviewControls& c = *controls_;
  resume([&] { c.Printbt->setVisible(job_.PrevPrintVisible); });
  resume([&] { c.SavePdf->setVisible(job_.PrevPrintVisible); });  // it prints, into a file
  setButtonStates();

  const host::Size page = shownPageSize();
  const int viewWidth = page.width;
  const int viewHeight = page.height;
  if (zoomed()) {
    arrangeZoomedBars(viewWidth, viewHeight);
  } else {
    arrangeBars(viewWidth, viewHeight);
  }

  const bool both = c.HScrl->visible() && c.VScrl->visible();
  resume([&] {
    c.HScrl->setGeometry(host::Rect::fromXywh(0, c.HScrl->top(), c.VScrl->left() + (c.VScrl->visible() ? 0 : 15),
                                              c.HScrl->height()));
  });
  resume([&] {
    c.VScrl->setGeometry(host::Rect::fromXywh(c.VScrl->left(), 0, c.VScrl->width(),
                                              c.HScrl->top() + (c.HScrl->visible() ? 0 : 16)));
  });
  resume([&] {
    c.Corner->setGeometry(host::Rect::fromXywh(c.VScrl->left(), c.HScrl->top(), c.VScrl->width(), c.HScrl->height()));
    c.Corner->setVisible(both);
  });
  resume([&] { c.HScrl->setValue(0); });
}

// The page at 100 %: bars for a page larger than the viewport less 40
// pixels, reaching a little past the page's end.
void Prview::arrangeBars(int viewWidth, int viewHeight) {
  const PrviewControls& c = *controls_;
  const int backWidth = c.Back->width();
  const int backHeight = c.Back->height();
  resume([&] {
    if (backWidth - 40 < viewWidth) {
      c.HScrl->setMax(viewWidth - backWidth + 100);
      c.HScrl->setLargeChange(viewWidth - backWidth + 40);
      c.HScrl->setSmallChange(10);
      c.HScrl->setVisible(true);
    } else {
      c.HScrl->setVisible(false);
    }
  });
  resume([&] {
    if (backHeight - 40 < viewHeight) {
      c.VScrl->setMax(viewHeight - backHeight + 200);
      c.VScrl->setSmallChange(10);
      // A click in the trough moves the page by what the viewport shows of it.
      c.VScrl->setLargeChange(std::max(backHeight - c.HScrl->height(), 1));
      c.VScrl->setVisible(true);
    } else {
      // A page that fits is shown from its top; no hidden offset stays behind.
      c.VScrl->setVisible(false);
      c.VScrl->setValue(0);
    }
  });
}

// A zoomed page: a bar exactly where the page is larger than what the
// viewport shows of it, reaching the page's end, so that a page fitted to
// the viewport's width has no horizontal bar.
void Prview::arrangeZoomedBars(int viewWidth, int viewHeight) {
  const PrviewControls& c = *controls_;
  const int backWidth = c.Back->width();
  const int backHeight = c.Back->height();
  bool across = viewWidth > backWidth;
  bool down = viewHeight > backHeight;
  if (down && !across) across = viewWidth > backWidth - c.VScrl->width();
  if (across && !down) down = viewHeight > backHeight - c.HScrl->height();
  const int shownWidth = std::max(backWidth - (down ? c.VScrl->width() : 0), 1);
  const int shownHeight = std::max(backHeight - (across ? c.HScrl->height() : 0), 1);
  resume([&] {
    if (across) {
      c.HScrl->setMax(std::min(viewWidth - shownWidth, LongestScroll));
      c.HScrl->setLargeChange(std::min(shownWidth, LongestScroll));
      c.HScrl->setSmallChange(10);
    }
    c.HScrl->setVisible(across);
  });
  resume([&] {
    if (down) {
      c.VScrl->setMax(std::min(viewHeight - shownHeight, LongestScroll));
      c.VScrl->setLargeChange(std::min(shownHeight, LongestScroll));
      c.VScrl->setSmallChange(10);
      c.VScrl->setVisible(true);
    } else {
      c.VScrl->setVisible(false);
      c.VScrl->setValue(0);
    }
  });
}

// The view and the zoomed page move together: either may be the one shown.
void Prview::HScrl_Change() {
  const PrviewControls& c = *controls_;
  resume([&] { c.View->setLeft(-c.HScrl->value()); });
  resume([&] { c.Zoomed->setLeft(-c.HScrl->value()); });
}

void Prview::VScrl_Change() {
  const PrviewControls& c = *controls_;
  resume([&] { c.View->setTop(-c.VScrl->value()); });
  resume([&] { c.Zoomed->setTop(-c.VScrl->value()); });
  DrawIntoScrn();
}

// ---------------------------------------------------------------- drawing

void Prview::DrawIntoScrn() {
  if (!loaded_ || !windowLoaded_) return;
  host::PictureWidget& view = *controls_->View;
  resume([&] { view.setAutoRedraw(false); });
  resume([&] { view.cls(); });
  resume([&] {
    const auto index = static_cast<std::size_t>(job_.CurrentPage);
    if (job_.CurrentPage < 0 || index >= job_.PageStore.size() || !job_.PageStore[index] ||
        !job_.PageStore[index]->isReady()) {
      host::raise(host::err::SubscriptOutOfRange);
    }
    job_.PageStore[index]->BlastToScreen(0, 0, -1, -1);
  });
  resume([&] { view.setAutoRedraw(true); });
  view.refresh();
  showZoomedPage();
  showWhereYouAre();
}

// ---------------------------------------------------------------- zoom

bool Prview::zoomed() const { return std::abs(zoom_ - 1.0) > 1e-9; }

// The page's size on screen: the view's at 100 %, else the view's at the zoom.
host::Size Prview::shownPageSize() const {
  const host::PictureWidget& view = *controls_->View;
  if (!zoomed()) return view.geometry().size();
  return {static_cast<int>(std::lround(view.width() * zoom_)), static_cast<int>(std::lround(view.height() * zoom_))};
}

// The page shown at the zoom in its own box; at 100 % the view shows it.
void Prview::showZoomedPage() {
  const PrviewControls& c = *controls_;
  resume([&] { c.View->setVisible(!zoomed()); });
  resume([&] { c.Zoomed->setVisible(zoomed()); });
  if (!zoomed()) {
    resume([&] { c.Zoomed->setPicture({}); });
    zoomedPage_.reset();
    return;
  }
  // Scrolling redraws the page: the page drawn at this zoom is kept for it.
  if (zoomedPage_ && zoomedPage_->index == job_.CurrentPage && zoomedPage_->zoom == zoom_) return;
  resume([&] {
    const auto index = static_cast<std::size_t>(job_.CurrentPage);
    const bool drawn = job_.CurrentPage >= 0 && index < job_.PageStore.size() && job_.PageStore[index] &&
                       job_.PageStore[index]->isReady();
    const host::Picture page = drawn ? job_.PageStore[index]->dc()->pictureAt(zoom_) : host::Picture();
    const host::Size size = shownPageSize();
    c.Zoomed->setGeometry(host::Rect::fromXywh(c.View->left(), c.View->top(), size.width, size.height));
    c.Zoomed->setPicture(page);
    zoomedPage_ = ZoomedPage{job_.CurrentPage, zoom_};
  });
}

void Prview::setZoom(double scale) {
  chosenScale_ = std::clamp(scale, ZoomSteps[0] / 100.0, largestStep());
  zoomMode_ = ZoomMode::Scale;
  applyZoom();
}

void Prview::setZoomMode(ZoomMode mode) {
  zoomMode_ = mode;
  applyZoom();
}

// Works the zoom out for the mode and the viewport, and shows the page at it
// with its bars; the page's top stays in view.
void Prview::applyZoom() {
  const double before = zoom_;
  const double fitted = zoomMode_ == ZoomMode::Scale ? chosenScale_ : std::min(fittedZoom(), largestStep());
  zoom_ = std::min(fitted, largestZoom());
  if (!windowLoaded_) return;
  showZoomChoice();
  if (!job_.JobOpen) return;
  if (std::abs(before - zoom_) > 1e-9) {
    // The same place of the page stays at the viewport's top.
    const PrviewControls& c = *controls_;
    const int scrolled = c.VScrl->visible() ? c.VScrl->value() : 0;
    DrawIntoScrn();
    ArrangeView();
    if (c.VScrl->visible()) {
      resume([&] {
        c.VScrl->setValue(std::clamp(static_cast<int>(std::lround(scrolled * zoom_ / before)), 0, c.VScrl->max()));
      });
    }
    keepPageInView();
  }
}

// The scale that fits the page into the viewport: whole, or its width with
// room for the vertical bar when the page is then taller than the viewport.
double Prview::fittedZoom() const {
  const PrviewControls& c = *controls_;
  const double pageWidth = std::max(c.View->width(), 1);
  const double pageHeight = std::max(c.View->height(), 1);
  const double backWidth = std::max(c.Back->width(), 1);
  const double backHeight = std::max(c.Back->height(), 1);
  if (zoomMode_ == ZoomMode::FitPage) return std::min(backWidth / pageWidth, backHeight / pageHeight);
  const double across = backWidth / pageWidth;
  if (pageHeight * across <= backHeight) return across;
  return std::max(backWidth - c.VScrl->width(), 1.0) / pageWidth;
}

double Prview::largestStep() { return ZoomSteps[std::size(ZoomSteps) - 1] / 100.0; }

// The scale at which the page's longer side reaches the farthest a scroll
// bar goes.
double Prview::largestZoom() const {
  if (!controls_) return 1.0;
  const int longest = std::max({controls_->View->width(), controls_->View->height(), 1});
  return std::max(1.0, static_cast<double>(LongestScroll) / longest);
}

void Prview::ZoomIn_Click() {
  const int now = static_cast<int>(std::lround(zoom_ * 100));
  for (const int step : ZoomSteps) {
    if (step > now) {
      setZoom(step / 100.0);
      break;
    }
  }
  rememberZoom();
}

void Prview::ZoomOut_Click() {
  const int now = static_cast<int>(std::lround(zoom_ * 100));
  for (auto step = std::rbegin(ZoomSteps); step != std::rend(ZoomSteps); ++step) {
    if (*step < now) {
      setZoom(*step / 100.0);
      break;
    }
  }
  rememberZoom();
}

void Prview::ZoomList_Click() {
  const int chosen = controls_->ZoomList->listIndex();
  if (chosen < 0) return;
  if (chosen == 0) {
    setZoomMode(ZoomMode::FitPage);
  } else if (chosen == 1) {
    setZoomMode(ZoomMode::FitWidth);
  } else {
    setZoom(ZoomSteps[chosen - FitItems] / 100.0);
  }
  rememberZoom();
}

// The list shows the fit chosen, or the scale in percent; the buttons end
// at the smallest and the largest step.
void Prview::showZoomChoice() {
  const PrviewControls& c = *controls_;
  const int percent = static_cast<int>(std::lround(zoom_ * 100));
  std::string text = std::to_string(percent) + "%";
  if (zoomMode_ == ZoomMode::FitPage) text = FitPageItem;
  if (zoomMode_ == ZoomMode::FitWidth) text = FitWidthItem;
  resume([&] { c.ZoomList->setText(text); });
  resume([&] { c.ZoomOut->setEnabled(percent > ZoomSteps[0]); });
  resume([&] { c.ZoomIn->setEnabled(percent < ZoomSteps[std::size(ZoomSteps) - 1] && zoom_ < largestZoom()); });
}

// The zoom is kept as "fit-page", "fit-width" or a percentage.
void Prview::rememberZoom() {
  std::string value = std::to_string(static_cast<int>(std::lround(chosenScale_ * 100)));
  if (zoomMode_ == ZoomMode::FitPage) value = "fit-page";
  if (zoomMode_ == ZoomMode::FitWidth) value = "fit-width";
  resume([&] { host::ui().setSetting(ZoomSetting, value); });
}

void Prview::restoreZoom() {
  std::optional<std::string> value;
  resume([&] { value = host::ui().setting(ZoomSetting); });
  if (!value) return;
  if (*value == "fit-page") {
    zoomMode_ = ZoomMode::FitPage;
  } else if (*value == "fit-width") {
    zoomMode_ = ZoomMode::FitWidth;
  } else {
    const std::optional<std::vector<int>> percent = integersOf(*value);
    if (!percent || percent->size() != 1) return;  // not a zoom this window wrote: the default stays
    zoomMode_ = ZoomMode::Scale;
    chosenScale_ = std::clamp(percent->front() / 100.0, ZoomSteps[0] / 100.0, largestStep());
  }
}

// ---------------------------------------------------------------- the window's place

// A place and state the user gave the window are kept as
// "left,top,width,height,state" when it closes.
void Prview::rememberPlace() {
  // Closed by its close box, the window is hidden by now; its place stands.
  if (!window_ || !std::exchange(placed_, false)) return;
  const host::Rect place = window_->geometry();
  const host::WindowState state = window_->windowState();
  if (place == placedAt_ && static_cast<int>(state) == placedState_) return;
  const host::Rect normal = state == host::WindowState::Normal ? place : placedAt_;
  const std::string value = std::to_string(normal.left) + "," + std::to_string(normal.top) + "," +
                            std::to_string(normal.width()) + "," + std::to_string(normal.height()) + "," +
                            std::to_string(static_cast<int>(state));
  resume([&] { host::ui().setSetting(PlaceSetting, value); });
}

// The window opens where the user last put it, over the place the form
// gave it, when that place is still on the screen.
void Prview::restorePlace() {
  std::optional<std::string> value;
  resume([&] { value = host::ui().setting(PlaceSetting); });
  if (!value) return;
  const std::optional<std::vector<int>> read = integersOf(*value);
  if (!read) return;
  const std::vector<int>& numbers = *read;
  if (numbers.size() != 5 || numbers[2] <= 0 || numbers[3] <= 0 || numbers[4] < 0 || numbers[4] > 2) return;
  const host::Rect place = host::Rect::fromXywh(numbers[0], numbers[1], numbers[2], numbers[3]);
  if (place.intersected(host::ui().kit().screenRect()).isEmpty()) return;
  const auto state = static_cast<host::WindowState>(numbers[4]);
  resume([&] {
    window_->setWindowState(host::WindowState::Normal);
    window_->setGeometry(place);
    if (state == host::WindowState::Maximized) window_->setWindowState(state);
  });
}

void Prview::showWhereYouAre() {
  resume([&] {
    controls_->PageOf->setText("Page " + std::to_string(pageNumberOf(job_.CurrentPage)) + " of " +
                               std::to_string(lastPageNumber()));
  });
}

// ---------------------------------------------------------------- navigation

void Prview::Up_Click() {
  const PrviewControls& c = *controls_;
  if (job_.CurrentPage > 0) {
    job_.CurrentPage -= 1;
    DrawIntoScrn();
    resume([&] { c.Down->setEnabled(true); });
  }
  if (job_.CurrentPage == 0) resume([&] { c.Up->setEnabled(false); });
  resume([&] { c.Comb->setText(host::Str(pageNumberOf(job_.CurrentPage))); });
}

void Prview::Down_Click() {
  const PrviewControls& c = *controls_;
  if (laterPageExists()) {
    job_.CurrentPage += 1;
    DrawIntoScrn();
    resume([&] { c.Up->setEnabled(true); });
  }
  if (pageNumberOf(job_.CurrentPage) == lastPageNumber()) resume([&] { c.Down->setEnabled(false); });
  resume([&] { c.Comb->setText(host::Str(pageNumberOf(job_.CurrentPage))); });
}

void Prview::Comb_Click() {
  const PrviewControls& c = *controls_;
  const int chosen = c.Comb->listIndex();
  if (chosen < 0) return;  // nothing chosen: the page shown stays
  job_.CurrentPage = static_cast<std::int32_t>(chosen);
  DrawIntoScrn();
  resume([&] { c.Up->setEnabled(job_.CurrentPage > 0); });
  resume([&] { c.Down->setEnabled(laterPageExists()); });
}

// Shows the page of index `index` as the page list would, with the list
// following.
void Prview::showPage(int index) {
  const PrviewControls& c = *controls_;
  const int last = lastPageNumber() - firstPageNumber();
  job_.CurrentPage = std::clamp(index, 0, std::max(last, 0));
  DrawIntoScrn();
  setButtonStates();
  resume([&] { c.Comb->setText(host::Str(pageNumberOf(job_.CurrentPage))); });
}

// ---------------------------------------------------------------- keys and the wheel

// The keys every preview window takes, wherever the focus is: a page back
// or on, the first and the last page, scrolling, printing and closing.
bool Prview::Form_KeyDown(const host::KeyPress& key) {
  if (!loaded_) return false;
  const PrviewControls& c = *controls_;
  switch (key.key) {
    case host::Key::PageUp: Up_Click(); return true;
    case host::Key::PageDown: Down_Click(); return true;
    case host::Key::Home: showPage(0); return true;
    case host::Key::End: showPage(lastPageNumber() - firstPageNumber()); return true;
    case host::Key::Up: scrollBy(*c.VScrl, -KeyScrollStep, c.VScrl->max()); return true;
    case host::Key::Down: scrollBy(*c.VScrl, KeyScrollStep, c.VScrl->max()); return true;
    case host::Key::Left: scrollBy(*c.HScrl, -KeyScrollStep, c.HScrl->max()); return true;
    case host::Key::Right: scrollBy(*c.HScrl, KeyScrollStep, c.HScrl->max()); return true;
    case host::Key::Escape: Closebtn_Click(); return true;
    case host::Key::P:
      if (!key.control || !c.Printbt->visible()) return false;
      Printbt_Click();
      return true;
    // Without Ctrl these are typed into the page list.
    case host::Key::Plus:
      if (!key.control) return false;
      ZoomIn_Click();
      return true;
    case host::Key::Minus:
      if (!key.control) return false;
      ZoomOut_Click();
      return true;
    case host::Key::Zero:
      if (!key.control) return false;
      setZoom(1.0);
      rememberZoom();
      return true;
    case host::Key::Other: return false;
  }
  return false;
}

// The wheel scrolls the page; turned on at its end it shows the next page
// from its top, turned back at its top the previous page at its end. With
// Ctrl it zooms, away from the user in.
bool Prview::Form_MouseWheel(int notches, bool control) {
  if (!loaded_) return false;
  if (control) {
    for (int i = 0; i < std::abs(notches); ++i) {
      if (notches > 0) ZoomIn_Click();
      else ZoomOut_Click();
    }
    return notches != 0;
  }
  const PrviewControls& c = *controls_;
  const int furthest = c.VScrl->visible() ? furthestScroll() : 0;
  const int scrolled = c.VScrl->visible() ? c.VScrl->value() : 0;
  if (notches < 0 && scrolled >= furthest) {
    if (laterPageExists()) {
      Down_Click();
      if (c.VScrl->visible()) resume([&] { c.VScrl->setValue(0); });
    }
    return true;
  }
  if (notches > 0 && scrolled <= 0) {
    if (job_.CurrentPage > 0) {
      Up_Click();
      if (c.VScrl->visible()) resume([&] { c.VScrl->setValue(furthestScroll()); });
    }
    return true;
  }
  scrollBy(*c.VScrl, -notches * WheelScrollStep, furthest);
  return true;
}

// Scrolls by `pixels`, no further than `furthest` and not before the start.
void Prview::scrollBy(host::ScrollBar& bar, int pixels, int furthest) {
  if (!bar.visible()) return;
  resume([&] { bar.setValue(std::clamp(bar.value() + pixels, 0, std::max(furthest, 0))); });
}

// ---------------------------------------------------------------- closing

void Prview::Printbt_Click() {
  job_.PrintRequested = true;
  Closebtn_Click();
  host::ui().doEvents();
}

// Asks where to save, then has the control print the form into that PDF
// once the window is gone, as Print does on the current printer.
void Prview::SavePdf_Click() {
  std::string name = "preview";
  resume([&] {
    if (job_.HostForm) name = job_.HostForm->get("Caption").toString();
  });
  std::replace(name.begin(), name.end(), '/', '-');
  if (name.empty()) name = "preview";
  std::optional<std::filesystem::path> file;
  resume([&] { file = host::ui().saveFileDialog("Save as PDF", name + ".pdf"); });
  if (!file) return;  // cancelled: the preview stays
  job_.PrintToPdfFile = *file;
  Printbt_Click();
}

void Prview::Finir() {
  if (windowLoaded_) Closebtn_Click();
}

void Prview::Form_Unload() {
  rememberPlace();
  windowLoaded_ = false;
  if (job_.JobOpen) Closebtn_Click();
}

// Each page surface is released once: a surface already released is passed by.
void Prview::releasePages() {
  for (auto& surface : job_.PageStore) {
    if (surface && surface->isReady()) resume([&] { surface->Finale(); });
  }
}

void Prview::Closebtn_Click() {
  rememberPlace();
  host::ui().doEvents();
  loaded_ = false;
  job_.JobOpen = false;
  const bool printJobRunning = job_.control.JobRunning() && job_.Printing == 1;
  if (!printJobRunning) releasePages();
  resume([&] {
    if (job_.progress) job_.progress->Finito();
  });
  windowLoaded_ = false;
  if (window_) resume([&] { window_->close(); });
}

std::unique_ptr<PreviewWindow> makePreviewWindow(PrintJob& job) { return std::make_unique<Prview>(job); }
