// The resizer's working core: the layout records taken once from the form,
// the scaling pass that sets every control from its record times the ratios in
// force, and the adaptation of the form to a screen of another size.
//
// Every pass starts from the records, never from the controls' current
// values, so passes do not accumulate rounding and a pass at ratio 1 gives the
// recorded layout back exactly. Every statement that reads or writes a host
// control is passed over when it fails: a control that lacks a property is
// scaled in the properties it has.
#include <cmath>
#include <cstdint>
#include <string>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/FormView.h"
#include "resizer/Gauxel.h"
#include "resizer/Quotient.h"

using host::ObjectRef;
using host::Value;

namespace {

// The largest record count the resizer's Integer counter can hold.
constexpr std::size_t MaximumRecords = INT16_MAX;

bool isLine(const host::Object& ctl) { return ctl.typeName() == "Line"; }
bool isShape(const host::Object& ctl) { return ctl.typeName() == "Shape"; }
bool isTabbed(const host::Object& ctl) { return ctl.typeName() == "SSTab"; }
bool isDataGrid(const host::Object& ctl) {
  return ctl.typeName() == "DataGrid" || host::Like(ctl.typeName(), "*DBGrid");
}
bool isFlexGrid(const host::Object& ctl) { return host::Like(ctl.typeName(), "*FlexGrid"); }
bool isListView(const host::Object& ctl) { return host::Like(ctl.typeName(), "*ListView"); }

bool keepsItsSize(const host::Object& ctl) {
  bool keep = false;
  host::resume([&] { keep = ctl.get("Tag").toString() == "nosize"; });
  return keep;
}

double fontSize(const host::Object& ctl) { return host::getObject(ctl, "Font")->get("Size").toDouble(); }
void setFontSize(host::Object& ctl, std::string_view font, double size) {
  host::resume([&] { host::getObject(ctl, font)->set("Size", Value(size)); });
}

void assign(host::Object& ctl, std::string_view property, double value) {
  host::resume([&] { ctl.set(property, Value(value)); });
}

// A data grid's Columns(c), counted from 0; a list view's ColumnHeaders(c),
// counted from 1, as those collections count their members.
struct ColumnCollection {
  std::string_view name;
  int first;
};
constexpr ColumnCollection DataGridColumns{"Columns", 0};
constexpr ColumnCollection ListViewColumns{"ColumnHeaders", 1};

int memberCount(const host::Object& ctl, const ColumnCollection& columns) {
  int count = 0;
  host::resume([&] { count = host::getObject(ctl, columns.name)->get("Count").toLong(); });
  return count;
}

ObjectRef columnOf(const host::Object& ctl, const ColumnCollection& columns, int c) {
  return host::getObject(ctl, columns.name)->get("Item", {Value(c + columns.first)}).toObject();
}

}  // namespace

// --- capture -----------------------------------------------------------------------

void Gauxel::CaptureLayout() {
  if (!records_.empty()) return;  // the records are taken once
  const ObjectRef parent = parentForm();
  if (parent == nullptr) return;
  host::resume([&] { formTop_ = parent->get("Top").toDouble(); });
  host::resume([&] { formLeft_ = parent->get("Left").toDouble(); });
  for (const ObjectRef& control : host::formViewOf(*parent).controls()) {
    if (records_.size() >= MaximumRecords) break;
    captureControl(control);
  }
}

void Gauxel::captureControl(const ObjectRef& control) {
  LayoutRecord& record = records_.emplace_back();
  record.Ctl = control;
  host::Object& ctl = *control;
  auto read = [&](std::int32_t& field, std::string_view property) {
    host::resume([&] { field = ctl.get(property).toLong(); });
  };
  if (isLine(ctl)) {
    read(record.H, "Y1");
    read(record.W, "X1");
    read(record.L, "X2");
    if (record.W < ParkedAtCapture) {
      record.W += TabHiddenOffset;
      record.L += TabHiddenOffset;
    }
    read(record.T, "Y2");
    host::resume([&] { record.Extra = ctl.get("BorderWidth").toDouble(); });
    return;
  }
  if (isShape(ctl)) host::resume([&] { record.Extra = ctl.get("BorderWidth").toDouble(); });
  if (isTabbed(ctl)) host::resume([&] { record.Extra = ctl.get("TabHeight").toDouble(); });
  host::resume([&] { record.FontSize = fontSize(ctl); });
  read(record.H, "Height");
  read(record.W, "Width");
  read(record.L, "Left");
  if (record.L < ParkedAtCapture) record.L += TabHiddenOffset;
  read(record.T, "Top");

  auto saveWidths = [&](int count, const std::function<double(int)>& width) {
    record.GridIndex = static_cast<std::int32_t>(columnWidths_.size());
    std::vector<std::int16_t>& widths = columnWidths_.emplace_back(static_cast<std::size_t>(std::max(count, 0)), 0);
    for (int c = 0; c < count; ++c) host::resume([&] { widths[static_cast<std::size_t>(c)] = host::CInt(width(c)); });
  };
  if (isDataGrid(ctl)) {
    saveWidths(memberCount(ctl, DataGridColumns),
               [&](int c) { return columnOf(ctl, DataGridColumns, c)->get("Width").toDouble(); });
    host::resume([&] { record.Extra = host::getObject(ctl, "HeadFont")->get("Size").toDouble(); });
  } else if (isFlexGrid(ctl)) {
    int cols = 0;
    host::resume([&] { cols = ctl.get("Cols").toLong(); });
    saveWidths(cols, [&](int c) { return ctl.get("ColWidth", {Value(c)}).toDouble(); });
    host::resume([&] { record.Extra = ctl.get("RowHeight", {Value(0)}).toDouble(); });
  } else if (isListView(ctl)) {
    saveWidths(memberCount(ctl, ListViewColumns),
               [&](int c) { return columnOf(ctl, ListViewColumns, c)->get("Width").toDouble(); });
  }
}

// --- the pass ------------------------------------------------------------------------

void Gauxel::ScalePass() {
  if (records_.empty()) CaptureLayout();
  if (const ObjectRef parent = parentForm()) host::resume([&] { (void)parent->get("Height"); });
  faceEnabled_ = false;
  returning_ = !busy_ && returnsToPollLayout();
  if (!busy_) {
    ratios_.PrevRatio = ratios_.RatioW != 0 ? ratios_.RatioW : 1;
    if (returning_) {
      ratios_.RatioW = pollLayout_->ratios.RatioW;
      ratios_.RatioH = pollLayout_->ratios.RatioH;
      ratios_.MinRatio = pollLayout_->ratios.MinRatio;
    } else {
      ratios_.RatioW = ratios_.RatioH = stored("Zoom").toInteger() / 100.0;
    }
  }
  for (LayoutRecord& record : records_) {
    const ObjectRef control = record.Ctl.lock();
    if (!control || keepsItsSize(*control)) continue;  // a control gone from the form keeps nothing
    if (isLine(*control)) {
      scaleLine(record, *control);
    } else {
      scaleControl(record, *control);
    }
  }
  returning_ = false;
  host::resume([&] { set("Visible", Value(false)); });
  raiseEvent(events_.Zoom);
}

bool Gauxel::returnsToPollLayout() const {
  return pollLayout_ && stored("Zoom").toInteger() == pollLayout_->zoom;
}

void Gauxel::scaleLine(const LayoutRecord& record, host::Object& line) const {
  const double rw = ratios_.RatioW;
  const double rh = ratios_.RatioH;
  assign(line, "Y1", record.H * rh);
  assign(line, "Y2", record.T * rh);
  bool parked = false;
  host::resume([&] { parked = line.get("X1").toDouble() < ParkedAtCapture; });
  if (parked) {
    assign(line, "X1", record.W * rw - TabHiddenOffset);
    assign(line, "X2", record.L * rw - TabHiddenOffset);
  } else {
    assign(line, "X2", record.L * rw);
    assign(line, "X1", record.W * rw);
  }
  assign(line, "BorderWidth", record.Extra * rh);
}

void Gauxel::scaleControl(LayoutRecord& record, host::Object& ctl) {
  const double rw = ratios_.RatioW;
  const double rh = ratios_.RatioH;
  setFontSize(ctl, "Font", record.FontSize * (fontsAtSmallerRatio() ? ratios_.MinRatio : rh));
  assign(ctl, "Top", record.T * rh);
  assign(ctl, "Width", record.W * rw);
  bool parked = false;
  host::resume([&] { parked = ctl.get("Left").toDouble() < ParkedInPass; });
  assign(ctl, "Left", record.L * rw - (parked ? TabHiddenOffset : 0));
  assign(ctl, "Height", record.H * rh);
  if (isShape(ctl)) assign(ctl, "BorderWidth", record.Extra * rw);
  if (isTabbed(ctl)) assign(ctl, "TabHeight", record.Extra * rh);
  if (record.GridIndex < 0 || record.GridIndex >= static_cast<std::int32_t>(columnWidths_.size())) return;
  std::vector<std::int16_t>& widths = columnWidths_[static_cast<std::size_t>(record.GridIndex)];

  // The columns of the pass: those the control has now that a base was saved for.
  auto scaleColumns = [&](int count, const std::function<double(int)>& current,
                          const std::function<void(int, double)>& width) {
    for (int c = 0; c < count && c < static_cast<int>(widths.size()); ++c) {
      scaleColumn(widths[static_cast<std::size_t>(c)], [&] { return current(c); },
                  [&](double value) { width(c, value); });
    }
  };
  if (isDataGrid(ctl)) {
    scaleColumns(memberCount(ctl, DataGridColumns),
                 [&](int c) { return columnOf(ctl, DataGridColumns, c)->get("Width").toDouble(); },
                 [&](int c, double value) { columnOf(ctl, DataGridColumns, c)->set("Width", Value(value)); });
    setFontSize(ctl, "Font", record.FontSize * rh);
    setFontSize(ctl, "HeadFont", record.Extra * rh);
  } else if (isFlexGrid(ctl)) {
    host::resume([&] { ctl.set("Redraw", Value(false)); });
    int cols = 0;
    host::resume([&] { cols = ctl.get("Cols").toLong(); });
    scaleColumns(cols, [&](int c) { return ctl.get("ColWidth", {Value(c)}).toDouble(); },
                 [&](int c, double value) { ctl.set("ColWidth", Value(value), {Value(c)}); });
    host::resume([&] { ctl.set("Redraw", Value(true)); });
  } else if (isListView(ctl)) {
    scaleColumns(memberCount(ctl, ListViewColumns),
                 [&](int c) { return columnOf(ctl, ListViewColumns, c)->get("Width").toDouble(); },
                 [&](int c, double value) { columnOf(ctl, ListViewColumns, c)->set("Width", Value(value)); });
    setFontSize(ctl, "Font", record.FontSize * rh);
  }
}

// A column changed by hand since the last pass is re-based on the user's
// width, taken back to the design scale; then it takes its base times RatioW.
void Gauxel::scaleColumn(std::int16_t& saved, const std::function<double()>& current,
                         const std::function<void(double)>& assignWidth) const {
  double width = 0;
  const bool read = host::resume([&] { width = current(); });
  const double factor = read ? ColumnFactor(saved, width) : 0;
  if (factor != 0) host::resume([&] { saved = host::CInt(factor * width); });
  host::resume([&] { assignWidth(saved * ratios_.RatioW); });
}

double Gauxel::ColumnFactor(double saved, double current) const {
  if (current < 10 || current == saved) return 0;
  const double previous = ratios_.PrevRatio;
  // 1 / PrevRatio, in the form the control has always computed it.
  const double factor = ((100 - 100 * previous) / (100 * previous) * 100 + 100) / 100;
  return std::abs(current * factor - saved) > 15 ? factor : 0;
}

// --- a screen of another size ----------------------------------------------------------

void Gauxel::AdaptToScreen() {
  const ObjectRef parent = parentForm();
  if (parent == nullptr) return;
  host::resume([&] { (void)parent->get("Width"); });
  host::resume([&] { (void)parent->get("Height"); });
  std::int16_t windowState = 0;
  host::resume([&] { windowState = parent->get("WindowState").toInteger(); });
  if (windowState == 0) {
    const double rw = ratios_.RatioW;
    const double rh = ratios_.RatioH;
    assign(*parent, "Top", design_.TopForm);
    assign(*parent, "Left", design_.LeftForm);
    assign(*parent, "Width", design_.WidthForm);
    assign(*parent, "Height", design_.HeightForm);
    assign(*parent, "Width", design_.WidthForm * rw);
    assign(*parent, "Height", design_.HeightForm * rh);
    if (rh != 1) {  // a taller or shorter screen moves the form as well
      assign(*parent, "Top", design_.TopForm * rh);
      assign(*parent, "Left", design_.LeftForm * rw);
    }
  }
  host::resume([&] { ratios_.RatioW = gauxel::quotient(parent->get("ScaleWidth").toDouble(), design_.ScaleW); });
  host::resume([&] { ratios_.RatioH = gauxel::quotient(parent->get("ScaleHeight").toDouble(), design_.ScaleH); });
  CaptureLayout();
  store("FactorH", Value(ratios_.RatioH));
  store("Factor", Value(ratios_.RatioW));
  const GauxelRatios screen = ratios_;
  host::resume([&] { setZoom(Value(host::CInt(ratios_.RatioW * 100))); });
  host::resume([&] { setZoom(Value(std::int16_t{100})); });
  // The form now has the screen's size: its controls take the layout a poll
  // gives this client size, so that the size shows one layout however it is
  // reached (opened here, or dragged away and back), and a print job's return
  // from the design scale brings this layout back.
  if (screen.RatioW == 1 && screen.RatioH == 1) return;
  passAtRatios(screen.RatioW, screen.RatioH);
}
