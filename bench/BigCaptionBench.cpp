// A label with a 10 MB caption (of which one line shows) and a multi-line text
// box holding 10 MB of text, previewed and printed (to the PDF printer): the
// time of each run and the memory it takes of its own. Measuring and drawing
// a caption must cost what is drawn, not the length of the caption. The
// same lines drawn straight with QPainter give the practical limits.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "JobBenchSupport.h"
#include "host/Lang.h"
#include "host/Printer.h"
#include "host/QtFont.h"
#include "host/Runtime.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "renderers/Renderers.h"

namespace {

constexpr std::size_t TenMegabytes = 10u * 1024u * 1024u;

// Words of ordinary length on lines of about sixty characters, to 10 MB.
// Each case numbers its lines from a base of its own (`numbersFrom`, whole
// millions): widths measured by one case must not make the next look fast.
std::string bigText(int numbersFrom) {
  std::string text;
  text.reserve(TenMegabytes + 64);
  char line[80];
  for (int i = 1; text.size() < TenMegabytes; ++i) {
    std::snprintf(line, sizeof line, "%sLine %07d of the signed order notes, kept whole", i > 1 ? "\r\n" : "",
                  numbersFrom + i);
    text += line;
  }
  return text;
}

enum class Family { Label = 0, TextBox = 1 };

struct Form {
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  host::ObjectRef control;
  std::shared_ptr<Vellora> vellora = std::make_shared<Vellora>();

  Form(Family family, int numbersFrom) {
    if (family == Family::Label) {
      // Sized to its caption, as a label that must show its text whole is.
      control = form->addControl("Label", "Notes");
      control->set("Caption", bigText(numbersFrom));
      control->set("AutoSize", true);
    } else {
      control = form->addControl("TextBox", "Notes");
      control->set("MultiLine", true);
      control->set("Text", bigText(numbersFrom));
    }
    control->set("Left", 600);
    control->set("Top", 300);
    if (family == Family::TextBox) {
      control->set("Width", 6000);
      control->set("Height", 600);
    }
    benchsupport::pointJobAt(*vellora, form, control, 600, 6000);
  }
};

// range(0): the family (0 label, 1 multi-line text box).
void previewBigCaption(benchmark::State& state) {
  Form form(static_cast<Family>(state.range(0)), 1'000'000 * (1 + static_cast<int>(state.range(0))));
  benchsupport::reportJob(state, benchsupport::runPreviewJobs(state, form.vellora->job(), PrevTextBox));
}

void printBigCaption(benchmark::State& state) {
  Form form(static_cast<Family>(state.range(0)), 1'000'000 * (3 + static_cast<int>(state.range(0))));
  benchsupport::reportJob(state, benchsupport::runPrintJobs(state, form.vellora->job(), PrnTextBox));
}

// The practical limit for the text box: its lines drawn straight with
// QPainter, one to a line and a page's worth to a page: on a letter page at
// the preview's 96 dpi, made white again for each page (none is kept), and
// on a QPdfWriter at the PDF printer's 600 dpi.
template <class NextPage>
int drawLinesStraight(QPainter& painter, int pageHeight, double dotsPerInch, NextPage&& nextPage) {
  const std::string text = bigText(5'000'000);
  painter.setFont(host::toQFont(host::Font(), dotsPerInch));
  const int pitch = painter.fontMetrics().height();
  const int margin = static_cast<int>(dotsPerInch / 2);
  int pages = 1;
  int y = margin;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (y + pitch > pageHeight - margin) {
      nextPage();
      ++pages;
      y = margin;
    }
    painter.drawText(QPoint(margin, y + painter.fontMetrics().ascent()),
                     QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start)));
    y += pitch;
    start = end + 2;
  }
  return pages;
}

void QPainterOnImagePages(benchmark::State& state) {
  int pages = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    QImage page(816, 1056, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    pages = drawLinesStraight(painter, page.height(), 96.0, [&] { painter.fillRect(page.rect(), Qt::white); });
    painter.end();
    ownMegabytes = meter.stop();
  }
  state.counters["pages"] = pages;
  state.counters["own_MB"] = ownMegabytes;
}

void QPainterOnQPdfWriter(benchmark::State& state) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "vellora-bigcaption-qpainter.pdf";
  int pages = 0;
  double ownMegabytes = 0;
  for (auto _ : state) {
    benchsupport::ResidentGrowthMeter meter;
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    pages = drawLinesStraight(painter, painter.viewport().height(), 600.0, [&] { writer.newPage(); });
    painter.end();
    ownMegabytes = meter.stop();
  }
  std::filesystem::remove(file);
  state.counters["pages"] = pages;
  state.counters["own_MB"] = ownMegabytes;
}

BENCHMARK(previewBigCaption)->ArgName("textBox")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(printBigCaption)->ArgName("textBox")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(QPainterOnImagePages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(QPainterOnQPdfWriter)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return benchsupport::runOnPdfPrinter(argc, argv, "vellora-bigcaption-bench.pdf"); }
