#pragma once
// Vellora: the print control. It prints the visible contents of its host form
// (or of the active child of a multiple-document parent) on the printer, or
// renders them into preview pages shown in the preview window.
//
// Properties are reached by name (host::Object) as the host does, and through
// the typed accessors below. Lets carry the checks and side effects of the
// property; loading from the property bag does not.
//
// Re-entrancy: a job (LVPrint or Preview) started while another job of the
// same control is running (JobRunning() is true, e.g. from a BeforePrint,
// Page or AfterPrint handler or during a yield) is refused: the call returns
// False at once and changes nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "host/Font.h"
#include "host/PrintDialog.h"
#include "host/model/UserControl.h"
#include "layout/PrintJob.h"

namespace vellora {
// Enumerations published with the control.
enum Chromos : std::int32_t { v_Color = 0, v_Monochrome = 1 };
enum ToFit : std::int32_t { None = 0, Split = 1, Shrink = 2, SplitNewPage = 3 };
enum AlignTxt : std::int32_t { LLeft = 0, RRight = 1, CCenter = 2 };
enum Orenti : std::int32_t { Portrait = 0, Landscape = 1 };
}  // namespace vellora

// The control's settings with their defaults for a newly placed control.
struct VelloraProperties {
  std::int32_t Color = vellora::v_Color;
  std::int32_t Orientation = vellora::Portrait;
  bool RepeatHeader = true;
  bool RowRepeatTitle = true;
  double LeftMargin = 0.5, RightMargin = 0.5, TopMargin = 1.5, FootMargin = 1.5;
  std::int16_t Zoom = 100;
  std::string ToolTipText = "Vellora";
  std::string BtnsView_Captions = "Print/Prev Page/Next Page/Zoom In/Zoom Out/Close";
  std::string BtnsView_ToolTipText = "Print/Prev Page/Next Page/Zoom In/Zoom Out/Close";
  std::string TopTitle = " ";
  bool PagesNumbers = true;
  std::int32_t TopFootAlignTxt = vellora::LLeft;
  std::string FootTitle = "Page :";
  bool BorderText = false;
  bool ShowPrinterAlways = false;
  float Copies = 1;
  std::int16_t FromPage = 1;
  std::int16_t ToPage = 100;
  bool PrViewMonochrome = false;
  // Preview shows the pages the print job lays out for the current printer
  // instead of the preview's own layout for the screen.
  bool PreviewAsPrinted = false;
  std::string PrevBtnCloseTip;
  std::int32_t PrevBkColor = 0xC0C0C0;
  bool PrevPrintVisible = true;
  host::Value PrevPrintTip;
  bool SideBySide = false;
  std::string PrinterMess = "Printer Not Ready";
  std::string Err_Mess = "Printer Operation #";
  bool GridLinesOK = true;
  double RightOffset = 0;
  std::int32_t GridToFit = vellora::Split;
  double ScalePrnGrph = 1;
  std::string ClickToStop = "Click to Stop";
  std::string PagesDef = "Page";
  std::string EscStr = " ";
  bool HideStopBtn = false;
  std::string PrinterName;
};

// The events the container receives. Handlers are optional.
struct VelloraEvents {
  // Before a job starts; Mode is 1 for a print, 0 for a preview; setting
  // Cancel stops the job.
  std::function<void(bool& Cancel, std::int16_t& Mode)> BeforePrint;
  // When a job that got past BeforePrint has ended.
  std::function<void()> AfterPrint;
  // Each time a page is opened, with its number.
  std::function<void(std::int32_t& PageNumber)> Page;
};

// One picture button of the control's face: the state the window kit shows.
// Geometry in twips, relative to the control.
struct FaceButton {
  bool Enabled = true;
  bool Visible = true;
  std::int32_t Left = 1;
  std::int32_t Top = 15;
  std::int32_t Width = 345;
  std::int32_t Height = 345;
};

// How the control makes the windows of its jobs (the progress window over the
// host form and the preview window). Unset members give the real windows,
// made with the current interface's window kit (makeSilentProgressWindow and
// makeSilentPreviewWindow give windows that keep their state only).
struct JobWindowFactory {
  std::function<std::unique_ptr<ProgressWindow>(PrintJob&)> progress;
  std::function<std::unique_ptr<PreviewWindow>(PrintJob&)> preview;
};

class Vellora : public host::UserControl {
 public:
  Vellora();  // UserControl_Initialize
  ~Vellora() override;
  Vellora(const Vellora&) = delete;
  Vellora& operator=(const Vellora&) = delete;

  [[nodiscard]] std::string typeName() const override { return "Vellora"; }
  // Properties and methods by name, as the host reaches them. Assignments go
  // through the property's Let; names without regard to case.
  [[nodiscard]] host::Value get(std::string_view name, host::Args index = {}) const override;
  void set(std::string_view name, const host::Value& value, host::Args index = {}) override;
  host::Value call(std::string_view name, host::Args args = {}) override;
  using host::Object::call;
  using host::Object::get;
  using host::Object::set;
  // True when `name` is one of the control's own properties (not the extender's).
  [[nodiscard]] static bool isOwnProperty(std::string_view name);

  // Life cycle.
  void InitProperties() override;
  void ReadProperties(host::PropertyBag& bag) override;
  void WriteProperties(host::PropertyBag& bag) override;
  void Paint() override;      // UserControl_Paint
  void Resize() override;     // UserControl_Resize
  void Terminate() override;  // UserControl_Terminate

  // Public methods.
  bool LVPrint();
  bool Preview();
  void StopPrint();
  void PrinterEin();
  bool ShowPrinter();
  void ShowAboutBox();
  void About() { ShowAboutBox(); }
  // A job (LVPrint or Preview) of this control is running.
  [[nodiscard]] bool JobRunning() const { return jobRunning_; }
  // What the last print job returned (also one the preview window's Print
  // button started); nothing before the first.
  [[nodiscard]] std::optional<bool> LastPrintResult() const { return lastPrintResult_; }

  // The buttons' handlers.
  void PrevBtn_Click() { Preview(); }
  void Printbt_Click() { LVPrint(); }
  // The face as the form shows it: each visible button raised, with its
  // picture (grey when the button is disabled), in the control's box.
  [[nodiscard]] bool drawFace(host::Dc& dc, const host::Rect& box) const override;
  // A click on a visible button runs its handler unless the button is disabled.
  void click(host::Point where) override;

  // Settings (read). Assign through the Lets below or by name.
  [[nodiscard]] const VelloraProperties& props() const { return props_; }
  // Lets with their checks and side effects.
  void setColor(std::int32_t value);
  void setOrientation(std::int32_t value);
  void setRepeatHeader(bool value);
  void setRowRepeatTitle(bool value);
  void setLeftMargin(double value);
  void setRightMargin(double value);
  void setTopMargin(double value);
  void setFootMargin(double value);
  void setZoom(std::int16_t value);
  void setToolTipText(const std::string& value);
  void setBtnsView_Captions(const std::string& value);
  void setBtnsView_ToolTipText(const std::string& value);
  void setTopTitle(const std::string& value);
  void setPrintBtnEnabled(bool value);
  void setPreviewBtnEnabled(bool value);
  // The title font is an object of its own, as a control's Font is: the one
  // object the host reads (Vellora1.TitlesFont.Bold = True changes it); the
  // Set copies the given font into it.
  void setTitlesFont(const host::Font& value);
  [[nodiscard]] const host::Font& titlesFont() const;
  [[nodiscard]] const std::shared_ptr<host::FontObject>& titlesFontObject() const { return titlesFont_; }
  void setPagesNumbers(bool value);
  void setTopFootAlignTxt(std::int32_t value);
  void setFootTitle(const std::string& value);
  void setBorderText(bool value);
  void setShowPrinterAlways(bool value);
  void setCopies(float value);
  void setFromPage(std::int16_t value);
  void setToPage(std::int16_t value);
  void setPrViewMonochrome(bool value);
  void setPreviewAsPrinted(bool value);
  void setPrevBtnCloseTip(const std::string& value);
  void setPrevBkColor(std::int32_t value);
  void setPrevPrintVisible(bool value);
  void setPrevPrintTip(const host::Value& value);
  void setSideBySide(bool value);
  void setPrinterMess(const std::string& value);
  void setErr_Mess(const std::string& value);
  void setGridLinesOK(bool value);
  void setRightOffset(double value);
  void setGridToFit(std::int32_t value);
  void setScalePrnGrph(double value);
  void setClickToStop(const std::string& value);
  void setPagesDef(const std::string& value);
  void setEscStr(const std::string& value);
  void setHideStopBtn(bool value);
  void setPrinterName(const std::string& NewPrinterName);

  // The control's own font (ambient font unless set) and text measured in it,
  // in pixels of a 96-dpi screen.
  [[nodiscard]] const host::Font& font() const;
  void setFont(const host::Font& font);
  [[nodiscard]] double TextHeight(std::string_view text) const;
  [[nodiscard]] double TextWidth(std::string_view text) const;
  // The fixed font the printer gets at the start of every print job.
  [[nodiscard]] const host::Font& stockPrinterFont() const { return stockPrinterFont_; }

  // The face: the two picture buttons, and the hidden picture holders and
  // option glyphs the renderers use (host controls the control owns; they are
  // not on the form's Controls list).
  [[nodiscard]] const FaceButton& PrevBtn() const { return prevBtn_; }
  [[nodiscard]] const FaceButton& Printbt() const { return printBtn_; }
  [[nodiscard]] const host::ObjectRef& baki() const { return baki_; }
  [[nodiscard]] const host::ObjectRef& Baka() const { return baka_; }
  [[nodiscard]] const host::ObjectRef& Optik() const { return optik_; }
  [[nodiscard]] const host::ObjectRef& Optinon() const { return optinon_; }
  // 12000 divided by the screen width in twips, taken at creation.
  [[nodiscard]] double ScreenFactor() const { return screenFactor_; }
  [[nodiscard]] bool RunMode() const { return runMode_; }

  // The job context of this control.
  [[nodiscard]] PrintJob& job() { return job_; }
  [[nodiscard]] const PrintJob& job() const { return job_; }

  // Events: the container's handlers, and raising them (used by the job).
  [[nodiscard]] VelloraEvents& events() { return events_; }
  void raiseBeforePrint(bool& Cancel, std::int16_t& Mode);
  void raiseAfterPrint();
  void raisePage(std::int32_t PageNumber);
  // LVPrint through the built-in PDF printer into `file`; the current
  // printer is the current one again afterwards.
  bool printToPdfFile(const std::filesystem::path& file);

  // The windows the jobs make (progress and preview); see JobWindowFactory.
  void setWindowFactory(JobWindowFactory factory);
  // Makes the job's windows if they do not exist yet.
  void ensureJobWindows();

  // The print dialog's values (DlgFromPage, DlgToPage, DlgCopies).
  struct DialogValues {
    std::int16_t DlgFromPage = 1;
    std::int16_t DlgToPage = 100;
    std::int16_t DlgCopies = 1;
    std::int16_t DlgColorMode = 2;  // the colour mode chosen: 1 monochrome, 2 colour
  };
  [[nodiscard]] const DialogValues& dialogValues() const { return dialog_; }

 private:
  friend struct VelloraPropertyTable;
  class JobGuard;
  void changed(std::string_view name) { PropertyChanged(name); }
  // The common end of a Let: the setting takes the value and the change is reported.
  template <class Setting>
  void assignSetting(Setting& setting, const std::type_identity_t<Setting>& value, std::string_view name) {
    setting = value;
    changed(name);
  }
  void ShowPrintDialog();
  void selectChosenPrinter(const std::string& deviceName);
  void applyChosenSettings(const host::PrintDialogChoice& choice);
  void makeFace();

  VelloraProperties props_;
  PrintJob job_;
  VelloraEvents events_;
  JobWindowFactory windowFactory_;
  DialogValues dialog_;
  std::shared_ptr<host::FontObject> titlesFont_ = host::FontObject::create(host::Font{"Arial", 9});
  FaceButton prevBtn_;
  FaceButton printBtn_;
  host::ObjectRef baki_, baka_, optik_, optinon_;
  host::Font stockPrinterFont_{"Courier New", 10};
  double screenFactor_ = 1;
  bool runMode_ = true;
  bool jobRunning_ = false;
  std::optional<bool> lastPrintResult_;
};
