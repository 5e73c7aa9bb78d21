// The picture of a form's client area: its background and every visible
// control drawn simply (boxes, captions and texts, lines, shapes, pictures).
#include <algorithm>
#include <functional>
#include <limits>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/model/Families.h"
#include "host/model/ListViewControl.h"
#include "host/model/Pictures.h"
#include "host/model/UserControl.h"

namespace host {

namespace {

// Saturates at the ends of int: a place far off the form stays far off it.
int pixels(double twips) {
  const double whole = Int(twips / TwipsPerPixel);
  return static_cast<int>(std::clamp(whole, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

// The picture holds no more of the client area than the screen can show, so a
// form far larger than the screen costs a screenful, not its own size.
Size snapshotSize(double clientWidthTwips, double clientHeightTwips) {
  const Size screen = ui().screen().pixels;
  return {std::clamp(pixels(clientWidthTwips), 0, std::max(screen.width, 0)),
          std::clamp(pixels(clientHeightTwips), 0, std::max(screen.height, 0))};
}

Rgb colorOf(const Object& control, std::string_view property) { return colorFromHost(control.get(property).toLong()); }

bool has(const Object& control, std::string_view property) {
  auto* declared = dynamic_cast<const PropertyObject*>(&control);
  return declared != nullptr && declared->hasProperty(property);
}

// Adds up the offsets of a control's containers below the form, in twips;
// false when a container on the way is hidden.
bool containerOffset(const Control& control, double& left, double& top) {
  left = 0;
  top = 0;
  for (ObjectRef at = control.container(); at && at->kind() != Kind::Form;) {
    auto* holder = dynamic_cast<Control*>(at.get());
    if (holder == nullptr) break;
    if (!holder->get("Visible").toBool()) return false;
    left += holder->get("Left").toDouble();
    top += holder->get("Top").toDouble();
    at = holder->container();
  }
  return true;
}

void drawLine(Dc& dc, const Control& line, double left, double top) {
  int style = line.get("BorderStyle").toInteger();
  if (style == 0) return;
  dc.selectPen(Pen::fromStyleNumber(style - 1, line.get("BorderWidth").toInteger(), colorOf(line, "BorderColor")));
  dc.moveTo({pixels(left + line.get("X1").toDouble()), pixels(top + line.get("Y1").toDouble())});
  dc.lineTo({pixels(left + line.get("X2").toDouble()), pixels(top + line.get("Y2").toDouble())});
}

void drawShape(Dc& dc, const Control& shape, const Rect& box) {
  int style = shape.get("BorderStyle").toInteger();
  dc.selectPen(style == 0 ? Pen::null()
                          : Pen::fromStyleNumber(style - 1, shape.get("BorderWidth").toInteger(), colorOf(shape, "BorderColor")));
  dc.selectBrush(shape.get("BackStyle").toInteger() == 1 ? Brush::solid(colorOf(shape, "BackColor")) : Brush::hollow());
  switch (shape.get("Shape").toInteger()) {
    case 2:
    case 3: dc.ellipse(box); break;
    case 4:
    case 5: dc.roundRect(box, 8, 8); break;
    default: dc.rectangle(box); break;
  }
}

void drawPicture(Dc& dc, const Control& control, const Rect& box) {
  Picture picture = displayedImageOf(control);
  if (picture.isNull()) return;
  Rect whole = Rect::fromXywh(0, 0, picture.width(), picture.height());
  bool stretch = has(control, "Stretch") && control.get("Stretch").toBool();
  dc.stretchPicture(stretch ? box : whole.translated(box.left, box.top), picture, whole);
}

// Boxes with a caption or a text: labels, text boxes, buttons, frames, lists.
void drawBox(Dc& dc, const Control& control, const Rect& box) {
  bool transparent = has(control, "BackStyle") && control.get("BackStyle").toInteger() == 0;
  if (has(control, "BackColor") && !transparent) dc.fillRect(box, Brush::solid(colorOf(control, "BackColor")));
  bool bordered = !has(control, "BorderStyle") || control.get("BorderStyle").toInteger() != 0;
  if (bordered) dc.frameRect(box, Brush::solid(Rgb::fromRgb(128, 128, 128)));
  std::string text;
  if (has(control, "Caption")) {
    text = control.get("Caption").toString();
  } else if (has(control, "Text")) {
    text = control.get("Text").toString();
  }
  if (text.empty() || !control.fontObject()) return;
  dc.setFont(control.fontObject()->font());
  dc.setTextColor(has(control, "ForeColor") ? colorOf(control, "ForeColor") : Rgb::black);
  dc.setBkMode(BkMode::Transparent);
  unsigned format = dt::WordBreak | dt::NoPrefix;
  if (has(control, "Alignment") && control.kind() != Kind::CheckBox && control.kind() != Kind::OptionButton) {
    int alignment = control.get("Alignment").toInteger();
    format |= alignment == 1 ? dt::Right : alignment == 2 ? dt::Center : dt::Left;
  }
  Rect inside = box.inflated(bordered ? -2 : 0);
  dc.drawText(text, inside, format);
}

// The state mark of a check box or an option button, the size the host's own
// controls show it: a ticked box (grey when the check box is greyed) or a ring
// with its dot.
constexpr int ChoiceMarkSize = 13;

void drawCheckMark(Dc& dc, const Rect& mark, int value) {
  dc.fillRect(mark, Brush::solid(Rgb::white));
  dc.frameRect(mark, Brush::solid(Rgb::fromRgb(64, 64, 64)));
  if (value == 0) return;
  dc.selectPen(Pen::solid(value == 2 ? Rgb::fromRgb(128, 128, 128) : Rgb::black, 1));
  for (int thickness = 0; thickness < 2; ++thickness) {
    dc.moveTo({mark.left + 3, mark.top + 6 + thickness});
    dc.lineTo({mark.left + 5, mark.top + 8 + thickness});
    dc.lineTo({mark.left + 11, mark.top + 2 + thickness});
  }
}

void drawOptionMark(Dc& dc, const Rect& mark, bool selected) {
  dc.selectPen(Pen::solid(Rgb::fromRgb(64, 64, 64), 1));
  dc.selectBrush(Brush::solid(Rgb::white));
  dc.ellipse(mark);
  if (!selected) return;
  dc.selectPen(Pen::solid(Rgb::black, 1));
  dc.selectBrush(Brush::solid(Rgb::black));
  dc.ellipse(mark.inflated(-4));
}

// A check box or an option button: its mark on the left (on the right with
// Alignment 1), vertically centred, and its caption beside it.
void drawChoice(Dc& dc, const Control& control, const Rect& box) {
  if (has(control, "BackColor")) dc.fillRect(box, Brush::solid(colorOf(control, "BackColor")));
  const bool markOnRight = has(control, "Alignment") && control.get("Alignment").toInteger() == 1;
  const int markTop = box.top + (box.height() - ChoiceMarkSize) / 2;
  const int markLeft = markOnRight ? box.right - ChoiceMarkSize - 1 : box.left + 1;
  const Rect mark = Rect::fromXywh(markLeft, markTop, ChoiceMarkSize, ChoiceMarkSize);
  if (control.kind() == Kind::CheckBox) {
    drawCheckMark(dc, mark, control.get("Value").toInteger());
  } else {
    drawOptionMark(dc, mark, control.get("Value").toBool());
  }
  const std::string caption = control.get("Caption").toString();
  if (caption.empty() || !control.fontObject()) return;
  dc.setFont(control.fontObject()->font());
  dc.setTextColor(has(control, "ForeColor") ? colorOf(control, "ForeColor") : Rgb::black);
  dc.setBkMode(BkMode::Transparent);
  const int gap = ChoiceMarkSize + 5;
  const int lineHeight = dc.textExtent(caption).height;
  Rect text = Rect::fromLtrb(markOnRight ? box.left + 1 : box.left + gap, box.top + (box.height() - lineHeight) / 2,
                             markOnRight ? box.right - gap : box.right - 1, box.bottom);
  dc.drawText(caption, text, dt::NoPrefix);
}

// A tabbed container: its box, and a strip of TabHeight holding one tab per
// page with its caption, the current page's tab lifted and joined to the page.
void drawTabs(Dc& dc, const Control& control, const Rect& box) {
  drawBox(dc, control, box);
  const int tabs = control.get("Tabs").toInteger();
  const int stripHeight = std::min(pixels(control.get("TabHeight").toDouble()), box.height());
  if (tabs <= 0 || stripHeight <= 0) return;
  const int current = control.get("Tab").toInteger();
  const Brush edge = Brush::solid(Rgb::fromRgb(128, 128, 128));
  if (control.fontObject()) dc.setFont(control.fontObject()->font());
  dc.setTextColor(has(control, "ForeColor") ? colorOf(control, "ForeColor") : Rgb::black);
  dc.setBkMode(BkMode::Transparent);
  for (int i = 0; i < tabs; ++i) {
    const int left = box.left + box.width() * i / tabs;
    const int right = box.left + box.width() * (i + 1) / tabs;
    const int lift = i == current ? 0 : 2;
    const Rect tab = Rect::fromLtrb(left, box.top + lift, right, box.top + stripHeight);
    dc.fillRect(tab, Brush::solid(i == current ? Rgb::white : Rgb::fromRgb(224, 224, 224)));
    dc.frameRect(tab, edge);
    const std::string caption = control.get("TabCaption", {Value(static_cast<std::int16_t>(i))}).toString();
    const int lineHeight = dc.textExtent(caption).height;
    Rect text = Rect::fromLtrb(tab.left + 2, tab.top + std::max((tab.height() - lineHeight) / 2, 0), tab.right - 2,
                               tab.bottom);
    dc.drawText(caption, text, dt::Center | dt::NoPrefix);
  }
}

// A list view: its box, and in report view the header row over the items'
// rows, each text cut at its column; in the other views one item a line.
void drawListView(Dc& dc, const ListView& list, const Rect& box) {
  dc.fillRect(box, Brush::solid(colorOf(list, "BackColor")));
  if (list.get("BorderStyle").toInteger() != 0) dc.frameRect(box, Brush::solid(Rgb::fromRgb(128, 128, 128)));
  if (!list.fontObject()) return;
  dc.setFont(list.fontObject()->font());
  dc.setTextColor(colorOf(list, "ForeColor"));
  dc.setBkMode(BkMode::Transparent);
  const Rect inside = box.inflated(-2);
  const int line = dc.textExtent("A").height + 2;
  const bool report = list.get("View").toInteger() == ListView::ReportView;
  const auto& headers = list.columnHeaders().members();
  int y = inside.top;
  auto writeRow = [&](const std::function<std::string(std::size_t)>& textOf) {
    int x = inside.left;
    const std::size_t columns = report ? headers.size() : 1;
    for (std::size_t j = 0; j < columns && x < inside.right; ++j) {
      const int width = report ? pixels(headers[j]->width()) : inside.width();
      Rect cell = Rect::fromLtrb(x + 2, y + 1, std::min(x + width, inside.right) - 2, std::min(y + line, inside.bottom));
      const int alignment = report ? headers[j]->alignment() : 0;
      const unsigned across = alignment == 1 ? dt::Right : alignment == 2 ? dt::Center : dt::Left;
      if (!cell.isEmpty()) dc.drawText(textOf(j), cell, dt::NoPrefix | across);
      x += width;
    }
    y += line;
  };
  if (report && !list.get("HideColumnHeaders").toBool() && !headers.empty()) {
    dc.fillRect(Rect::fromLtrb(inside.left, y, inside.right, std::min(y + line, inside.bottom)),
                Brush::solid(colorFromHost(ButtonFace)));
    writeRow([&](std::size_t j) { return headers[j]->text(); });
  }
  for (const auto& item : list.listItems().members()) {
    if (y >= inside.bottom) break;
    writeRow([&](std::size_t j) { return j == 0 ? item->text() : item->subItem(static_cast<std::int32_t>(j)); });
  }
}

// A component control draws its own face; one without a face is a plain box.
void drawComponent(Dc& dc, const Control& control, const Rect& box) {
  const auto* component = dynamic_cast<const UserControl*>(&control);
  if (component == nullptr || !component->drawFace(dc, box)) drawBox(dc, control, box);
}

void drawControl(Dc& dc, const Control& control) {
  double left = 0;
  double top = 0;
  if (!control.get("Visible").toBool() || !containerOffset(control, left, top)) return;
  if (control.kind() == Kind::Line) {
    drawLine(dc, control, left, top);
    return;
  }
  if (control.typeName() == "CommonDialog" || control.typeName() == "ImageList") return;  // invisible at run time
  left += control.get("Left").toDouble();
  top += control.get("Top").toDouble();
  Rect box = Rect::fromXywh(pixels(left), pixels(top), pixels(control.get("Width").toDouble()),
                            pixels(control.get("Height").toDouble()));
  DcStateSaver saved(dc);
  switch (control.kind()) {
    case Kind::Shape: drawShape(dc, control, box); break;
    case Kind::Image: drawPicture(dc, control, box); break;
    case Kind::PictureBox:
      drawBox(dc, control, box);
      drawPicture(dc, control, box.inflated(-2));
      break;
    case Kind::CheckBox:
    case Kind::OptionButton: drawChoice(dc, control, box); break;
    case Kind::UserControl: drawComponent(dc, control, box); break;
    default:
      if (control.typeName() == "SSTab") {
        drawTabs(dc, control, box);
      } else if (const auto* list = dynamic_cast<const ListView*>(&control)) {
        drawListView(dc, *list, box);
      } else {
        drawBox(dc, control, box);
      }
      break;
  }
}

}  // namespace

Picture Form::snapshot() const {
  const Size client = snapshotSize(clientWidthTwips(), clientHeightTwips());
  if (client.isEmpty()) return Picture();
  auto surface = RasterDc::create(client, RasterFormat::Color);
  surface->fillRect(Rect::fromXywh(0, 0, client.width, client.height),
                    Brush::solid(colorFromHost(PropertyObject::get("BackColor").toLong())));
  std::vector<const Control*> order;
  for (const ObjectRef& member : controls_) order.push_back(static_cast<const Control*>(member.get()));
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) { return a->zOrder() < b->zOrder(); });
  for (const Control* control : order) {
    // A control whose drawing needs a property it lacks is left out of the picture.
    resume([&] { drawControl(*surface, *control); });
  }
  return surface->picture();
}

}  // namespace host
