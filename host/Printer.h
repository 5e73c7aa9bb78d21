#pragma once
// The host's printers: the one current Printer object and the Printers list.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/Dc.h"
#include "host/Font.h"
#include "host/Picture.h"

namespace host {

// One installed printer as the Printers collection lists it. A device makes
// the documents; the Printer object below drives it.
class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;
  [[nodiscard]] virtual std::string deviceName() const = 0;
  [[nodiscard]] virtual std::string driverName() const = 0;
  [[nodiscard]] virtual std::string port() const = 0;
  [[nodiscard]] virtual double dotsPerInch() const = 0;

  struct Settings {
    int orientation = 1;  // 1 portrait, 2 landscape
    int paperSize = 9;    // 9 = A4, 1 = Letter
    int copies = 1;
    int colorMode = 2;    // 1 monochrome, 2 colour
    int duplex = 1;
    int printQuality = -4;
  };
  // What the device can do. A setting outside it is refused by the Printer
  // object (the assignment raises 380 and changes nothing).
  struct Capabilities {
    std::vector<int> paperSizes;  // the paper size codes it takes
    bool color = true;            // colour as well as monochrome
    bool duplex = true;           // printing on both sides
    int maxCopies = 9999;
  };
  // By default every paper code the host knows, colour and duplex.
  [[nodiscard]] virtual Capabilities capabilities() const;

  // The printable area in device pixels for the settings (paper size and
  // orientation). By default the whole sheet of the paper size.
  [[nodiscard]] virtual Size pageSize(const Settings& settings) const;

  // Why the last document could not be started or written, in the system's
  // own words (for a file: the file and the reason); empty when it was.
  [[nodiscard]] virtual std::string lastFailure() const { return {}; }

  // A new document; raises HostError (482) when the device cannot start one.
  // The document's pages are Dcs sized to the printable area at dotsPerInch().
  // A page reaches the device when it ends (newPage, end). Until then its
  // drawing is recorded, and an opaque solid fill that covers the whole page
  // (fillRect or extTextOut with eto::Opaque, or rectangle with a solid brush)
  // drops everything drawn on the page before it: a page laid out and then
  // wiped white leaves nothing on the sheet, not even text hidden under white.
  class Document {
   public:
    virtual ~Document() = default;
    [[nodiscard]] virtual Dc& page() = 0;  // the page being drawn
    virtual void newPage() = 0;            // ends the page and starts the next
    // Drops everything drawn on the page so far: the page starts again blank,
    // and nothing of what it held reaches the device.
    virtual void discardPage() = 0;
    virtual void end() = 0;                // ends the last page and delivers the document
    virtual void abort() = 0;              // discards everything; no partial output stays
  };
  [[nodiscard]] virtual std::unique_ptr<Document> startDocument(const Settings& settings,
                                                                const std::string& title) = 0;
};

// The built-in PDF printer: writes each document to a PDF file.
[[nodiscard]] std::shared_ptr<PrinterDevice> makePdfPrinter(std::filesystem::path outputFile);
// A CUPS queue through Qt's printer support.
// Its settings reach the spooler as job options; the spooler's answer to the
// job is checked, and a job it refuses raises HostError 482 from end().
[[nodiscard]] std::shared_ptr<PrinterDevice> makeCupsPrinter(const std::string& queueName);
// An in-memory raster printer for tests: its finished documents are kept as
// page pictures. `failToStart` makes every document refuse to start.
class MemoryPrinter : public PrinterDevice {
 public:
  [[nodiscard]] static std::shared_ptr<MemoryPrinter> create(std::string name, double dotsPerInch,
                                                             bool failToStart = false);
  // A memory printer that takes only the given capabilities.
  [[nodiscard]] static std::shared_ptr<MemoryPrinter> create(std::string name, double dotsPerInch,
                                                             Capabilities capabilities);
  // Pages of every document delivered, in order; a killed document leaves none.
  [[nodiscard]] virtual const std::vector<Picture>& pages() const = 0;
  [[nodiscard]] virtual int documentsDelivered() const = 0;
  [[nodiscard]] virtual const Settings& lastSettings() const = 0;
};

// A printed page kept as its drawing: what a printer document's page held
// when it ended, to be drawn again at any scale (host/RasterDc.h).
class PrintedPage;

// A printer that delivers nothing: it stands in for `printer`, with its name,
// resolution, page sizes and capabilities, so that a job laid out on it is
// laid out exactly as on that printer, and it keeps the pages of its last
// finished document as their drawing (a preview made by printing). A killed
// document leaves none.
class PageKeepingPrinter : public PrinterDevice {
 public:
  [[nodiscard]] static std::shared_ptr<PageKeepingPrinter> standingFor(std::shared_ptr<PrinterDevice> printer);
  [[nodiscard]] virtual const std::vector<std::shared_ptr<const PrintedPage>>& pages() const = 0;
  // The size of the kept pages, in the printer's pixels.
  [[nodiscard]] virtual Size keptPageSize() const = 0;
};

// The installed printers: the built-in PDF printer first (the default unless
// another is chosen), then every CUPS queue. Tests may replace the list.
class Printers {
 public:
  // The PDF printer writes "output.pdf" in the current folder.
  [[nodiscard]] static std::vector<std::shared_ptr<PrinterDevice>> installed();
  // The same list with the PDF printer writing to `pdfOutputFile`.
  [[nodiscard]] static std::vector<std::shared_ptr<PrinterDevice>> installed(
      const std::filesystem::path& pdfOutputFile);
};

// The current Printer object, with the members the system uses. Sizes are in
// twips; the page is the printable area. With no printer at all (no device
// chosen) every member raises HostError 482 "Printer error".
class Printer {
 public:
  Printer() = default;
  explicit Printer(std::shared_ptr<PrinterDevice> device);
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  ~Printer();  // kills an open document

  // Makes another device the current printer (settings are kept).
  void select(std::shared_ptr<PrinterDevice> device);
  [[nodiscard]] bool exists() const { return device_ != nullptr; }
  [[nodiscard]] const std::shared_ptr<PrinterDevice>& device() const { return device_; }

  [[nodiscard]] std::string deviceName() const;
  [[nodiscard]] std::string driverName() const;
  [[nodiscard]] std::string port() const;
  [[nodiscard]] int orientation() const;
  void setOrientation(int value);  // 1 or 2, else raises 380
  [[nodiscard]] int paperSize() const;
  void setPaperSize(int value);  // 1 (Letter), 9 (A4) and the other classic codes the device takes
  [[nodiscard]] int copies() const;
  void setCopies(int value);  // 1 to the device's most
  [[nodiscard]] int colorMode() const;
  void setColorMode(int value);  // 1, or 2 on a colour device
  [[nodiscard]] int duplex() const;
  void setDuplex(int value);  // 1, or 2 and 3 on a duplex device
  [[nodiscard]] int printQuality() const;
  void setPrintQuality(int value);
  [[nodiscard]] double zoom() const;
  void setZoom(double value);
  [[nodiscard]] int scaleMode() const;
  void setScaleMode(int value);
  [[nodiscard]] long width() const;   // twips, following the orientation
  [[nodiscard]] long height() const;  // twips
  [[nodiscard]] double twipsPerPixelX() const;
  [[nodiscard]] double twipsPerPixelY() const;
  [[nodiscard]] const Font& font() const;
  void setFont(const Font& font);

  // The printer's drawing context; opens the document on first use. Raises
  // 482 when the document cannot be started.
  [[nodiscard]] Dc& hDC();
  // Prints text at the current position (opens the document on first use).
  void print(std::string_view text);
  void newPage();
  // Drops what has been drawn on the current page (a page laid out before the
  // printed range): none of it reaches the document, not even as hidden text.
  void discardPage();
  void endDoc();
  void killDoc();  // discards the open document; nothing of it stays
  [[nodiscard]] bool documentOpen() const { return document_ != nullptr; }
  // The spooler's start and end of page (no effect beyond bookkeeping here).
  void startPagePrinter();
  void endPagePrinter();
  [[nodiscard]] bool spoolerPageOpen() const { return spoolerPageOpen_; }
  // Pages of the open document so far.
  [[nodiscard]] int pagesInDocument() const { return pagesInDocument_; }

 private:
  void requireDevice() const;
  // A setting read or changed through the current printer: 482 without one,
  // 380 for a value the setting does not take.
  template <class Setting>
  [[nodiscard]] const Setting& setting(const Setting& field) const;
  template <class Setting>
  void changeSetting(Setting& field, Setting value, bool valid);
  void openDocument();
  // Leaves the open document (there must be one) and its page bookkeeping behind,
  // handing the document over to be ended or aborted.
  [[nodiscard]] std::unique_ptr<PrinterDevice::Document> takeDocument();

  std::shared_ptr<PrinterDevice> device_;
  PrinterDevice::Settings settings_;
  Font font_{"Arial", 10};
  std::unique_ptr<PrinterDevice::Document> document_;
  double zoom_ = 100;
  int scaleMode_ = 1;
  int pagesInDocument_ = 0;
  int printY_ = 0;
  bool spoolerPageOpen_ = false;
};

}  // namespace host
