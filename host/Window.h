#pragma once
// The window kit: top-level windows and the child widgets the system's own
// windows are made of (buttons, drop-down lists, scroll bars, picture boxes).
//
// Every window and widget here is a state object. Window logic reads and
// writes its properties and gives it handlers; the kit that made the window
// mirrors the state onto something the user sees. The headless kit keeps the
// state alone (tests press buttons with click()); the Qt kit makes real
// widgets, shows every change on them and feeds the user's actions back
// through the same calls a test makes (click(), choose(), setValue(), close()).
//
// Geometry is in pixels. A window's geometry is its outer frame in screen
// pixels (as the host form's Left/Top/Width/Height are, in twips); a child's
// geometry is relative to the client area of the window or of the picture box
// it sits in. Code that thinks in twips converts with the screen's twips per
// pixel (host::Ui::screen()).
//
// Handlers run synchronously on the user-interface thread. A window may be
// closed from inside one of its own handlers; the widgets stay alive until the
// window object itself is destroyed.
//
// No window outlives its kit: a kit that goes first takes down what it shows
// of every window it made (their views, with the toolkit's widgets) and lets
// go of them, so a window object destroyed later touches nothing of the kit.
// Such a window keeps its state, shows nothing and belongs to no kit.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Geometry.h"
#include "host/Picture.h"

namespace host {

class RasterDc;
class Window;
class WindowKit;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The kit's mirror of one widget or window; told after every change of state.
class WidgetView {
 public:
  virtual ~WidgetView() = default;
  virtual void sync() = 0;
};

class Widget {
 public:
  // Only a window makes widgets (Window::addButton, ...).
  class Key {
    friend class Window;
    Key() = default;
  };
  Widget(Key, Window& window, std::string name, Widget* container);
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;
  virtual ~Widget();

  [[nodiscard]] const std::string& name() const { return name_; }
  [[nodiscard]] Window& window() const { return window_; }
  // The picture box this widget sits in; nullptr when it sits on the window.
  [[nodiscard]] Widget* container() const { return container_; }

  [[nodiscard]] Rect geometry() const { return geometry_; }
  virtual void setGeometry(const Rect& rect);
  [[nodiscard]] int left() const { return geometry_.left; }
  [[nodiscard]] int top() const { return geometry_.top; }
  [[nodiscard]] int width() const { return geometry_.width(); }
  [[nodiscard]] int height() const { return geometry_.height(); }
  void setLeft(int left) { setGeometry(Rect::fromXywh(left, top(), width(), height())); }
  void setTop(int top) { setGeometry(Rect::fromXywh(left(), top, width(), height())); }
  void setWidth(int width) { setGeometry(Rect::fromXywh(left(), top(), width, height())); }
  void setHeight(int height) { setGeometry(Rect::fromXywh(left(), top(), width(), height)); }

  // Its own Visible flag (a widget in a hidden window keeps its flag).
  [[nodiscard]] bool visible() const { return visible_; }
  void setVisible(bool visible);
  [[nodiscard]] bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  [[nodiscard]] const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string text);

  // True when the user could reach it now: the window is shown, and it and
  // every picture box it sits in are visible and enabled.
  [[nodiscard]] bool reachable() const;

  // For kits: the view that mirrors this widget (replaces any earlier one).
  void attachView(std::unique_ptr<WidgetView> view);
  [[nodiscard]] WidgetView* view() const { return view_.get(); }

 protected:
  void changed();

 private:
  Window& window_;
  std::string name_;
  Widget* container_;
  Rect geometry_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string toolTip_;
  std::unique_ptr<WidgetView> view_;
};

// A push button (also the progress window's large stop button). A button
// with a picture shows the picture, centred, instead of its caption.
class Button : public Widget {
 public:
  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  [[nodiscard]] const Picture& picture() const { return picture_; }
  void setPicture(Picture picture);
  [[nodiscard]] Rgb foreColor() const { return foreColor_; }
  void setForeColor(Rgb color);

  std::function<void()> onClick;
  // The user presses the button: the click handler runs when the button is
  // reachable; a disabled, hidden or unshown button ignores the press.
  void click();

  using Widget::Widget;

 private:
  std::string caption_;
  Picture picture_;
  Rgb foreColor_ = Rgb::black;
};

// A line of text on the window (the preview's page count).
class TextLabel : public Widget {
 public:
  [[nodiscard]] const std::string& text() const { return text_; }
  void setText(std::string text);

  using Widget::Widget;

 private:
  std::string text_;
};

// A key the user pressed while a window was active, wherever its focus was.
enum class Key { Other, PageUp, PageDown, Up, Down, Left, Right, Home, End, Escape, P, Plus, Minus, Zero };
struct KeyPress {
  Key key = Key::Other;
  bool control = false;  // the Ctrl key was held
};

// A drop-down list. Setting the text or the list index from code never runs
// the click handler; choosing an item as the user does (choose()) does.
class DropDownList : public Widget {
 public:
  [[nodiscard]] const std::vector<std::string>& items() const { return items_; }
  [[nodiscard]] int listCount() const { return static_cast<int>(items_.size()); }
  void clear();
  void addItem(std::string item);
  // The text shown; an item equal to it becomes the selected one (else none).
  [[nodiscard]] const std::string& text() const { return text_; }
  void setText(std::string text);
  // The selected item, -1 for none. Raises HostError 380 outside -1..count-1.
  [[nodiscard]] int listIndex() const { return listIndex_; }
  void setListIndex(int index);

  std::function<void()> onClick;
  // The user picks item `index`: it is selected and the click handler runs
  // (only when the list is reachable and the index exists).
  void choose(int index);
  // An editable list also takes a text typed into it: entered, the first item
  // equal to it (blanks around either aside) is chosen as choose() does; a
  // text that matches no item leaves the list as it was.
  [[nodiscard]] bool editable() const { return editable_; }
  void setEditable(bool editable);
  void enter(std::string_view typed);

  using Widget::Widget;

 private:
  std::vector<std::string> items_;
  std::string text_;
  int listIndex_ = -1;
  bool editable_ = false;
};

enum class Orientation { Horizontal, Vertical };

// A scroll bar with the classic Integer range. A value set from code or by the
// user is kept inside min..max; every change of the value runs the change
// handler. Any bound or step outside -32768..32767 raises HostError 380.
class ScrollBar : public Widget {
 public:
  ScrollBar(Key key, Window& window, std::string name, Widget* container, Orientation orientation);
  [[nodiscard]] Orientation orientation() const { return orientation_; }
  [[nodiscard]] int min() const { return min_; }
  [[nodiscard]] int max() const { return max_; }
  [[nodiscard]] int smallChange() const { return smallChange_; }
  [[nodiscard]] int largeChange() const { return largeChange_; }
  [[nodiscard]] int value() const { return value_; }
  void setMin(int min);
  void setMax(int max);
  void setSmallChange(int step);
  void setLargeChange(int step);
  void setValue(int value);

  std::function<void()> onChange;

 private:
  void keepValueInRange();
  Orientation orientation_;
  int min_ = 0;
  int max_ = 32767;
  int smallChange_ = 1;
  int largeChange_ = 1;
  int value_ = 0;
};

// A picture box (also an image control): a background colour, an optional
// picture shown at its top-left, and a canvas the size of the box that code
// draws on (its hDC), shown over the picture. The canvas is made on first use,
// cleared to the background colour, and dropped when the box changes size (the
// next use makes a new one); a device taken from it before is then stale.
// Other widgets may sit in a picture box (it clips them).
class PictureWidget : public Widget {
 public:
  using Widget::Widget;
  ~PictureWidget() override;
  void setGeometry(const Rect& rect) override;

  [[nodiscard]] Rgb backColor() const { return backColor_; }
  void setBackColor(Rgb color);
  [[nodiscard]] const Picture& picture() const { return picture_; }
  void setPicture(Picture picture);
  // Persistent drawing: kept as state for the window logic; the canvas always
  // keeps what is drawn on it, so the box shows it after every repaint.
  [[nodiscard]] bool autoRedraw() const { return autoRedraw_; }
  void setAutoRedraw(bool on) { autoRedraw_ = on; }

  [[nodiscard]] RasterDc& canvas();
  [[nodiscard]] bool hasCanvas() const { return canvas_ != nullptr; }
  // The canvas when one has been made, without making one (for painting).
  [[nodiscard]] const RasterDc* existingCanvas() const { return canvas_.get(); }
  // Clears the canvas to the background colour (Cls).
  void cls();
  // Shows what was drawn on the canvas since the last refresh.
  void refresh() { changed(); }

  std::function<void()> onClick;
  void click();

 private:
  Rgb backColor_ = Rgb::fromRgb(192, 192, 192);
  Picture picture_;
  bool autoRedraw_ = false;
  std::unique_ptr<RasterDc> canvas_;
};

// A top-level window. It owns its widgets; they live as long as the window
// object, whether it is shown, hidden or closed.
class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  [[nodiscard]] const std::string& name() const { return name_; }
  // The kit that made it; nullptr once that kit has gone.
  [[nodiscard]] WindowKit* kit() const { return kit_; }

  // Child widgets; `container` is a picture box of this window or nullptr.
  Button& addButton(std::string name, PictureWidget* container = nullptr);
  DropDownList& addDropDownList(std::string name, PictureWidget* container = nullptr);
  ScrollBar& addScrollBar(std::string name, Orientation orientation, PictureWidget* container = nullptr);
  PictureWidget& addPictureWidget(std::string name, PictureWidget* container = nullptr);
  TextLabel& addTextLabel(std::string name, PictureWidget* container = nullptr);
  // A widget by name; nullptr when there is none (or not of that kind).
  [[nodiscard]] Widget* widget(std::string_view name) const;
  [[nodiscard]] Button* button(std::string_view name) const;
  [[nodiscard]] DropDownList* dropDownList(std::string_view name) const;
  [[nodiscard]] ScrollBar* scrollBar(std::string_view name) const;
  [[nodiscard]] PictureWidget* pictureWidget(std::string_view name) const;
  [[nodiscard]] TextLabel* textLabel(std::string_view name) const;
  [[nodiscard]] const std::vector<std::unique_ptr<Widget>>& widgets() const { return widgets_; }

  [[nodiscard]] const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  [[nodiscard]] Rgb backColor() const { return backColor_; }
  void setBackColor(Rgb color);

  // Outer frame on the screen, in pixels. A maximised window covers the screen
  // and reports that; setting the geometry of a maximised or minimised window
  // changes the place it returns to. Runs the resize handler when the outer
  // size changes.
  [[nodiscard]] Rect geometry() const;
  void setGeometry(const Rect& rect);
  [[nodiscard]] int width() const { return geometry().width(); }
  [[nodiscard]] int height() const { return geometry().height(); }
  // The client area's size (outer size less the frame).
  [[nodiscard]] Size clientSize() const;
  // Widths of the frame: left, caption + top, right, bottom.
  [[nodiscard]] Rect frameMargins() const { return frameMargins_; }
  void setFrameMargins(const Rect& margins);

  [[nodiscard]] WindowState windowState() const { return state_; }
  void setWindowState(WindowState state);

  // The window's own picture (its hDC): persistent, drawn under the widgets.
  // It is at least as large as the client area and never shrinks, so a
  // picture drawn while the window is small survives its growing.
  [[nodiscard]] RasterDc& canvas();
  [[nodiscard]] bool hasCanvas() const { return canvas_ != nullptr; }
  [[nodiscard]] const RasterDc* existingCanvas() const { return canvas_.get(); }
  void ensureCanvasSize(Size size);
  void refresh() { changed(); }

  // Shown, not modal. show() on a closed window opens it again.
  void show();
  void hide();
  // Closes the window: it is hidden, then the close handler runs (once per
  // opening). The kit's close box calls this too.
  void close();
  [[nodiscard]] bool isShown() const { return shown_; }
  [[nodiscard]] bool isClosed() const { return closed_; }

  std::function<void()> onResize;
  std::function<void()> onClose;
  // Runs after the window has been shown (the first paint).
  std::function<void()> onPaint;
  // Keys and turns of the mouse wheel, wherever the window's focus is: the
  // handler returns true when it took them (the widget with the focus then
  // never sees them). `notches` is positive away from the user (up).
  std::function<bool(const KeyPress&)> onKey;
  std::function<bool(int notches, bool control)> onWheel;

  // For kits and tests: the user pressed a key or turned the wheel over the
  // window. False when nothing took it (the window is not shown, or no
  // handler wanted it).
  bool pressKey(const KeyPress& key);
  bool turnWheel(int notches, bool control);

  // For kits: the view that mirrors the window itself.
  void attachView(std::unique_ptr<WidgetView> view);
  [[nodiscard]] WidgetView* view() const { return view_.get(); }
  // For kits: a window changed by the user (moved or sized by the window
  // manager) reports its new outer frame here.
  void userMovedTo(const Rect& rect);

 protected:
  Window(WindowKit& kit, std::string name);
  // The kit makes its mirror of a newly added widget here.
  virtual void widgetAdded(Widget& /*widget*/) {}
  void changed();

 private:
  friend class WindowKit;
  template <class W, class... Rest>
  W& add(std::string name, PictureWidget* container, Rest&&... rest);
  [[nodiscard]] Rect screenRect() const;
  void setOuter(const Rect& rect);
  // Its kit is going: the views go now and the kit is forgotten.
  void leaveKit();

  WindowKit* kit_;
  std::string name_;
  std::string caption_;
  Rgb backColor_ = Rgb::fromRgb(192, 192, 192);
  Rect normalGeometry_ = Rect::fromXywh(0, 0, 320, 240);
  Rect frameMargins_ = Rect::fromLtrb(4, 23, 4, 4);
  WindowState state_ = WindowState::Normal;
  bool shown_ = false;
  bool closed_ = false;
  std::vector<std::unique_ptr<Widget>> widgets_;
  std::unique_ptr<RasterDc> canvas_;
  std::unique_ptr<WidgetView> view_;
};

// Makes windows. It knows every window it made that still exists.
class WindowKit {
 public:
  WindowKit() = default;
  WindowKit(const WindowKit&) = delete;
  WindowKit& operator=(const WindowKit&) = delete;
  // Takes down every window it made that still exists (see above).
  virtual ~WindowKit();

  [[nodiscard]] virtual std::unique_ptr<Window> createWindow(std::string name) = 0;
  // The screen rectangle a maximised window covers, in pixels.
  [[nodiscard]] virtual Rect screenRect() const = 0;

  // The windows alive now, oldest first; find() gives the newest of a name.
  [[nodiscard]] const std::vector<Window*>& windows() const { return windows_; }
  [[nodiscard]] Window* find(std::string_view name) const;

 private:
  friend class Window;
  std::vector<Window*> windows_;
};

// The kit without a display: windows keep their state; the screen is the one
// the headless interface reports.
[[nodiscard]] std::unique_ptr<WindowKit> makeHeadlessKit(std::function<Rect()> screen);

}  // namespace host
