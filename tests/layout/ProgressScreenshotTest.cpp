// The progress window on real Qt widgets (offscreen platform): it shows the
// host form's snapshot and the stop button with its caption.
#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QWidget>

#include "host/Printer.h"
#include "host/QtKit.h"
#include "host/Runtime.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/Interin.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"

namespace {

TEST(ProgressScreenshot, ShowsTheFormsSnapshotAndTheStopButton) {
  host::Runtime runtime(host::makeQtUi(), {host::MemoryPrinter::create("Memory", 600)});
  auto form = host::Form::create("Orders");
  form->set("Width", host::Value(9000.0));
  form->set("Height", host::Value(6000.0));
  form->set("BackColor", host::Value(std::int32_t{0x00FFFF}));  // yellow
  auto label = form->addControl("Label", "Title");
  label->set("Caption", host::Value("Weekly orders"));
  label->set("BackColor", host::Value(std::int32_t{0xFF0000}));  // blue
  label->set("Left", host::Value(300.0));
  label->set("Top", host::Value(300.0));
  label->set("Width", host::Value(3000.0));
  label->set("Height", host::Value(600.0));
  auto control = std::make_shared<Vellora>();
  form->adopt(control);
  PrintJob& job = control->job();
  job.HostForm = form;

  Interin progress(job);
  progress.CoverFormWithProgress();
  progress.setStopCaption("Click to Stop\n\nPage .... 1\n");

  QWidget* shown = host::qtWidgetOf(*progress.window());
  ASSERT_NE(shown, nullptr);
  ASSERT_TRUE(shown->isVisible());
  const QImage image = shown->grab().toImage();
  const host::Picture snapshot = form->snapshot();
  const QRect button = shown->findChild<QPushButton*>()->geometry();

  // Outside the stop button the window shows the snapshot, 18 pixels down.
  int compared = 0;
  int equal = 0;
  for (int y = 0; y + 18 < image.height() && y < snapshot.height(); y += 3) {
    for (int x = 0; x < image.width() && x < snapshot.width(); x += 3) {
      if (button.contains(x, y + 18)) continue;
      const host::Rgb expected = snapshot.pixel(x, y);
      ++compared;
      if (QColor(image.pixel(x, y + 18)) == QColor(expected.red, expected.green, expected.blue)) ++equal;
    }
  }
  ASSERT_GT(compared, 1000);
  EXPECT_EQ(equal, compared);
  EXPECT_EQ(QColor(image.pixel(200, 18 + 50)), QColor(0, 0, 255)) << "the label's blue box";

  const auto* stop = shown->findChild<QPushButton*>();
  ASSERT_NE(stop, nullptr);
  EXPECT_TRUE(stop->isVisible());
  EXPECT_EQ(stop->text(), "Click to Stop\n\nPage .... 1\n");
  // The button is drawn: its face is not the snapshot.
  const QPoint middle = button.center();
  EXPECT_NE(QColor(image.pixel(middle)), QColor(255, 255, 0));

  progress.Finito();
  EXPECT_FALSE(shown->isVisible());
}

}  // namespace
