// The print control: its face, life cycle, public methods and events.
#include "printctl/Vellora.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "host/Dc.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/TextMetrics.h"
#include "host/model/Pictures.h"
#include "layout/Interin.h"
#include "layout/JobDriver.h"
#include "preview/Prview.h"
#include "printctl/Glyphs.h"

namespace {

// Sizes of the face in twips: both buttons side by side, or Print alone.
constexpr std::int32_t widthWithPreview = 721;
constexpr std::int32_t widthPrintAlone = 363;
constexpr std::int32_t faceHeight = 375;

// The folder of the running program (the host application's folder).
std::filesystem::path applicationFolder() {
  std::error_code error;
  auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path(error) : program.parent_path();
}

// A face button's place in the pixels of the control's box, which shows the
// control's `twipsPerPixelX` x `twipsPerPixelY` twips per pixel.
host::Rect buttonPlace(const FaceButton& button, const host::Rect& box, double twipsPerPixelX, double twipsPerPixelY) {
  auto toPixels = [](double twips, double twipsPerPixel) {
    return static_cast<int>(host::roundHalfEven(twips / twipsPerPixel));
  };
  return host::Rect::fromXywh(box.left + toPixels(button.Left, twipsPerPixelX),
                              box.top + toPixels(button.Top, twipsPerPixelY), toPixels(button.Width, twipsPerPixelX),
                              toPixels(button.Height, twipsPerPixelY));
}

// A raised button: light top and left edges, dark bottom and right ones, and
// its picture in the middle.
void drawFaceButton(host::Dc& dc, const host::Rect& place, const host::Picture& picture) {
  using host::Rect;
  const host::Brush light = host::Brush::solid(host::Rgb::white);
  const host::Brush dark = host::Brush::solid(host::Rgb::fromRgb(64, 64, 64));
  dc.fillRect(place, host::Brush::solid(glyphs::ButtonFace));
  dc.fillRect(Rect::fromXywh(place.left, place.top, place.width(), 1), light);
  dc.fillRect(Rect::fromXywh(place.left, place.top, 1, place.height()), light);
  dc.fillRect(Rect::fromLtrb(place.left, place.bottom - 1, place.right, place.bottom), dark);
  dc.fillRect(Rect::fromLtrb(place.right - 1, place.top, place.right, place.bottom), dark);
  const Rect whole = Rect::fromXywh(0, 0, picture.width(), picture.height());
  dc.stretchPicture(whole.translated(place.left + (place.width() - picture.width()) / 2,
                                     place.top + (place.height() - picture.height()) / 2),
                    picture, whole);
}

glyphs::FaceState stateOf(const FaceButton& button) {
  return button.Enabled ? glyphs::FaceState::Enabled : glyphs::FaceState::Disabled;
}

bool hits(const FaceButton& button, host::Point where) {
  return button.Visible && where.x >= button.Left && where.x < button.Left + button.Width && where.y >= button.Top &&
         where.y < button.Top + button.Height;
}

// A hidden host control of a built-in family, owned by the control.
host::ObjectRef makeHiddenHolder(std::string_view typeName) {
  host::ObjectRef holder = host::createBuiltInControl(typeName);
  if (holder) host::resume([&] { holder->set("Visible", host::Value(false)); });
  return holder;
}

}  // namespace

// Marks a job of the control as running for as long as the guard lives.
class Vellora::JobGuard {
 public:
  explicit JobGuard(Vellora& control) : control_(control) { control_.jobRunning_ = true; }
  JobGuard(const JobGuard&) = delete;
  JobGuard& operator=(const JobGuard&) = delete;
  ~JobGuard() { control_.jobRunning_ = false; }

 private:
  Vellora& control_;
};

Vellora::Vellora() : job_(*this) {
  // The shared white and black brushes and the black pen live in job_.drawing.
  const double screenTwips = static_cast<double>(host::ui().screen().widthTwips());
  screenFactor_ = screenTwips > 0 ? 12000.0 / screenTwips : 1.0;
  host::ui().setHelpFile((applicationFolder() / "Vellora.hlp").string());
  makeFace();
}

Vellora::~Vellora() = default;

void Vellora::makeFace() {
  baki_ = makeHiddenHolder("PictureBox");
  baka_ = makeHiddenHolder("PictureBox");
  // The two picture holders take the size of the picture they are given, and
  // have no border, so a picture is handed on whole.
  for (const host::ObjectRef& holder : {baki_, baka_}) {
    if (!holder) continue;
    host::resume([&] { holder->set("BorderStyle", std::int16_t{0}); });
    host::resume([&] { holder->set("AutoSize", true); });
  }
  optik_ = makeHiddenHolder("Image");
  optinon_ = makeHiddenHolder("Image");
  if (optik_) host::resume([&] { host::setPicture(*optik_, glyphs::Optik()); });
  if (optinon_) host::resume([&] { host::setPicture(*optinon_, glyphs::Optinon()); });
}

// --- face ------------------------------------------------------------------

void Vellora::Resize() {
  const bool withPreview = prevBtn_.Enabled;
  runMode_ = userMode();
  const std::int32_t width = withPreview ? widthWithPreview : widthPrintAlone;
  host::resume([&] { host::UserControl::set("Width", host::Value(width)); });
  host::resume([&] { host::UserControl::set("Height", host::Value(faceHeight)); });
  printBtn_.Left = withPreview ? prevBtn_.Width + 4 : 1;
}

bool Vellora::drawFace(host::Dc& dc, const host::Rect& box) const {
  const double width = host::UserControl::get("Width").toDouble();
  const double height = host::UserControl::get("Height").toDouble();
  if (box.isEmpty() || width <= 0 || height <= 0) return true;
  const double twipsPerPixelX = width / box.width();
  const double twipsPerPixelY = height / box.height();
  dc.fillRect(box, host::Brush::solid(glyphs::ButtonFace));
  if (prevBtn_.Visible) {
    drawFaceButton(dc, buttonPlace(prevBtn_, box, twipsPerPixelX, twipsPerPixelY), glyphs::PreviewFace(stateOf(prevBtn_)));
  }
  if (printBtn_.Visible) {
    drawFaceButton(dc, buttonPlace(printBtn_, box, twipsPerPixelX, twipsPerPixelY), glyphs::PrintFace(stateOf(printBtn_)));
  }
  return true;
}

void Vellora::click(host::Point where) {
  if (hits(prevBtn_, where)) {
    if (prevBtn_.Enabled) PrevBtn_Click();
    return;
  }
  if (hits(printBtn_, where) && printBtn_.Enabled) Printbt_Click();
}

void Vellora::Paint() {
  // The control comes to the front of its container, before and after baki
  // takes the focus (baki is hidden; the focus changes nothing a job sees).
  host::resume([&] { call("ZOrder", {host::Value(std::int16_t{0})}); });
  host::resume([&] { call("ZOrder", {host::Value(std::int16_t{0})}); });
  if (!job_.PrintRequested) return;
  // The preview window's Print button: the window has closed by now.
  host::resume([] { host::ui().doEvents(); });
  job_.PrintRequested = false;
  if (const std::optional<std::filesystem::path> file = std::exchange(job_.PrintToPdfFile, std::nullopt)) {
    printToPdfFile(*file);
    return;
  }
  LVPrint();
}

// The print the preview's Save as PDF asked for: through the built-in PDF
// printer into the file chosen, the current printer in place again after.
bool Vellora::printToPdfFile(const std::filesystem::path& file) {
  const host::CurrentPrinterKept kept;
  host::printer().select(host::makePdfPrinter(file));
  return LVPrint();
}

void Vellora::Terminate() {
  host::resume([&] {
    if (job_.preview) job_.preview->Finir();
  });
  host::resume([&] {
    if (job_.progress) job_.progress->Finito();
  });
}

// --- fonts and text --------------------------------------------------------

const host::Font& Vellora::font() const { return fontObject()->font(); }

void Vellora::setFont(const host::Font& font) { fontObject()->setFont(font); }

double Vellora::TextHeight(std::string_view text) const {
  const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  return static_cast<double>(lines) * host::measureText(font(), "A").height;
}

double Vellora::TextWidth(std::string_view text) const {
  int widest = 0;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    widest = std::max(widest, host::measureText(font(), line).width);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return widest;
}

// --- methods ---------------------------------------------------------------

host::Value Vellora::call(std::string_view name, host::Args args) {
  auto is = [&](std::string_view method) { return host::equalsNoCase(name, method); };
  auto text = [&] { return args.empty() ? std::string() : args[0].toString(); };
  if (is("LVPrint")) return host::Value(LVPrint());
  if (is("Preview")) return host::Value(Preview());
  if (is("StopPrint")) {
    StopPrint();
    return {};
  }
  if (is("PrinterEin")) {
    PrinterEin();
    return {};
  }
  if (is("ShowPrinter")) return host::Value(ShowPrinter());
  if (is("ShowAboutBox") || is("About")) {
    ShowAboutBox();
    return {};
  }
  if (is("TextHeight")) return host::Value(TextHeight(text()));
  if (is("TextWidth")) return host::Value(TextWidth(text()));
  return host::UserControl::call(name, args);
}

bool Vellora::LVPrint() {
  if (jobRunning_) return false;
  JobGuard guard(*this);
  ensureJobWindows();
  lastPrintResult_ = RunPrintJob(job_);
  return *lastPrintResult_;
}

bool Vellora::Preview() {
  if (jobRunning_) return false;
  JobGuard guard(*this);
  ensureJobWindows();
  return props_.PreviewAsPrinted ? RunAsPrintedPreviewJob(job_) : RunPreviewJob(job_);
}

void Vellora::StopPrint() { job_.StopRequested = true; }

void Vellora::PrinterEin() {
  try {
    (void)host::printer().height();
  } catch (const host::HostError&) {
    job_.StopRequested = true;
    host::ui().msgBox("No printer has been installed on this system", host::mb::Critical);
    if (job_.Printing == 1) host::resume([] { host::printer().killDoc(); });
    host::ui().doEvents();
  }
}

bool Vellora::ShowPrinter() {
  job_.StopRequested = false;
  dialog_.DlgToPage = props_.ToPage;
  dialog_.DlgFromPage = props_.FromPage;
  // A dialog that fails before it is answered leaves copies and colour as they are.
  dialog_.DlgCopies = host::CInt(std::max(1.0f, props_.Copies));
  dialog_.DlgColorMode = props_.Color == vellora::v_Color ? 2 : 1;
  host::resume([&] { ShowPrintDialog(); });
  const bool confirmed = !job_.StopRequested;
  if (confirmed) {
    // Each through its Let, in this order: ToPage is checked against the
    // FromPage that stood before the dialog.
    host::resume([&] { setOrientation(host::printer().orientation() - 1); });
    host::resume([&] { setToPage(dialog_.DlgToPage); });
    host::resume([&] { setFromPage(dialog_.DlgFromPage); });
    host::resume([&] { setCopies(dialog_.DlgCopies); });
    // The job sets the printer's colour mode from Color; the colour the user
    // chose would be lost without it following the dialog.
    host::resume([&] { setColor(dialog_.DlgColorMode == 1 ? vellora::v_Monochrome : vellora::v_Color); });
  }
  return confirmed;
}

void Vellora::ShowPrintDialog() {
  host::Printer& printer = host::printer();
  host::PrintDialogRequest request;
  host::resume([&] {
    if (const host::ObjectRef owner = parentForm()) request.ownerHandle = owner->get("hWnd").toLong();
  });
  for (const auto& device : host::runtime().printers())
    request.printers.push_back({device->deviceName(), device->driverName(), device->port()});
  request.deviceName = printer.deviceName();
  request.settings = {printer.orientation(), printer.paperSize(),      printer.copies(), printer.colorMode(),
                      printer.duplex(),      printer.printQuality()};
  // The copies and colour the job will print with are the control's.
  request.settings.copies = std::max<int>(1, host::CInt(props_.Copies));
  request.settings.colorMode = props_.Color == vellora::v_Color ? 2 : 1;
  request.scale = printer.zoom();
  request.fromPage = dialog_.DlgFromPage;
  request.toPage = dialog_.DlgToPage;
  request.minPage = 1;
  request.maxPage = dialog_.DlgToPage;

  const std::optional<host::PrintDialogChoice> choice = host::ui().printDialog(request);
  if (!choice) {
    job_.StopRequested = true;
    return;
  }
  dialog_.DlgCopies = host::CInt(choice->settings.copies);
  dialog_.DlgFromPage = host::CInt(choice->fromPage);
  dialog_.DlgToPage = host::CInt(choice->toPage);
  dialog_.DlgColorMode = static_cast<std::int16_t>(choice->settings.colorMode);
  selectChosenPrinter(choice->deviceName);
  applyChosenSettings(*choice);
}

void Vellora::selectChosenPrinter(const std::string& deviceName) {
  if (deviceName == host::printer().deviceName()) return;
  for (const auto& device : host::runtime().printers()) {
    if (device->deviceName() != deviceName) continue;
    host::printer().select(device);
    return;
  }
}

void Vellora::applyChosenSettings(const host::PrintDialogChoice& choice) {
  // Each setting the printer refuses is skipped; the others go on.
  host::Printer& printer = host::printer();
  const host::PrinterDevice::Settings& chosen = choice.settings;
  host::resume([&] { printer.setPaperSize(chosen.paperSize); });
  host::resume([&] { printer.setColorMode(chosen.colorMode); });
  host::resume([&] { printer.setCopies(chosen.copies); });
  host::resume([&] { printer.setDuplex(chosen.duplex); });
  host::resume([&] { printer.setOrientation(chosen.orientation); });
  host::resume([&] { printer.setZoom(choice.scale); });
  host::resume([&] { printer.setScaleMode(3); });
  host::resume([&] { printer.setScaleMode(1); });
  host::resume([&] { printer.setPrintQuality(chosen.printQuality); });
}

void Vellora::ShowAboutBox() {
  host::ui().msgBox("Vellora print control\nPrints and previews the contents of its form.", host::mb::Information,
                    "About Vellora");
}

// --- events ----------------------------------------------------------------

void Vellora::raiseBeforePrint(bool& Cancel, std::int16_t& Mode) {
  if (events_.BeforePrint) events_.BeforePrint(Cancel, Mode);
}

void Vellora::raiseAfterPrint() {
  job_.AfterPrintRaised = true;
  if (events_.AfterPrint) events_.AfterPrint();
}

void Vellora::raisePage(std::int32_t PageNumber) {
  if (events_.Page) events_.Page(PageNumber);
}

// --- job windows -----------------------------------------------------------

void Vellora::setWindowFactory(JobWindowFactory factory) {
  windowFactory_ = std::move(factory);
  job_.progress.reset();
  job_.preview.reset();
}

void Vellora::ensureJobWindows() {
  if (!job_.progress) {
    job_.progress = windowFactory_.progress ? windowFactory_.progress(job_) : makeProgressWindow(job_);
  }
  if (!job_.preview) {
    job_.preview = windowFactory_.preview ? windowFactory_.preview(job_) : makePreviewWindow(job_);
  }
}
