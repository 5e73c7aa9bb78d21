#pragma once
// Host-side only: the classic paper size codes and the sheets they stand for.
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <optional>
#include <vector>

#include "host/Geometry.h"
#include "host/PrintDialog.h"
#include "host/Printer.h"

namespace host {

// The portrait sheet of a paper size code in twips; nothing for an unknown code.
[[nodiscard]] std::optional<Size> paperTwips(int paperSize);
// The code of a sheet given in twips (either way up); nothing when it is none of them.
[[nodiscard]] std::optional<int> paperOfSheet(Size twips);
// The sheet in device pixels at a resolution, turned for the orientation.
[[nodiscard]] Size sheetPixels(const PrinterDevice::Settings& settings, double dotsPerInch);
// The same sheet for Qt's printers and PDF writer.
[[nodiscard]] QPageSize qtPageSize(int paperSize);
[[nodiscard]] QPageLayout::Orientation qtOrientation(int orientation);
// The classic duplex codes (1 none, 2 short edge, 3 long edge) and Qt's modes.
[[nodiscard]] QPrinter::DuplexMode qtDuplex(int duplex);
[[nodiscard]] int duplexOf(QPrinter::DuplexMode mode);

}  // namespace host
