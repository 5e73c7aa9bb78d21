// The resizer under a print job: the print control's walk finds it by name,
// prints the form at its design scale and gives the user's layout back.
// (The test program links both control libraries; the libraries themselves
// never link each other.)
#include <gtest/gtest.h>

#include "printctl/VelloraHarness.h"
#include "resizer/Gauxel.h"

namespace {

using host::Value;

struct ResizedForm {
  velloratest::Harness h{100};
  std::shared_ptr<Gauxel> resizer = std::make_shared<Gauxel>();
  host::ObjectRef heading;

  // Designed on a 1024 x 768 screen and opened on `screen`.
  explicit ResizedForm(host::Size screen = {1024, 768}) {
    h.env.ui->setScreen({{1024, 768}, 15, 15});
    h.form->setClientSize(9000, 6000);
    resizer->load("Name", Value("Gauxel1"));
    h.form->adopt(resizer);
    resizer->InitProperties();
    resizer->set("Resize", Value(true));
    heading = h.add("Label", "Heading", {{"Caption", Value("Quarterly figures")}, {"Left", 600}, {"Top", 600},
                                         {"Width", 4800}, {"Height", 480}});
    host::getObject(*heading, "Font")->set("Size", Value(12.0));
    h.add("Shape", "Box", {{"BackStyle", std::int16_t{1}}, {"Left", 600}, {"Top", 1500}, {"Width", 2400},
                           {"Height", 1200}});
    h.env.ui->setScreen({screen, 15, 15});
    resizer->Show();
  }
  const host::Picture& lastPage() const { return h.env.printer->pages().back(); }
  void dragTo(double width, double height) {
    h.form->setClientSize(width, height);
    h.env.ui->stepTimers();
  }
};

bool samePixels(const host::Picture& a, const host::Picture& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

TEST(ResizerUnderPrint, AResizedFormPrintsAtItsDesignScaleAndKeepsTheUsersLayout) {
  ResizedForm form;
  ASSERT_TRUE(form.h.control->LVPrint());
  const host::Picture design = form.lastPage();

  form.dragTo(13500, 9000);
  ASSERT_DOUBLE_EQ(form.heading->get("Left").toDouble(), 900);
  const std::int16_t zoom = form.resizer->props().Zoom;
  ASSERT_TRUE(form.h.control->LVPrint());
  EXPECT_TRUE(samePixels(form.lastPage(), design)) << "the page of the resized form is the design page";

  EXPECT_EQ(form.resizer->props().Zoom, zoom);
  EXPECT_TRUE(form.resizer->props().Resize);
  EXPECT_TRUE(form.resizer->pollRunning());
  EXPECT_DOUBLE_EQ(form.heading->get("Left").toDouble(), 900) << "the form is back at the size the user gave it";
  EXPECT_DOUBLE_EQ(form.heading->get("Width").toDouble(), 7200);
  EXPECT_DOUBLE_EQ(host::getObject(*form.heading, "Font")->get("Size").toDouble(), 18);
}

TEST(ResizerUnderPrint, AFormOpenedOnALargerScreenPrintsAtItsDesignScaleAndKeepsItsLayout) {
  ResizedForm designed;
  ASSERT_TRUE(designed.h.control->LVPrint());
  const host::Picture design = designed.lastPage();

  ResizedForm opened({1280, 1024});
  const GauxelRatios screen = opened.resizer->ratios();
  ASSERT_NEAR(screen.RatioW, 1.25, 0.01);
  ASSERT_DOUBLE_EQ(opened.heading->get("Left").toDouble(), 600 * screen.RatioW) << "adapted to the screen";
  const double top = opened.heading->get("Top").toDouble();
  const double size = host::getObject(*opened.heading, "Font")->get("Size").toDouble();
  ASSERT_GT(top, 600 * 1.3);
  ASSERT_TRUE(opened.h.control->LVPrint());
  EXPECT_TRUE(samePixels(opened.lastPage(), design)) << "the page is the design page";
  EXPECT_DOUBLE_EQ(opened.heading->get("Left").toDouble(), 600 * screen.RatioW) << "the screen's layout is back";
  EXPECT_DOUBLE_EQ(opened.heading->get("Top").toDouble(), top);
  EXPECT_DOUBLE_EQ(host::getObject(*opened.heading, "Font")->get("Size").toDouble(), size);
}

TEST(ResizerUnderPrint, AnUnevenSizeComesBackWithFontsAtTheSmallerRatio) {
  ResizedForm form;
  form.dragTo(18000, 9000);  // twice as wide, 1.5 times as tall
  const std::int16_t zoom = form.resizer->props().Zoom;
  form.resizer->set("Zoom", Value(std::int16_t{100}));
  EXPECT_DOUBLE_EQ(form.heading->get("Left").toDouble(), 600);
  form.resizer->set("Zoom", Value(zoom));
  EXPECT_DOUBLE_EQ(form.heading->get("Left").toDouble(), 1200);
  EXPECT_DOUBLE_EQ(form.heading->get("Top").toDouble(), 900);
  EXPECT_DOUBLE_EQ(host::getObject(*form.heading, "Font")->get("Size").toDouble(), 18);
  form.resizer->set("Zoom", Value(static_cast<std::int16_t>(zoom + 1)));
  EXPECT_DOUBLE_EQ(form.heading->get("Top").toDouble(), 600 * (zoom + 1) / 100.0)
      << "any other value is a zoom of the records";
}

}  // namespace
