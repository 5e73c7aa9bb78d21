// Job windows without a display: they keep the state a real window would
// show, so that jobs run the same with or without one.
#include "host/HostError.h"
#include "host/RasterDc.h"
#include "layout/JobWindows.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"

namespace {

class SilentProgressWindow final : public ProgressWindow {
 public:
  void CoverFormWithProgress() override { open_ = true; }
  void setStopCaption(const std::string& caption) override { caption_ = caption; }
  void setStopForeColor(host::Rgb color) override { color_ = color; }
  [[nodiscard]] std::string stopCaption() const override { return caption_; }
  [[nodiscard]] host::Rgb stopForeColor() const override { return color_; }
  [[nodiscard]] bool isOpen() const override { return open_; }
  void Finito() override { open_ = false; }

 private:
  std::string caption_;
  host::Rgb color_ = host::Rgb::black;
  bool open_ = false;
};

class SilentPreviewWindow final : public PreviewWindow {
 public:
  explicit SilentPreviewWindow(PrintJob& job) : job_(job) {}

  void setPageBoxSize(int width, int height) override {
    if (pageBox_ && pageBox_->size() == host::Size{width, height}) return;
    pageBox_ = host::RasterDc::create({width, height}, host::RasterFormat::Color);
  }
  [[nodiscard]] int pageBoxWidth() const override { return pageBox_ ? pageBox_->size().width : 0; }
  [[nodiscard]] int pageBoxHeight() const override { return pageBox_ ? pageBox_->size().height : 0; }
  [[nodiscard]] host::RasterDc* pageBoxDc() override { return pageBox_.get(); }
  void setBackColor(host::Rgb color) override { backColor_ = color; }

  void present() override {
    job_.CurrentPage = 0;
    open_ = true;
    host::resume([&] {
      if (!job_.PageStore.empty() && job_.PageStore.front()) job_.PageStore.front()->BlastToScreen(0, 0, -1, -1);
    });
  }
  [[nodiscard]] bool isOpen() const override { return open_; }

  void Finir() override {
    const bool wasOpen = open_;
    open_ = false;
    job_.JobOpen = false;
    if (!wasOpen) return;
    // The pages belong to the window until it closes; a print job running
    // now keeps its own.
    const bool printRunning = job_.control.JobRunning() && job_.Printing == 1;
    if (!printRunning) {
      for (auto& surface : job_.PageStore) {
        if (surface && surface->isReady()) host::resume([&] { surface->Finale(); });
      }
    }
    host::resume([&] {
      if (job_.progress) job_.progress->Finito();
    });
  }

 private:
  PrintJob& job_;
  std::unique_ptr<host::RasterDc> pageBox_;
  host::Rgb backColor_ = host::Rgb::fromRgb(0xC0, 0xC0, 0xC0);
  bool open_ = false;
};

}  // namespace

std::unique_ptr<ProgressWindow> makeSilentProgressWindow() { return std::make_unique<SilentProgressWindow>(); }

std::unique_ptr<PreviewWindow> makeSilentPreviewWindow(PrintJob& job) {
  return std::make_unique<SilentPreviewWindow>(job);
}
