// A shipping form made in code with both controls on it, printed to PDF at
// its design size, then resized and printed again: both print the design
// layout.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <cstdio>
#include <vellora/PrintControl.h>
#include <vellora/Resizer.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: shipping-app DESIGN.pdf RESIZED.pdf\n");
    return 2;
  }
  QWidget form;
  form.setWindowTitle("Shipping");
  form.resize(640, 480);
  auto* title = new QLabel("Shipping note", &form);
  title->setGeometry(20, 10, 300, 24);
  auto* customer = new QLineEdit("Ada Lovelace", &form);
  customer->setGeometry(20, 40, 200, 24);
  auto* notes = new QPlainTextEdit(&form);
  notes->setGeometry(20, 80, 400, 100);
  QStringList lines;
  for (int n = 1; n <= 300; ++n) lines << QString("Note %1").arg(n, 3, 10, QChar('0'));
  notes->setPlainText(lines.join('\n'));
  auto* table = new QTableWidget(300, 3, &form);
  table->setGeometry(20, 200, 500, 200);
  table->setHorizontalHeaderLabels({"Item", "Quantity", "Price"});
  for (int row = 0; row < 300; ++row) {
    table->setItem(row, 0, new QTableWidgetItem(QString("Item %1").arg(row + 1, 3, 10, QChar('0'))));
    table->setItem(row, 1, new QTableWidgetItem(QString::number(row % 7 + 1)));
    table->setItem(row, 2, new QTableWidgetItem(QString::number((row + 1) * 1.25, 'f', 2)));
  }
  auto* control = new vellora::PrintControl(&form);
  control->move(560, 10);
  control->setToPage(0);
  auto* resizer = new vellora::Resizer(&form);
  resizer->setResizing(true);
  form.show();

  if (!control->printToPdf(QString::fromLocal8Bit(argv[1]))) return 1;
  form.resize(960, 720);
  if (title->width() == 300) {
    std::fprintf(stderr, "shipping-app: the resizer did not scale the form\n");
    return 1;
  }
  if (!control->printToPdf(QString::fromLocal8Bit(argv[2]))) return 1;
  std::printf("printed\n");
  return 0;
}
