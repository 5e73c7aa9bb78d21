#pragma once
// The two windows a job drives: the progress window `Interin` over the host
// form (with its stop button `Stoper`) and the preview window `Prview`. The job
// reaches them only through these interfaces.
#include <memory>
#include <string>

#include "host/Geometry.h"
#include "host/Object.h"

class OffScreenDC;
struct PrintJob;

namespace host {
class Dc;
class RasterDc;
}  // namespace host

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // CoverFormWithProgress: lays the window over the host form with a snapshot of it.
  virtual void CoverFormWithProgress() = 0;
  virtual void setStopCaption(const std::string& caption) = 0;
  virtual void setStopForeColor(host::Rgb color) = 0;
  [[nodiscard]] virtual std::string stopCaption() const = 0;
  [[nodiscard]] virtual host::Rgb stopForeColor() const = 0;
  [[nodiscard]] virtual bool isOpen() const = 0;
  // Finito: unloads the window (nothing happens when it is not open).
  virtual void Finito() = 0;
};

class PreviewWindow {
 public:
  virtual ~PreviewWindow() = default;
  // The page box `View`: its size in pixels and the device the page surfaces
  // take as their reference (BlastToScreen copies onto it).
  virtual void setPageBoxSize(int width, int height) = 0;
  [[nodiscard]] virtual int pageBoxWidth() const = 0;
  [[nodiscard]] virtual int pageBoxHeight() const = 0;
  [[nodiscard]] virtual host::RasterDc* pageBoxDc() = 0;
  // The background box colour the walker resets at its end (&H808080).
  virtual void setBackColor(host::Rgb color) = 0;
  // Fills and shows the window once the preview job's pages are drawn
  // (the preparation, the first page, the window state and place).
  virtual void present() = 0;
  [[nodiscard]] virtual bool isOpen() const = 0;
  // Finir: closes the window like its Close button (nothing when not open).
  virtual void Finir() = 0;
};

// Windows that exist but show nothing: used where no window kit is wanted.
[[nodiscard]] std::unique_ptr<ProgressWindow> makeSilentProgressWindow();
// A preview window without a display: it keeps its page box (a raster the
// size of the box) and, once presented, the job's pages until it is closed;
// closing it releases every page surface once and ends the job's output.
[[nodiscard]] std::unique_ptr<PreviewWindow> makeSilentPreviewWindow(PrintJob& job);
