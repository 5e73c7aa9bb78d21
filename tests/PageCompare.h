#pragma once
// Telling whether two pictures show the same page, whatever resolution each
// was drawn at.
#include <QImage>
#include <cmath>
#include <vector>

namespace testsupport {

// How far two pages are apart, both scaled smoothly to `width` x `height`:
// the mean difference of the ink of their blocks (4 x 4 pixels unless told
// otherwise), 0 to 255. The second page's ink is first brought to the
// first's in all: drawn at another resolution, glyphs come out a shade
// bolder or lighter. Blocks even out the edges of glyphs and rules, and keep
// what a page break moves.
[[nodiscard]] inline double pageDifference(const QImage& a, const QImage& b, int width, int height,
                                           int block = 4) {
  const auto inkOf = [&](const QImage& image) {
    const QImage gray = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_Grayscale8);
    std::vector<double> ink;
    if (gray.isNull()) return ink;
    for (int top = 0; top + block <= height; top += block) {
      for (int left = 0; left + block <= width; left += block) {
        int sum = 0;
        for (int y = top; y < top + block; ++y)
          for (int x = left; x < left + block; ++x) sum += 255 - gray.constScanLine(y)[x];
        ink.push_back(sum / static_cast<double>(block * block));
      }
    }
    return ink;
  };
  const std::vector<double> first = inkOf(a);
  const std::vector<double> second = inkOf(b);
  if (first.empty() || first.size() != second.size()) return 255;
  double firstTotal = 0, secondTotal = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    firstTotal += first[i];
    secondTotal += second[i];
  }
  const double balance = secondTotal > 0 ? firstTotal / secondTotal : 1;
  double total = 0;
  for (std::size_t i = 0; i < first.size(); ++i) total += std::abs(first[i] - second[i] * balance);
  return total / static_cast<double>(first.size());
}

}  // namespace testsupport
