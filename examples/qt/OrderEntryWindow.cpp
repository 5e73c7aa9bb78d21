#include "OrderEntryWindow.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <array>

#include <vellora/PrintControl.h>

namespace {

struct Article {
  const char* description;
  double unitPrice;
};

constexpr std::array<Article, 8> catalogue{{{"Copy paper A4, 500 sheets", 4.95},
                                           {"Envelopes C5, box of 50", 6.40},
                                           {"Ballpoint pens, blue, 10", 3.20},
                                           {"Stapler, full strip", 12.75},
                                           {"Lever arch file, 80 mm", 2.85},
                                           {"Sticky notes, 12 pads", 7.10},
                                           {"Desk organiser", 18.90},
                                           {"Whiteboard markers, 4", 5.60}}};

// Sets a cell through the table's model, which makes the cell's item itself.
void setCell(QTableWidget& table, int row, int column, const QString& text,
             Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  QAbstractItemModel& model = *table.model();
  const QModelIndex index = model.index(row, column);
  model.setData(index, text);
  model.setData(index, static_cast<int>(alignment), Qt::TextAlignmentRole);
}

}  // namespace

OrderEntryWindow::OrderEntryWindow(int orderLines) {
  auto* form = new QWidget(this);  // owned by the window
  form_.setupUi(form);
  setCentralWidget(form);
  setWindowTitle(form->windowTitle());
  // The size the form prints at also when the window is never shown.
  resize(700, 900);
  fillOrderLines(orderLines);
  form_.deliverySchedule->expandAll();
  addFileMenu();
  // The print control sits on the form, its Preview and Print buttons in the
  // top right corner; it prints the window it is on (menus and buttons do not print).
  printControl_ = new vellora::PrintControl(form);
  printControl_->move(form->width() - printControl_->width() - 8, 8);
  // However wide the user makes the window, the order lines print whole
  // across the page, shrunk to its width rather than split over more pages.
  printControl_->setGridToFit(2);
  connect(printControl_, &vellora::PrintControl::beforePrint, this, [this](bool*, int) { prepareJob(); });
}

OrderEntryWindow::~OrderEntryWindow() = default;

void OrderEntryWindow::fillOrderLines(int count) {
  QTableWidget& table = *form_.orderLines;
  table.setRowCount(count);
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  for (int row = 0; row < count; ++row) {
    const Article& article = catalogue[static_cast<std::size_t>(row) % catalogue.size()];
    const int quantity = 1 + (row * 7) % 12;
    setCell(table, row, 0, QStringLiteral("ART-%1").arg(row + 1, 4, 10, QLatin1Char('0')));
    setCell(table, row, 1, QString::fromUtf8(article.description));
    setCell(table, row, 2, QString::number(quantity), right);
    setCell(table, row, 3, QString::number(article.unitPrice, 'f', 2), right);
    setCell(table, row, 4, QString::number(quantity * article.unitPrice, 'f', 2), right);
  }
  table.verticalHeader()->hide();
  // Widths with room to spare: the printer's font may run a little wider
  // than the screen's, and a cell that does not fit wraps on paper.
  constexpr std::array<int, 5> columnWidths{90, 240, 50, 80, 90};
  for (std::size_t column = 0; column < columnWidths.size(); ++column)
    table.setColumnWidth(static_cast<int>(column), columnWidths[column]);
  table.horizontalHeader()->setStretchLastSection(true);
}

void OrderEntryWindow::addFileMenu() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Print..."), QKeySequence::Print, this, [this] { print(); });
  file->addAction(tr("Print Pre&view..."), this, [this] { preview(); });
  file->addAction(tr("Save as P&DF..."), this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save as PDF"), QStringLiteral("order.pdf"),
                                                      tr("PDF files (*.pdf)"));
    if (!path.isEmpty() && !saveAsPdf(path))
      QMessageBox::warning(this, tr("Save as PDF"), tr("The order could not be saved as %1.").arg(path));
  });
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
}

// The page title follows the order number as it is at the moment of the job
// (the control's beforePrint signal comes before every job, its buttons' too).
void OrderEntryWindow::prepareJob() {
  printControl_->setTopTitle(tr("Northwind Office Supply - Order %1").arg(form_.orderEdit->text()));
}

bool OrderEntryWindow::print() {
  printControl_->setShowPrinterAlways(true);
  const bool printed = printControl_->print();
  printControl_->setShowPrinterAlways(false);
  return printed;
}

bool OrderEntryWindow::preview() { return printControl_->preview(); }

bool OrderEntryWindow::saveAsPdf(const QString& file) { return printControl_->printToPdf(file); }
