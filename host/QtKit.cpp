// The Qt window kit: every state object gets a Qt widget that shows it. A
// view copies the state onto its widget on every change (with the widget's
// signals blocked, so that copying never reports back); the widget's user
// signals call the state object's own user calls (click, choose, setValue,
// close), exactly as a test does with the headless kit.
#include "host/QtKit.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <QWidget>
#include <memory>
#include <unordered_map>

#include "host/PictureImpl.h"
#include "host/QtColor.h"
#include "host/RasterDc.h"

namespace host {
namespace {

QRect toQRect(const Rect& rect) { return QRect(rect.left, rect.top, rect.width(), rect.height()); }

// Paints a picture and then a canvas at the widget's top-left.
void paintPictures(QPainter& painter, const Picture& picture, const RasterDc* canvas) {
  if (!picture.isNull()) painter.drawImage(QPoint(0, 0), imageOf(picture));
  if (canvas != nullptr) painter.drawImage(QPoint(0, 0), imageOf(canvas->picture()));
}

// ---------------------------------------------------------------- widgets

// The toolkit's palette with a text colour of the widget's own for every
// colour group a user can reach it in; a disabled widget keeps the toolkit's
// greyed text, so that it looks disabled whatever its colour.
QPalette paletteWithTextColor(const QColor& text) {
  QPalette palette = QGuiApplication::palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::ButtonText, text);
  }
  return palette;
}

class QtPictureWidget : public QWidget {
 public:
  QtPictureWidget(PictureWidget& box, QWidget* parent) : QWidget(parent), box_(box) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(box_.backColor()));
    paintPictures(painter, box_.picture(), box_.existingCanvas());
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) box_.click();
  }

 private:
  PictureWidget& box_;
};

// Common to every widget view: geometry, visibility, enabled state, tooltip.
// The Qt widget is made with its parent as Qt widgets are; the view deletes
// it when the state object goes, unless its parent has already taken it.
template <class QtWidget>
class WidgetViewOf : public WidgetView {
 public:
  ~WidgetViewOf() override { delete widget_.data(); }
  QtWidget* widget() const { return widget_.data(); }

 protected:
  WidgetViewOf(Widget& model, QtWidget* widget) : model_(model), widget_(widget) {}
  void syncCommon() {
    widget_->setGeometry(toQRect(model_.geometry()));
    widget_->setEnabled(model_.enabled());
    widget_->setToolTip(QString::fromStdString(model_.toolTip()));
    widget_->setVisible(model_.visible());
  }
  Widget& model_;
  QPointer<QtWidget> widget_;
};

class ButtonView : public WidgetViewOf<QPushButton> {
 public:
  ButtonView(Button& model, QWidget* parent) : WidgetViewOf(model, new QPushButton(parent)), button_(model) {
    QObject::connect(widget_.data(), &QPushButton::clicked, [this] { button_.click(); });
  }
  void sync() override {
    if (!widget_) return;
    const QSignalBlocker blocker(widget_.data());
    if (button_.picture().isNull()) {
      widget_->setIcon(QIcon());
      widget_->setText(QString::fromStdString(button_.caption()));
    } else {
      const QPixmap picture = QPixmap::fromImage(imageOf(button_.picture()));
      widget_->setText(QString());
      widget_->setIcon(QIcon(picture));
      widget_->setIconSize(picture.size());
    }
    widget_->setPalette(paletteWithTextColor(toQColor(button_.foreColor())));
    syncCommon();
  }

 private:
  Button& button_;
};

class LabelView : public WidgetViewOf<QLabel> {
 public:
  LabelView(TextLabel& model, QWidget* parent) : WidgetViewOf(model, new QLabel(parent)), label_(model) {}
  void sync() override {
    if (!widget_) return;
    widget_->setText(QString::fromStdString(label_.text()));
    syncCommon();
  }

 private:
  TextLabel& label_;
};

class ComboView : public WidgetViewOf<QComboBox> {
 public:
  ComboView(DropDownList& model, QWidget* parent) : WidgetViewOf(model, new QComboBox(parent)), combo_(model) {
    QObject::connect(widget_.data(), &QComboBox::activated, [this](int index) { combo_.choose(index); });
  }
  void sync() override {
    if (!widget_) return;
    const QSignalBlocker blocker(widget_.data());
    if (combo_.editable() && !widget_->isEditable()) {
      widget_->setEditable(true);
      widget_->setInsertPolicy(QComboBox::NoInsert);
      // Entered text goes to the list's model, which matches it against the items.
      QObject::connect(widget_->lineEdit(), &QLineEdit::returnPressed,
                       [this] { combo_.enter(widget_->lineEdit()->text().toStdString()); });
    }
    QStringList items;
    for (const std::string& item : combo_.items()) items << QString::fromStdString(item);
    QStringList shown;
    for (int i = 0; i < widget_->count(); ++i) shown << widget_->itemText(i);
    if (items != shown) {
      widget_->clear();
      widget_->addItems(items);
    }
    widget_->setCurrentIndex(combo_.listIndex());
    if (widget_->isEditable()) widget_->setEditText(QString::fromStdString(combo_.text()));
    syncCommon();
  }

 private:
  DropDownList& combo_;
};

class ScrollView : public WidgetViewOf<QScrollBar> {
 public:
  ScrollView(ScrollBar& model, QWidget* parent)
      : WidgetViewOf(model, new QScrollBar(model.orientation() == Orientation::Horizontal ? Qt::Horizontal
                                                                                            : Qt::Vertical,
                                           parent)),
        bar_(model) {
    QObject::connect(widget_.data(), &QScrollBar::valueChanged, [this](int value) { bar_.setValue(value); });
  }
  void sync() override {
    if (!widget_) return;
    const QSignalBlocker blocker(widget_.data());
    widget_->setRange(std::min(bar_.min(), bar_.max()), std::max(bar_.min(), bar_.max()));
    widget_->setSingleStep(bar_.smallChange());
    widget_->setPageStep(bar_.largeChange());
    widget_->setValue(bar_.value());
    syncCommon();
  }

 private:
  ScrollBar& bar_;
};

class PictureView : public WidgetViewOf<QtPictureWidget> {
 public:
  PictureView(PictureWidget& model, QWidget* parent) : WidgetViewOf(model, new QtPictureWidget(model, parent)) {}
  void sync() override {
    if (!widget_) return;
    syncCommon();
    widget_->update();
  }
};

// ---------------------------------------------------------------- windows

class FormWidget : public QWidget {
 public:
  explicit FormWidget(Window& model) : model_(model) {}
  bool syncing = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(model_.backColor()));
    paintPictures(painter, Picture(), model_.existingCanvas());
  }
  void closeEvent(QCloseEvent* event) override {
    // The window's own close decides; it hides the widget itself.
    event->ignore();
    if (!syncing) model_.close();
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    reportPlace();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    reportPlace();
  }

 private:
  void reportPlace() {
    if (syncing || !isVisible() || model_.windowState() != WindowState::Normal) return;
    const QRect place = geometry();
    const Rect margins = model_.frameMargins();
    const Rect outer = Rect::fromLtrb(place.left() - margins.left, place.top() - margins.top,
                                      place.right() + 1 + margins.right, place.bottom() + 1 + margins.bottom);
    if (outer != model_.geometry()) model_.userMovedTo(outer);
  }
  Window& model_;
};

Key keyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_PageUp: return Key::PageUp;
    case Qt::Key_PageDown: return Key::PageDown;
    case Qt::Key_Up: return Key::Up;
    case Qt::Key_Down: return Key::Down;
    case Qt::Key_Left: return Key::Left;
    case Qt::Key_Right: return Key::Right;
    case Qt::Key_Home: return Key::Home;
    case Qt::Key_End: return Key::End;
    case Qt::Key_Escape: return Key::Escape;
    case Qt::Key_P: return Key::P;
    // Ctrl+= is Ctrl+plus on keyboards where plus needs Shift.
    case Qt::Key_Plus:
    case Qt::Key_Equal: return Key::Plus;
    case Qt::Key_Minus: return Key::Minus;
    case Qt::Key_0: return Key::Zero;
    default: return Key::Other;
  }
}

// Keys and the wheel reach the window wherever its focus is (a button, the
// page list, the view): they are looked at on their way to any widget of the
// window, before that widget takes them.
class WindowInput : public QObject {
 public:
  WindowInput(Window& model, QWidget* form) : model_(model), form_(form) {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::Wheel) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || form_.isNull() || widget->window() != form_.data()) return false;
    if (event->type() == QEvent::KeyPress) {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      return model_.pressKey({keyOf(key.key()), key.modifiers().testFlag(Qt::ControlModifier)});
    }
    const auto& wheel = static_cast<const QWheelEvent&>(*event);
    const int delta = wheel.angleDelta().y();
    // A fine-grained wheel (a touchpad) turns a notch at a time as well.
    const int notches = delta / 120 != 0 ? delta / 120 : (delta > 0) - (delta < 0);
    return model_.turnWheel(notches, wheel.modifiers().testFlag(Qt::ControlModifier));
  }

 private:
  Window& model_;
  QPointer<QWidget> form_;
};

class FormView : public WidgetView {
 public:
  explicit FormView(Window& model)
      : model_(model), widget_(new FormWidget(model)), input_(std::make_unique<WindowInput>(model, widget_)) {}
  ~FormView() override { delete widget_.data(); }
  FormWidget* widget() const { return widget_.data(); }

  void sync() override {
    if (!widget_ || widget_->syncing) return;
    widget_->syncing = true;
    widget_->setWindowTitle(QString::fromStdString(model_.caption()));
    if (model_.windowState() == WindowState::Normal) {
      const Rect outer = model_.geometry();
      const Rect margins = model_.frameMargins();
      const Size client = model_.clientSize();
      widget_->setGeometry(outer.left + margins.left, outer.top + margins.top, std::max(client.width, 1),
                           std::max(client.height, 1));
    }
    showAsTheModelSays();
    widget_->update();
    widget_->syncing = false;
  }

 private:
  void showAsTheModelSays() {
    if (!model_.isShown()) {
      if (widget_->isVisible()) widget_->hide();
      return;
    }
    const Qt::WindowStates wanted = model_.windowState() == WindowState::Maximized   ? Qt::WindowMaximized
                                    : model_.windowState() == WindowState::Minimized ? Qt::WindowMinimized
                                                                                     : Qt::WindowNoState;
    if (widget_->windowState() != wanted) widget_->setWindowState(wanted);
    if (!widget_->isVisible()) {
      widget_->show();
      widget_->raise();
    }
  }
  Window& model_;
  QPointer<FormWidget> widget_;
  std::unique_ptr<WindowInput> input_;
};

class QtWindow : public Window {
 public:
  QtWindow(WindowKit& kit, std::string name) : Window(kit, std::move(name)) {
    setFrameMargins(Rect::fromLtrb(0, 0, 0, 0));  // the window manager draws its frame outside
    auto view = std::make_unique<FormView>(*this);
    form_ = view->widget();
    attachView(std::move(view));
  }
  ~QtWindow() override { parents_.clear(); }
  QWidget* form() const { return form_; }

 protected:
  void widgetAdded(Widget& widget) override {
    if (kit() == nullptr) return;  // the kit has gone: nothing is shown any more
    QWidget* parent = widget.container() != nullptr ? parents_.at(widget.container()) : form_.data();
    if (auto* button = dynamic_cast<Button*>(&widget)) {
      attach(widget, std::make_unique<ButtonView>(*button, parent));
    } else if (auto* label = dynamic_cast<TextLabel*>(&widget)) {
      attach(widget, std::make_unique<LabelView>(*label, parent));
    } else if (auto* combo = dynamic_cast<DropDownList*>(&widget)) {
      attach(widget, std::make_unique<ComboView>(*combo, parent));
    } else if (auto* bar = dynamic_cast<ScrollBar*>(&widget)) {
      attach(widget, std::make_unique<ScrollView>(*bar, parent));
    } else if (auto* box = dynamic_cast<PictureWidget*>(&widget)) {
      auto view = std::make_unique<PictureView>(*box, parent);
      parents_[&widget] = view->widget();
      attach(widget, std::move(view));
    }
  }

 private:
  template <class View>
  void attach(Widget& widget, std::unique_ptr<View> view) {
    view->widget()->raise();  // a newer widget lies above older ones
    widget.attachView(std::move(view));
  }
  QPointer<QWidget> form_;
  std::unordered_map<const Widget*, QWidget*> parents_;
};

class QtKit : public WindowKit {
 public:
  std::unique_ptr<Window> createWindow(std::string name) override {
    return std::make_unique<QtWindow>(*this, std::move(name));
  }
  Rect screenRect() const override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return Rect::fromXywh(0, 0, 1024, 768);
    const QRect area = screen->availableGeometry();
    return Rect::fromXywh(area.x(), area.y(), area.width(), area.height());
  }
};

}  // namespace

std::unique_ptr<WindowKit> makeQtKit() { return std::make_unique<QtKit>(); }

QWidget* qtWidgetOf(const Window& window) {
  const auto* qtWindow = dynamic_cast<const QtWindow*>(&window);
  return qtWindow != nullptr ? qtWindow->form() : nullptr;
}

}  // namespace host
