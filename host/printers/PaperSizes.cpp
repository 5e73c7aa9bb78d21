#include "host/printers/PaperSizes.h"

#include <QSizeF>
#include <QString>
#include <array>
#include <cmath>

namespace host {

namespace {

struct Paper {
  int code;
  Size twips;  // portrait width and height
};

// Sizes in twips (1440 per inch) of the codes the host's printers know.
constexpr std::array<Paper, 12> papers{{
    {1, {12240, 15840}},   // Letter 8.5 x 11 in
    {2, {12240, 15840}},   // Letter small
    {3, {15840, 24480}},   // Tabloid 11 x 17 in
    {4, {24480, 15840}},   // Ledger 17 x 11 in
    {5, {12240, 20160}},   // Legal 8.5 x 14 in
    {7, {10440, 15120}},   // Executive 7.25 x 10.5 in
    {8, {16838, 23811}},   // A3 297 x 420 mm
    {9, {11906, 16838}},   // A4 210 x 297 mm
    {10, {11906, 16838}},  // A4 small
    {11, {8391, 11906}},   // A5 148 x 210 mm
    {12, {14570, 20636}},  // B4 (JIS) 257 x 364 mm
    {13, {10319, 14572}},  // B5 (JIS) 182 x 257 mm
}};

}  // namespace

std::optional<Size> paperTwips(int paperSize) {
  for (const Paper& paper : papers)
    if (paper.code == paperSize) return paper.twips;
  return std::nullopt;
}

Size sheetPixels(const PrinterDevice::Settings& settings, double dotsPerInch) {
  const Size twips = paperTwips(settings.paperSize).value_or(paperTwips(9).value());
  const auto pixels = [dotsPerInch](int value) { return static_cast<int>(std::lround(value * dotsPerInch / 1440.0)); };
  const Size portrait{pixels(twips.width), pixels(twips.height)};
  return settings.orientation == 2 ? Size{portrait.height, portrait.width} : portrait;
}

QPageSize qtPageSize(int paperSize) {
  const Size twips = paperTwips(paperSize).value_or(paperTwips(9).value());
  // Twenty twips make a point; a near match gives the standard size its name.
  return QPageSize(QSizeF(twips.width / 20.0, twips.height / 20.0), QPageSize::Point, QString(),
                   QPageSize::FuzzyMatch);
}

QPageLayout::Orientation qtOrientation(int orientation) {
  return orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
}

}  // namespace host
