#include "host/printers/PaperSizes.h"

#include <QSizeF>
#include <QString>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/PrintDialog.h"

namespace host {

namespace {

struct Paper {
  int code;
  Size twips;  // portrait width and height
  const char* name;
};

// Sizes in twips (1440 per inch) of the codes the host's printers know.
constexpr std::array<Paper, 12> papers{{
    {1, {12240, 15840}, "Letter"},         // 8.5 x 11 in
    {2, {12240, 15840}, "Letter Small"},   // 8.5 x 11 in
    {3, {15840, 24480}, "Tabloid"},        // 11 x 17 in
    {4, {24480, 15840}, "Ledger"},         // 17 x 11 in
    {5, {12240, 20160}, "Legal"},          // 8.5 x 14 in
    {7, {10440, 15120}, "Executive"},      // 7.25 x 10.5 in
    {8, {16838, 23811}, "A3"},             // 297 x 420 mm
    {9, {11906, 16838}, "A4"},             // 210 x 297 mm
    {10, {11906, 16838}, "A4 Small"},      // 210 x 297 mm
    {11, {8391, 11906}, "A5"},             // 148 x 210 mm
    {12, {14570, 20636}, "B4 (JIS)"},      // 257 x 364 mm
    {13, {10319, 14572}, "B5 (JIS)"},      // 182 x 257 mm
}};

// Sheets that differ by less than this (about 1.5 mm) are the same paper:
// spoolers and drivers round their sizes differently.
constexpr int sameSheetTwips = 85;

bool sameSheet(Size a, Size b) {
  return std::abs(a.width - b.width) <= sameSheetTwips && std::abs(a.height - b.height) <= sameSheetTwips;
}

}  // namespace

std::optional<Size> paperTwips(int paperSize) {
  for (const Paper& paper : papers)
    if (paper.code == paperSize) return paper.twips;
  return std::nullopt;
}

std::vector<int> knownPaperSizes() {
  std::vector<int> codes;
  for (const Paper& paper : papers) codes.push_back(paper.code);
  return codes;
}

std::string paperName(int paperSize) {
  for (const Paper& paper : papers)
    if (paper.code == paperSize) return paper.name;
  return "paper " + std::to_string(paperSize);
}

std::optional<int> paperOfSheet(Size twips) {
  // Turned sheets count: a landscape Letter is still Letter. Ledger is the
  // one code whose portrait sheet is wider than high; it is found only as such.
  for (const Paper& paper : papers) {
    if (sameSheet(twips, paper.twips)) return paper.code;
  }
  const Size turned{twips.height, twips.width};
  for (const Paper& paper : papers) {
    if (sameSheet(turned, paper.twips)) return paper.code;
  }
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

QPrinter::DuplexMode qtDuplex(int duplex) {
  switch (duplex) {
    case 2: return QPrinter::DuplexShortSide;  // horizontal page turn
    case 3: return QPrinter::DuplexLongSide;   // vertical page turn
    default: return QPrinter::DuplexNone;
  }
}

int duplexOf(QPrinter::DuplexMode mode) {
  switch (mode) {
    case QPrinter::DuplexShortSide: return 2;
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto: return 3;
    default: return 1;
  }
}

}  // namespace host
