#include "qtforms/AppRuntime.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <algorithm>
#include <memory>

#include "host/Runtime.h"

namespace qtforms {

namespace {

std::unique_ptr<host::Runtime>& applicationRuntime() {
  static std::unique_ptr<host::Runtime> runtime;
  return runtime;
}

// The runtime goes before the application it draws with.
void releaseRuntime() { applicationRuntime().reset(); }

bool hasDisplay() {
  const QString platform = QGuiApplication::platformName();
  return !platform.isEmpty() && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// The installed printers with the system's default queue first, so that it
// is the current printer; the built-in PDF printer when there is none.
std::vector<std::shared_ptr<host::PrinterDevice>> printersWithSystemDefaultFirst() {
  std::vector<std::shared_ptr<host::PrinterDevice>> printers = host::Printers::installed();
  const std::string systemDefault = QPrinterInfo::defaultPrinterName().toStdString();
  auto chosen = std::find_if(printers.begin(), printers.end(), [&](const auto& device) {
    return !systemDefault.empty() && device->deviceName() == systemDefault;
  });
  if (chosen != printers.end()) std::rotate(printers.begin(), chosen, chosen + 1);
  return printers;
}

}  // namespace

void ensureRuntime() {
  if (host::hasRuntime()) return;
  std::unique_ptr<host::Ui> ui;
  if (hasDisplay()) {
    ui = host::makeQtUi();
  } else {
    ui = std::make_unique<host::HeadlessUi>();
  }
  applicationRuntime() = std::make_unique<host::Runtime>(std::move(ui), printersWithSystemDefaultFirst());
  qAddPostRoutine(releaseRuntime);
}

}  // namespace qtforms
