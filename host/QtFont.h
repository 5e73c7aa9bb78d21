#pragma once
// Host-side only: a host::Font as the Qt font that draws it at a resolution,
// and the advances of runs of text in a Qt font, measured once.
#include <QFont>
#include <QFontMetrics>
#include <QStringView>
#include <memory>

#include "host/Font.h"

namespace host {

// The installed family at a whole pixel size for the resolution (points x dpi / 72).
[[nodiscard]] QFont toQFont(const Font& font, double dotsPerInch);
// A Qt font (a widget's) as the host's font object has it: its family, its
// size in points (a pixel size taken at 96 dots per inch), weight and styles.
[[nodiscard]] Font fromQFont(const QFont& font);

// The advances (QFontMetrics::horizontalAdvance) of the runs of text measured
// in one font, remembered for every measurer of that font: the lines of a
// long text box are measured when the box lays them out, again when a page
// counts them and again when it draws them, and shaping a run costs far more
// than looking it up. All copies made from one font share what is known.
class TextAdvances {
 public:
  explicit TextAdvances(const QFont& font);

  [[nodiscard]] int of(QStringView run) const;
  [[nodiscard]] const QFontMetrics& metrics() const;

  class Table;

 private:
  std::shared_ptr<Table> table_;
};

}  // namespace host
