#include "host/Printer.h"

#include <algorithm>

#include "host/CupsSpooler.h"
#include "host/HostError.h"
#include "host/Lang.h"
#include "host/printers/PaperSizes.h"

namespace host {

namespace {

constexpr const char* documentTitle = "Vellora";

void requireValue(bool valid) {
  if (!valid) raise(err::InvalidPropertyValue);
}

long twipsOf(int pixels, double dotsPerInch) { return CLng(pixels * 1440.0 / dotsPerInch); }

}  // namespace

// ---- devices ----

PrinterDevice::Capabilities PrinterDevice::capabilities() const { return Capabilities{knownPaperSizes()}; }

Size PrinterDevice::pageSize(const Settings& settings) const { return sheetPixels(settings, dotsPerInch()); }

std::vector<std::shared_ptr<PrinterDevice>> Printers::installed() { return installed("output.pdf"); }

std::vector<std::shared_ptr<PrinterDevice>> Printers::installed(const std::filesystem::path& pdfOutputFile) {
  std::vector<std::shared_ptr<PrinterDevice>> printers{makePdfPrinter(pdfOutputFile)};
  for (const cups::Queue& queue : cups::queues()) printers.push_back(makeCupsPrinter(queue.name));
  return printers;
}

// ---- the Printer object ----

Printer::Printer(std::shared_ptr<PrinterDevice> device) : device_(std::move(device)) {}

Printer::~Printer() {
  // A document still open when the printer goes away was never finished.
  if (document_) resume([this] { document_->abort(); });
}

void Printer::select(std::shared_ptr<PrinterDevice> device) {
  if (document_) killDoc();
  device_ = std::move(device);
}

void Printer::requireDevice() const {
  if (!device_) raise(err::PrinterError);
}

template <class Setting>
const Setting& Printer::setting(const Setting& field) const {
  requireDevice();
  return field;
}

template <class Setting>
void Printer::changeSetting(Setting& field, Setting value, bool valid) {
  requireDevice();
  requireValue(valid);
  field = value;
}

std::string Printer::deviceName() const {
  requireDevice();
  return device_->deviceName();
}
std::string Printer::driverName() const {
  requireDevice();
  return device_->driverName();
}
std::string Printer::port() const {
  requireDevice();
  return device_->port();
}

int Printer::orientation() const { return setting(settings_.orientation); }
void Printer::setOrientation(int value) {
  changeSetting(settings_.orientation, value, value == 1 || value == 2);
}

int Printer::paperSize() const { return setting(settings_.paperSize); }
void Printer::setPaperSize(int value) {
  requireDevice();
  const std::vector<int> taken = device_->capabilities().paperSizes;
  changeSetting(settings_.paperSize, value, std::find(taken.begin(), taken.end(), value) != taken.end());
}

int Printer::copies() const { return setting(settings_.copies); }
void Printer::setCopies(int value) {
  requireDevice();
  changeSetting(settings_.copies, value, value >= 1 && value <= device_->capabilities().maxCopies);
}

int Printer::colorMode() const { return setting(settings_.colorMode); }
void Printer::setColorMode(int value) {
  requireDevice();
  changeSetting(settings_.colorMode, value, value == 1 || (value == 2 && device_->capabilities().color));
}

int Printer::duplex() const { return setting(settings_.duplex); }
void Printer::setDuplex(int value) {
  requireDevice();
  changeSetting(settings_.duplex, value, value == 1 || ((value == 2 || value == 3) && device_->capabilities().duplex));
}

int Printer::printQuality() const { return setting(settings_.printQuality); }
void Printer::setPrintQuality(int value) {
  // -1 draft .. -4 high, or a resolution in dots per inch.
  changeSetting(settings_.printQuality, value, (value >= -4 && value <= -1) || value > 0);
}

double Printer::zoom() const { return setting(zoom_); }
void Printer::setZoom(double value) { changeSetting(zoom_, value, value >= 0); }

int Printer::scaleMode() const { return setting(scaleMode_); }
void Printer::setScaleMode(int value) { changeSetting(scaleMode_, value, value >= 0 && value <= 7); }

long Printer::width() const {
  requireDevice();
  return twipsOf(device_->pageSize(settings_).width, device_->dotsPerInch());
}
long Printer::height() const {
  requireDevice();
  return twipsOf(device_->pageSize(settings_).height, device_->dotsPerInch());
}
double Printer::twipsPerPixelX() const {
  requireDevice();
  return 1440.0 / device_->dotsPerInch();
}
double Printer::twipsPerPixelY() const {
  requireDevice();
  return 1440.0 / device_->dotsPerInch();
}

const Font& Printer::font() const { return setting(font_); }
void Printer::setFont(const Font& font) {
  requireDevice();
  font_ = font;
  if (document_) document_->page().setFont(font_);
}

// ---- the document ----

void Printer::openDocument() {
  document_ = device_->startDocument(settings_, documentTitle);
  document_->page().setFont(font_);
  pagesInDocument_ = 1;
  printY_ = 0;
}

Dc& Printer::hDC() {
  requireDevice();
  if (!document_) openDocument();
  return document_->page();
}

void Printer::print(std::string_view text) {
  Dc& dc = hDC();
  const DcStateSaver saver(dc);
  dc.setFont(font_);
  dc.setBkMode(BkMode::Transparent);
  dc.setTextColor(Rgb::black);
  dc.extTextOut(Point{0, printY_}, 0, Rect{}, text);
  printY_ += dc.textExtent(text).height;
}

void Printer::newPage() {
  requireDevice();
  if (!document_) openDocument();
  document_->newPage();
  ++pagesInDocument_;
  printY_ = 0;
}

void Printer::discardPage() {
  requireDevice();
  if (!document_) return;
  document_->discardPage();
  printY_ = 0;
}

std::unique_ptr<PrinterDevice::Document> Printer::takeDocument() {
  pagesInDocument_ = 0;
  printY_ = 0;
  spoolerPageOpen_ = false;
  return std::move(document_);
}

void Printer::endDoc() {
  requireDevice();
  // The document is closed whatever the device says; a failure is still reported.
  if (document_) takeDocument()->end();
}

void Printer::killDoc() {
  requireDevice();
  if (document_) takeDocument()->abort();
}

void Printer::startPagePrinter() {
  requireDevice();
  spoolerPageOpen_ = true;
}

void Printer::endPagePrinter() {
  requireDevice();
  spoolerPageOpen_ = false;
}

}  // namespace host
