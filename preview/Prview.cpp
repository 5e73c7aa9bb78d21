// The preview window: page navigation, scrolling and the release of the
// preview's page surfaces. Every handler passes over a failing statement and
// goes on with the next, so a missing page surface leaves the view empty.
#include "preview/Prview.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

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
constexpr int PageOfWidth = 160;
constexpr int SavePdfWidth = 96;
// How far an arrow key and a notch of the wheel scroll the page, pixels.
constexpr int KeyScrollStep = 40;
constexpr int WheelScrollStep = 60;

// Each button slot of the top row: left edge of slot n.
constexpr int slotLeft(int n) { return ButtonGap + n * (ButtonWidth + ButtonGap); }

using host::twipsToPixels;

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
  c.PageOf->setGeometry(
      host::Rect::fromXywh(afterClose + SavePdfWidth + ButtonGap, ButtonTop, PageOfWidth, ButtonHeight));
  c.Back->setGeometry(host::Rect::fromXywh(0, DesignBackTop, DesignWindow.width(), DesignWindow.height() - DesignBackTop));
  c.Back->setBackColor(backBoxColor_);
  c.View->setGeometry(host::Rect::fromXywh(0, 0, std::max(pageBoxWidth_, 1), std::max(pageBoxHeight_, 1)));
  c.View->setBackColor(host::Rgb::white);
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
  c.HScrl->onChange = [this] { HScrl_Change(); };
  c.VScrl->onChange = [this] { VScrl_Change(); };
  c.View->onClick = [this] { View_Click(); };
  w.onResize = [this] { Form_Resize(); };
  w.onPaint = [this] { Form_Paint(); };
  w.onClose = [this] { Form_Unload(); };
  w.onKey = [this](const host::KeyPress& key) { return Form_KeyDown(key); };
  w.onWheel = [this](int notches, bool control) { return Form_MouseWheel(notches, control); };

  windowLoaded_ = true;
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
  resume([&] { window_->show(); });
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
  return std::max(c.View->height() - shown, 0);
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

  const int viewWidth = c.View->width();
  const int viewHeight = c.View->height();
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

void Prview::HScrl_Change() {
  resume([&] { controls_->View->setLeft(-controls_->HScrl->value()); });
}

void Prview::VScrl_Change() {
  resume([&] { controls_->View->setTop(-controls_->VScrl->value()); });
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
  showWhereYouAre();
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
    case host::Key::Other: return false;
  }
  return false;
}

// The wheel scrolls the page; turned on at its end it shows the next page
// from its top, turned back at its top the previous page at its end.
bool Prview::Form_MouseWheel(int notches, bool control) {
  if (!loaded_ || control) return false;
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
