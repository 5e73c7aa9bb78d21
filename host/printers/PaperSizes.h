#pragma once
// Host-side only: the classic paper size codes and the sheets they stand for.
#include <QPageLayout>
#include <QPageSize>
#include <optional>

#include "host/Geometry.h"
#include "host/Printer.h"

namespace host {

// The portrait sheet of a paper size code in twips; nothing for an unknown code.
[[nodiscard]] std::optional<Size> paperTwips(int paperSize);
// The sheet in device pixels at a resolution, turned for the orientation.
[[nodiscard]] Size sheetPixels(const PrinterDevice::Settings& settings, double dotsPerInch);
// The same sheet for Qt's printers and PDF writer.
[[nodiscard]] QPageSize qtPageSize(int paperSize);
[[nodiscard]] QPageLayout::Orientation qtOrientation(int orientation);

}  // namespace host
