// The practical limit of printing a table: a small program that reads the
// cells of a CSV file and draws them straight with QPainter on a QPdfWriter,
// as a Qt developer would by hand (A4 at 600 dots per inch, a filled and
// framed rectangle and a one-line caption per cell, the header row again on
// every page). bench/whole-process.sh times `vellora print` of the same
// cells against it.
//
//   straight_grid_pdf CELLS.csv OUT.pdf [COLUMN_TWIPS] [ROW_TWIPS]
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <cstdio>
#include <vector>

namespace {

constexpr int DotsPerInch = 600;

int toPixels(double twips) { return static_cast<int>(twips / 1440.0 * DotsPerInch); }

// The CSV's rows; the generated cells hold no quotes or commas.
std::vector<QStringList> readCells(const QString& path) {
  QFile file(path);
  std::vector<QStringList> rows;
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return rows;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (!line.isEmpty()) rows.push_back(line.split(u','));
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: straight_grid_pdf CELLS.csv OUT.pdf [COLUMN_TWIPS] [ROW_TWIPS]\n");
    return 2;
  }
  const std::vector<QStringList> rows = readCells(QString::fromLocal8Bit(argv[1]));
  if (rows.empty()) {
    std::fprintf(stderr, "straight_grid_pdf: no cells in %s\n", argv[1]);
    return 1;
  }
  const int columnPixels = toPixels(argc > 3 ? std::atof(argv[3]) : 1500);
  const int rowPixels = toPixels(argc > 4 ? std::atof(argv[4]) : 240);

  QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
  writer.setResolution(DotsPerInch);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter(&writer);
  QFont font("Arial");
  font.setPointSizeF(8.25);
  painter.setFont(font);
  const int bottom = painter.viewport().height() - 400;
  int y = 400;
  const auto drawRow = [&](const QStringList& cells, bool header) {
    for (qsizetype c = 0; c < cells.size(); ++c) {
      const QRect cell(200 + static_cast<int>(c) * columnPixels, y, columnPixels, rowPixels);
      painter.fillRect(cell, header ? QColor(192, 192, 192) : Qt::white);
      painter.drawRect(cell);
      painter.drawText(cell.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, cells[c]);
    }
    y += rowPixels;
  };
  drawRow(rows.front(), true);
  for (std::size_t row = 1; row < rows.size(); ++row) {
    if (y + rowPixels > bottom) {
      writer.newPage();
      y = 400;
      drawRow(rows.front(), true);
    }
    drawRow(rows[row], false);
  }
  return painter.end() ? 0 : 1;
}
