#include "vellora/PrintControl.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <utility>

#include "host/HostError.h"
#include "host/PictureImpl.h"
#include "host/QtColor.h"
#include "host/QtFont.h"
#include "host/RasterDc.h"
#include "host/model/Control.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"

namespace vellora {

namespace {

using host::TwipsPerPixel;

std::string utf8(const QString& text) { return text.toStdString(); }
QString qtext(const std::string& text) { return QString::fromStdString(text); }

QColor qcolor(std::int32_t color) { return host::toQColor(host::Rgb::fromHost(color)); }
std::int32_t hostColor(const QColor& color) { return host::fromQColor(color).toHost(); }

}  // namespace

// The engine's print control behind the widget, and the job over the form
// the widget sits on.
class PrintControl::Private {
 public:
  explicit Private(PrintControl& owner) : owner_(owner) {
    qtforms::ensureRuntime();
    engine_ = std::make_shared<Vellora>();
    host::resume([&] { engine_->set("Name", host::Value("Vellora1")); });
    engine_->InitProperties();
    engine_->Resize();
    VelloraEvents& events = engine_->events();
    events.BeforePrint = [this](bool& Cancel, std::int16_t& Mode) {
      bool cancel = Cancel;
      emit owner_.beforePrint(&cancel, Mode);
      Cancel = cancel;
    };
    events.Page = [this](std::int32_t& PageNumber) { emit owner_.page(PageNumber); };
    events.AfterPrint = [this] { emit owner_.afterPrint(); };
    // The form lists the engine's control where the widget is: a print job
    // skips it as it skips a print control, and nothing prints the widget.
    qtforms::registerEngineControl(owner_, engine_);
    previewWatch_.setInterval(100);
    QObject::connect(&previewWatch_, &QTimer::timeout, &owner_, [this] { printWhenPreviewAsked(); });
  }

  ~Private() { host::resume([&] { engine_->Terminate(); }); }

  Vellora& engine() { return *engine_; }
  [[nodiscard]] const Vellora& engine() const { return *engine_; }

  [[nodiscard]] host::Value value(std::string_view name) const { return engine_->get(name); }
  // A setting goes through the control's own Let, checks and messages and
  // all; a value the property cannot hold keeps the one it had.
  void assign(std::string_view name, const host::Value& value) {
    host::resume([&] { engine_->set(name, value); });
    engine_->Resize();
    owner_.updateGeometry();
    owner_.resize(owner_.sizeHint());
    owner_.update();
  }

  // The job over the top-level widget the control sits on now.
  qtforms::LivePrint& job() {
    QWidget* form = owner_.window();
    if (!job_ || job_->form() != form) job_ = std::make_unique<qtforms::LivePrint>(*form, engine_);
    return *job_;
  }

  bool preview() {
    const bool shown = job().preview();
    if (shown) previewWatch_.start();
    return shown;
  }

  [[nodiscard]] QSize faceSize() const {
    const double width = engine_->host::UserControl::get("Width").toDouble();
    const double height = engine_->host::UserControl::get("Height").toDouble();
    return {static_cast<int>(width / TwipsPerPixel + 0.5), static_cast<int>(height / TwipsPerPixel + 0.5)};
  }

 private:
  // The preview window's Print button closes the window and asks for a
  // print; the print runs once the window has gone, as the control's next
  // repaint would run it.
  void printWhenPreviewAsked() {
    PrintJob& running = engine_->job();
    if (running.preview && running.preview->isOpen()) return;
    previewWatch_.stop();
    if (!running.PrintRequested) return;
    running.PrintRequested = false;
    // Save as PDF asked for the print into a file of the user's choice.
    if (const auto file = std::exchange(running.PrintToPdfFile, std::nullopt)) {
      job().printToPdf(*file);
      return;
    }
    job().print();
  }

  PrintControl& owner_;
  std::shared_ptr<Vellora> engine_;
  std::unique_ptr<qtforms::LivePrint> job_;
  QTimer previewWatch_;
};

PrintControl::PrintControl(QWidget* parent) : QWidget(parent), d_(std::make_unique<Private>(*this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(sizeHint());
  setToolTip(toolTipText());
}

PrintControl::~PrintControl() = default;

bool PrintControl::print() { return d_->job().print(); }
bool PrintControl::preview() { return d_->preview(); }
bool PrintControl::printToPdf(const QString& path) { return d_->job().printToPdf(utf8(path)); }
void PrintControl::stopPrint() { d_->engine().StopPrint(); }
bool PrintControl::isPrinting() const { return d_->engine().JobRunning(); }

QSize PrintControl::sizeHint() const { return d_->faceSize(); }
QSize PrintControl::minimumSizeHint() const { return d_->faceSize(); }

void PrintControl::paintEvent(QPaintEvent*) {
  const QSize size = this->size();
  if (size.isEmpty()) return;
  auto face = host::RasterDc::create({size.width(), size.height()}, host::RasterFormat::Color);
  (void)d_->engine().drawFace(*face, host::Rect::fromXywh(0, 0, size.width(), size.height()));
  QPainter painter(this);
  painter.drawImage(0, 0, host::imageOf(face->picture()));
}

void PrintControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const host::Point where{static_cast<int>(at.x() * TwipsPerPixel), static_cast<int>(at.y() * TwipsPerPixel)};
  auto hits = [&](const FaceButton& button) {
    return button.Visible && button.Enabled && where.x >= button.Left && where.x < button.Left + button.Width &&
           where.y >= button.Top && where.y < button.Top + button.Height;
  };
  // Each button runs the job through this widget, over the form as it is now.
  if (hits(d_->engine().PrevBtn())) {
    preview();
  } else if (hits(d_->engine().Printbt())) {
    print();
  }
}

// --- settings -------------------------------------------------------------------

int PrintControl::color() const { return d_->value("Color").toLong(); }
void PrintControl::setColor(int value) { d_->assign("Color", host::Value(value)); }
int PrintControl::orientation() const { return d_->value("Orientation").toLong(); }
void PrintControl::setOrientation(int value) { d_->assign("Orientation", host::Value(value)); }
int PrintControl::zoom() const { return d_->value("Zoom").toLong(); }
void PrintControl::setZoom(int value) { d_->assign("Zoom", host::Value(value)); }
double PrintControl::copies() const { return d_->value("Copies").toDouble(); }
void PrintControl::setCopies(double value) { d_->assign("Copies", host::Value(value)); }
int PrintControl::fromPage() const { return d_->value("FromPage").toLong(); }
void PrintControl::setFromPage(int value) { d_->assign("FromPage", host::Value(value)); }
int PrintControl::toPage() const { return d_->value("ToPage").toLong(); }
void PrintControl::setToPage(int value) { d_->assign("ToPage", host::Value(value)); }
QString PrintControl::printerName() const { return qtext(d_->value("PrinterName").toString()); }
void PrintControl::setPrinterName(const QString& value) { d_->assign("PrinterName", host::Value(utf8(value))); }
bool PrintControl::showPrinterAlways() const { return d_->value("ShowPrinterAlways").toBool(); }
void PrintControl::setShowPrinterAlways(bool value) { d_->assign("ShowPrinterAlways", host::Value(value)); }
bool PrintControl::prViewMonochrome() const { return d_->value("PrViewMonochrome").toBool(); }
void PrintControl::setPrViewMonochrome(bool value) { d_->assign("PrViewMonochrome", host::Value(value)); }
bool PrintControl::previewAsPrinted() const { return d_->value("PreviewAsPrinted").toBool(); }
void PrintControl::setPreviewAsPrinted(bool value) { d_->assign("PreviewAsPrinted", host::Value(value)); }
double PrintControl::leftMargin() const { return d_->value("LeftMargin").toDouble(); }
void PrintControl::setLeftMargin(double value) { d_->assign("LeftMargin", host::Value(value)); }
double PrintControl::rightMargin() const { return d_->value("RightMargin").toDouble(); }
void PrintControl::setRightMargin(double value) { d_->assign("RightMargin", host::Value(value)); }
double PrintControl::topMargin() const { return d_->value("TopMargin").toDouble(); }
void PrintControl::setTopMargin(double value) { d_->assign("TopMargin", host::Value(value)); }
double PrintControl::footMargin() const { return d_->value("FootMargin").toDouble(); }
void PrintControl::setFootMargin(double value) { d_->assign("FootMargin", host::Value(value)); }
double PrintControl::rightOffset() const { return d_->value("RightOffset").toDouble(); }
void PrintControl::setRightOffset(double value) { d_->assign("RightOffset", host::Value(value)); }
QString PrintControl::topTitle() const { return qtext(d_->value("TopTitle").toString()); }
void PrintControl::setTopTitle(const QString& value) { d_->assign("TopTitle", host::Value(utf8(value))); }
QString PrintControl::footTitle() const { return qtext(d_->value("FootTitle").toString()); }
void PrintControl::setFootTitle(const QString& value) { d_->assign("FootTitle", host::Value(utf8(value))); }
bool PrintControl::pagesNumbers() const { return d_->value("PagesNumbers").toBool(); }
void PrintControl::setPagesNumbers(bool value) { d_->assign("PagesNumbers", host::Value(value)); }
int PrintControl::topFootAlignTxt() const { return d_->value("TopFootAlignTxt").toLong(); }
void PrintControl::setTopFootAlignTxt(int value) { d_->assign("TopFootAlignTxt", host::Value(value)); }
bool PrintControl::borderText() const { return d_->value("BorderText").toBool(); }
void PrintControl::setBorderText(bool value) { d_->assign("BorderText", host::Value(value)); }
QString PrintControl::escStr() const { return qtext(d_->value("EscStr").toString()); }
void PrintControl::setEscStr(const QString& value) { d_->assign("EscStr", host::Value(utf8(value))); }
bool PrintControl::repeatHeader() const { return d_->value("RepeatHeader").toBool(); }
void PrintControl::setRepeatHeader(bool value) { d_->assign("RepeatHeader", host::Value(value)); }
bool PrintControl::rowRepeatTitle() const { return d_->value("RowRepeatTitle").toBool(); }
void PrintControl::setRowRepeatTitle(bool value) { d_->assign("RowRepeatTitle", host::Value(value)); }
int PrintControl::gridToFit() const { return d_->value("GridToFit").toLong(); }
void PrintControl::setGridToFit(int value) { d_->assign("GridToFit", host::Value(value)); }
bool PrintControl::gridLinesOK() const { return d_->value("GridLinesOK").toBool(); }
void PrintControl::setGridLinesOK(bool value) { d_->assign("GridLinesOK", host::Value(value)); }
bool PrintControl::sideBySide() const { return d_->value("SideBySide").toBool(); }
void PrintControl::setSideBySide(bool value) { d_->assign("SideBySide", host::Value(value)); }
double PrintControl::scalePrnGrph() const { return d_->value("ScalePrnGrph").toDouble(); }
void PrintControl::setScalePrnGrph(double value) { d_->assign("ScalePrnGrph", host::Value(value)); }
bool PrintControl::printBtnEnabled() const { return d_->value("PrintBtnEnabled").toBool(); }
void PrintControl::setPrintBtnEnabled(bool value) { d_->assign("PrintBtnEnabled", host::Value(value)); }
bool PrintControl::previewBtnEnabled() const { return d_->value("PreviewBtnEnabled").toBool(); }
void PrintControl::setPreviewBtnEnabled(bool value) { d_->assign("PreviewBtnEnabled", host::Value(value)); }
QString PrintControl::toolTipText() const { return qtext(d_->value("ToolTipText").toString()); }
void PrintControl::setToolTipText(const QString& value) {
  d_->assign("ToolTipText", host::Value(utf8(value)));
  setToolTip(toolTipText());
}
QString PrintControl::btnsViewCaptions() const { return qtext(d_->value("BtnsView_Captions").toString()); }
void PrintControl::setBtnsViewCaptions(const QString& value) { d_->assign("BtnsView_Captions", host::Value(utf8(value))); }
QString PrintControl::btnsViewToolTipText() const { return qtext(d_->value("BtnsView_ToolTipText").toString()); }
void PrintControl::setBtnsViewToolTipText(const QString& value) {
  d_->assign("BtnsView_ToolTipText", host::Value(utf8(value)));
}
QColor PrintControl::prevBkColor() const { return qcolor(d_->value("PrevBkColor").toLong()); }
void PrintControl::setPrevBkColor(const QColor& value) { d_->assign("PrevBkColor", host::Value(hostColor(value))); }
bool PrintControl::prevPrintVisible() const { return d_->value("PrevPrintVisible").toBool(); }
void PrintControl::setPrevPrintVisible(bool value) { d_->assign("PrevPrintVisible", host::Value(value)); }
QString PrintControl::prevPrintTip() const { return qtext(d_->value("PrevPrintTip").toString()); }
void PrintControl::setPrevPrintTip(const QString& value) { d_->assign("PrevPrintTip", host::Value(utf8(value))); }
QString PrintControl::prevBtnCloseTip() const { return qtext(d_->value("PrevBtnCloseTip").toString()); }
void PrintControl::setPrevBtnCloseTip(const QString& value) { d_->assign("PrevBtnCloseTip", host::Value(utf8(value))); }
QString PrintControl::clickToStop() const { return qtext(d_->value("ClickToStop").toString()); }
void PrintControl::setClickToStop(const QString& value) { d_->assign("ClickToStop", host::Value(utf8(value))); }
QString PrintControl::pagesDef() const { return qtext(d_->value("PagesDef").toString()); }
void PrintControl::setPagesDef(const QString& value) { d_->assign("PagesDef", host::Value(utf8(value))); }
bool PrintControl::hideStopBtn() const { return d_->value("HideStopBtn").toBool(); }
void PrintControl::setHideStopBtn(bool value) { d_->assign("HideStopBtn", host::Value(value)); }
QString PrintControl::printerMess() const { return qtext(d_->value("PrinterMess").toString()); }
void PrintControl::setPrinterMess(const QString& value) { d_->assign("PrinterMess", host::Value(utf8(value))); }
QString PrintControl::errMess() const { return qtext(d_->value("Err_Mess").toString()); }
void PrintControl::setErrMess(const QString& value) { d_->assign("Err_Mess", host::Value(utf8(value))); }

QFont PrintControl::titlesFont() const {
  const host::Font& font = d_->engine().titlesFont();
  QFont result(qtext(font.name()));
  result.setPointSizeF(font.size());
  result.setBold(font.bold());
  result.setItalic(font.italic());
  result.setUnderline(font.underline());
  result.setStrikeOut(font.strikethrough());
  return result;
}

void PrintControl::setTitlesFont(const QFont& value) { d_->engine().setTitlesFont(host::fromQFont(value)); }

}  // namespace vellora
