// vellora resize and run on a Qt Designer .ui form: its vellora::Resizer
// widget at work on the live widgets, step by step, and the form printed at
// its design scale whatever size it was given.
#include <gtest/gtest.h>

#include <QImage>

#include "ProgramTestSupport.h"
#include "host/drawing/PdfTools.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;

const fs::path forms = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms";
const std::string card = (forms / "resizing-card.ui").string();

class UiResizerProgram : public programtest::ProgramTest {
 protected:
  std::string words(const std::string& pdf) {
    return drawingtest::run("pdftotext -bbox " + drawingtest::quoted(folder_ / pdf) + " - | grep '<word'");
  }
};

TEST_F(UiResizerProgram, ResizeReportsEachStepAndPrintsTheDesignLayout) {
  if (!drawingtest::havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  const Outcome design = run({"resize", card, "--screen", "1024x768", "--print", "design.pdf"});
  ASSERT_EQ(design.status, 0) << design.err;
  const Outcome resized = run({"resize", card, "--screen", "1024x768", "--client", "800x600", "--zoom", "150",
                               "--png", "form.png", "--print", "resized.pdf"});
  ASSERT_EQ(resized.status, 0) << resized.err;
  EXPECT_NE(resized.out.find("client 800x600: ScaleWidth 12000 ScaleHeight 9000"), std::string::npos) << resized.out;
  EXPECT_NE(resized.out.find("RatioW 2 RatioH 2"), std::string::npos);
  EXPECT_NE(resized.out.find("zoom 150:"), std::string::npos);
  EXPECT_NE(resized.out.find("RatioW 1.5 RatioH 1.5"), std::string::npos);
  EXPECT_EQ(QImage(QString::fromStdString((folder_ / "form.png").string())).size(), QSize(800, 600));
  EXPECT_FALSE(words("design.pdf").empty());
  EXPECT_EQ(words("resized.pdf"), words("design.pdf")) << "the print sets the resizer back to the design scale";
}

TEST_F(UiResizerProgram, RunShowsTheFormAtEachClientSizeWithItsWidgetsScaled) {
  const Outcome small = run({"run", card, "--png", "small.png"});
  ASSERT_EQ(small.status, 0) << small.err;
  const Outcome large = run({"run", card, "--client", "800x600", "--png", "large.png"});
  ASSERT_EQ(large.status, 0) << large.err;
  const QImage before(QString::fromStdString((folder_ / "small.png").string()));
  const QImage after(QString::fromStdString((folder_ / "large.png").string()));
  ASSERT_EQ(after.size(), before.size() * 2);
  // The field's white box: 200 pixels wide at the design size, 400 at twice it.
  auto whiteRun = [](const QImage& image, int y) {
    int longest = 0;
    for (int x = 0, run = 0; x < image.width(); ++x) {
      run = image.pixelColor(x, y) == Qt::white ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  };
  EXPECT_NEAR(whiteRun(after, 140), 2 * whiteRun(before, 70), 6);
}

TEST_F(UiResizerProgram, ResizeOutIsForFormFilesOnly) {
  const Outcome outcome = run({"resize", card, "--screen", "1024x768", "--out", "card.ui"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("resize --out writes form files"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder_ / "card.ui"));
}

}  // namespace
