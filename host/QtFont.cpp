#include "host/QtFont.h"

#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "host/Lang.h"
#include "host/TextMetrics.h"

namespace host {

Font fromQFont(const QFont& font) {
  double points = font.pointSizeF();
  if (points <= 0) points = font.pixelSize() * 72.0 / 96.0;
  Font result(font.family().toStdString(), points);
  result.setWeight(font.weight() >= QFont::DemiBold ? 700 : 400);
  result.setItalic(font.italic());
  result.setUnderline(font.underline());
  result.setStrikethrough(font.strikeOut());
  return result;
}

QFont toQFont(const Font& font, double dotsPerInch) {
  QFont qfont(QString::fromStdString(font.installedFamily()));
  qfont.setPixelSize(std::max(1, static_cast<int>(roundHalfEven(font.pixelSize(dotsPerInch)))));
  qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight() == 0 ? 400 : font.weight(), 100, 900)));
  qfont.setItalic(font.italic());
  qfont.setUnderline(font.underline());
  qfont.setStrikeOut(font.strikethrough());
  // Raster pages are drawn without antialiasing; metrics must not depend on hinting.
  qfont.setStyleStrategy(QFont::NoAntialias);
  qfont.setHintingPreference(QFont::PreferNoHinting);
  return qfont;
}

// What is known of one font: its metrics and the advances of the runs
// measured in it. A run is known by a 128-bit fingerprint of its characters
// and its length rather than by a copy: a 10 MB text box's lines then take a
// few megabytes to remember, and two runs sharing a fingerprint would take
// of the order of 10^19 distinct runs.
class TextAdvances::Table {
 public:
  explicit Table(const QFont& font) : font_(font), metrics_(font) {}

  [[nodiscard]] const QFont& font() const { return font_; }
  [[nodiscard]] const QFontMetrics& metrics() const { return metrics_; }

  [[nodiscard]] int of(QStringView run) {
    const Fingerprint key = fingerprintOf(run);
    if (const auto known = advances_.constFind(key); known != advances_.cend()) return *known;
    const int advance = metrics_.horizontalAdvance(run.toString());
    if (advances_.size() >= MostRemembered) advances_.clear();
    advances_.insert(key, advance);
    return advance;
  }

 private:
  static constexpr qsizetype MostRemembered = qsizetype{1} << 19;

  struct Fingerprint {
    size_t first;
    size_t second;
    qsizetype length;
    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
    friend size_t qHash(const Fingerprint& key, size_t seed = 0) noexcept { return key.first ^ seed; }
  };

  [[nodiscard]] static Fingerprint fingerprintOf(QStringView run) {
    return {qHash(run, 0x9E3779B97F4A7C15u), qHash(run, 0xC2B2AE3D27D4EB4Fu), run.size()};
  }

  QFont font_;
  QFontMetrics metrics_;
  QHash<Fingerprint, int> advances_;
};

namespace {

// The tables of the fonts measured in lately, the latest first; a font
// dropped from here lives on with the measurers that still hold it.
std::shared_ptr<TextAdvances::Table> tableFor(const QFont& font) {
  constexpr std::size_t FontsKept = 16;
  thread_local std::vector<std::shared_ptr<TextAdvances::Table>> tables;
  const auto found = std::find_if(tables.begin(), tables.end(), [&](const auto& table) { return table->font() == font; });
  std::shared_ptr<TextAdvances::Table> table;
  if (found != tables.end()) {
    table = *found;
    tables.erase(found);
  } else {
    table = std::make_shared<TextAdvances::Table>(font);
    if (tables.size() >= FontsKept) tables.pop_back();
  }
  tables.insert(tables.begin(), table);
  return table;
}

// The advances of the font last measured with: a text box measures every
// line of its text in one font, and finding its table anew for each line
// would cost more than looking the line up.
const TextAdvances& advancesOf(const Font& font, double dotsPerInch) {
  struct Last {
    Font font;
    double dotsPerInch = 0;
    std::optional<TextAdvances> advances;
  };
  thread_local Last last;
  if (!last.advances || last.dotsPerInch != dotsPerInch || !(last.font == font)) {
    last.advances.emplace(toQFont(font, dotsPerInch));
    last.font = font;
    last.dotsPerInch = dotsPerInch;
  }
  return *last.advances;
}

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TextAdvances::TextAdvances(const QFont& font) : table_(tableFor(font)) {}

int TextAdvances::of(QStringView run) const { return table_->of(run); }

const QFontMetrics& TextAdvances::metrics() const { return table_->metrics(); }

Size measureText(const Font& font, std::string_view text, double dotsPerInch) {
  const TextAdvances& advances = advancesOf(font, dotsPerInch);
  return {advances.of(toQString(text)), advances.metrics().height()};
}

int widestLine(const Font& font, std::span<const std::string_view> lines, double dotsPerInch) {
  const TextAdvances& advances = advancesOf(font, dotsPerInch);
  int widest = 0;
  for (std::string_view line : lines) widest = std::max(widest, advances.of(toQString(line)));
  return widest;
}

int averageCharWidth(const Font& font, double dotsPerInch) {
  return advancesOf(font, dotsPerInch).metrics().averageCharWidth();
}

}  // namespace host
