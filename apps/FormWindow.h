#pragma once
// The form as a live window (vellora run). The window shows the form's own
// picture (its snapshot) and sits where the form is: resizing the window gives
// the form a new client size, the resizer's poll scales every control, and the
// window shows the new layout when the poll has followed. The print control's
// Preview and Print buttons sit on the window where its face is on the form
// and start its jobs.
#include <memory>

#include "host/Geometry.h"
#include "host/Picture.h"

namespace host {
class Button;
class Form;
class PictureWidget;
class Timer;
class Window;
class WindowKit;
}  // namespace host
class Gauxel;
class Vellora;

class FormWindow {
 public:
  // `printControl` may be null (a form without a print control has no face).
  FormWindow(std::shared_ptr<host::Form> form, std::shared_ptr<Gauxel> resizer,
             std::shared_ptr<Vellora> printControl, host::WindowKit& kit);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // Shows the resizer (the form goes to its design place, or is adapted to
  // the screen), then the window at the form's place and size.
  void open();
  // What a user dragging the window's border does: a new client size in pixels.
  void resizeClientTo(host::Size pixels);
  // Shows the form's current layout and puts the print control's buttons on it.
  void repaint();

  [[nodiscard]] host::Window& window() { return *window_; }
  [[nodiscard]] bool isOpen() const;
  // How many times the window has shown a new layout.
  [[nodiscard]] int repaints() const { return repaints_; }

 private:
  void followWindow();
  void placeWindowOnForm();
  void placeFaceButtons();
  [[nodiscard]] int pixelsAcross(double twips) const;
  [[nodiscard]] int pixelsDown(double twips) const;

  std::shared_ptr<host::Form> form_;
  std::shared_ptr<Gauxel> resizer_;
  std::shared_ptr<Vellora> printControl_;
  std::unique_ptr<host::Window> window_;
  host::PictureWidget* face_ = nullptr;
  host::Button* previewButton_ = nullptr;
  host::Button* printButton_ = nullptr;
  // The print control prints on its next repaint after the preview window's
  // Print button; the watch gives it that repaint.
  std::unique_ptr<host::Timer> paintWatch_;
  bool placing_ = false;  // the window follows the form, not the other way round
  int repaints_ = 0;
};
