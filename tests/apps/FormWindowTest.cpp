// The form as a live window on the headless window kit: the window sits on
// the form, follows the user's resizing through the resizer's poll, and the
// print control's buttons start its jobs.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "apps/FormWindow.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "printctl/Vellora.h"
#include "resizer/Gauxel.h"

namespace {

using host::Value;

struct LiveForm {
  testsupport::HeadlessRuntime env = testsupport::makeHeadless(100);
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  std::shared_ptr<Gauxel> resizer = std::make_shared<Gauxel>();
  std::shared_ptr<Vellora> printControl = std::make_shared<Vellora>();
  host::ObjectRef label;

  explicit LiveForm(bool resize = true) {
    env.ui->setScreen({{1024, 768}, 15, 15});
    form->set("Left", Value(1500.0));
    form->set("Top", Value(750.0));
    form->setClientSize(9000, 6000);
    form->set("BackColor", Value(std::int32_t{0xFFFFFF}));
    resizer->load("Name", Value("Gauxel1"));
    form->adopt(resizer);
    resizer->InitProperties();
    resizer->set("Resize", Value(resize));
    printControl->load("Name", Value("Vellora1"));
    form->adopt(printControl);
    printControl->InitProperties();
    printControl->call("Move", {Value(6000.0), Value(4500.0)});
    label = form->addControl("Label", "Title");
    label->call("Move", {Value(600.0), Value(300.0), Value(3000.0), Value(450.0)});
    label->set("BackColor", Value(std::int32_t{0x000000}));
  }
};

TEST(FormWindow, SitsOnTheFormAndShowsTheNewLayoutOnceThePollHasFollowed) {
  LiveForm live;
  FormWindow window(live.form, live.resizer, live.printControl, live.env.ui->kit());
  window.open();
  host::Window& shown = window.window();
  ASSERT_TRUE(window.isOpen());
  EXPECT_EQ(shown.geometry().left, 100);
  EXPECT_EQ(shown.geometry().top, 50);
  EXPECT_EQ(shown.clientSize(), (host::Size{600, 400}));
  const host::PictureWidget* face = shown.pictureWidget("Face");
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->picture().pixel(40 + 5, 20 + 5), host::Rgb::black) << "the label at its design place";

  const int before = window.repaints();
  window.resizeClientTo({900, 600});
  EXPECT_DOUBLE_EQ(live.form->get("ScaleWidth").toDouble(), 13500);
  EXPECT_EQ(window.repaints(), before) << "the window waits for the poll";
  live.env.ui->stepTimers();
  EXPECT_EQ(window.repaints(), before + 1);
  EXPECT_EQ(face->picture().size(), (host::Size{900, 600}));
  EXPECT_EQ(face->picture().pixel(60 + 5, 30 + 5), host::Rgb::black) << "the label at 1.5 times its place";
  EXPECT_NE(face->picture().pixel(40 + 2, 20 + 2), host::Rgb::black);

  const host::Button* print = shown.button("Printbt");
  ASSERT_NE(print, nullptr);
  EXPECT_TRUE(print->visible());
  EXPECT_NEAR(print->left(), (6000 * 1.5 + live.printControl->Printbt().Left) / 15, 0.5);
  EXPECT_NEAR(print->top(), (4500 * 1.5 + live.printControl->Printbt().Top) / 15, 0.5);
}

TEST(FormWindow, TheButtonsStartTheJobsOfThePrintControl) {
  LiveForm live;
  FormWindow window(live.form, live.resizer, live.printControl, live.env.ui->kit());
  window.open();
  window.resizeClientTo({900, 600});
  live.env.ui->stepTimers();
  window.window().button("Printbt")->click();
  EXPECT_EQ(live.env.printer->documentsDelivered(), 1);
  EXPECT_DOUBLE_EQ(live.label->get("Left").toDouble(), 900) << "the form is as the user left it";

  window.window().button("PrevBtn")->click();
  ASSERT_NE(live.printControl->job().preview, nullptr);
  EXPECT_TRUE(live.printControl->job().preview->isOpen());
}

TEST(FormWindow, WithoutThePollTheWindowShowsTheFormAtOnce) {
  LiveForm live(false);
  FormWindow window(live.form, live.resizer, nullptr, live.env.ui->kit());
  window.open();
  const int before = window.repaints();
  window.resizeClientTo({300, 200});
  EXPECT_EQ(window.repaints(), before + 1);
  EXPECT_EQ(window.window().pictureWidget("Face")->picture().size(), (host::Size{300, 200}));
  EXPECT_EQ(window.window().button("Printbt"), nullptr) << "no print control, no face";
  EXPECT_DOUBLE_EQ(live.label->get("Left").toDouble(), 600);
  window.window().close();
  EXPECT_FALSE(window.isOpen());
}

}  // namespace
