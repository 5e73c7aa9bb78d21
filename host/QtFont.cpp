#include "host/QtFont.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>

#include "host/Lang.h"
#include "host/TextMetrics.h"

namespace host {

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

Size measureText(const Font& font, std::string_view text, double dotsPerInch) {
  const QFontMetrics metrics(toQFont(font, dotsPerInch));
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return {metrics.horizontalAdvance(qtext), metrics.height()};
}

int widestLine(const Font& font, std::span<const std::string_view> lines, double dotsPerInch) {
  const QFontMetrics metrics(toQFont(font, dotsPerInch));
  int widest = 0;
  for (std::string_view line : lines)
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))));
  return widest;
}

int averageCharWidth(const Font& font, double dotsPerInch) {
  return QFontMetrics(toQFont(font, dotsPerInch)).averageCharWidth();
}

}  // namespace host
