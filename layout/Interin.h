#pragma once
// Interin: the progress window a job lays over its host form. It shows a
// snapshot of the form as the user last saw it, so that the changes the walk
// makes to the form stay hidden, with the large stop button `Stoper` on top
// that carries the page count and asks the job to stop.
//
// The window loads when the object is made and again at the next cover after
// Finito has unloaded it. Positions of the window logic are in twips, as the
// host form's are; the kit's pixels are reached through the screen's twips
// per pixel.
#include <memory>
#include <string>

#include "host/Geometry.h"
#include "layout/JobWindows.h"

namespace host {
class Button;
class Window;
}  // namespace host

class Interin : public ProgressWindow {
 public:
  explicit Interin(PrintJob& job);
  ~Interin() override;
  Interin(const Interin&) = delete;
  Interin& operator=(const Interin&) = delete;

  void CoverFormWithProgress() override;
  void setStopCaption(const std::string& caption) override;
  void setStopForeColor(host::Rgb color) override;
  [[nodiscard]] std::string stopCaption() const override;
  [[nodiscard]] host::Rgb stopForeColor() const override;
  [[nodiscard]] bool isOpen() const override;
  void Finito() override;

  // Handlers of the window and its stop button.
  void Form_Initialize();
  void Form_Load();
  void Form_Resize();
  void Stoper_Click();

  // The window and its stop button (null while unloaded).
  [[nodiscard]] host::Window* window() const { return window_.get(); }
  [[nodiscard]] host::Button* Stoper() const { return stoper_; }

  // The stop button's size in the window's design, twips.
  static constexpr int DesignStoperWidth = 2400;
  static constexpr int DesignStoperHeight = 900;

 private:
  void load();
  void Move(double left, double top, double width, double height);
  void snapshotOfHostForm(double widthPixels, double heightPixels);
  [[nodiscard]] double twipsPerPixelX() const;
  [[nodiscard]] double twipsPerPixelY() const;

  PrintJob& job_;
  std::unique_ptr<host::Window> window_;
  host::Button* stoper_ = nullptr;
  bool loaded_ = false;
  std::string caption_;
  host::Rgb foreColor_ = host::Rgb::black;
};

// The progress window of a job, made with the current interface's window kit.
[[nodiscard]] std::unique_ptr<ProgressWindow> makeProgressWindow(PrintJob& job);
