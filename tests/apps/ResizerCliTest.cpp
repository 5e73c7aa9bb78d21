// vellora resize and vellora run end to end: the program runs on form files
// with a resizer, in a fresh folder; its form files, pictures and PDFs are
// read back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QColor>
#include <QImage>
#include <fstream>
#include <sstream>

#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "host/PictureImpl.h"
#include "printctl/Glyphs.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;
using programtest::quoted;
using programtest::readFile;

const fs::path demoForm = fs::path(VELLORA_SOURCE_DIR) / "examples" / "resizer-demo.json";
const fs::path formsFolder = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms";

// The bounding box of the pixels of one colour (the demo form's blue badge).
QRect boxOf(const QImage& image, QColor colour) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QColor(image.pixel(x, y)) == colour) box |= QRect(x, y, 1, 1);
  return box;
}

// True when `picture` appears pixel for pixel somewhere inside `area` of `image`.
bool showsPicture(const QImage& image, const QRect& area, const QImage& picture) {
  const QImage region = image.copy(area).convertToFormat(QImage::Format_RGB32);
  const QImage wanted = picture.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y + wanted.height() <= region.height(); ++y)
    for (int x = 0; x + wanted.width() <= region.width(); ++x)
      if (region.copy(x, y, wanted.width(), wanted.height()) == wanted) return true;
  return false;
}

class ResizerProgram : public programtest::ProgramTest {
 protected:
  // The first page of a PDF as a picture at 40 dots per inch.
  QImage firstPage(const std::string& pdf) {
    const fs::path stem = folder_ / (pdf + "-page");
    const std::string command = "pdftoppm -r 40 -f 1 -l 1 -png " + quoted((folder_ / pdf).string()) + " " +
                                quoted(stem.string());
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return QImage(QString::fromStdString(stem.string() + "-1.png"));
  }
};

TEST_F(ResizerProgram, TwoClientSizesAndBackGiveTheDesignFormAgain) {
  const Outcome design = run({"resize", demoForm.string(), "--screen", "1024x768", "--out", "design.json"});
  ASSERT_EQ(design.status, 0) << design.err;
  const Outcome wider = run({"resize", demoForm.string(), "--screen", "1024x768", "--client", "900x600",
                             "--out", "wider.json", "--png", "wider.png"});
  ASSERT_EQ(wider.status, 0) << wider.err;
  EXPECT_NE(wider.out.find("client 900x600: ScaleWidth 13500 ScaleHeight 9000 Factor 1 FactorH 1 Zoom 102"),
            std::string::npos)
      << wider.out;
  EXPECT_NE(readFile(folder_ / "wider.json").find("\"Left\": 9900"), std::string::npos)
      << "the badge at 1.5 times its recorded left";
  EXPECT_EQ(QImage(QString::fromStdString((folder_ / "wider.png").string())).size(), QSize(900, 600));

  const Outcome back = run({"resize", demoForm.string(), "--screen", "1024x768", "--client", "900x600",
                            "--client", "1200x450", "--client", "600x400", "--out", "back.json"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(readFile(folder_ / "back.json"), readFile(folder_ / "design.json"));
}

TEST_F(ResizerProgram, ZoomStepsAndAScreenOfAnotherSize) {
  const Outcome zoomed = run({"resize", demoForm.string(), "--screen", "1280x1024", "--zoom", "150", "--zoom",
                              "100", "--out", "zoomed.json"});
  ASSERT_EQ(zoomed.status, 0) << zoomed.err;
  EXPECT_NE(zoomed.out.find("screen 1280x1024: ScaleWidth 11280 ScaleHeight 8135 Factor 1.25333333333333 FactorH 1.35583333333333"),
            std::string::npos)
      << zoomed.out;
  EXPECT_NE(zoomed.out.find("zoom 150:"), std::string::npos);
  EXPECT_NE(readFile(folder_ / "zoomed.json").find("\"Width\": 11400"), std::string::npos)
      << "the form is adapted to the wider screen";

  EXPECT_EQ(run({"resize", (formsFolder / "all-families.json").string(), "--screen", "800x600"}).status, 2)
      << "a form without a resizer";
  EXPECT_EQ(run({"resize", demoForm.string()}).status, 2) << "resize needs --screen";
  EXPECT_EQ(run({"resize", demoForm.string(), "--screen", "1024x768", "--zoom", "99999"}).status, 2);
}

TEST_F(ResizerProgram, AFormSavedOnAnotherScreenReopensAsItWasSaved) {
  const Outcome wider = run({"resize", demoForm.string(), "--screen", "1280x1024", "--client", "900x700",
                             "--out", "saved.json"});
  ASSERT_EQ(wider.status, 0) << wider.err;
  const Outcome again = run({"resize", (folder_ / "saved.json").string(), "--screen", "1280x1024", "--out",
                             "again.json"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("Factor 1 FactorH 1"), std::string::npos) << "its own screen: " << again.out;
  EXPECT_EQ(readFile(folder_ / "again.json"), readFile(folder_ / "saved.json"))
      << "no control is scaled by the ratios it was saved with";
}

TEST_F(ResizerProgram, PrintingAtFactorHalfGivesTheDesignPagesAndLeavesTheResizerAsItWas) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
  const fs::path design = formsFolder / "resizer-design.json";
  const fs::path half = formsFolder / "resizer-half.json";
  ASSERT_EQ(run({"print", design.string(), "--pdf", "design.pdf"}).status, 0);
  ASSERT_EQ(run({"print", half.string(), "--pdf", "half.pdf"}).status, 0);
  const QImage designPage = firstPage("design.pdf");
  ASSERT_FALSE(designPage.isNull());
  EXPECT_EQ(firstPage("half.pdf"), designPage) << "the walker prints the half-size form at its design scale";

  const Outcome shown = run({"resize", half.string(), "--screen", "1024x768", "--print", "shown.pdf"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(firstPage("shown.pdf"), designPage);
  EXPECT_NE(shown.out.find("print shown.pdf: ScaleWidth 9000 ScaleHeight 6000 Factor .5 FactorH 1 Zoom 100 Resize True"),
            std::string::npos)
      << shown.out;
}

TEST_F(ResizerProgram, AFormOpenedOnAnotherScreenPrintsAtItsDesignScale) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
  const fs::path design = formsFolder / "resizer-design.json";
  ASSERT_EQ(run({"print", design.string(), "--pdf", "design.pdf"}).status, 0);
  const QImage designPage = firstPage("design.pdf");
  ASSERT_FALSE(designPage.isNull());
  // Adapted to the wider screen, then resized by the user as well.
  const Outcome adapted = run({"resize", design.string(), "--screen", "1280x1024", "--print", "adapted.pdf"});
  ASSERT_EQ(adapted.status, 0) << adapted.err;
  EXPECT_EQ(firstPage("adapted.pdf"), designPage);
  const Outcome resized = run({"resize", design.string(), "--screen", "1280x1024", "--client", "1100x700",
                               "--print", "resized.pdf"});
  ASSERT_EQ(resized.status, 0) << resized.err;
  EXPECT_EQ(firstPage("resized.pdf"), designPage);
}

TEST_F(ResizerProgram, AFormAdaptedToAHugeScreenStillPrintsAtItsDesignScale) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
  const fs::path design = formsFolder / "resizer-design.json";
  ASSERT_EQ(run({"print", design.string(), "--pdf", "design.pdf"}).status, 0);
  // The form grows to some sixty thousand pixels a side: the job covers it
  // without a picture of it (which would take gigabytes) and prints as ever.
  const Outcome huge = run({"resize", design.string(), "--screen", "100000x100000", "--print", "huge.pdf"});
  ASSERT_EQ(huge.status, 0) << huge.err;
  EXPECT_EQ(firstPage("huge.pdf"), firstPage("design.pdf"));
}

TEST_F(ResizerProgram, TheLiveWindowShowsTheFormBeforeAndAfterAResize) {
  const Outcome before = run({"run", demoForm.string(), "--screen", "1024x768", "--png", "before.png"});
  ASSERT_EQ(before.status, 0) << before.err;
  const Outcome after = run({"run", demoForm.string(), "--screen", "1024x768", "--client", "900x600", "--png",
                             "after.png"});
  ASSERT_EQ(after.status, 0) << after.err;
  const QImage small(QString::fromStdString((folder_ / "before.png").string()));
  const QImage large(QString::fromStdString((folder_ / "after.png").string()));
  ASSERT_EQ(small.size(), QSize(600, 400));
  ASSERT_EQ(large.size(), QSize(900, 600));

  const QColor badge(0x30, 0x60, 0xC0);
  const QRect designBox = boxOf(small, badge);
  const QRect scaledBox = boxOf(large, badge);
  ASSERT_FALSE(designBox.isEmpty());
  EXPECT_NEAR(designBox.left(), 440, 3);
  EXPECT_NEAR(scaledBox.left(), designBox.left() * 1.5, 3) << "the window shows the scaled layout";
  EXPECT_NEAR(scaledBox.width(), designBox.width() * 1.5, 3);
  EXPECT_NEAR(scaledBox.height(), designBox.height() * 1.5, 3);
  // The print control's buttons sit where its face is, each showing the
  // face's picture (not a caption clipped to a few letters).
  EXPECT_NE(QColor(large.pixel(690 + 50, 510 + 20)), QColor(Qt::white));
  EXPECT_EQ(QColor(large.pixel(450, 570)), QColor(Qt::white));
  const QRect face(660, 480, 120, 100);
  EXPECT_TRUE(showsPicture(large, face, host::imageOf(glyphs::PreviewFace(glyphs::FaceState::Enabled))));
  EXPECT_TRUE(showsPicture(large, face, host::imageOf(glyphs::PrintFace(glyphs::FaceState::Enabled))));
  EXPECT_TRUE(showsPicture(small, QRect(420, 300, 120, 100),
                           host::imageOf(glyphs::PrintFace(glyphs::FaceState::Enabled))));
}

}  // namespace
