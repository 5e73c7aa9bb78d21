// The vellora program on a form with a chart, a picture, a rich-text box, a
// check-box list and a file list: the printed PDF and the preview page are
// read back as a user would look at them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ProgramTestSupport.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

using programtest::program;
using programtest::quoted;
using programtest::readFile;
const fs::path mediaForm = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms" / "media.json";

bool haveTools() {
  return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") == 0;
}

// Pixels of strong colour (chart bars and legend marks), and pure red ones (the picture).
struct Colours {
  int vivid = 0;
  int red = 0;
};
Colours coloursOf(const QImage& image) {
  Colours colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++colours.red;
      if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 80) ++colours.vivid;
    }
  return colours;
}

class MediaForm : public programtest::ProgramTest {
 protected:
  void SetUp() override {
    if (!haveTools()) GTEST_SKIP() << "poppler-utils are not installed";
    ProgramTest::SetUp();
  }
  // Runs with arguments already quoted as shell words.
  int run(const std::string& arguments) {
    const std::string command = "cd " + quoted(folder_.string()) + " && " + quoted(program.string()) + " " +
                                arguments + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
};

TEST_F(MediaForm, PrintedPageShowsTheChartPictureRichTextAndBothLists) {
  ASSERT_EQ(run("print " + quoted(mediaForm.string()) + " --pdf media.pdf"), 0) << readFile(folder_ / "err.txt");
  ASSERT_EQ(std::system(("cd " + quoted(folder_.string()) + " && pdftotext -layout media.pdf media.txt").c_str()), 0);
  const std::string text = readFile(folder_ / "media.txt");
  for (const char* shown : {"Quarterly report", "1 Delivery terms", "within ten days", "caf\u00e9 and na\u00efve",
                            "ORD-1042 ends the document.", "North", "South", "West", "East", "listing.rtf", "long.rtf",
                            "terms.rtf", "Page : 1"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
  // The RTF's style sheet and document information are not printed.
  EXPECT_EQ(text.find("heading"), std::string::npos);
  EXPECT_EQ(text.find("latex2rtf"), std::string::npos);

  ASSERT_EQ(std::system(("cd " + quoted(folder_.string()) + " && pdftoppm -r 50 -png media.pdf sheet").c_str()), 0);
  QImage sheet;
  ASSERT_TRUE(sheet.load(QString::fromStdString((folder_ / "sheet-1.png").string())));
  const Colours colours = coloursOf(sheet);
  EXPECT_GT(colours.vivid, 300);  // the chart's bars
  EXPECT_GT(colours.red, 0);      // the logo
}

TEST_F(MediaForm, PreviewPageShowsTheChartAndThePicture) {
  ASSERT_EQ(run("preview " + quoted(mediaForm.string()) + " --png pages"), 0) << readFile(folder_ / "err.txt");
  QImage page;
  ASSERT_TRUE(page.load(QString::fromStdString((folder_ / "pages" / "page-001.png").string())));
  const Colours colours = coloursOf(page);
  EXPECT_GT(colours.vivid, 1000);
  EXPECT_GT(colours.red, 0);
  EXPECT_FALSE(fs::exists(folder_ / "pages" / "page-002.png"));
}

}  // namespace
