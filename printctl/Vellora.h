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
#include <string>

#include "host/Font.h"
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
  host::Font TitlesFont{"Arial", 9};
  bool PagesNumbers = true;
  std::int32_t TopFootAlignTxt = vellora::LLeft;
  std::string FootTitle = "Page :";
  bool BorderText = false;
  bool ShowPrinterAlways = false;
  float Copies = 1;
  std::int16_t FromPage = 1;
  std::int16_t ToPage = 100;
  bool PrViewMonochrome = false;
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
