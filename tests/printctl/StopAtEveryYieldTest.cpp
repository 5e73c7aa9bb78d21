// A job stopped at any one of its yields. A print or a preview yields to the
// event loop between its steps so that the stop button of its progress window
// can be pressed; the suite presses it at the first yield, then at the
// second, and so on, until a job runs to its end without being stopped. The
// form holds a control of every family and a resizer that has zoomed it.
// Whichever yield the stop comes at, the job says it did not run to its end
// and shows no message, the form and the resizer are as they were, the
// progress window is gone, AfterPrint is raised once, nothing is delivered to
// the printer and no preview window is shown; and the next job gives the
// whole form again. A stop at a yield where the button cannot be pressed (the
// window is not up yet, or gone already) leaves the job whole.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FormState.h"
#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "host/Window.h"
#include "host/model/FormFile.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"
#include "resizer/Gauxel.h"

namespace {

using host::Value;

constexpr double printerDpi = 72;
// The form is designed 9600 x 9000 twips on a 1024 x 768 screen; the user has
// made it a quarter larger, and the resizer has zoomed every control.
constexpr double designWidth = 9600;
constexpr double designHeight = 9000;
constexpr double userScale = 1.25;

enum class JobKind { Print, Preview };
// How the form counts its own units: in twips, in pixels, or in a scale of
// its own with an origin that is not (0, 0).
enum class FormScale { Twips, Pixels, User };
// Who stops the job: the user with the progress window's stop button, or the
// host's code calling StopPrint (from a timer, say) with the button hidden.
enum class Stopper { StopButton, StopPrintWithoutButton };
enum class Output { MemoryPrinter, PdfPrinter };

struct StopCase {
  JobKind job;
  FormScale scale;
  Stopper stopper = Stopper::StopButton;
  Output output = Output::MemoryPrinter;
};

std::string nameOf(const StopCase& c) {
  const char* const jobs[] = {"Print", "Preview"};
  const char* const scales[] = {"Twips", "Pixels", "UserScale"};
  std::string name = std::string(jobs[static_cast<int>(c.job)]) + "On" + scales[static_cast<int>(c.scale)];
  if (c.stopper == Stopper::StopPrintWithoutButton) name += "StoppedByStopPrint";
  if (c.output == Output::PdfPrinter) name += "ToPdf";
  return name;
}

void PrintTo(const StopCase& c, std::ostream* out) { *out << nameOf(c); }

// The pages of a PDF file, as pdfinfo reads them; 0 when it reads none.
int pdfPages(const std::filesystem::path& file) {
  const std::string command = "pdfinfo '" + file.string() + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return 0;
  std::string info;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) info += buffer;
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

QJsonArray rows(std::initializer_list<std::initializer_list<const char*>> table) {
  QJsonArray result;
  for (const auto& row : table) {
    QJsonArray cells;
    for (const char* cell : row) cells.append(cell);
    result.append(cells);
  }
  return result;
}

QJsonObject control(const char* type, const char* name, int left, int top, int width, int height) {
  return {{"Type", type}, {"Name", name}, {"Left", left}, {"Top", top}, {"Width", width}, {"Height", height}};
}

// The families tests/forms/all-families.json leaves out: the grids, a list
// view, a rich-text box, a chart and a tabbed container with a hidden tab.
// Current cells, top rows and selections stand away from their defaults, so
// that a job that moves them and fails to put them back is seen.
QJsonArray familiesBesides(const std::filesystem::path& database) {
  QJsonObject grid = control("MSFlexGrid", "Figures", 240, 4000, 4200, 1300);
  grid["Rows"] = 12;
  grid["Cols"] = 3;
  grid["FixedCols"] = 0;
  grid["TextMatrix"] = rows({{"Item", "Qty", "Price"},
                             {"Paper", "2", "4.50"},
                             {"Ink", "1", "12.00"},
                             {"Staples", "5", "0.90"},
                             {"Folders", "3", "2.10"},
                             {"Pens", "10", "0.50"},
                             {"Tape", "2", "1.20"},
                             {"Glue", "1", "1.80"},
                             {"Labels", "4", "3.00"},
                             {"Clips", "50", "0.02"},
                             {"Rulers", "2", "1.10"},
                             {"Erasers", "6", "0.30"}});
  grid["TopRow"] = 3;
  grid["Row"] = 5;
  grid["Col"] = 2;

  QJsonObject orders = control("DataGrid", "Orders", 4800, 4000, 4200, 1300);
  orders["Database"] = QString::fromStdString(database.string());
  orders["RecordSource"] = "SELECT id, customer, total FROM orders ORDER BY id";
  // One row high at the form's design size and two once the resizer has
  // zoomed the form: the job makes it taller while it prints it, and its
  // current row (set below) is one the design size does not show.
  QJsonObject totals = control("DBGrid", "Totals", 4800, 3500, 4200, 700);
  totals["Database"] = QString::fromStdString(database.string());
  totals["RecordSource"] = "SELECT customer, total FROM orders WHERE id > 20";

  QJsonObject people = control("ListView", "People", 240, 5500, 4200, 1200);
  people["View"] = 3;
  people["ColumnHeaders"] = QJsonArray{QJsonObject{{"Text", "Name"}, {"Width", 2000}},
                                       QJsonObject{{"Text", "Town"}, {"Width", 2000}}};
  QJsonArray items;
  for (const char* person : {"Ada", "Grace", "Edsger", "Barbara", "Donald", "Frances"})
    items.append(QJsonObject{{"Text", person}, {"SubItems", QJsonArray{"London"}}});
  people["ListItems"] = items;

  QJsonObject terms = control("RichTextBox", "Terms", 4800, 5500, 4200, 1200);
  terms["FileName"] = "richtext/terms.rtf";

  QJsonObject sales = control("MSChart", "Sales", 240, 6900, 3000, 1800);
  sales["ChartType"] = 1;
  sales["TitleText"] = "Sales";
  sales["ChartData"] = QJsonArray{QJsonArray{"Jan", 12, 7}, QJsonArray{"Feb", 15, 9}};
  sales["ColumnLabels"] = QJsonArray{"North", "South"};

  QJsonObject pages = control("SSTab", "Pages", 3600, 6900, 3000, 1500);
  pages["Tabs"] = 2;
  pages["Tab"] = 0;
  pages["TabCaption"] = QJsonArray{"Address", "Remarks"};
  QJsonObject street = control("TextBox", "Street", 120, 500, 2400, 315);
  street["OnTab"] = 0;
  street["Text"] = "1 Analytical Row";
  QJsonObject remark = control("Label", "Remark", 120, 500, 2400, 315);
  remark["OnTab"] = 1;
  remark["Caption"] = "On the hidden tab";
  pages["Controls"] = QJsonArray{street, remark};

  return {grid, orders, totals, people, terms, sales, pages};
}

// tests/forms/all-families.json with the families it leaves out.
std::shared_ptr<host::Form> everyFamilyForm(const std::filesystem::path& database) {
  const std::filesystem::path forms = std::filesystem::path(VELLORA_SOURCE_DIR) / "tests" / "forms";
  const std::string text = testsupport::fileBytes(forms / "all-families.json");
  QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
  QJsonObject form = root["Form"].toObject();
  form["Height"] = designHeight;
  QJsonArray controls = form["Controls"].toArray();
  for (const QJsonValue& added : familiesBesides(database)) controls.append(added);
  form["Controls"] = controls;
  root["Form"] = form;
  return host::loadFormText(QJsonDocument(root).toJson().toStdString(), forms, "every family");
}

// What a job gave: the pictures of its pages (a PDF file's are not read) and
// how many pages there were.
struct Pages {
  std::vector<QImage> pictures;
  int count = 0;
  // Pictures are kept in one format, whose lines compare as bytes (pages
  // of one bit a pixel compare pixel by pixel, and far slower).
  void add(const host::Picture& page) {
    pictures.push_back(host::imageOf(page).convertToFormat(QImage::Format_RGB32));
  }
};

class StopAtEveryYield : public testing::TestWithParam<StopCase> {
 protected:
  testsupport::HeadlessRuntime env = onDesignScreen();
  std::filesystem::path folder = testsupport::makeTempDir("vellora-stop");
  std::shared_ptr<host::Form> form;
  std::shared_ptr<Vellora> print = std::make_shared<Vellora>();
  std::shared_ptr<Gauxel> resizer = std::make_shared<Gauxel>();
  // The printer of the job running: a memory printer, or a PDF printer
  // writing into a folder of the job's own.
  std::shared_ptr<host::MemoryPrinter> printer;
  std::filesystem::path pdfFolder;
  int jobs = 0;
  int afterPrints = 0;
  // What the form had changed when AfterPrint was raised, when looked at.
  bool lookAtAfterPrint = false;
  std::string changedAtAfterPrint;
  velloratest::FormState before;

  static testsupport::HeadlessRuntime onDesignScreen() {
    testsupport::HeadlessRuntime headless = testsupport::makeHeadless(printerDpi);
    headless.ui->setScreen({{1024, 768}, 15, 15});
    return headless;
  }

  void SetUp() override {
    testsupport::makeDatabase(folder / "orders.sqlite", testsupport::ordersTable(24));
    form = everyFamilyForm(folder / "orders.sqlite");
    form->setClientSize(designWidth, designHeight);
    form->adopt(print);
    print->set("Name", Value("Vellora1"));
    print->InitProperties();
    print->events().AfterPrint = [this] {
      ++afterPrints;
      if (lookAtAfterPrint) changedAtAfterPrint = velloratest::changes(before, velloratest::formState(*form));
    };
    if (GetParam().stopper == Stopper::StopPrintWithoutButton) print->set("HideStopBtn", Value(true));
    resizer->load("Name", Value("Gauxel1"));
    form->adopt(resizer);
    resizer->InitProperties();
    resizer->set("Resize", Value(true));
    resizer->Show();
    // The user makes the form larger; the resizer's poll zooms its controls.
    form->setClientSize(designWidth * userScale, designHeight * userScale);
    env.ui->stepTimers();
    ASSERT_NE(resizer->props().Zoom, 100) << "the resizer did not zoom the form";

    switch (GetParam().scale) {
      case FormScale::Twips:
        break;
      case FormScale::Pixels:
        form->set("ScaleMode", Value(std::int16_t{3}));
        break;
      case FormScale::User:
        form->set("ScaleWidth", Value(100.0));
        form->set("ScaleHeight", Value(80.0));
        form->set("ScaleLeft", Value(-10.0));
        form->set("ScaleTop", Value(5.0));
        break;
    }
    // The data grid shows its records from the fourth on, with its current
    // cell away from the first.
    host::ObjectRef orders = controlNamed("Orders");
    orders->call("Scroll", {Value(0), Value(3)});
    orders->set("Row", Value(2));
    orders->set("Col", Value(1));
    ASSERT_EQ(orders->get("FirstRow").toLong(), 3);
    host::ObjectRef totals = controlNamed("Totals");
    ASSERT_EQ(totals->get("VisibleRows").toLong(), 2);
    totals->set("Row", Value(1));
    totals->set("Col", Value(1));
    before = velloratest::formState(*form);
  }

  void TearDown() override { std::filesystem::remove_all(folder); }

  [[nodiscard]] host::ObjectRef controlNamed(const char* name) const {
    return form->get("Controls").toObject()->get("Item", {Value(name)}).toObject();
  }
  [[nodiscard]] bool printing() const { return GetParam().job == JobKind::Print; }
  [[nodiscard]] bool toPdf() const { return GetParam().output == Output::PdfPrinter; }
  [[nodiscard]] std::filesystem::path pdfFile() const { return pdfFolder / "form.pdf"; }

  // Each job prints on a printer of its own, so that what it delivered is
  // all the printer holds.
  void freshPrinter() {
    printer = host::MemoryPrinter::create("Memory", printerDpi);
    if (!toPdf()) {
      host::printer().select(printer);
      return;
    }
    pdfFolder = folder / ("job" + std::to_string(++jobs));
    std::filesystem::create_directory(pdfFolder);
    host::printer().select(host::makePdfPrinter(pdfFile()));
  }

  bool runJob() { return printing() ? print->LVPrint() : print->Preview(); }

  // What the last job gave: delivered to the printer, or shown in the preview.
  [[nodiscard]] Pages pagesGiven() const {
    Pages pages;
    if (printing() && toPdf()) {
      pages.count = std::filesystem::exists(pdfFile()) ? pdfPages(pdfFile()) : 0;
      return pages;
    }
    if (printing()) {
      for (const host::Picture& page : printer->pages()) pages.add(page);
    } else if (shown("Prview")) {
      for (const auto& surface : print->job().PageStore) {
        if (surface && surface->isReady()) pages.add(surface->dc()->picture());
      }
    }
    pages.count = static_cast<int>(pages.pictures.size());
    return pages;
  }

  // True when a print delivered nothing: no page on the memory printer, no
  // file (nor any file begun) in the PDF's folder.
  [[nodiscard]] bool nothingDelivered() const {
    if (toPdf()) return std::filesystem::is_empty(pdfFolder);
    return printer->documentsDelivered() == 0 && printer->pages().empty();
  }

  [[nodiscard]] bool shown(const char* name) const {
    host::Window* found = env.ui->kit().find(name);
    return found != nullptr && found->isShown();
  }

  // A whole job: its pages and the yields it made.
  struct WholeJob {
    Pages pages;
    int yields = 0;
  };
  WholeJob runWholeJob() {
    freshPrinter();
    const int yieldsBefore = env.ui->yields();
    afterPrints = 0;
    EXPECT_TRUE(runJob());
    EXPECT_EQ(afterPrints, 1);
    return {pagesGiven(), env.ui->yields() - yieldsBefore};
  }

  // The job gave the whole form: the pages a whole job gives.
  static void expectWholeForm(const Pages& given, const Pages& whole) {
    ASSERT_EQ(given.count, whole.count) << "pages";
    ASSERT_EQ(given.pictures.size(), whole.pictures.size());
    for (std::size_t page = 0; page < whole.pictures.size(); ++page)
      EXPECT_TRUE(given.pictures[page] == whole.pictures[page]) << "page " << page + 1 << " differs";
  }

  // What the stop at yield n met.
  struct Stop {
    bool armed = true;
    bool reached = false;  // the job made n yields
    bool made = false;     // the stop was asked for
  };
  // At the n-th yield from now, the stop button is pressed when it can be,
  // or the host calls StopPrint.
  std::shared_ptr<Stop> stopAtYield(int n) {
    auto stop = std::make_shared<Stop>();
    env.ui->queue(
        [this, stop] {
          if (!stop->armed) return;
          stop->reached = true;
          if (GetParam().stopper == Stopper::StopPrintWithoutButton) {
            EXPECT_FALSE(shown("Interin") && env.ui->kit().find("Interin")->button("Stoper")->visible())
                << "the stop button shows although it is hidden";
            print->StopPrint();
            stop->made = true;
            return;
          }
          host::Window* progress = env.ui->kit().find("Interin");
          if (progress == nullptr || !progress->isShown()) return;
          progress->button("Stoper")->click();
          stop->made = print->job().StopRequested;
        },
        n - 1);
    return stop;
  }

  // A stopped job: False, no message (a stop is no failure), the stop spent,
  // nothing printed and no preview shown.
  void expectStoppedJob(std::size_t messagesBefore) {
    EXPECT_EQ(env.ui->messages().size(), messagesBefore) << "a stop is no failure to tell";
    EXPECT_TRUE(print->job().FailureText.empty()) << print->job().FailureText;
    EXPECT_FALSE(print->job().StopRequested) << "the stop is not spent";
    if (printing()) {
      EXPECT_TRUE(nothingDelivered()) << "part of a stopped print was delivered";
    }
    EXPECT_FALSE(shown("Prview")) << "a stopped job showed a preview";
    if (!printing()) {
      EXPECT_FALSE(print->job().preview && print->job().preview->isOpen()) << "the preview window stayed loaded";
      EXPECT_FALSE(print->job().JobOpen) << "the stopped preview's output is still open";
      for (const auto& surface : print->job().PageStore)
        EXPECT_FALSE(surface && surface->isReady()) << "a page of the stopped preview is still held";
    }
  }
};

TEST_P(StopAtEveryYield, AStopAtAnyYieldLeavesTheFormAsItWasAndTheNextJobWhole) {
  const std::int16_t zoom = resizer->props().Zoom;
  // A preview runs with the last one still open, as a user previews again.
  runWholeJob();
  const WholeJob whole = runWholeJob();
  ASSERT_GE(whole.pages.count, 2) << "the form takes more than one page";
  ASSERT_GT(whole.yields, 10);
  ASSERT_EQ(velloratest::changes(before, velloratest::formState(*form)), "")
      << "a whole job changed the form";

  int stopped = 0;
  for (int n = 1;; ++n) {
    SCOPED_TRACE("the stop comes at yield " + std::to_string(n) + " of " + std::to_string(whole.yields));
    freshPrinter();
    afterPrints = 0;
    changedAtAfterPrint = "<AfterPrint not raised>";
    const std::size_t messagesBefore = env.ui->messages().size();
    const std::shared_ptr<Stop> stop = stopAtYield(n);

    lookAtAfterPrint = true;
    const bool result = runJob();
    lookAtAfterPrint = false;
    stop->armed = false;
    if (!stop->reached) {
      EXPECT_TRUE(result);
      EXPECT_EQ(n, whole.yields + 1) << "a job makes the same yields each time";
      break;
    }
    if (result) {
      // Too late (or, for the button, too early) to stop: the job ran whole.
      EXPECT_FALSE(GetParam().stopper == Stopper::StopButton && stop->made) << "the stop pressed was lost";
      expectWholeForm(pagesGiven(), whole.pages);
    } else {
      EXPECT_TRUE(stop->made) << "the job did not run to its end, and nobody stopped it";
      ++stopped;
      expectStoppedJob(messagesBefore);
    }
    EXPECT_EQ(afterPrints, 1) << "AfterPrint";
    EXPECT_EQ(changedAtAfterPrint, "") << "AfterPrint came before the form was put back";
    EXPECT_FALSE(shown("Interin")) << "the progress window stayed up";
    EXPECT_FALSE(print->job().progress && print->job().progress->isOpen())
        << "the progress window stayed loaded";
    EXPECT_FALSE(print->JobRunning());
    EXPECT_EQ(velloratest::changes(before, velloratest::formState(*form)), "");
    EXPECT_EQ(resizer->props().Zoom, zoom);
    EXPECT_TRUE(resizer->pollRunning()) << "the resizer no longer follows the form's size";

    expectWholeForm(runWholeJob().pages, whole.pages);
    if (HasFailure()) break;  // one yield's faults are enough to read
  }
  EXPECT_GT(stopped, whole.yields / 2) << "the stop came in time at few of the yields";
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, StopAtEveryYield,
    testing::Values(StopCase{JobKind::Print, FormScale::Twips}, StopCase{JobKind::Preview, FormScale::Pixels},
                    StopCase{JobKind::Print, FormScale::User},
                    StopCase{JobKind::Print, FormScale::Pixels, Stopper::StopPrintWithoutButton,
                             Output::PdfPrinter},
                    StopCase{JobKind::Preview, FormScale::User, Stopper::StopPrintWithoutButton}),
    [](const testing::TestParamInfo<StopCase>& info) { return nameOf(info.param); });

}  // namespace
