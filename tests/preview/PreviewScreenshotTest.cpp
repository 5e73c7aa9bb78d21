// The preview window on real Qt widgets (offscreen platform): the page the
// job drew is on screen where the view is, and the buttons carry their captions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include "host/Printer.h"
#include "host/QtKit.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/PrintJob.h"
#include "preview/Prview.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"

namespace {

bool isDark(QRgb pixel) { return qGray(pixel) < 100; }

TEST(PreviewScreenshot, ShowsTheDrawnPageAndTheButtonCaptions) {
  host::Runtime runtime(host::makeQtUi(), {host::MemoryPrinter::create("Memory", 600)});
  auto form = host::Form::create("Orders");
  form->set("Width", host::Value(9000.0));
  form->set("Height", host::Value(7500.0));
  form->set("Caption", host::Value("Orders 2026"));
  auto control = std::make_shared<Vellora>();
  form->adopt(control);
  PrintJob& job = control->job();
  job.HostForm = form;
  job.JobOpen = true;
  job.FirstPageNo = 2;

  Prview window(job);
  window.setPageBoxSize(300, 200);
  auto page = std::make_unique<OffScreenDC>(job.drawing, &job);
  page->Initialize(window.pageBoxDc(), 300, 200, 2);
  host::RasterDc& surface = *page->dc();
  surface.setFont(host::Font("Arial", 14));
  surface.setTextColor(host::Rgb::black);
  surface.setBkMode(host::BkMode::Transparent);
  surface.extTextOut({20, 20}, 0, {}, "Invoice 4711");
  surface.fillRect(host::Rect::fromXywh(20, 80, 120, 10), host::Brush::solid(host::Rgb::black));
  job.PageStore.push_back(std::move(page));
  job.PageCounter = 0;
  window.present();

  QWidget* shown = host::qtWidgetOf(*window.window());
  ASSERT_NE(shown, nullptr);
  ASSERT_TRUE(shown->isVisible());
  const QImage image = shown->grab().toImage();
  const PrviewControls& c = *window.controls();
  const int offsetX = c.Back->left() + c.View->left();
  const int offsetY = c.Back->top() + c.View->top();

  int darkOnPage = 0;
  int darkShown = 0;
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 200; ++x) {
      const host::Rgb drawn = job.PageStore[0]->dc()->pixel(x, y);
      if (drawn.brightness() >= 100) continue;
      ++darkOnPage;
      if (isDark(image.pixel(offsetX + x, offsetY + y))) ++darkShown;
    }
  }
  ASSERT_GT(darkOnPage, 1200) << "the page has text and a bar";
  EXPECT_EQ(darkShown, darkOnPage) << "every dark pixel of the page is dark on screen";
  EXPECT_FALSE(isDark(image.pixel(offsetX + 250, offsetY + 150))) << "the rest of the page is white";

  QStringList captions;
  for (const QPushButton* button : shown->findChildren<QPushButton*>()) {
    if (button->isVisible()) captions << button->text();
  }
  EXPECT_TRUE(captions.contains("Print"));
  EXPECT_TRUE(captions.contains("Prev Page"));
  EXPECT_TRUE(captions.contains("Next Page"));
  EXPECT_TRUE(captions.contains("Close"));
  EXPECT_EQ(shown->windowTitle(), "Orders 2026");

  window.Finir();
  EXPECT_FALSE(shown->isVisible());
}

// A preview window on the Qt kit showing `pages` white pages of the given size.
struct QtPreview {
  host::Runtime runtime{host::makeQtUi(), {host::MemoryPrinter::create("Memory", 600)}};
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob& job = control->job();
  Prview window{job};

  QtPreview(int pages, host::Size size) {
    host::ui().setSetting("Preview/Zoom", "");  // no zoom of an earlier test is remembered
    host::ui().setSetting("Preview/Place", "");
    form->adopt(control);
    job.HostForm = form;
    job.JobOpen = true;
    job.FirstPageNo = 2;
    window.setPageBoxSize(size.width, size.height);
    for (int i = 0; i < pages; ++i) {
      auto page = std::make_unique<OffScreenDC>(job.drawing, &job);
      page->Initialize(window.pageBoxDc(), size.width, size.height, 2);
      // A black bar 120 x 10 pixels at (20, 80) on every page.
      page->dc()->fillRect(host::Rect::fromXywh(20, 80, 120, 10), host::Brush::solid(host::Rgb::black));
      page->Compact();
      job.PageStore.push_back(std::move(page));
    }
    job.PageCounter = static_cast<std::int16_t>(pages - 1);
    window.present();
  }
  ~QtPreview() { window.Finir(); }
  [[nodiscard]] QWidget* shown() const { return host::qtWidgetOf(*window.window()); }
  [[nodiscard]] QPushButton* button(const QString& caption) const {
    for (QPushButton* button : shown()->findChildren<QPushButton*>()) {
      if (button->text() == caption) return button;
    }
    return nullptr;
  }
};

// Pixels of a widget's picture dark enough to be text.
int darkPixels(QWidget& widget) {
  const QImage image = widget.grab().toImage();
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += isDark(image.pixel(x, y)) ? 1 : 0;
  }
  return dark;
}

TEST(PreviewScreenshot, DisabledButtonsShowGreyedCaptions) {
  QtPreview preview(1, {300, 200});  // one page: Prev Page and Next Page are disabled
  QPushButton* print = preview.button("Print");
  QPushButton* next = preview.button("Next Page");
  ASSERT_NE(print, nullptr);
  ASSERT_NE(next, nullptr);
  ASSERT_TRUE(print->isEnabled());
  ASSERT_FALSE(next->isEnabled());
  EXPECT_GT(darkPixels(*print), 20) << "an enabled caption is drawn dark";
  EXPECT_EQ(darkPixels(*next), 0) << "a disabled caption is greyed";
}

TEST(PreviewScreenshot, KeysAndTheWheelReachTheWindowWhereverItsFocusIs) {
  QtPreview preview(3, {300, 3000});
  const PrviewControls& c = *preview.window.controls();
  QComboBox* list = preview.shown()->findChild<QComboBox*>();
  ASSERT_NE(list, nullptr);
  list->setFocus();
  QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(list, &pageDown);
  EXPECT_EQ(preview.job.CurrentPage, 1) << "the page list had the focus, the window took the key";
  EXPECT_EQ(list->currentText().trimmed(), "2");
  QLabel* where = nullptr;
  for (QLabel* label : preview.shown()->findChildren<QLabel*>())
    if (label->text().startsWith("Page ")) where = label;
  ASSERT_NE(where, nullptr);
  EXPECT_EQ(where->text(), "Page 2 of 3");
  EXPECT_TRUE(where->isVisible());

  ASSERT_TRUE(list->isEditable()) << "a page number can be typed into the page list";
  list->lineEdit()->setText("3");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(list->lineEdit(), &enter);
  EXPECT_EQ(where->text(), "Page 3 of 3");
  preview.window.Up_Click();

  QPushButton* print = preview.button("Print");
  ASSERT_NE(print, nullptr);
  const QPointF inside(5, 5);
  QWheelEvent wheel(inside, print->mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(print, &wheel);
  EXPECT_EQ(c.View->top(), -60) << "the wheel over a button scrolls the page";
}

TEST(PreviewScreenshot, AClickInTheVerticalTroughMovesThePageByWhatTheViewportShows) {
  QtPreview preview(1, {300, 3000});
  const PrviewControls& c = *preview.window.controls();
  ASSERT_TRUE(c.VScrl->visible());
  QScrollBar* vertical = nullptr;
  for (QScrollBar* bar : preview.shown()->findChildren<QScrollBar*>()) {
    if (bar->orientation() == Qt::Vertical) vertical = bar;
  }
  ASSERT_NE(vertical, nullptr);
  vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);  // what a click below the thumb does
  EXPECT_EQ(c.View->top(), -c.VScrl->largeChange());
  EXPECT_GE(-c.View->top(), c.Back->height() - 2 * 17) << "a page step is a viewport's height";
}

// The dark pixels' extent on screen: left, top, right, bottom (exclusive).
QRect darkExtent(const QImage& image) {
  QRect extent;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (isDark(image.pixel(x, y))) extent |= QRect(x, y, 1, 1);
  return extent;
}

// The run of white page pixels along a row of the screen, from `x`.
int whiteRun(const QImage& image, int x, int y) {
  int run = 0;
  while (x + run < image.width() && image.pixel(x + run, y) == qRgb(255, 255, 255)) ++run;
  return run;
}

TEST(PreviewScreenshot, ZoomedPagesAreDrawnLargerOnScreenAndFitWidthFillsTheView) {
  QtPreview preview(2, {300, 400});
  QWidget* shown = preview.shown();
  preview.window.window()->setGeometry(host::Rect::fromXywh(0, 0, 900, 700));
  const PrviewControls& c = *preview.window.controls();
  // What the viewport shows of the page, from the window's picture, less its scroll bars.
  const auto viewport = [&] {
    const int width = c.VScrl->visible() ? c.VScrl->left() : c.Back->width();
    const int height = c.HScrl->visible() ? c.HScrl->top() : c.Back->height();
    return shown->grab().toImage().copy(c.Back->left(), c.Back->top(), width, height);
  };
  const QRect atFull = darkExtent(viewport());
  ASSERT_EQ(atFull.width(), 120);
  ASSERT_EQ(atFull.height(), 10);

  QWheelEvent wheel(QPointF(5, 5), shown->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(shown, &wheel);
  EXPECT_DOUBLE_EQ(preview.window.zoom(), 1.25) << "Ctrl and the wheel zoom in";
  QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::ControlModifier);
  QApplication::sendEvent(shown, &plus);
  QApplication::sendEvent(shown, &plus);
  ASSERT_DOUBLE_EQ(preview.window.zoom(), 2.0);
  const QRect doubled = darkExtent(viewport());
  EXPECT_EQ(doubled.width(), 240) << "a page at 200 % is twice its size";
  EXPECT_EQ(doubled.height(), 20);
  EXPECT_EQ(doubled.left(), 2 * atFull.left());

  QComboBox* zooms = nullptr;
  for (QComboBox* list : shown->findChildren<QComboBox*>())
    if (list->findText("Fit width") >= 0) zooms = list;
  ASSERT_NE(zooms, nullptr);
  zooms->setCurrentIndex(zooms->findText("Fit width"));
  emit zooms->activated(zooms->currentIndex());  // as a choice of the user's
  ASSERT_EQ(preview.window.zoomMode(), ZoomMode::FitWidth);
  const QImage fitted = viewport();
  ASSERT_TRUE(c.VScrl->visible());
  const int visibleWidth = c.VScrl->left();
  EXPECT_NEAR(whiteRun(fitted, 0, fitted.height() / 2), visibleWidth, 1) << "the page fills the view's width";
  EXPECT_FALSE(c.HScrl->visible());
}

}  // namespace
