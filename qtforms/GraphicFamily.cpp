// Group boxes print as frames with their title, framed boxes as rectangles,
// both holding the controls inside them; horizontal and vertical rules
// print as lines.
#include <QFrame>
#include <QGroupBox>
#include <typeinfo>

#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

// The colour a frame draws its lines in: the plain foreground, or the
// palette's shadow for a raised or sunken frame.
QColor lineColor(const QFrame& frame) {
  return frame.frameShadow() == QFrame::Plain ? frame.palette().color(frame.foregroundRole())
                                              : frame.palette().color(QPalette::Dark);
}

class GroupBoxControl final : public WidgetControl {
 public:
  GroupBoxControl(LiveForm& form, QGroupBox& box) : WidgetControl(form, box, "Frame", host::Kind::Frame) {
    property("Caption", [this](Args) { return Value(withoutMnemonic(as<QGroupBox>().title())); });
    property("BorderStyle", [](Args) { return Value(std::int16_t{1}); });
    property("Appearance", [this](Args) { return Value(std::int16_t(as<QGroupBox>().isFlat() ? 0 : 1)); });
  }
};

// A framed box: a rectangle in the frame's line colour, filled when the
// frame paints its background.
class BoxControl final : public WidgetControl {
 public:
  BoxControl(LiveForm& form, QFrame& frame) : WidgetControl(form, frame, "Shape", host::Kind::Shape) {
    property("Shape", [](Args) { return Value(std::int16_t{0}); });
    property("BackStyle", [this](Args) { return Value(std::int16_t(widget().autoFillBackground() ? 1 : 0)); });
    property("BorderColor", [this](Args) { return Value(hostColor(lineColor(as<QFrame>()))); });
    property("BorderStyle", [](Args) { return Value(std::int16_t{1}); });
    property("BorderWidth", [this](Args) { return Value(std::int16_t(std::max(1, as<QFrame>().lineWidth()))); });
    property("FillStyle", [](Args) { return Value(std::int16_t{1}); });
    property("FillColor", [](Args) { return Value(std::int32_t{0}); });
  }
};

// A horizontal or vertical rule: a line through the middle of its widget,
// its ends relative to the line's container as a line control's are.
class RuleControl final : public WidgetControl {
 public:
  RuleControl(LiveForm& form, QFrame& frame) : WidgetControl(form, frame, "Line", host::Kind::Line) {
    property("X1", [this](Args) { return Value(toTwips(ends().first.x())); }, [this](const Value& v, Args) { moveEnd(v, true, 0); });
    property("Y1", [this](Args) { return Value(toTwips(ends().first.y())); }, [this](const Value& v, Args) { moveEnd(v, true, 1); });
    property("X2", [this](Args) { return Value(toTwips(ends().second.x())); }, [this](const Value& v, Args) { moveEnd(v, false, 0); });
    property("Y2", [this](Args) { return Value(toTwips(ends().second.y())); }, [this](const Value& v, Args) { moveEnd(v, false, 1); });
    property("BorderColor", [this](Args) { return Value(hostColor(lineColor(as<QFrame>()))); });
    property("BorderStyle", [](Args) { return Value(std::int16_t{1}); });
    property("BorderWidth", [this](Args) { return Value(std::int16_t(std::max(1, as<QFrame>().lineWidth()))); });
    property("DrawMode", [](Args) { return Value(std::int16_t{13}); });
  }

 private:
  [[nodiscard]] bool horizontal() const { return as<QFrame>().frameShape() == QFrame::HLine; }

  // The two ends in pixels of the container.
  [[nodiscard]] std::pair<QPoint, QPoint> ends() const {
    const QPoint at = positionInContainer();
    const QSize size = geometryNow().size();
    if (horizontal()) {
      const int y = at.y() + size.height() / 2;
      return {QPoint(at.x(), y), QPoint(at.x() + size.width(), y)};
    }
    const int x = at.x() + size.width() / 2;
    return {QPoint(x, at.y()), QPoint(x, at.y() + size.height())};
  }

  // The resizer moves a line by its ends: the rule's widget is placed to span them.
  void moveEnd(const Value& value, bool first, int axis) {
    if (!placedByHand()) return;
    auto [one, two] = ends();
    QPoint& end = first ? one : two;
    (axis == 0 ? end.rx() : end.ry()) = toPixels(value.toDouble());
    const QSize size = geometryNow().size();
    const QRect span = QRect(one, two).normalized();
    if (horizontal()) {
      set("Left", Value(toTwips(span.left())));
      set("Top", Value(toTwips(span.top() - size.height() / 2)));
      set("Width", Value(toTwips(std::max(1, span.width()))));
    } else {
      set("Left", Value(toTwips(span.left() - size.width() / 2)));
      set("Top", Value(toTwips(span.top())));
      set("Height", Value(toTwips(std::max(1, span.height()))));
    }
  }
};

}  // namespace

Adapted adaptGraphicFamily(LiveForm& form, QWidget& widget) {
  if (auto* box = qobject_cast<QGroupBox*>(&widget)) return {std::make_shared<GroupBoxControl>(form, *box), Children::Adapted, {}};
  // Only frames of the plain QFrame class: labels, editors and views are
  // frames too, and so is a subclass that paints itself (Q_OBJECT or not).
  if (typeid(widget) != typeid(QFrame)) return {};
  auto& frame = static_cast<QFrame&>(widget);
  switch (frame.frameShape()) {
    case QFrame::HLine:
    case QFrame::VLine:
      return {std::make_shared<RuleControl>(form, frame), Children::Internal, {}};
    case QFrame::Box:
    case QFrame::Panel:
    case QFrame::StyledPanel:
    case QFrame::WinPanel:
      return {std::make_shared<BoxControl>(form, frame), Children::Adapted, {}};
    case QFrame::NoFrame:
      break;
  }
  return {};
}

}  // namespace qtforms
