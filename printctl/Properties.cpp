// The print control's properties: their Lets, their names for the host, and
// their persistence in the form's property bag.
#include <string_view>
#include <vector>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "printctl/Vellora.h"

using host::Value;

namespace {

constexpr const char* fromPageRefused = "FromPage must be smaller or equal to ToPage";
constexpr const char* toPageRefused = "ToPage must be bigger or equal to FromPage";

// The current printer's device name, or "" when there is no printer.
std::string currentPrinterName() {
  std::string name;
  host::resume([&] { name = host::printer().deviceName(); });
  return name;
}

// A font given by name: a font object, or a text naming the font's face.
host::Font fontFromValue(const Value& value, host::Font current) {
  if (value.isString()) {
    current.setName(value.toString());
    return current;
  }
  auto object = std::dynamic_pointer_cast<host::FontObject>(value.toObject());
  if (!object) host::raise(host::err::TypeMismatch);
  return object->font();
}

}  // namespace

// One property of the control: its name, its bag key (empty: not saved), its
// default as stored in the bag, how it reads, how its Let assigns it and how
// loading stores it without the Let's checks.
struct PropertyRow {
  std::string_view name;
  std::string_view key;
  Value (*defaultValue)();
  Value (*read)(const Vellora&);
  void (*let)(Vellora&, const Value&);
  void (*load)(Vellora&, const Value&);
};

struct VelloraPropertyTable {
  // The properties in the order in which the bag is read and written.
  static const std::vector<PropertyRow>& rows();
  static const PropertyRow* find(std::string_view name);
  static VelloraProperties& props(Vellora& control) { return control.props_; }
  static FaceButton& prevBtn(Vellora& control) { return control.prevBtn_; }
  static FaceButton& printBtn(Vellora& control) { return control.printBtn_; }
};

namespace {
using T = VelloraPropertyTable;

// A property whose Let only stores (and reports the change): reading, the Let
// and loading all address the same member.
#define VELLORA_PLAIN(NAME, MEMBER_TYPE, CONVERT, DEFAULT)                                          \
  PropertyRow {                                                                                   \
    #NAME, #NAME, [] { return Value(DEFAULT); },                                                  \
        [](const Vellora& c) { return Value(c.props().NAME); },                                   \
        [](Vellora& c, const Value& v) { c.set##NAME(static_cast<MEMBER_TYPE>(v.CONVERT())); },   \
        [](Vellora& c, const Value& v) { T::props(c).NAME = static_cast<MEMBER_TYPE>(v.CONVERT()); } \
  }

const VelloraProperties defaults{};

}  // namespace

const std::vector<PropertyRow>& VelloraPropertyTable::rows() {
  static const std::vector<PropertyRow> table{
      VELLORA_PLAIN(Color, std::int32_t, toLong, defaults.Color),
      VELLORA_PLAIN(Orientation, std::int16_t, toInteger, static_cast<std::int16_t>(defaults.Orientation)),
      VELLORA_PLAIN(RepeatHeader, bool, toBool, defaults.RepeatHeader),
      VELLORA_PLAIN(RowRepeatTitle, bool, toBool, defaults.RowRepeatTitle),
      VELLORA_PLAIN(LeftMargin, double, toDouble, defaults.LeftMargin),
      VELLORA_PLAIN(RightMargin, double, toDouble, defaults.RightMargin),
      VELLORA_PLAIN(TopMargin, double, toDouble, defaults.TopMargin),
      VELLORA_PLAIN(FootMargin, double, toDouble, defaults.FootMargin),
      VELLORA_PLAIN(Zoom, std::int16_t, toInteger, defaults.Zoom),
      VELLORA_PLAIN(ToolTipText, std::string, toString, defaults.ToolTipText),
      VELLORA_PLAIN(BtnsView_Captions, std::string, toString, defaults.BtnsView_Captions),
      VELLORA_PLAIN(BtnsView_ToolTipText, std::string, toString, defaults.BtnsView_ToolTipText),
      VELLORA_PLAIN(TopTitle, std::string, toString, defaults.TopTitle),
      PropertyRow{"PrintBtnEnabled", "PrintBtnEnabled", [] { return Value(true); },
                  [](const Vellora& c) { return Value(c.Printbt().Enabled); },
                  [](Vellora& c, const Value& v) { c.setPrintBtnEnabled(v.toBool()); },
                  [](Vellora& c, const Value& v) { T::printBtn(c).Enabled = v.toBool(); }},
      PropertyRow{"PreviewBtnEnabled", "PreviewBtnEnabled", [] { return Value(true); },
                  [](const Vellora& c) { return Value(c.PrevBtn().Enabled); },
                  [](Vellora& c, const Value& v) { c.setPreviewBtnEnabled(v.toBool()); },
                  [](Vellora& c, const Value& v) {
                    T::prevBtn(c).Enabled = v.toBool();
                    T::prevBtn(c).Visible = v.toBool();
                  }},
      // TitlesFont is saved as a font object; its default in the bag is the
      // face name "Arial", which a font object never equals, so it is always saved.
      PropertyRow{"TitlesFont", "TitlesFont", [] { return Value("Arial"); },
                  [](const Vellora& c) { return Value(host::ObjectRef(c.titlesFontObject())); },
                  [](Vellora& c, const Value& v) { c.setTitlesFont(fontFromValue(v, c.titlesFont())); },
                  [](Vellora& c, const Value& v) { c.titlesFontObject()->setFont(fontFromValue(v, c.titlesFont())); }},
      VELLORA_PLAIN(PagesNumbers, bool, toBool, defaults.PagesNumbers),
      VELLORA_PLAIN(TopFootAlignTxt, std::int32_t, toLong, defaults.TopFootAlignTxt),
      VELLORA_PLAIN(FootTitle, std::string, toString, defaults.FootTitle),
      VELLORA_PLAIN(BorderText, bool, toBool, defaults.BorderText),
      VELLORA_PLAIN(ShowPrinterAlways, bool, toBool, defaults.ShowPrinterAlways),
      VELLORA_PLAIN(Copies, float, toSingle, defaults.Copies),
      VELLORA_PLAIN(FromPage, std::int16_t, toInteger, defaults.FromPage),
      VELLORA_PLAIN(ToPage, std::int16_t, toInteger, defaults.ToPage),
      VELLORA_PLAIN(PrViewMonochrome, bool, toBool, defaults.PrViewMonochrome),
      VELLORA_PLAIN(PreviewAsPrinted, bool, toBool, defaults.PreviewAsPrinted),
      PropertyRow{"PrevBtnCloseTip", "", [] { return Value(std::string()); },
                  [](const Vellora& c) { return Value(c.props().PrevBtnCloseTip); },
                  [](Vellora& c, const Value& v) { c.setPrevBtnCloseTip(v.toString()); }, nullptr},
      PropertyRow{"PrevBkColor", "PrevBkColor", [] { return Value(defaults.PrevBkColor); },
                  [](const Vellora& c) { return Value(c.props().PrevBkColor); },
                  [](Vellora& c, const Value& v) { c.setPrevBkColor(v.toLong()); },
                  [](Vellora& c, const Value& v) {
                    T::props(c).PrevBkColor = v.toLong();
                    c.job().PrevBkColor = v.toLong();
                  }},
      PropertyRow{"PrevPrintVisible", "PrevPrintVisible", [] { return Value(true); },
                  [](const Vellora& c) { return Value(c.props().PrevPrintVisible); },
                  [](Vellora& c, const Value& v) { c.setPrevPrintVisible(v.toBool()); },
                  [](Vellora& c, const Value& v) {
                    T::props(c).PrevPrintVisible = v.toBool();
                    c.job().PrevPrintVisible = v.toBool();
                  }},
      PropertyRow{"PrevPrintTip", "", [] { return Value(); },
                  [](const Vellora& c) { return c.props().PrevPrintTip; },
                  [](Vellora& c, const Value& v) { c.setPrevPrintTip(v); }, nullptr},
      VELLORA_PLAIN(SideBySide, bool, toBool, defaults.SideBySide),
      VELLORA_PLAIN(PrinterMess, std::string, toString, defaults.PrinterMess),
      VELLORA_PLAIN(Err_Mess, std::string, toString, defaults.Err_Mess),
      VELLORA_PLAIN(GridLinesOK, bool, toBool, defaults.GridLinesOK),
      VELLORA_PLAIN(RightOffset, double, toDouble, defaults.RightOffset),
      VELLORA_PLAIN(GridToFit, std::int32_t, toLong, defaults.GridToFit),
      VELLORA_PLAIN(ScalePrnGrph, double, toDouble, defaults.ScalePrnGrph),
      VELLORA_PLAIN(ClickToStop, std::string, toString, defaults.ClickToStop),
      VELLORA_PLAIN(PagesDef, std::string, toString, defaults.PagesDef),
      VELLORA_PLAIN(EscStr, std::string, toString, defaults.EscStr),
      PropertyRow{"HideStopBtn", "HideStopBtn", [] { return Value(false); },
                  [](const Vellora& c) { return Value(c.props().HideStopBtn); },
                  [](Vellora& c, const Value& v) { c.setHideStopBtn(v.toBool()); },
                  [](Vellora& c, const Value& v) {
                    T::props(c).HideStopBtn = v.toBool();
                    c.job().HideStopBtn = v.toBool();
                  }},
      // Read under its key with the current printer's name as default; never written.
      PropertyRow{"PrinterName", "PrinterName", [] { return Value(currentPrinterName()); },
                  [](const Vellora& c) { return Value(c.props().PrinterName); },
                  [](Vellora& c, const Value& v) { c.setPrinterName(v.toString()); },
                  [](Vellora& c, const Value& v) { T::props(c).PrinterName = v.toString(); }},
  };
  return table;
}

#undef VELLORA_PLAIN

const PropertyRow* VelloraPropertyTable::find(std::string_view name) {
  for (const PropertyRow& row : rows()) {
    if (host::equalsNoCase(row.name, name)) return &row;
  }
  return nullptr;
}

bool Vellora::isOwnProperty(std::string_view name) { return VelloraPropertyTable::find(name) != nullptr; }

// --- by name ---------------------------------------------------------------

Value Vellora::get(std::string_view name, host::Args index) const {
  if (const PropertyRow* row = VelloraPropertyTable::find(name)) return row->read(*this);
  return host::UserControl::get(name, index);
}

void Vellora::set(std::string_view name, const Value& value, host::Args index) {
  if (const PropertyRow* row = VelloraPropertyTable::find(name)) {
    row->let(*this, value);
    return;
  }
  host::UserControl::set(name, value, index);
}

// --- persistence -----------------------------------------------------------

void Vellora::InitProperties() {
  props_ = VelloraProperties{};
  // A new control's title font is the container's font with face Arial, 9 points.
  host::Font titles{"Arial", 9};
  host::resume([&] {
    const host::ObjectRef owner = parentForm();
    if (!owner) return;
    auto ambient = std::dynamic_pointer_cast<host::FontObject>(owner->get("Font").toObject());
    if (ambient) titles = ambient->font();
  });
  titles.setName("Arial");
  titles.setSize(9);
  titlesFont_->setFont(titles);
  props_.PrinterName = currentPrinterName();
  prevBtn_.Enabled = prevBtn_.Visible = true;
  printBtn_.Enabled = printBtn_.Visible = true;
  job_.PrevBkColor = props_.PrevBkColor;
  job_.PrevPrintVisible = props_.PrevPrintVisible;
  job_.HideStopBtn = props_.HideStopBtn;
  job_.PrevBtnCloseTip = props_.PrevBtnCloseTip;
  job_.PrevPrintTip = props_.PrevPrintTip;
  Resize();
}

void Vellora::ReadProperties(host::PropertyBag& bag) {
  for (const PropertyRow& row : VelloraPropertyTable::rows()) {
    if (row.key.empty() || row.load == nullptr) continue;
    // A value that cannot be taken leaves the member as it stands.
    host::resume([&] {
      if (row.key == "TitlesFont") {
        // Read as a font object; without the key the new-control font stays.
        const Value current(host::ObjectRef(host::FontObject::create(titlesFont())));
        row.load(*this, bag.ReadProperty(row.key, current));
        return;
      }
      row.load(*this, bag.ReadProperty(row.key, row.defaultValue()));
    });
  }
  // The progress window's two texts are read once more, to the same effect.
  for (std::string_view name : {"ClickToStop", "PagesDef"}) {
    const PropertyRow* row = VelloraPropertyTable::find(name);
    host::resume([&] { row->load(*this, bag.ReadProperty(row->key, row->defaultValue())); });
  }
  // A stored orientation no printer takes would fail the first job, where
  // nothing names the key: it is refused here and portrait is used.
  if (props_.Orientation != vellora::Portrait && props_.Orientation != vellora::Landscape) {
    bag.noteProblem("Orientation: " + std::to_string(props_.Orientation) +
                    " is not 0 (portrait) or 1 (landscape); portrait is used");
    props_.Orientation = vellora::Portrait;
  }
  Resize();
}

void Vellora::WriteProperties(host::PropertyBag& bag) {
  for (const PropertyRow& row : VelloraPropertyTable::rows()) {
    if (row.key.empty() || row.key == "PrinterName") continue;
    // The bag keeps a copy of the title font: later changes to the live
    // object are not saved until the next write.
    const Value value = row.key == "TitlesFont" ? Value(host::ObjectRef(host::FontObject::create(titlesFont())))
                                                : row.read(*this);
    bag.WriteProperty(row.key, value, row.defaultValue());
  }
}

// --- the Lets --------------------------------------------------------------

void Vellora::setColor(std::int32_t value) {
  assignSetting(props_.Color, value, "Color");
  job_.SurfaceColorMode = host::CInt(2.0 - 2.0 * value);
}

void Vellora::setOrientation(std::int32_t value) {
  // Only portrait and landscape exist: another value would be stored and
  // fail only when a job gives it to the printer, far from where it was set.
  if (value != vellora::Portrait && value != vellora::Landscape)
    host::raise(host::err::InvalidPropertyValue, "Invalid property value: Orientation is 0 (portrait) or 1 (landscape)");
  props_.Orientation = host::CInt(value);
  host::resume([&] { host::printer().setOrientation(value + 1); });
  host::resume([&] { job_.PrinterOrientation = host::CInt(value + 1.0); });
  changed("Orientation");
}

void Vellora::setRepeatHeader(bool value) { assignSetting(props_.RepeatHeader, value, "RepeatHeader"); }
void Vellora::setRowRepeatTitle(bool value) { assignSetting(props_.RowRepeatTitle, value, "RowRepeatTitle"); }
void Vellora::setLeftMargin(double value) { assignSetting(props_.LeftMargin, value, "LeftMargin"); }
void Vellora::setRightMargin(double value) { assignSetting(props_.RightMargin, value, "RightMargin"); }
void Vellora::setTopMargin(double value) { assignSetting(props_.TopMargin, value, "TopMargin"); }
void Vellora::setFootMargin(double value) { assignSetting(props_.FootMargin, value, "FootMargin"); }

void Vellora::setZoom(std::int16_t value) {
  if (value < 26 || value > 249) return;
  assignSetting(props_.Zoom, value, "Zoom");
}

void Vellora::setToolTipText(const std::string& value) {
  assignSetting(props_.ToolTipText, value, "ToolTipText");
}

void Vellora::setBtnsView_Captions(const std::string& value) {
  assignSetting(props_.BtnsView_Captions, value, "BtnsView_Captions");
}

void Vellora::setBtnsView_ToolTipText(const std::string& value) {
  assignSetting(props_.BtnsView_ToolTipText, value, "BtnsView_ToolTipText");
}

void Vellora::setTopTitle(const std::string& value) { assignSetting(props_.TopTitle, value, "TopTitle"); }

void Vellora::setPrintBtnEnabled(bool value) {
  printBtn_.Enabled = value;
  changed("PrintBtnEnabled");
}

void Vellora::setPreviewBtnEnabled(bool value) {
  prevBtn_.Enabled = value;
  prevBtn_.Visible = value;
  changed("PreviewBtnEnabled");
  Resize();
}

void Vellora::setTitlesFont(const host::Font& value) {
  titlesFont_->setFont(value);
  changed("TitlesFont");
}

const host::Font& Vellora::titlesFont() const { return titlesFont_->font(); }

void Vellora::setPagesNumbers(bool value) { assignSetting(props_.PagesNumbers, value, "PagesNumbers"); }

void Vellora::setTopFootAlignTxt(std::int32_t value) {
  assignSetting(props_.TopFootAlignTxt, value, "TopFootAlignTxt");
}

void Vellora::setFootTitle(const std::string& value) { assignSetting(props_.FootTitle, value, "FootTitle"); }
void Vellora::setBorderText(bool value) { assignSetting(props_.BorderText, value, "BorderText"); }

void Vellora::setShowPrinterAlways(bool value) {
  assignSetting(props_.ShowPrinterAlways, value, "ShowPrinterAlways");
}

void Vellora::setCopies(float value) {
  if (value <= 0) return;
  assignSetting(props_.Copies, value, "Copies");
}

void Vellora::setFromPage(std::int16_t value) {
  if (value < 0 || (props_.ToPage != 0 && value > props_.ToPage)) {
    host::ui().msgBox(fromPageRefused, host::mb::Critical);
    return;
  }
  assignSetting(props_.FromPage, value, "FromPage");
}

void Vellora::setToPage(std::int16_t value) {
  if (value < 0 || (value != 0 && value < props_.FromPage)) {
    host::ui().msgBox(toPageRefused, host::mb::Critical);
    return;
  }
  assignSetting(props_.ToPage, value, "ToPage");
}

void Vellora::setPrViewMonochrome(bool value) {
  assignSetting(props_.PrViewMonochrome, value, "PrViewMonochrome");
}

void Vellora::setPreviewAsPrinted(bool value) {
  assignSetting(props_.PreviewAsPrinted, value, "PreviewAsPrinted");
}

void Vellora::setPrevBtnCloseTip(const std::string& value) {
  assignSetting(props_.PrevBtnCloseTip, value, "PrevBtnCloseTip");
  job_.PrevBtnCloseTip = value;
}

void Vellora::setPrevBkColor(std::int32_t value) {
  assignSetting(props_.PrevBkColor, value, "PrevBkColor");
  job_.PrevBkColor = value;
}

void Vellora::setPrevPrintVisible(bool value) {
  assignSetting(props_.PrevPrintVisible, value, "PrevPrintVisible");
  job_.PrevPrintVisible = value;
}

void Vellora::setPrevPrintTip(const host::Value& value) {
  assignSetting(props_.PrevPrintTip, value, "PrevPrintTip");
  job_.PrevPrintTip = value;
}

void Vellora::setSideBySide(bool value) { assignSetting(props_.SideBySide, value, "SideBySide"); }

void Vellora::setPrinterMess(const std::string& value) {
  assignSetting(props_.PrinterMess, value, "PrinterMess");
}

void Vellora::setErr_Mess(const std::string& value) { assignSetting(props_.Err_Mess, value, "Err_Mess"); }
void Vellora::setGridLinesOK(bool value) { assignSetting(props_.GridLinesOK, value, "GridLinesOK"); }
void Vellora::setRightOffset(double value) { assignSetting(props_.RightOffset, value, "RightOffset"); }
void Vellora::setGridToFit(std::int32_t value) { assignSetting(props_.GridToFit, value, "GridToFit"); }
void Vellora::setScalePrnGrph(double value) { assignSetting(props_.ScalePrnGrph, value, "ScalePrnGrph"); }

void Vellora::setClickToStop(const std::string& value) {
  assignSetting(props_.ClickToStop, value, "ClickToStop");
}

void Vellora::setPagesDef(const std::string& value) { assignSetting(props_.PagesDef, value, "PagesDef"); }
void Vellora::setEscStr(const std::string& value) { assignSetting(props_.EscStr, value, "EscStr"); }

void Vellora::setHideStopBtn(bool value) {
  assignSetting(props_.HideStopBtn, value, "HideStopBtn");
  job_.HideStopBtn = value;
}

void Vellora::setPrinterName(const std::string& NewPrinterName) {
  host::resume([&] {
    if (NewPrinterName.empty()) return;
    const std::string wanted = host::upperCase(NewPrinterName);
    for (const auto& device : host::runtime().printers()) {
      if (host::upperCase(device->deviceName()) != wanted) continue;
      host::printer().select(device);
      props_.PrinterName = device->deviceName();
      return;
    }
  });
  changed("PrinterName");
}
