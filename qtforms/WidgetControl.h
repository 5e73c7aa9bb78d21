#pragma once
// A live Qt widget as a host control: the family's properties are answered
// from the widget itself whenever they are read (never from a copy taken
// when the form was adapted), in the host's units (twips = pixels x 15,
// colours from the widget's palette, fonts from the widget's font).
//
// What the engine writes goes where the form's adapter says (LiveForm's
// Writes): a print job keeps every write on the adapter's own side, so the
// widget the user sees never changes; the resizer writes geometry and fonts
// to the widgets themselves.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/Font.h"
#include "host/Geometry.h"
#include "host/Lang.h"
#include "host/Object.h"
#include "host/model/Control.h"

namespace qtforms {

class LiveForm;

// Where the engine's writes to a live form go.
enum class Writes {
  KeptByAdapter,  // a print job: the widgets stay exactly as they are
  ToWidgets,      // the resizer: geometry and fonts are set on the widgets
};

// Pixels of the live form as host twips (the host's 15 a pixel), and back.
using host::TwipsPerPixel;
[[nodiscard]] inline std::int32_t toTwips(double pixels) { return host::CLng(pixels * TwipsPerPixel); }
[[nodiscard]] inline int toPixels(double twips) { return static_cast<int>(host::roundHalfEven(twips / TwipsPerPixel)); }

// Colours and fonts of the host as Qt has them.
[[nodiscard]] std::int32_t hostColor(const QColor& color);
// Gives a widget the host font `wanted`, changing only what differs from its own.
void setWidgetFont(QWidget& widget, const host::Font& wanted);
// The plain text of a widget's text that may be rich ("<b>Total</b>" reads "Total").
[[nodiscard]] std::string plainTextOf(const QString& text, Qt::TextFormat format);
// A caption as a button, label or group box shows it: "&Save" reads "Save".
[[nodiscard]] std::string withoutMnemonic(const QString& text);
// Qt's horizontal alignment as the host's Alignment (0 left, 1 right, 2 centre).
[[nodiscard]] std::int16_t hostAlignment(Qt::Alignment alignment);

class WidgetControl : public host::Object {
 public:
  WidgetControl(LiveForm& form, QWidget& widget, std::string typeName, host::Kind kind);
  ~WidgetControl() override;

  [[nodiscard]] std::string typeName() const override { return typeName_; }
  [[nodiscard]] host::Kind kind() const override { return kind_; }
  [[nodiscard]] host::Value get(std::string_view name, host::Args index = {}) const override;
  void set(std::string_view name, const host::Value& value, host::Args index = {}) override;
  host::Value call(std::string_view name, host::Args args = {}) override;
  using host::Object::call;
  using host::Object::get;
  using host::Object::set;

  // The widget; error 91 once it has been destroyed (a form closed during a job).
  [[nodiscard]] QWidget& widget() const;
  // The widget as the class its family adapts.
  template <class Widget>
  [[nodiscard]] Widget& as() const {
    return static_cast<Widget&>(widget());
  }
  [[nodiscard]] LiveForm& form() const { return form_; }
  // The container adapter (a group box, a tab control) or the form.
  [[nodiscard]] host::ObjectRef container() const;
  void setContainer(const host::ObjectRef& container) { container_ = container; }
  [[nodiscard]] std::string name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  // Where a widget inside this container lies, counted from the container's
  // top-left corner as its children's Left and Top are. A scroll area counts
  // its content whole, as if it were not scrolled.
  [[nodiscard]] virtual QPoint positionOfChild(const QWidget& child) const;
  // The control's place in its container, in pixels.
  [[nodiscard]] QPoint positionInContainer() const;
  // The widget's geometry in its parent, as the last writes left it.
  [[nodiscard]] QRect geometryNow() const;
  // Applies the geometry and font size writes the form gathered (see
  // LiveForm::deferGeometry).
  void applyGeometry();
  // The font's point size, set now or when the form applies what it gathered.
  void setPointSizeNow(double points);
  [[nodiscard]] std::optional<double> pendingPointSize() const { return pendingPoints_; }

 protected:
  using Getter = std::function<host::Value(host::Args)>;
  using Setter = std::function<void(const host::Value&, host::Args)>;
  // What a setter changes: the adapter's own view state (a grid's current
  // cell), which every job may change; or the widget, which only the
  // resizer's writes reach (a print job keeps such writes on the adapter).
  enum class Changes { AdapterState, Widget };
  // Declares a property; declaring a name again replaces it (a family over
  // a common default).
  void property(std::string_view name, Getter get, Setter set = {}, Changes changes = Changes::Widget);
  using Method = std::function<host::Value(host::Args)>;
  void method(std::string_view name, Method method);
  [[nodiscard]] bool writesReachWidget() const;
  // BackColor and ForeColor from these roles of the widget's palette (by
  // default its background and foreground roles).
  void colorsFrom(QPalette::ColorRole background, QPalette::ColorRole foreground);
  // The widget's geometry can be set: it is not placed by a Qt layout.
  [[nodiscard]] bool placedByHand() const;

 private:
  struct Entry {
    Getter get;
    Setter set;
    Changes changes = Changes::Widget;
  };
  void declareCommon();
  void moveTo(const QPoint& inContainer);
  void setGeometryNow(const QRect& geometry);
  void applyPointSize(double points);

  LiveForm& form_;
  QPointer<QWidget> widget_;
  std::string typeName_;
  host::Kind kind_;
  std::string name_;
  std::weak_ptr<host::Object> container_;
  std::int32_t hWnd_;
  std::unordered_map<std::string, Entry, host::NoCaseHash, host::NoCaseEqual> properties_;
  std::unordered_map<std::string, Method, host::NoCaseHash, host::NoCaseEqual> methods_;
  // Values a print job wrote, read back instead of the widget's own.
  std::unordered_map<std::string, host::Value, host::NoCaseHash, host::NoCaseEqual> kept_;
  host::ObjectRef font_;
  std::optional<QRect> pendingGeometry_;
  std::optional<double> pendingPoints_;
};

}  // namespace qtforms
