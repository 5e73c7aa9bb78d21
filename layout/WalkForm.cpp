// The form walker: prepares the page geometry, sets a resizer on the form back
// to its design scale, collects the printable controls top to bottom, works
// out how far each lies below its predecessor, and hands each to the renderer
// of its family. Whatever it changed on the host form is put back at its end,
// stopped or not.
#include "layout/WalkForm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/FormView.h"
#include "layout/Pagination.h"
#include "layout/WalkRules.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

using host::Kind;
using host::Object;
using host::ObjectRef;
using host::Value;

namespace {

// The preview's page unit: a virtual pixel of 15 twips; its device twips per pixel.
constexpr double previewTwipsPerUnit = 15;
constexpr double previewDeviceTwips = 14.7;
// The printable page is the sheet's size divided by this.
constexpr double pageShrink = 1.064;
// An A4 sheet is 11908 twips wide.
constexpr double a4WidthTwips = 11908;
constexpr std::int16_t scaleModeUser = 0;
constexpr std::int16_t scaleModeTwips = 1;
constexpr host::Rgb greyBackground = host::Rgb::fromRgb(0x80, 0x80, 0x80);

bool typeIs(const Object& ctl, std::string_view name) { return ctl.typeName() == name; }

// --- the renderer table -------------------------------------------------------

using Renderer = void (*)(PrintJob&);

struct RendererRow {
  bool (*matches)(const Object&);
  Renderer preview;  // null: the family has no renderer yet; its controls draw nothing
  Renderer print;
  bool translatesSystemBackColor = false;
};

bool isTextFamily(const Object& c) {
  return c.kind() == Kind::Label || c.kind() == Kind::TextBox || typeIs(c, "MaskEdBox") || typeIs(c, "ComboBox");
}
bool isFileListBox(const Object& c) { return c.kind() == Kind::FileListBox; }
bool isLine(const Object& c) { return c.kind() == Kind::Line; }
bool isCheckOrOption(const Object& c) { return c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton; }
bool isListView(const Object& c) { return typeIs(c, "ListView"); }
bool isPictureFamily(const Object& c) {
  return c.kind() == Kind::Image || c.kind() == Kind::PictureBox || typeIs(c, "MSChart");
}
bool isShape(const Object& c) { return c.kind() == Kind::Shape; }
bool isFrame(const Object& c) { return c.kind() == Kind::Frame; }
bool isListBox(const Object& c) { return c.kind() == Kind::ListBox; }
bool isFlexGridFamily(const Object& c) {
  return typeIs(c, "MSFlexGrid") || typeIs(c, "MSHFlexGrid") || typeIs(c, "vsFlexGrid") || typeIs(c, "VSFlexGrid");
}
bool isDataGridFamily(const Object& c) { return typeIs(c, "DBGrid") || typeIs(c, "DataGrid") || typeIs(c, "TDBGrid"); }
bool isRichText(const Object& c) { return typeIs(c, "RichTextBox"); }

// The families in the order they are tested; a control matches at most one.
// The stop request is tested after the first row.
const RendererRow rendererTable[] = {
    {isTextFamily, PrevTextBox, PrnTextBox},
    {isFileListBox, PrevListFull, PrnListFull},
    {isLine, PrintLine, PrintLine},
    {isCheckOrOption, PrintCheckOption, PrintCheckOption},
    {isListView, PrevListView, PrnListView},
    {isPictureFamily, PrevPicture, PrnPictureBox},
    {isShape, PrintShape, PrintShape},
    {isFrame, PrintFrame, PrintFrame},
    {isListBox, PrintListBox, PrintListBox},
    {isFlexGridFamily, PrevFlexGrid, PrnFlexGrid},
    {isDataGridFamily, PrevDataGrid, PrnDataGrid},
    {isRichText, PrevRichText, PrnRichText, true},
};
constexpr std::size_t stopTestBeforeRow = 1;

// A rich-text box is drawn with its system back colour as the RGB it shows;
// the colour it had is written back afterwards, however the renderer returns.
class SystemBackColorSwap {
 public:
  explicit SystemBackColorSwap(Object& ctl) : ctl_(ctl) {
    original_ = ctl_.get("BackColor");
    if (original_.toLong() < 0) {
      ctl_.set("BackColor", Value(TranslateColor(original_.toLong())));
      swapped_ = true;
    }
  }
  SystemBackColorSwap(const SystemBackColorSwap&) = delete;
  SystemBackColorSwap& operator=(const SystemBackColorSwap&) = delete;
  ~SystemBackColorSwap() {
    if (swapped_) host::resume([&] { ctl_.set("BackColor", original_); });
  }

 private:
  Object& ctl_;
  Value original_;
  bool swapped_ = false;
};

void runRenderer(PrintJob& job, const RendererRow& row) {
  Renderer renderer = job.Printing == 1 ? row.print : row.preview;
  if (row.translatesSystemBackColor) {
    SystemBackColorSwap swap(*job.CurCtl);
    if (renderer) renderer(job);
    return;
  }
  if (renderer) renderer(job);
}

// --- preparation ----------------------------------------------------------------

void CheckMdiParent(PrintJob& job, Object& parent) {
  job.ParentIsMdi = host::resume([&] { (void)parent.get("AutoShowChildren"); });
}

ObjectRef parentForm(const Vellora& control) {
  ObjectRef form = control.parentForm();
  if (!form) host::raise(host::err::ObjectRequired, "The control is not on a form");
  return form;
}

void setStopButton(PrintJob& job, host::Rgb color, const std::string& caption) {
  if (job.HideStopBtn || !job.progress) return;
  job.progress->setStopForeColor(color);
  job.progress->setStopCaption(caption);
}

void preparePageStore(PrintJob& job) {
  job.PageStore.clear();
  if (job.Printing == 1) return;
  host::RasterDc* reference = nullptr;
  int boxWidth = job.PageWidth;
  int boxHeight = job.PageHeight;
  if (job.preview) {
    job.preview->setPageBoxSize(host::CLng(host::printer().width() / job.DevTwipsY), job.PageHeight);
    boxWidth = job.preview->pageBoxWidth();
    boxHeight = job.preview->pageBoxHeight();
    reference = job.preview->pageBoxDc();
  }
  job.PageWidth = boxWidth;
  auto surface = std::make_unique<OffScreenDC>(job.drawing, &job);
  surface->Initialize(reference, boxWidth, boxHeight, job.SurfaceColorMode);
  job.PageStore.push_back(std::move(surface));
}

std::optional<PrintJob::UserScale> userScaleOf(const Object& form, std::int16_t scaleMode) {
  if (scaleMode != scaleModeUser) return std::nullopt;
  PrintJob::UserScale scale;
  host::resume([&] { scale.left = form.get("ScaleLeft").toDouble(); });
  host::resume([&] { scale.top = form.get("ScaleTop").toDouble(); });
  host::resume([&] { scale.width = form.get("ScaleWidth").toDouble(); });
  host::resume([&] { scale.height = form.get("ScaleHeight").toDouble(); });
  return scale;
}

// The form's scale as the walk found it. A form that cannot take an extent
// back (one whose scale it does not keep) keeps the rest.
void restoreFormScale(PrintJob& job) {
  job.HostForm->set("ScaleMode", Value(job.SavedScaleMode));
  if (!job.SavedUserScale) return;
  const PrintJob::UserScale& scale = *job.SavedUserScale;
  host::resume([&] { job.HostForm->set("ScaleWidth", Value(scale.width)); });
  host::resume([&] { job.HostForm->set("ScaleHeight", Value(scale.height)); });
  host::resume([&] { job.HostForm->set("ScaleLeft", Value(scale.left)); });
  host::resume([&] { job.HostForm->set("ScaleTop", Value(scale.top)); });
}

void prepare(PrintJob& job) {
  job.HostForm.reset();
  job.CtlList.clear();
  Vellora& control = job.control;
  const VelloraProperties& properties = control.props();
  host::Printer& printer = host::printer();
  const bool printing = job.Printing == 1;

  job.WasVisible = true;
  host::resume([&] { job.WasVisible = control.get("Visible").toBool(); });
  job.FirstPageNo = FirstPageNumber(properties.FromPage);
  job.DevTwipsX = printing ? printer.twipsPerPixelX() : previewDeviceTwips;
  job.DevTwipsY = printing ? printer.twipsPerPixelY() : previewDeviceTwips;
  job.SurfaceColorMode = host::CInt(2.0 - 2.0 * properties.Color);
  if (properties.PrViewMonochrome) job.SurfaceColorMode = 0;
  job.PrnUnit = 7.4 / printer.twipsPerPixelX();
  job.PaperWidthRatio = static_cast<double>(printer.width()) / a4WidthTwips;
  job.CurrentPage = 0;
  job.PageCounter = 0;

  ObjectRef parent = parentForm(control);
  CheckMdiParent(job, *parent);
  ObjectRef hostForm = job.ParentIsMdi ? parent->get("ActiveForm").toObject() : parent;

  // The form's own scale mode is kept once, before the walk changes it, so
  // that it can be given back; the form is put back only once it is known.
  job.SavedScaleMode = hostForm->get("ScaleMode").toInteger();
  job.SavedUserScale = userScaleOf(*hostForm, job.SavedScaleMode);
  job.HostForm = hostForm;
  job.HostForm->set("ScaleMode", Value(scaleModeTwips));
  host::resume([&] {
    if (job.progress) job.progress->CoverFormWithProgress();
  });
  job.CurY = job.BodyTop;
  job.HostForm->set("ScaleMode", Value(scaleModeTwips));

  job.TwipsPerUnit = printing ? printer.twipsPerPixelX() : previewTwipsPerUnit;
  job.PageWidth = host::CLng(static_cast<double>(printer.width()) / job.TwipsPerUnit / pageShrink);
  const double deviceTwipsY = printing ? printer.twipsPerPixelY() : previewTwipsPerUnit;
  job.PageHeight = host::CLng(static_cast<double>(printer.height()) / deviceTwipsY / pageShrink);

  // The title drop and foot lift by the job's own kind.
  const bool landscape = properties.Orientation == vellora::Landscape;
  if (landscape) {
    job.TitleDrop = 0;
    job.FootLift = printing ? host::CLng(job.PageHeight / (job.PrnGapUnit * 64)) : host::CLng(job.PageHeight / 64.0);
  } else {
    job.TitleDrop = host::CLng(job.PageHeight / 63.0);
    job.FootLift = 0;
  }
  job.RightShift = host::CLng(job.RightShift * job.TwipsPerUnit);

  const host::Rgb stopColor = job.FirstPageNo > 2 ? host::Rgb::white : host::Rgb::black;
  setStopButton(job, stopColor, StopCaption(properties, "1"));
  host::ui().doEvents();

  preparePageStore(job);
}

// --- the resizer ----------------------------------------------------------------

// The Zoom that puts a resizer's controls back at their design scale. The
// resizer says so itself (its layout may stand at another Factor than the
// one in force, as after adapting the form to another screen); one that
// cannot is taken to stand at its Factor.
double resizerDesignZoom(const Object& resizer) {
  try {
    return resizer.get("DesignZoom").toDouble();
  } catch (const host::HostError& error) {
    if (error.number() != host::err::MemberNotFound) throw;
  }
  return ResizerDesignZoom(resizer.get("factor").toDouble());
}

// Sets a resizer ("Gauxel") on the form back to its design scale; the first
// one found is the one put back at the end of the walk.
void neutraliseResizer(PrintJob& job, const std::vector<ObjectRef>& controls) {
  for (const ObjectRef& ctl : controls) {
    if (!typeIs(*ctl, "Gauxel")) continue;
    job.Resizer = ctl;
    job.ResizerWasResizing = ctl->get("Resize").toBool();
    ctl->set("Resize", Value(false));
    const double zoom = resizerDesignZoom(*ctl);
    job.ResizerZoom = ctl->get("Zoom").toInteger();
    ctl->set("Zoom", Value(zoom));
    return;
  }
}

// --- collection -------------------------------------------------------------------

bool IsControlVisible(const Object& ctl) {
  bool visible = false;
  host::resume([&] { visible = ctl.get("Visible").toBool(); });
  return visible;
}

bool isPrintableFamily(const Object& c) {
  static constexpr std::string_view printableTypes[] = {"RichTextBox", "MSChart", "MaskEdBox", "DataGrid", "TDBGrid",
                                                         "DBGrid",      "ListView", "ComboBox"};
  for (std::string_view type : printableTypes) {
    if (typeIs(c, type)) return true;
  }
  if (host::Like(c.typeName(), "*FlexGrid")) return true;
  switch (c.kind()) {
    case Kind::Frame:
    case Kind::Line:
    case Kind::Shape:
    case Kind::ComboBox:
    case Kind::ListBox:
    case Kind::OptionButton:
    case Kind::FileListBox:
    case Kind::Label:
    case Kind::TextBox:
    case Kind::Image:
    case Kind::PictureBox:
    case Kind::CheckBox:
      return true;
    default:
      return false;
  }
}

// Controls parked beyond this left edge (in twips) are not printed.
constexpr std::int32_t parkedLeft = -555;

bool isForm(const ObjectRef& container) { return !container || container->kind() == Kind::Form; }

bool skipped(const Object& ctl) {
  if (ctl.get("Tag").toString() == "noprint") return true;
  if (!IsControlVisible(ctl)) return true;
  if ((ctl.kind() == Kind::Image || ctl.kind() == Kind::PictureBox) && ctl.get("Picture") == Value(std::int32_t{0})) {
    return true;
  }
  if (typeIs(ctl, "CommonDialog") || typeIs(ctl, "ImageList")) return true;
  if (!isPrintableFamily(ctl)) return true;
  if (ctl.kind() != Kind::Line && ctl.get("Left").toLong() < parkedLeft) return true;

  ObjectRef container = ctl.get("Container").toObject();
  if (!isForm(container) && !container->get("Visible").toBool()) return true;
  for (int depth = 0; !isForm(container) && depth < maxContainerDepth; ++depth) {
    if (container->get("Tag").toString() == "noprint") return true;
    container = container->get("Container").toObject();
  }
  return false;
}

CtlRecord makeRecord(const PrintJob& job, const ObjectRef& ctl) {
  const Object& c = *ctl;
  const std::string formName = job.HostForm->get("Name").toString();
  std::int32_t offsetX = 0;
  std::int32_t offsetY = 0;
  ObjectRef container = c.get("Container").toObject();
  for (int depth = 0; !isForm(container) && depth < maxContainerDepth; ++depth) {
    if (container->get("Name").toString() == formName) break;
    offsetX += container->get("Left").toLong();
    offsetY += container->get("Top").toLong();
    container = container->get("Container").toObject();
  }

  CtlRecord record;
  if (c.kind() == Kind::Line) {
    const std::int32_t x1 = c.get("X1").toLong();
    const std::int32_t x2 = c.get("X2").toLong();
    const std::int32_t y1 = c.get("Y1").toLong();
    const std::int32_t y2 = c.get("Y2").toLong();
    record.Top = std::min(y1, y2) + offsetY;
    record.Extent = -(std::max(y1, y2) + offsetY);
    record.Width = std::max(x1, x2) + offsetX;
    record.Left = offsetX + job.RightShift;
  } else {
    record.Top = c.get("Top").toLong() + offsetY;
    record.Left = c.get("Left").toLong() + offsetX + job.RightShift;
    record.Width = c.get("Width").toLong();
    record.Extent = RecordExtent(c, job.control.props().SideBySide);
  }
  record.Name = c.get("Name").toString();
  record.Ctl = ctl;
  record.Mark = "True";
  host::resume([&] { record.Mark = c.get("Container").toObject()->get("Visible").toString(); });
  return record;
}

void collect(PrintJob& job, const std::vector<ObjectRef>& controls) {
  job.CtlList.reserve(controls.size());
  try {
    for (const ObjectRef& ctl : controls) {
      if (skipped(*ctl)) continue;
      InsertByTop(job.CtlList, makeRecord(job, ctl));
    }
  } catch (const host::HostError&) {
    // The collection ends here; the controls collected so far are printed.
  }
}

// --- advance pass -------------------------------------------------------------------

void advance(PrintJob& job) {
  try {
    ComputeAdvances(job.CtlList, job.control.props().SideBySide);
  } catch (const host::HostError&) {
    // The remaining records keep no advance.
  }
}

// --- dispatch -------------------------------------------------------------------------

// Returns false when the walk was stopped (AbortWalk has run).
bool dispatch(PrintJob& job) {
  try {
    for (std::size_t index = 0; index < job.CtlList.size(); ++index) {
      job.CtlIndex = host::CInt(static_cast<double>(index));
      job.CurCtl = job.CtlList[index].Ctl;
      bool matched = false;
      for (std::size_t row = 0; row < std::size(rendererTable); ++row) {
        if (row == stopTestBeforeRow && job.StopRequested) {
          AbortWalk(job);
          return false;
        }
        if (matched || !rendererTable[row].matches(*job.CurCtl)) continue;
        matched = true;
        runRenderer(job, rendererTable[row]);
      }
      restoreFormScale(job);
      // The range has ended the job: whatever follows belongs to a page that
      // is not printed, and drawing it would land on the last page kept.
      if (job.JobEnded) break;
    }
  } catch (const host::HostError&) {
    // The dispatch ends at a failure outside the renderers' own handling.
  }
  return true;
}

// --- restoration -------------------------------------------------------------------------

void RestoreHostForm(PrintJob& job) {
  if (job.Resizer) {
    ObjectRef resizer = std::move(job.Resizer);
    job.Resizer.reset();
    if (job.ResizerZoom > 0) host::resume([&] { resizer->set("Zoom", Value(job.ResizerZoom)); });
    if (job.ResizerWasResizing) host::resume([&] { resizer->set("Resize", Value(true)); });
  }
  host::resume([&] { job.control.set("Visible", Value(job.WasVisible)); });
  host::resume([&] {
    if (job.preview) job.preview->setBackColor(greyBackground);
  });
  host::resume([&] {
    if (job.HostForm) restoreFormScale(job);
  });
  host::resume([&] {
    if (job.progress) job.progress->Finito();
  });
}

const std::vector<ObjectRef>& formControls(const PrintJob& job) {
  const Object* form = job.HostForm.get();
  if (form == nullptr) host::raise(host::err::ObjectRequired);
  return host::formViewOf(*form).controls();
}

}  // namespace

// --- rules shared with the tests ---------------------------------------------------------

std::int32_t FirstPageNumber(std::int16_t FromPage) {
  // FromPage 0 and 1 both mean the first page.
  return std::max<std::int32_t>(FromPage, 1) + 1;
}

std::string StopCaption(const VelloraProperties& properties, const std::string& pageNumber) {
  return properties.ClickToStop + "\n\n" + properties.PagesDef + " .... " + pageNumber + "\n";
}

double ResizerDesignZoom(double factor) {
  if (factor == 1) return 100;
  if (factor == 0) host::raise(host::err::DivisionByZero, "Division by zero");
  return ((100 - factor * 100) / (factor * 100)) * 100 + 100;
}

bool IsTable(const Object& ctl) {
  return typeIs(ctl, "DataGrid") || typeIs(ctl, "TDBGrid") || typeIs(ctl, "DBGrid") || typeIs(ctl, "ListView") ||
         host::Like(ctl.typeName(), "*FlexGrid");
}

std::int32_t RecordExtent(const Object& ctl, bool SideBySide) {
  const bool grid = typeIs(ctl, "TDBGrid") || typeIs(ctl, "DataGrid") || typeIs(ctl, "DBGrid") ||
                    host::Like(ctl.typeName(), "*FlexGrid");
  if (grid || (typeIs(ctl, "ListView") && !SideBySide)) return ctl.get("Height").toLong();
  if (ctl.kind() == Kind::Shape) return -ctl.get("Height").toLong();
  if (ctl.kind() == Kind::TextBox && ctl.get("MultiLine").toBool()) return ctl.get("Height").toLong();
  return 0;
}

void InsertByTop(std::vector<CtlRecord>& list, CtlRecord record) {
  // After every record whose top is not below the new one: equal tops keep
  // the order in which they were collected.
  auto place = std::upper_bound(list.begin(), list.end(), record.Top,
                                [](std::int32_t top, const CtlRecord& other) { return top < other.Top; });
  list.insert(place, std::move(record));
}

void ComputeAdvances(std::vector<CtlRecord>& list, bool SideBySide) {
  if (list.empty()) return;
  list.front().Advance = list.front().Top;
  for (std::size_t index = 1; index < list.size(); ++index) {
    CtlRecord& record = list[index];
    const CtlRecord& previous = list[index - 1];
    if (!IsTable(*previous.Ctl) || SideBySide) {
      record.Advance = record.Top - previous.Top;
      continue;
    }
    const std::int32_t tableHeight = previous.Ctl->get("Height").toLong();
    if (record.Top >= previous.Top + tableHeight) {
      record.Mark = "Down";  // below the table on the form
      continue;
    }
    if (record.Ctl->kind() == Kind::Line) continue;
    // Beside the table: the distance from the table's bottom edge up to the control.
    record.Advance = record.Ctl->get("Top").toLong() -
                     (previous.Ctl->get("Top").toLong() + std::abs(previous.Ctl->get("Height").toLong()));
  }
}

// --- the walk ------------------------------------------------------------------------------

void WalkForm(PrintJob& job) {
  try {
    prepare(job);
    const std::vector<ObjectRef>& controls = formControls(job);
    neutraliseResizer(job, controls);
    collect(job, controls);
    advance(job);
    if (!dispatch(job)) return;  // stopped: AbortWalk has put the form back
  } catch (const host::HostError&) {
    // The walk ends; the form is put back below.
  }
  RestoreHostForm(job);
}

void AbortWalk(PrintJob& job) {
  host::resume([&] {
    if (job.progress) job.progress->Finito();
  });
  if (job.Printing == 1) job.PageCounter = 0;
  // The form is put back first: AfterPrint's handler finds it as the user
  // left it (its scale, the resizer's zoom and poll), as after a whole job.
  RestoreHostForm(job);
  job.control.raiseAfterPrint();
}
