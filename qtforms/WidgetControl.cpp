#include "qtforms/WidgetControl.h"

#include <QLayout>
#include <QTextDocumentFragment>

#include "host/HostError.h"
#include "host/QtColor.h"
#include "host/QtFont.h"
#include "host/model/Control.h"
#include "qtforms/LiveForm.h"

using host::Args;
using host::Value;

namespace qtforms {

std::int32_t hostColor(const QColor& color) { return host::fromQColor(color).toHost(); }

void setWidgetFont(QWidget& widget, const host::Font& wanted) {
  // Only what differs: every attribute set on a widget's font is one its
  // children no longer inherit, and each costs Qt a new layout.
  const host::Font before = host::fromQFont(widget.font());
  QFont changed = widget.font();
  if (wanted.size() != before.size()) changed.setPointSizeF(wanted.size());
  if (wanted.bold() != before.bold()) changed.setBold(wanted.bold());
  if (wanted.italic() != before.italic()) changed.setItalic(wanted.italic());
  if (wanted.underline() != before.underline()) changed.setUnderline(wanted.underline());
  if (wanted.strikethrough() != before.strikethrough()) changed.setStrikeOut(wanted.strikethrough());
  if (!host::equalsNoCase(wanted.name(), before.name())) changed.setFamily(QString::fromStdString(wanted.name()));
  if (changed != widget.font()) widget.setFont(changed);
}

std::string withoutMnemonic(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown.toStdString();
}

std::string plainTextOf(const QString& text, Qt::TextFormat format) {
  const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
  return (rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text).toStdString();
}

std::int16_t hostAlignment(Qt::Alignment alignment) {
  if (alignment & Qt::AlignHCenter) return 2;
  if (alignment & Qt::AlignRight) return 1;
  return 0;
}

namespace {

// The font of a live widget by name (ctl.Font.Size): read from the widget
// each time. A print job's writes stay on this side; the resizer's reach the
// widget.
class LiveFont final : public host::Object {
 public:
  explicit LiveFont(WidgetControl& control) : control_(control) {}
  [[nodiscard]] std::string typeName() const override { return "Font"; }

  [[nodiscard]] Value get(std::string_view name, Args index) const override {
    host::FontObject font(current());
    return font.get(name, index);
  }

  void set(std::string_view name, const Value& value, Args index) override {
    // The resizer writes only sizes, a thousand a pass: the point size the
    // host grants, straight onto the widget's font.
    if (reachesWidget_() && host::equalsNoCase(name, "Size") && index.empty()) {
      control_.setPointSizeNow(host::grantedFontSize(value.toDouble()));
      return;
    }
    host::FontObject font(current());
    font.set(name, value, index);
    if (!reachesWidget_()) {
      kept_ = font.font();
      return;
    }
    setWidgetFont(control_.widget(), font.font());
  }

  std::function<bool()> reachesWidget_;

 private:
  [[nodiscard]] host::Font current() const {
    if (kept_) return *kept_;
    host::Font font = host::fromQFont(control_.widget().font());
    if (const auto points = control_.pendingPointSize()) font.setSize(*points);
    return font;
  }
  WidgetControl& control_;
  std::optional<host::Font> kept_;
};

}  // namespace

WidgetControl::WidgetControl(LiveForm& form, QWidget& widget, std::string typeName, host::Kind kind)
    : form_(form), widget_(&widget), typeName_(std::move(typeName)), kind_(kind), hWnd_(host::newHandle()) {
  auto font = std::make_shared<LiveFont>(*this);
  font->reachesWidget_ = [this] { return writesReachWidget(); };
  font_ = font;
  declareCommon();
}

WidgetControl::~WidgetControl() = default;

QWidget& WidgetControl::widget() const {
  if (!widget_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the widget is gone");
  return *widget_;
}

host::ObjectRef WidgetControl::container() const {
  if (auto holder = container_.lock()) return holder;
  return form_.self();
}

QPoint WidgetControl::positionOfChild(const QWidget& child) const { return child.mapTo(&widget(), QPoint()); }

QPoint WidgetControl::positionInContainer() const {
  auto holder = std::dynamic_pointer_cast<WidgetControl>(container_.lock());
  const QPoint shown = holder ? holder->positionOfChild(widget()) : widget().mapTo(&form_.widget(), QPoint());
  if (!pendingGeometry_) return shown;
  return shown - widget().pos() + pendingGeometry_->topLeft();
}

QRect WidgetControl::geometryNow() const { return pendingGeometry_ ? *pendingGeometry_ : widget().geometry(); }

void WidgetControl::setGeometryNow(const QRect& geometry) {
  if (form_.defersGeometry()) {
    pendingGeometry_ = geometry;
  } else {
    widget().setGeometry(geometry);
  }
}

void WidgetControl::setPointSizeNow(double points) {
  if (form_.defersGeometry()) {
    pendingPoints_ = points;
    return;
  }
  applyPointSize(points);
}

void WidgetControl::applyPointSize(double points) {
  QWidget& self = widget();
  if (self.font().pointSizeF() == points) return;
  QFont sized = self.font();
  sized.setPointSizeF(points);
  self.setFont(sized);
}

// The font first, then the place: a widget lays its text out once for both.
void WidgetControl::applyGeometry() {
  if (!widget_) return;
  if (pendingPoints_) {
    const double points = *pendingPoints_;
    pendingPoints_.reset();
    applyPointSize(points);
  }
  if (!pendingGeometry_) return;
  const QRect geometry = *pendingGeometry_;
  pendingGeometry_.reset();
  if (widget_->geometry() != geometry) widget_->setGeometry(geometry);
}

bool WidgetControl::writesReachWidget() const { return form_.writes() == Writes::ToWidgets; }

bool WidgetControl::placedByHand() const {
  const QWidget* parent = widget().parentWidget();
  const QLayout* layout = parent != nullptr ? parent->layout() : nullptr;
  return layout == nullptr || layout->indexOf(widget_.data()) < 0;
}

void WidgetControl::property(std::string_view name, Getter get, Setter set, Changes changes) {
  properties_[std::string(name)] = Entry{std::move(get), std::move(set), changes};
}

void WidgetControl::colorsFrom(QPalette::ColorRole background, QPalette::ColorRole foreground) {
  property("BackColor", [this, background](Args) { return Value(hostColor(widget().palette().color(background))); });
  property("ForeColor", [this, foreground](Args) { return Value(hostColor(widget().palette().color(foreground))); });
}

void WidgetControl::method(std::string_view name, Method method) { methods_[std::string(name)] = std::move(method); }

Value WidgetControl::get(std::string_view name, Args index) const {
  if (index.empty()) {
    if (auto kept = kept_.find(name); kept != kept_.end()) return kept->second;
  }
  auto found = properties_.find(name);
  if (found == properties_.end() || !found->second.get) missingMember(name);
  return found->second.get(index);
}

void WidgetControl::set(std::string_view name, const Value& value, Args index) {
  auto found = properties_.find(name);
  if (found == properties_.end()) missingMember(name);
  const Entry& entry = found->second;
  if (entry.set && (entry.changes == Changes::AdapterState || writesReachWidget())) {
    entry.set(value, index);
    return;
  }
  if (writesReachWidget() || !index.empty()) {
    host::raise(host::err::InvalidPropertyValue, "Property is read-only: " + std::string(name));
  }
  // A print job's write: the adapter answers with it from now on.
  if (entry.get) (void)entry.get(index);  // the widget must still be there
  kept_[std::string(name)] = value;
}

Value WidgetControl::call(std::string_view name, Args args) {
  auto found = methods_.find(name);
  if (found == methods_.end()) missingMember(name);
  return found->second(args);
}

void WidgetControl::moveTo(const QPoint& inContainer) {
  // The parent's origin lies where the container counts the widget's own
  // position from, less the widget's place in its parent.
  const QRect now = geometryNow();
  const QPoint parentOrigin = positionInContainer() - now.topLeft();
  setGeometryNow(QRect(inContainer - parentOrigin, now.size()));
}

void WidgetControl::declareCommon() {
  property("Name", [this](Args) { return Value(name_); });
  property("Tag", [this](Args) { return Value(widget().property("tag").toString().toStdString()); });
  property("Visible", [this](Args) { return Value(widget().isVisibleTo(&form_.widget())); });
  property("Enabled", [this](Args) { return Value(widget().isEnabled()); });
  property("Left", [this](Args) { return Value(toTwips(positionInContainer().x())); },
           [this](const Value& v, Args) {
             if (placedByHand()) moveTo(QPoint(toPixels(v.toDouble()), positionInContainer().y()));
           });
  property("Top", [this](Args) { return Value(toTwips(positionInContainer().y())); },
           [this](const Value& v, Args) {
             if (placedByHand()) moveTo(QPoint(positionInContainer().x(), toPixels(v.toDouble())));
           });
  property("Width", [this](Args) { return Value(toTwips(geometryNow().width())); },
           [this](const Value& v, Args) {
             if (!placedByHand()) return;
             QRect now = geometryNow();
             now.setWidth(std::max(0, toPixels(v.toDouble())));
             setGeometryNow(now);
           });
  property("Height", [this](Args) { return Value(toTwips(geometryNow().height())); },
           [this](const Value& v, Args) {
             if (!placedByHand()) return;
             QRect now = geometryNow();
             now.setHeight(std::max(0, toPixels(v.toDouble())));
             setGeometryNow(now);
           });
  property("Font", [this](Args) { return Value(font_); });
  property("BackColor", [this](Args) { return Value(hostColor(widget().palette().color(widget().backgroundRole()))); });
  property("ForeColor", [this](Args) { return Value(hostColor(widget().palette().color(widget().foregroundRole()))); });
  property("RightToLeft", [this](Args) { return Value(widget().layoutDirection() == Qt::RightToLeft); });
  property("Container", [this](Args) { return Value(container()); });
  property("Parent", [this](Args) { return Value(form_.self()); });
  property("hWnd", [this](Args) { return Value(hWnd_); });
  property("Index", [](Args) { return Value(std::int16_t{0}); });
  property("TabIndex", [](Args) { return Value(static_cast<std::int16_t>(0)); });
  method("ZOrder", [](Args) { return Value(); });
  method("Refresh", [](Args) { return Value(); });
}

}  // namespace qtforms
