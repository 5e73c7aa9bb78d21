// The state side of the window kit, shared by every kit.
#include "host/Window.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "host/Dc.h"
#include "host/HostError.h"
#include "host/RasterDc.h"

namespace host {

// ---------------------------------------------------------------- Widget

Widget::Widget(Key, Window& window, std::string name, Widget* container)
    : window_(window), name_(std::move(name)), container_(container) {}

Widget::~Widget() = default;

void Widget::setGeometry(const Rect& rect) {
  if (rect == geometry_) return;
  geometry_ = rect;
  changed();
}

void Widget::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  changed();
}

void Widget::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed();
}

void Widget::setToolTip(std::string text) {
  toolTip_ = std::move(text);
  changed();
}

bool Widget::reachable() const {
  if (!window_.isShown()) return false;
  for (const Widget* widget = this; widget != nullptr; widget = widget->container_) {
    if (!widget->visible_ || !widget->enabled_) return false;
  }
  return true;
}

void Widget::attachView(std::unique_ptr<WidgetView> view) {
  view_ = std::move(view);
  changed();
}

void Widget::changed() {
  if (view_) view_->sync();
}

// ---------------------------------------------------------------- Button

void Button::setCaption(std::string caption) {
  caption_ = std::move(caption);
  changed();
}

void Button::setPicture(Picture picture) {
  picture_ = std::move(picture);
  changed();
}

void Button::setForeColor(Rgb color) {
  foreColor_ = color;
  changed();
}

void Button::click() {
  if (!reachable() || !onClick) return;
  auto handler = onClick;  // the handler may replace itself
  handler();
}

// ---------------------------------------------------------------- TextLabel

void TextLabel::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed();
}

// ---------------------------------------------------------------- DropDownList

void DropDownList::clear() {
  items_.clear();
  text_.clear();
  listIndex_ = -1;
  changed();
}

void DropDownList::addItem(std::string item) {
  items_.push_back(std::move(item));
  changed();
}

void DropDownList::setText(std::string text) {
  text_ = std::move(text);
  auto found = std::find(items_.begin(), items_.end(), text_);
  listIndex_ = found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
  changed();
}

void DropDownList::setListIndex(int index) {
  if (index < -1 || index >= listCount()) raise(err::InvalidPropertyValue);
  listIndex_ = index;
  text_ = index < 0 ? std::string() : items_[static_cast<std::size_t>(index)];
  changed();
}

void DropDownList::choose(int index) {
  if (!reachable() || index < 0 || index >= listCount()) return;
  setListIndex(index);
  if (onClick) {
    auto handler = onClick;
    handler();
  }
}

void DropDownList::setEditable(bool editable) {
  editable_ = editable;
  changed();
}

namespace {

std::string_view withoutBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void DropDownList::enter(std::string_view typed) {
  if (!editable_) return;
  const std::string_view wanted = withoutBlanks(typed);
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [&](const std::string& item) { return withoutBlanks(item) == wanted; });
  if (found == items_.end()) {
    changed();  // the list shows its own text again
    return;
  }
  choose(static_cast<int>(found - items_.begin()));
}

// ---------------------------------------------------------------- ScrollBar

namespace {
int checkedInteger(int value) {
  if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
    raise(err::InvalidPropertyValue);
  }
  return value;
}
}  // namespace

ScrollBar::ScrollBar(Key key, Window& window, std::string name, Widget* container, Orientation orientation)
    : Widget(key, window, std::move(name), container), orientation_(orientation) {}

void ScrollBar::setMin(int min) {
  min_ = checkedInteger(min);
  changed();
  keepValueInRange();
}

void ScrollBar::setMax(int max) {
  max_ = checkedInteger(max);
  changed();
  keepValueInRange();
}

void ScrollBar::setSmallChange(int step) {
  smallChange_ = checkedInteger(step);
  changed();
}

void ScrollBar::setLargeChange(int step) {
  largeChange_ = checkedInteger(step);
  changed();
}

void ScrollBar::setValue(int value) {
  checkedInteger(value);
  const int clamped = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  if (clamped == value_) return;
  value_ = clamped;
  changed();
  if (onChange) {
    auto handler = onChange;
    handler();
  }
}

void ScrollBar::keepValueInRange() { setValue(value_); }

// ---------------------------------------------------------------- PictureWidget

PictureWidget::~PictureWidget() = default;

void PictureWidget::setGeometry(const Rect& rect) {
  if (rect.width() != width() || rect.height() != height()) canvas_.reset();
  Widget::setGeometry(rect);
}

void PictureWidget::setBackColor(Rgb color) {
  backColor_ = color;
  changed();
}

void PictureWidget::setPicture(Picture picture) {
  picture_ = std::move(picture);
  changed();
}

RasterDc& PictureWidget::canvas() {
  if (!canvas_) {
    const Size size{std::max(width(), 1), std::max(height(), 1)};
    canvas_ = RasterDc::create(size, RasterFormat::Color);
    canvas_->fillRect(Rect::fromXywh(0, 0, size.width, size.height), Brush::solid(backColor_));
  }
  return *canvas_;
}

void PictureWidget::cls() {
  RasterDc& surface = canvas();
  const Size size = surface.size();
  surface.fillRect(Rect::fromXywh(0, 0, size.width, size.height), Brush::solid(backColor_));
  changed();
}

void PictureWidget::click() {
  if (!reachable() || !onClick) return;
  auto handler = onClick;
  handler();
}

// ---------------------------------------------------------------- Window

Window::Window(WindowKit& kit, std::string name) : kit_(&kit), name_(std::move(name)) {
  kit_->windows_.push_back(this);
}

Window::~Window() {
  // Widgets go before the window's own view, the newest first, so that a
  // widget sitting in a picture box goes before the box.
  while (!widgets_.empty()) widgets_.pop_back();
  view_.reset();
  if (kit_ != nullptr) std::erase(kit_->windows_, this);
}

// The kit's views mirror the window on the kit's toolkit, which may go with
// the kit: they are dropped in the order the destructor drops the widgets.
void Window::leaveKit() {
  for (auto widget = widgets_.rbegin(); widget != widgets_.rend(); ++widget) (*widget)->attachView(nullptr);
  view_.reset();
  shown_ = false;
  closed_ = true;
  kit_ = nullptr;
}

template <class W, class... Rest>
W& Window::add(std::string name, PictureWidget* container, Rest&&... rest) {
  auto widget = std::make_unique<W>(Widget::Key(), *this, std::move(name), container, std::forward<Rest>(rest)...);
  W& result = *widget;
  widgets_.push_back(std::move(widget));
  widgetAdded(result);
  return result;
}

Button& Window::addButton(std::string name, PictureWidget* container) {
  return add<Button>(std::move(name), container);
}

DropDownList& Window::addDropDownList(std::string name, PictureWidget* container) {
  return add<DropDownList>(std::move(name), container);
}

ScrollBar& Window::addScrollBar(std::string name, Orientation orientation, PictureWidget* container) {
  return add<ScrollBar>(std::move(name), container, orientation);
}

PictureWidget& Window::addPictureWidget(std::string name, PictureWidget* container) {
  return add<PictureWidget>(std::move(name), container);
}

Widget* Window::widget(std::string_view name) const {
  for (const auto& widget : widgets_) {
    if (widget->name() == name) return widget.get();
  }
  return nullptr;
}

TextLabel& Window::addTextLabel(std::string name, PictureWidget* container) {
  return add<TextLabel>(std::move(name), container);
}

Button* Window::button(std::string_view name) const { return dynamic_cast<Button*>(widget(name)); }
TextLabel* Window::textLabel(std::string_view name) const { return dynamic_cast<TextLabel*>(widget(name)); }
DropDownList* Window::dropDownList(std::string_view name) const { return dynamic_cast<DropDownList*>(widget(name)); }
ScrollBar* Window::scrollBar(std::string_view name) const { return dynamic_cast<ScrollBar*>(widget(name)); }
PictureWidget* Window::pictureWidget(std::string_view name) const { return dynamic_cast<PictureWidget*>(widget(name)); }

bool Window::pressKey(const KeyPress& key) {
  if (!shown_ || !onKey) return false;
  auto handler = onKey;  // the handler may close the window or replace itself
  return handler(key);
}

bool Window::turnWheel(int notches, bool control) {
  if (!shown_ || notches == 0 || !onWheel) return false;
  auto handler = onWheel;
  return handler(notches, control);
}

void Window::setCaption(std::string caption) {
  caption_ = std::move(caption);
  changed();
}

void Window::setBackColor(Rgb color) {
  backColor_ = color;
  changed();
}

Rect Window::screenRect() const { return kit_ != nullptr ? kit_->screenRect() : normalGeometry_; }

Rect Window::geometry() const { return state_ == WindowState::Maximized ? screenRect() : normalGeometry_; }

void Window::setOuter(const Rect& rect) {
  const Rect before = geometry();
  normalGeometry_ = rect;
  const Rect after = geometry();
  changed();
  if ((before.width() != after.width() || before.height() != after.height()) && onResize) {
    auto handler = onResize;
    handler();
  }
}

void Window::setGeometry(const Rect& rect) { setOuter(rect); }

void Window::userMovedTo(const Rect& rect) {
  if (state_ == WindowState::Normal) setOuter(rect);
}

namespace {

// What is left of an outer extent once the frame's two margins are taken off:
// never negative, and worked out wide so that no extent, however far off
// screen its edges lie, overflows.
int innerExtent(int from, int to, int marginBefore, int marginAfter) {
  const std::int64_t inner = std::int64_t{to} - from - marginBefore - marginAfter;
  return static_cast<int>(std::clamp<std::int64_t>(inner, 0, std::numeric_limits<int>::max()));
}

}  // namespace

Size Window::clientSize() const {
  const Rect outer = geometry();
  return {innerExtent(outer.left, outer.right, frameMargins_.left, frameMargins_.right),
          innerExtent(outer.top, outer.bottom, frameMargins_.top, frameMargins_.bottom)};
}

void Window::setFrameMargins(const Rect& margins) {
  frameMargins_ = margins;
  changed();
}

void Window::setWindowState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  changed();
  if (onResize) {
    auto handler = onResize;
    handler();
  }
}

RasterDc& Window::canvas() {
  ensureCanvasSize(clientSize());
  return *canvas_;
}

void Window::ensureCanvasSize(Size size) {
  const Size have = canvas_ ? canvas_->size() : Size{};
  if (canvas_ && have.width >= size.width && have.height >= size.height) return;
  const Size grown{std::max({have.width, size.width, 1}), std::max({have.height, size.height, 1})};
  auto larger = RasterDc::create(grown, RasterFormat::Color);
  larger->fillRect(Rect::fromXywh(0, 0, grown.width, grown.height), Brush::solid(backColor_));
  if (canvas_) larger->copyFrom(*canvas_, Rect::fromXywh(0, 0, have.width, have.height), Point{0, 0});
  canvas_ = std::move(larger);
  changed();
}

void Window::show() {
  const bool wasShown = shown_;
  closed_ = false;
  shown_ = true;
  changed();
  if (!wasShown && onPaint) {
    auto handler = onPaint;
    handler();
  }
}

void Window::hide() {
  if (!shown_) return;
  shown_ = false;
  changed();
}

void Window::close() {
  if (closed_) return;
  closed_ = true;
  shown_ = false;
  changed();
  if (onClose) {
    auto handler = onClose;
    handler();
  }
}

void Window::attachView(std::unique_ptr<WidgetView> view) {
  view_ = std::move(view);
  changed();
}

void Window::changed() {
  if (view_) view_->sync();
}

// ---------------------------------------------------------------- WindowKit

WindowKit::~WindowKit() {
  const std::vector<Window*> left = windows_;
  windows_.clear();
  for (Window* window : left) window->leaveKit();
}

Window* WindowKit::find(std::string_view name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->name() == name) return *it;
  }
  return nullptr;
}

namespace {

class HeadlessWindow : public Window {
 public:
  HeadlessWindow(WindowKit& kit, std::string name) : Window(kit, std::move(name)) {}
};

class HeadlessKit : public WindowKit {
 public:
  explicit HeadlessKit(std::function<Rect()> screen) : screen_(std::move(screen)) {}
  std::unique_ptr<Window> createWindow(std::string name) override {
    return std::make_unique<HeadlessWindow>(*this, std::move(name));
  }
  Rect screenRect() const override { return screen_(); }

 private:
  std::function<Rect()> screen_;
};

}  // namespace

std::unique_ptr<WindowKit> makeHeadlessKit(std::function<Rect()> screen) {
  return std::make_unique<HeadlessKit>(std::move(screen));
}

}  // namespace host
