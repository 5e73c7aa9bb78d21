#pragma once
// Prview: the preview window. It shows the pages of a preview job one at a
// time, 1:1, in a scrollable view, with buttons for the previous and the next
// page, a page list, a Print button that has the control print the form once
// the window is gone, and a Close button. Closing it releases the job's page
// surfaces.
//
// The window loads on its first use while a preview is active (the job sizing
// its page box), and loads afresh on the first use after it was closed. All
// sizes of the window logic are screen pixels.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Geometry.h"
#include "layout/JobWindows.h"

namespace host {
class Button;
class DropDownList;
class TextLabel;
class PictureWidget;
class ScrollBar;
class Window;
struct KeyPress;
}  // namespace host

// How the page is sized in the window: at a scale, or to fit the viewport.
enum class ZoomMode { Scale, FitPage, FitWidth };

class Prview : public PreviewWindow {
 public:
  explicit Prview(PrintJob& job);
  ~Prview() override;  // Form_Terminate
  Prview(const Prview&) = delete;
  Prview& operator=(const Prview&) = delete;

  // What the preview job uses.
  void setPageBoxSize(int width, int height) override;
  [[nodiscard]] int pageBoxWidth() const override;
  [[nodiscard]] int pageBoxHeight() const override;
  [[nodiscard]] host::RasterDc* pageBoxDc() override;
  void setBackColor(host::Rgb color) override;
  // The preparation and showing of the window once the pages are drawn.
  void present() override;
  [[nodiscard]] bool isOpen() const override { return windowLoaded_; }
  void Finir() override;

  void DrawIntoScrn();
  void ArrangeView();

  // Handlers of the window and its controls.
  void Form_Initialize();
  void Form_Load();
  void Form_Resize();
  void Form_Paint();
  void Form_Unload();
  void Up_Click();
  void Down_Click();
  void Comb_Click();
  void Printbt_Click();
  void Closebtn_Click();
  void SavePdf_Click();
  void ZoomIn_Click();
  void ZoomOut_Click();
  void ZoomList_Click();
  void HScrl_Change();
  void VScrl_Change();
  void View_Click() {}
  // Keys and the wheel wherever the window's focus is; true when taken.
  bool Form_KeyDown(const host::KeyPress& key);
  bool Form_MouseWheel(int notches, bool control);

  // The window and its controls (null while unloaded).
  [[nodiscard]] host::Window* window() const { return window_.get(); }
  [[nodiscard]] const struct PrviewControls* controls() const { return controls_.get(); }
  [[nodiscard]] bool Loaded() const { return loaded_; }
  [[nodiscard]] double ScreenFactor() const { return screenFactor_; }

  // The zoom: a scale from 25 % to 400 % (clamped), or a fit to the
  // viewport, worked out again whenever the window changes size.
  void setZoom(double scale);
  void setZoomMode(ZoomMode mode);
  [[nodiscard]] ZoomMode zoomMode() const { return zoomMode_; }
  // The scale the page is shown at now (a fit's as worked out).
  [[nodiscard]] double zoom() const { return zoom_; }
  // The zoom steps, in percent.
  static constexpr int ZoomSteps[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

  // The page number shown for page index `index` of the page store.
  [[nodiscard]] int pageNumberOf(int index) const;

 private:
  void use();
  void load();
  void prepare();
  void setButtonStates();
  void keepPageInView();
  [[nodiscard]] int furthestScroll() const;
  void scrollBy(host::ScrollBar& bar, int pixels, int furthest);
  void showPage(int index);
  void showWhereYouAre();
  [[nodiscard]] bool zoomed() const;
  [[nodiscard]] host::Size shownPageSize() const;
  [[nodiscard]] static double largestStep();
  void showZoomedPage();
  void applyZoom();
  [[nodiscard]] double fittedZoom() const;
  [[nodiscard]] double largestZoom() const;
  void showZoomChoice();
  void rememberZoom();
  void restoreZoom();
  void restorePlace();
  void rememberPlace();
  void arrangeBars(int viewWidth, int viewHeight);
  void arrangeZoomedBars(int viewWidth, int viewHeight);
  void releasePages();
  [[nodiscard]] int firstPageNumber() const;
  [[nodiscard]] int lastPageNumber() const;
  [[nodiscard]] bool laterPageExists() const;

  PrintJob& job_;
  std::unique_ptr<host::Window> window_;
  std::unique_ptr<struct PrviewControls> controls_;
  bool windowLoaded_ = false;
  bool loaded_ = false;  // Loaded: the window has finished loading
  double screenFactor_ = 1;
  int pageBoxWidth_ = 0;
  int pageBoxHeight_ = 0;
  host::Rgb backBoxColor_ = host::Rgb::fromRgb(128, 128, 128);  // Back's colour in the design
  ZoomMode zoomMode_ = ZoomMode::Scale;
  double zoom_ = 1.0;
  double chosenScale_ = 1.0;  // the scale of ZoomMode::Scale
  // The page the zoomed box shows, and at which zoom.
  struct ZoomedPage {
    std::int32_t index = 0;
    double zoom = 1.0;
  };
  std::optional<ZoomedPage> zoomedPage_;
  // Where present() put the window: a place the user changed is remembered.
  host::Rect placedAt_;
  int placedState_ = 0;  // a host::WindowState
  bool placed_ = false;   // shown since it was last remembered
};

// The window's controls, by the names of its design.
struct PrviewControls {
  host::Button* Printbt = nullptr;
  host::Button* Up = nullptr;
  host::Button* Down = nullptr;
  host::DropDownList* Comb = nullptr;
  host::Button* Closebtn = nullptr;
  host::PictureWidget* Back = nullptr;
  host::PictureWidget* View = nullptr;
  host::ScrollBar* HScrl = nullptr;
  host::ScrollBar* VScrl = nullptr;
  host::PictureWidget* Corner = nullptr;
  host::PictureWidget* Check = nullptr;
  host::PictureWidget* Uncheck = nullptr;
  host::Button* SavePdf = nullptr;  // "Save as PDF"
  host::TextLabel* PageOf = nullptr;  // "Page N of M"
  host::Button* ZoomOut = nullptr;      // "-"
  host::DropDownList* ZoomList = nullptr;  // "Fit page", "Fit width", "25%" ... "400%"
  host::Button* ZoomIn = nullptr;       // "+"
  host::PictureWidget* Zoomed = nullptr;  // the page at a zoom other than 100 %, in Back
  host::TextLabel* Shows = nullptr;     // which pages the window shows
};

// Splits a "/"-separated text of the window's buttons: the first `count`
// items each take the text before the next "/" (none when no "/" is left, and
// then nothing is cut); `rest` is what remains after them.
struct ButtonTexts {
  std::vector<std::optional<std::string>> items;
  std::string rest;
};
[[nodiscard]] ButtonTexts splitButtonTexts(std::string text, int count);

// The preview window of a job, made with the current interface's window kit.
[[nodiscard]] std::unique_ptr<PreviewWindow> makePreviewWindow(PrintJob& job);
